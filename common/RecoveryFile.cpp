#include "common/RecoveryFile.h"

#include "common/Common.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// The list of files not yet named to the user, one path a line.
QString announceListPath()
{
    return RecoveryFolder() + QStringLiteral("/recovered.pending");
}

} // namespace

QString RecoveryFolder()
{
    return UserDataFolder();
}

QString WriteRecoveryFile(
    const QString& table, const QString& name, const QString& text, const QString& reason)
{
    const QString folder = RecoveryFolder();
    if (!QDir().mkpath(folder))
        return {};
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString path = folder + QStringLiteral("/recovered-%1.txt").arg(stamp);
    for (int number = 2; QFileInfo::exists(path); ++number)
        path = folder + QStringLiteral("/recovered-%1-%2.txt").arg(stamp).arg(number);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    const QString header = QStringLiteral("Pastewise could not store this entry when it ended: %1\n"
                                          "Table: %2\nName: %3\nText (everything below this line):\n")
                               .arg(reason, table, name);
    file.write(header.toUtf8());
    file.write(text.toUtf8());
    return file.commit() ? path : QString();
}

void AnnounceRecoveryFileAtNextStart(const QString& path)
{
    QFile list(announceListPath());
    if (list.open(QIODevice::WriteOnly | QIODevice::Append))
        list.write(path.toUtf8() + '\n');
}

QStringList TakeRecoveryFilesToAnnounce()
{
    QFile list(announceListPath());
    if (!list.open(QIODevice::ReadOnly))
        return {};
    QStringList present;
    for (const QByteArray& line : list.readAll().split('\n')) {
        const QString path = QString::fromUtf8(line);
        if (!path.isEmpty() && QFileInfo::exists(path))
            present << path;
    }
    list.close();
    list.remove();
    return present;
}
