// pastewise-library create PATH
//
// Writes a new library file with one table of starter entries. The program only ever opens
// an existing library, so this is how a first one comes into being.

#include "common/Errors.h"
#include "library/StarterLibrary.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {

int Usage(QTextStream& err)
{
    err << "Usage: pastewise-library create PATH\n"
           "Creates a new library file at PATH with one table of starter entries.\n";
    return 2;
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
    try {
        CreateStarterLibrary(path);
    } catch (const AppError& error) {
        err << "pastewise-library: " << error.message() << "\n";
        return 1;
    }
    QTextStream(stdout) << "Created " << path << "\n";
    return 0;
}
