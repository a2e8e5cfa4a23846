#pragma once
// The desktop facilities the program needs beyond what Qt offers: which window has the
// keyboard focus, handing the focus to another program's window, typing Ctrl+V into it, the
// system-wide activation hotkey and the always-on-top band. Window ids are X11 window ids;
// 0 means none. Every call reports failure through its result and never throws; without an
// X connection (the offscreen platform) every call fails harmlessly.

#include <QObject>
#include <QString>

class QWindow;

// The two names a program gives its top-level window (X11's WM_CLASS): the instance, often
// the command's name ("xterm"), and the class ("XTerm"). Both empty when unknown.
struct WindowClass {
    QString instance;
    QString className;
    bool isEmpty() const { return instance.isEmpty() && className.isEmpty(); }
};

// What the desktop lets a program do. Callers choose their sequence from this rather than from
// the desktop's name: X11 can do all of it, a Wayland session little of it.
struct PlatformAbilities {
    // FocusedWindow names other programs' windows and ActivateWindow can bring them forward.
    bool tracksFocus = true;
    // GrabHotKey can take a system-wide key.
    bool grabsHotKey = true;
    // SendPasteKeys can reach another program.
    bool sendsKeys = true;
    // SetTopMost has an effect.
    bool keepsOnTop = true;
    // A window appears where the program puts it.
    bool placesWindows = true;
};

class Platform : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // The window with the keyboard focus, or 0 when nothing (or only the desktop itself) has it.
    virtual quint32 FocusedWindow() = 0;

    // Whether the window is one of this program's own windows or lies inside one.
    virtual bool IsOwnWindow(quint32 window) = 0;

    // Brings the window's top-level to the front and waits, at most timeoutMs and while still
    // serving events, until the focus is in it. False when that does not happen or the window
    // no longer exists.
    virtual bool ActivateWindow(quint32 target, int timeoutMs) = 0;

    // Waits, at most timeoutMs and while still serving events, until no window of this
    // program has the focus.
    virtual bool WaitForFocusToLeaveOwnWindows(int timeoutMs) = 0;

    // The class of the top-level window that holds the window.
    virtual WindowClass WindowClassOf(quint32 window) = 0;

    // Synthesises the key combination (a shortcut value) for whichever window has the focus:
    // the modifiers down, the key down, the modifiers up, the key up. Modifier keys the user
    // still holds are left out of it, so the window sees exactly this combination.
    virtual bool SendPasteKeys(quint16 keys) = 0;

    // Makes the text the PRIMARY selection, which terminals paste with Shift+Insert.
    virtual bool SetPrimarySelection(const QString& text) = 0;

    // Takes the shortcut value as the system-wide hotkey, replacing an earlier one. All or
    // nothing: on false no combination is held. Where the desktop answers later (a portal),
    // true means asked, and a refusal follows as hotKeyRefused().
    virtual bool GrabHotKey(quint16 shortcutValue) = 0;
    virtual void UngrabHotKey() = 0;

    // Puts the window into the always-on-top band or takes it out, without hiding it.
    virtual void SetTopMost(QWindow* window, bool on) = 0;

    // May ask the desktop the first time, so it is not for a constructor.
    virtual PlatformAbilities Abilities() { return {}; }

    // Where sending keys needs the user's permission (a portal), starts asking for it without
    // waiting, handing over the grant kept from an earlier run (may be empty). A grant to keep
    // comes as sendingKeysGranted(). Nothing to do elsewhere.
    virtual void PrepareSendingKeys(const QString& keptGrant) { Q_UNUSED(keptGrant) }

Q_SIGNALS:
    void hotKeyPressed();
    void hotKeyRefused(const QString& reason);
    void sendingKeysGranted(const QString& grantToKeep);
};
