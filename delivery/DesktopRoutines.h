#pragma once
// The desktop side of delivering a text: the clipboard, the focus of other programs and the
// synthesised paste keys. Each reports failure through its result and never throws or shows a
// message; the caller decides what a failure means.

#include "delivery/ClipboardKeeper.h"

#include <QString>
#include <QTimer>

#include <memory>

class Platform;
class QMimeData;

// Replaces the clipboard contents by the text as plain text. False when the clipboard
// did not take it.
bool SetClipboardText(const QString& text);

// The paste combination (Ctrl+V unless the window's program wants another) for whichever
// window has the focus: the modifiers down, the key down, the modifiers up, the key up.
bool SendPasteKeys(Platform& desktop, quint16 keys);

// The window that has the keyboard focus, 0 when none has it.
quint32 GetFocusedWindow(Platform& desktop);

// Keeps the clipboard's formats across a paste, by name, and puts them back a while after the
// paste keys went out.
class DesktopClipboardKeeper final : public ClipboardKeeper {
public:
    DesktopClipboardKeeper();
    ~DesktopClipboardKeeper() override;
    DesktopClipboardKeeper(const DesktopClipboardKeeper&) = delete;
    DesktopClipboardKeeper& operator=(const DesktopClipboardKeeper&) = delete;

    void keep() override;
    void restoreAfterPaste(const QString& pasted) override;
    void forget() override;

private:
    void restore();

    std::unique_ptr<QMimeData> m_kept;
    QString m_pasted;
    QTimer m_restoreTimer;
};
