#include "delivery/DesktopRoutines.h"

#include "platform/Platform.h"

#include <QClipboard>
#include <QGuiApplication>

bool SetClipboardText(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr)
        return false;
    clipboard->setText(text, QClipboard::Clipboard);
    // On X11 the text is handed out later, on request; reading it back tells whether this
    // program really became the owner of the selection.
    return clipboard->text(QClipboard::Clipboard) == text;
}

bool SendPasteKeys(Platform& desktop, quint16 keys)
{
    return desktop.SendPasteKeys(keys);
}

quint32 GetFocusedWindow(Platform& desktop)
{
    return desktop.FocusedWindow();
}
