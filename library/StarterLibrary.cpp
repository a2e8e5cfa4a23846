#include "library/StarterLibrary.h"

#include "common/Errors.h"
#include "library/LibraryConnection.h"
#include "library/TableDataset.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

struct TStarterEntry {
    const char* name;
    const char* value;
};

constexpr TStarterEntry StarterEntries[] = {
    {"Address", "Jane Doe\n12 Harbour Lane\nPortsmouth PO1 2AB\nUnited Kingdom"},
    {"Dear", "Dear %name%,\n\n"},
    {"Meeting", "Could we meet on %day% at %time% to talk about %topic%?"},
    {"Signature", "Kind regards,\n\nJane Doe\nSupport Team"},
    {"Thanks", "Thank you for your message. I will get back to you by %date%."},
};

void FillLibrary(const QString& path)
{
    TLibraryConnection connection;
    connection.SetDataSource(path);
    connection.Open();
    const QString table = QStringLiteral("General");
    connection.CreateTable(table);
    TTableDataset dataset;
    dataset.Open(connection, table);
    for (const TStarterEntry& entry : StarterEntries)
        dataset.InsertAndPost(QString::fromUtf8(entry.name), QString::fromUtf8(entry.value));
    dataset.Close();
    connection.Close();
}

} // namespace

void CreateStarterLibrary(const QString& path)
{
    const QString target = QFileInfo(path).absoluteFilePath();
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
        throw AppError(QStringLiteral("%1 already exists; not overwriting it").arg(target));

    QTemporaryFile file(target + QStringLiteral(".new-XXXXXX"));
    // An empty file is an empty database to the engine, so the normal open (which never
    // creates a file) can fill it.
    if (!file.open())
        throw AppError(QStringLiteral("Cannot create %1: %2").arg(target, file.errorString()));
    file.close();
    FillLibrary(file.fileName());

    // link() fails when the name is taken, so a library that another copy of the program
    // made meanwhile is kept, never replaced.
    const QByteArray from = QFile::encodeName(file.fileName());
    const QByteArray to = QFile::encodeName(target);
    if (::link(from.constData(), to.constData()) != 0) {
        const int error = errno;
        // A file system without hard links: Qt's rename also refuses a taken name, only
        // without the guarantee against a copy that takes it in the same instant.
        if ((error == EPERM || error == EOPNOTSUPP) && QFile::rename(file.fileName(), target)) {
            file.setAutoRemove(false);
            return;
        }
        if (error == EEXIST || QFileInfo::exists(target))
            throw AppError(QStringLiteral("%1 already exists; not overwriting it").arg(target));
        throw AppError(
            QStringLiteral("Cannot create %1: %2").arg(target, QString::fromLocal8Bit(std::strerror(error))));
    }
    // The temporary name is removed when `file` goes; the library keeps the data.
}
