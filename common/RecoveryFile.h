#pragma once
// Entry text that could not be stored when the program ended, kept as a plain text file in
// the user's data folder ($XDG_DATA_HOME/Pastewise, by default ~/.local/share/Pastewise),
// so that nothing typed is lost when nobody is there to be asked. Nothing here throws.

#include <QString>
#include <QStringList>

QString RecoveryFolder();

// Writes a new recovered-<date>-<time>.txt with the table, the entry's name, why it was not
// stored, and its text unchanged at the end. Returns the file's path, or an empty string when
// it could not be written.
QString WriteRecoveryFile(
    const QString& table, const QString& name, const QString& text, const QString& reason);

// Recovery files to name at the next start; TakeRecoveryFilesToAnnounce returns those still
// present and forgets the list, so each is named once.
void AnnounceRecoveryFileAtNextStart(const QString& path);
QStringList TakeRecoveryFilesToAnnounce();
