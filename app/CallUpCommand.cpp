#include "app/CallUpCommand.h"

#include <QRegularExpression>

QString CallUpCommand(const QString& executable)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./+-]+$"));
    QString path = executable;
    if (!plain.match(path).hasMatch())
        path = QLatin1Char('\'') + path.replace(QLatin1Char('\''), QStringLiteral("'\\''"))
            + QLatin1Char('\'');
    return path + QStringLiteral(" --show");
}

QString CallUpCommandAdvice(const QString& shortcutText, const QString& command)
{
    return QStringLiteral("This desktop does not let programs set up their own keyboard shortcuts, so %1 "
                          "does not call Pastewise up here.\n\n"
                          "To call it up with a key, add a custom shortcut in your desktop's keyboard "
                          "settings that runs this command:\n\n%2")
        .arg(shortcutText, command);
}
