#include "tests/e2e/XDesktop.h"

#include "tests/e2e/AppHarness.h"

#include <QProcess>
#include <QRegularExpression>

namespace XDesktop {

QString xdo(const QStringList& args)
{
    return AppHarness::run(QStringLiteral("xdotool"), args);
}

QString activeWindow()
{
    return xdo({QStringLiteral("getactivewindow")});
}

QString property(const QString& window, const QString& name)
{
    return AppHarness::run(QStringLiteral("xprop"), {QStringLiteral("-id"), window, name});
}

bool isViewable(const QString& window)
{
    return AppHarness::run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window})
        .contains(QStringLiteral("IsViewable"));
}

QString wmState(const QString& window)
{
    const auto match = QRegularExpression(QStringLiteral("window state: (\\w+)"))
                           .match(property(window, QStringLiteral("WM_STATE")));
    return match.captured(1);
}

bool isAbove(const QString& window)
{
    return property(window, QStringLiteral("_NET_WM_STATE")).contains(QStringLiteral("_NET_WM_STATE_ABOVE"));
}

QString clipboardText()
{
    // Not through AppHarness::run, which trims: line breaks at the end matter here.
    QProcess xclip;
    xclip.start(QStringLiteral("xclip"),
        {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard")});
    if (!xclip.waitForFinished(20000) || xclip.exitCode() != 0)
        return {};
    return QString::fromUtf8(xclip.readAllStandardOutput());
}

} // namespace XDesktop

QString settingsWith(const QStringList& lines)
{
    QString text = QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                                  "[HKEY_CURRENT_USER\\Software\\Quillmoor\\Pastewise\\Settings]\r\n");
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    return text;
}
