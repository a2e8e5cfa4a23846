#include "app/StartOptions.h"

#include "common/Common.h"
#include "library/LibraryLocation.h"

#include <QFileInfo>
#include <QTextStream>

#include <cstring>

namespace {

constexpr const char* kUsage
    = "Usage: pastewise [--hidden | --show]\n"
      "Keeps named text entries and pastes them into the window you were working in.\n"
      "Ctrl+F8 (unless changed in the options) calls the window up.\n"
      "\n"
      "  --hidden    start in the tray (minimised when no tray shows the icon)\n"
      "  --show      call the running copy up as Ctrl+F8 does, then exit at once;\n"
      "              with no copy running, start one (bind this to a key in the\n"
      "              desktop's keyboard settings where the hotkey does not reach)\n"
      "  --version   show the version and the library in use, then exit\n"
      "  --help      show this help, then exit\n";

bool IsHelp(const QString& argument)
{
    return argument == QLatin1String("--help") || argument == QLatin1String("-h");
}

QString LibraryLine()
{
    const TLibraryLocation location = LocateLibrary(AppDir());
    QString line = QStringLiteral("Library: ") + location.path;
    if (!QFileInfo::exists(location.path)) {
        line += location.createWhenMissing ? QStringLiteral(" (made with starter entries at the first start)")
                                           : QStringLiteral(" (missing)");
    }
    return line;
}

} // namespace

TStartOptions ParseStartOptions(const QStringList& arguments)
{
    TStartOptions options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--hidden"))
            options.hidden = true;
        else if (argument == QLatin1String("--show"))
            options.show = true;
        else if (IsHelp(argument))
            options.help = true;
        else if (argument == QLatin1String("--version"))
            options.version = true;
        else if (options.error.isEmpty())
            options.error = argument.startsWith(QLatin1Char('-'))
                ? QStringLiteral("unknown option %1").arg(argument)
                : QStringLiteral("unexpected argument %1").arg(argument);
    }
    return options;
}

bool AsksForInformation(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0
            || std::strcmp(argument, "--version") == 0)
            return true;
    }
    return false;
}

bool AsksToShow(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--show") == 0)
            return true;
    }
    return false;
}

int AnswerOnTerminal(const TStartOptions& options)
{
    if (!options.error.isEmpty()) {
        QTextStream(stderr) << "pastewise: " << options.error << "\nTry 'pastewise --help'.\n";
        return 2;
    }
    QTextStream out(stdout);
    if (options.help)
        out << kUsage;
    else if (options.version)
        out << ApplicationTitle << ' ' << PW_VERSION << '\n' << LibraryLine() << '\n';
    return 0;
}
