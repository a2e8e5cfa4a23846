#pragma once
// The command line. A start without arguments is the normal start; the options are for the
// autostart entry (--hidden), for the desktop's own shortcut settings (--show) and for a
// terminal (--version, --help).

#include <QString>
#include <QStringList>

struct TStartOptions {
    bool hidden = false; // straight into the tray, or minimised where no tray shows the icon
    bool show = false; // the running copy comes up instead; this start happens only without one
    bool help = false;
    bool version = false;
    QString error; // what was wrong with the command line; empty when nothing was
};

// `arguments` as QCoreApplication::arguments() gives them: the program first.
TStartOptions ParseStartOptions(const QStringList& arguments);

// --help or --version is among the raw arguments: they are answered without a display.
bool AsksForInformation(int argc, char** argv);

// --show is among the raw arguments: the running copy is asked before a display is opened.
bool AsksToShow(int argc, char** argv);

// Prints the help, the version (with the library in use) or the command-line error, and
// returns the exit code. Needs the application object, for the executable's folder.
int AnswerOnTerminal(const TStartOptions& options);
