// pastewise-library create PATH
//
// Writes a new library file with one table of starter entries. The program only ever opens
// an existing library, so this is how a first one comes into being.

#include "common/Errors.h"
#include "library/LibraryConnection.h"
#include "library/TableDataset.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <cstdio>

namespace {

struct StarterEntry {
    const char* name;
    const char* value;
};

constexpr StarterEntry StarterEntries[] = {
    {"Address", "Jane Doe\n12 Harbour Lane\nPortsmouth PO1 2AB\nUnited Kingdom"},
    {"Dear", "Dear %name%,\n\n"},
    {"Meeting", "Could we meet on %day% at %time% to talk about %topic%?"},
    {"Signature", "Kind regards,\n\nJane Doe\nSupport Team"},
    {"Thanks", "Thank you for your message. I will get back to you by %date%."},
};

int Usage(QTextStream& err)
{
    err << "Usage: pastewise-library create PATH\n"
           "Creates a new library file at PATH with one table of starter entries.\n";
    return 2;
}

void FillLibrary(const QString& path)
{
    TLibraryConnection connection;
    connection.SetDataSource(path);
    connection.Open();
    const QString table = QStringLiteral("General");
    connection.CreateTable(table);
    TTableDataset dataset;
    dataset.Open(connection, table);
    for (const StarterEntry& entry : StarterEntries)
        dataset.InsertAndPost(QString::fromUtf8(entry.name), QString::fromUtf8(entry.value));
    dataset.Close();
    connection.Close();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 3 || args.at(1) != QLatin1String("create") || args.at(2).isEmpty())
        return Usage(err);

    const QString& path = args.at(2);
    // Created exclusively: an existing library is never touched, not even truncated.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (file.exists())
            err << "pastewise-library: " << path << " already exists; not overwriting it\n";
        else
            err << "pastewise-library: cannot create " << path << ": " << file.errorString() << "\n";
        return 1;
    }
    // An empty file is an empty database to the engine, so the normal open (which never
    // creates a file) can fill it.
    file.close();

    try {
        FillLibrary(path);
    } catch (const AppError& error) {
        QFile::remove(path);
        err << "pastewise-library: " << error.message() << "\n";
        return 1;
    }
    QTextStream(stdout) << "Created " << path << "\n";
    return 0;
}
