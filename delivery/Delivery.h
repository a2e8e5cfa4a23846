#pragma once
// Copy and Quick Paste, apart from the window that offers them: expanding an entry's text,
// handing it to the clipboard, and typing the paste keys into the window the user worked in
// before calling the program up, which this class keeps track of. The window supplies the
// text, the value prompt and its own minimise; everything else is decided here.

#include "delivery/ClipboardKeeper.h"
#include "delivery/VarList.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

class Platform;

class Delivery final {
public:
    // Replaces the clipboard contents by the text; false when the clipboard did not take it.
    using ClipboardSink = std::function<bool(const QString& text)>;
    // Asks the user for the values of the text's variables. The rows arrive without values
    // and come back with them; std::nullopt means the user cancelled.
    using AskValues = std::function<std::optional<VarList>(const VarList& rows)>;

    // The settings a delivery reads.
    struct Options {
        bool autoAppend = false;
        QString autoAppendStr; // as the user typed it, escape codes still encoded
        bool autoHide = true; // minimise at every paste, not only when no target is known
        bool restoreClipboard = false; // what the clipboard held goes back after a paste
    };

    Delivery(Platform& desktop, ClipboardSink clipboard, AskValues askValues);

    // Expands the text and puts it on the clipboard. False when the user cancelled the value
    // prompt or the clipboard did not take the text; the clipboard is then as it was.
    bool copy(const QString& text, const Options& options);

    // copy(), then the paste keys into the target. `minimise` is the window's own minimise,
    // run when the window has to make way. True when the keys were sent.
    bool paste(const QString& text, const Options& options, const std::function<void()>& minimise);

    // What puts the clipboard back after a paste when the options ask for it; without one the
    // pasted text stays.
    void setClipboardKeeper(std::unique_ptr<ClipboardKeeper> keeper) { m_keeper = std::move(keeper); }

    // Where the desktop names no target window (Wayland): how the window gets out of the way
    // completely when minimising leaves the focus here, and how the user is told, once, that
    // the text waits on the clipboard. Unset, the window only minimises and nobody is told.
    struct StepAsideHooks {
        std::function<void()> hide;
        std::function<void(const QString& text)> tell;
    };
    void setStepAsideHooks(StepAsideHooks hooks) { m_stepAside = std::move(hooks); }

    // The timer's sampling: follows the focus while it is in another program.
    void sampleTarget();
    // The activation hotkey's sampling, just before the window comes up.
    void sampleTargetAtHotKey();

    // The window to paste into; 0 while none is known.
    quint32 target() const { return m_target; }

    // Which keys paste in which program (see PasteKeyRules.h); the built-in rules at first.
    const QStringList& pasteKeyRules() const { return m_pasteKeyRules; }
    void setPasteKeyRules(const QStringList& rules) { m_pasteKeyRules = rules; }

private:
    // The text with its variables replaced and the auto-append string added; none when the
    // user cancelled the value prompt.
    std::optional<QString> expand(const QString& text, const Options& options);
    bool putOnClipboard(const QString& text);
    // The keys for the window that has the focus now, with the PRIMARY selection set for
    // those that paste it.
    bool sendPasteKeys(const QString& text);
    bool pasteIntoTarget(
        const QString& expanded, const Options& options, const std::function<void()>& minimise);
    bool pasteWithoutTarget(const Options& options, const std::function<void()>& minimise);

    Platform& m_desktop;
    ClipboardSink m_clipboard;
    AskValues m_askValues;
    quint32 m_target = 0;
    QStringList m_pasteKeyRules;
    StepAsideHooks m_stepAside;
    std::unique_ptr<ClipboardKeeper> m_keeper;
    bool m_toldClipboardPaste = false;
};
