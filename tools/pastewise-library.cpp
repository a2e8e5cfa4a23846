// pastewise-library create PATH
// pastewise-library copy [--replace] SOURCE TARGET
//
// `create` writes a new library file with one table of starter entries. The program only ever
// opens an existing library, so this is how a first one comes into being. `copy` copies every
// table from one library to another, each a file or a postgresql:// URI, which is how a
// library moves onto a server or back.

#include "common/Errors.h"
#include "library/LibraryConnection.h"
#include "library/LibraryCopy.h"
#include "library/StarterLibrary.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

namespace {

int Usage(QTextStream& err)
{
    err << "Usage: pastewise-library create PATH\n"
           "       pastewise-library copy [--replace] SOURCE TARGET\n"
           "create: makes a new library file at PATH with one table of starter entries.\n"
           "copy: copies every table of SOURCE into TARGET, each a library file or a\n"
           "postgresql:// URI; a missing TARGET file is made. Tables TARGET already has are\n"
           "refused unless --replace is given, which drops them first.\n";
    return 2;
}

int Copy(QStringList args, QTextStream& err)
{
    const bool replace = args.removeAll(QStringLiteral("--replace")) > 0;
    if (args.size() != 2 || args.at(0).isEmpty() || args.at(1).isEmpty())
        return Usage(err);
    const QString& targetSource = args.at(1);
    TLibraryConnection source;
    TLibraryConnection target;
    source.SetDataSource(args.at(0));
    target.SetDataSource(targetSource);
    source.Open();
    // A new file library starts empty; the engine makes a database of an empty file.
    if (!TLibraryConnection::IsServerSource(targetSource) && !QFile::exists(targetSource)) {
        QFile file(targetSource);
        if (!file.open(QIODevice::WriteOnly))
            throw AppError(QStringLiteral("Cannot create \"%1\": %2").arg(targetSource, file.errorString()));
    }
    target.Open();
    const LibraryCopyResult copied = CopyLibrary(source, target, replace);
    QTextStream(stdout) << "Copied " << copied.tables.size() << " tables with " << copied.entries
                        << " entries\n";
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() >= 2 && args.at(1) == QLatin1String("copy")) {
        try {
            return Copy(args.mid(2), err);
        } catch (const AppError& error) {
            err << "pastewise-library: " << error.message() << "\n";
            return 1;
        }
    }
    if (args.size() != 3 || args.at(1) != QLatin1String("create") || args.at(2).isEmpty())
        return Usage(err);

    const QString& path = args.at(2);
    try {
        CreateStarterLibrary(path);
    } catch (const AppError& error) {
        err << "pastewise-library: " << error.message() << "\n";
        return 1;
    }
    QTextStream(stdout) << "Created " << path << "\n";
    return 0;
}
