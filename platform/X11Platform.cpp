#include "platform/X11Platform.h"

#include "platform/X11Connection.h"
#include "platform/X11Focus.h"
#include "platform/X11HotKey.h"
#include "platform/X11PasteKeys.h"
#include "platform/X11TopMost.h"

#include <QClipboard>
#include <QGuiApplication>

X11Platform::X11Platform(QObject* parent)
    : Platform(parent)
    , m_x11(std::make_unique<X11Connection>(X11Connection::FromApplication()))
    , m_focus(std::make_unique<X11Focus>(*m_x11))
    , m_hotKey(std::make_unique<X11HotKey>(*m_x11,
          [this] {
              // Delivered after Qt has finished with the key
              // event, so a handler may open boxes safely.
              QMetaObject::invokeMethod(this, &Platform::hotKeyPressed, Qt::QueuedConnection);
          }))
    , m_pasteKeys(std::make_unique<X11PasteKeys>(*m_x11))
{
}

X11Platform::~X11Platform() = default;

quint32 X11Platform::FocusedWindow()
{
    return m_focus->focusedWindow();
}

bool X11Platform::IsOwnWindow(quint32 window)
{
    return m_focus->isOwnWindow(window);
}

bool X11Platform::ActivateWindow(quint32 target, int timeoutMs)
{
    return m_focus->activateWindow(target, timeoutMs);
}

bool X11Platform::WaitForFocusToLeaveOwnWindows(int timeoutMs)
{
    return m_focus->waitForFocusToLeaveOwnWindows(timeoutMs);
}

WindowClass X11Platform::WindowClassOf(quint32 window)
{
    return m_focus->windowClassOf(window);
}

bool X11Platform::SendPasteKeys(quint16 keys)
{
    return m_pasteKeys->send(keys);
}

bool X11Platform::SetPrimarySelection(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!m_x11->isValid() || clipboard == nullptr || !clipboard->supportsSelection())
        return false;
    clipboard->setText(text, QClipboard::Selection);
    return clipboard->text(QClipboard::Selection) == text;
}

bool X11Platform::GrabHotKey(quint16 shortcutValue)
{
    return m_hotKey->grab(shortcutValue);
}

void X11Platform::UngrabHotKey()
{
    m_hotKey->ungrab();
}

void X11Platform::SetTopMost(QWindow* window, bool on)
{
    SetX11TopMost(*m_x11, window, on);
}
