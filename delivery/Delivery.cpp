#include "delivery/Delivery.h"

#include "common/ShortcutValue.h"
#include "delivery/DesktopRoutines.h"
#include "delivery/PasteKeyRules.h"
#include "delivery/StepAsidePaste.h"
#include "delivery/TextRoutines.h"
#include "platform/Platform.h"

#include <QLoggingCategory>

#include <utility>

Q_LOGGING_CATEGORY(lcDelivery, "pastewise.delivery")

namespace {
// X11 activation and focus changes are asynchronous; half a second is far beyond what a
// window manager that answers at all needs, and short enough not to be noticed when it
// does not.
constexpr int FocusWaitMs = 500;
} // namespace

Delivery::Delivery(Platform& desktop, ClipboardSink clipboard, AskValues askValues)
    : m_desktop(desktop)
    , m_clipboard(std::move(clipboard))
    , m_askValues(std::move(askValues))
    , m_pasteKeyRules(BuiltInPasteKeyRules())
{
}

std::optional<QString> Delivery::expand(const QString& text, const Options& options)
{
    QString expanded = text;
    const VarList rows = ScanVarList(text);
    if (!rows.isEmpty()) {
        const std::optional<VarList> values = m_askValues(rows);
        if (!values)
            return std::nullopt;
        expanded = SubstituteVars(text, *values);
    }
    // Decoded anew each time and appended after the substitution, so placeholders in it
    // stay as they are.
    if (options.autoAppend)
        expanded += ConvertEscapes(options.autoAppendStr);
    return expanded;
}

bool Delivery::putOnClipboard(const QString& text)
{
    const bool copied = m_clipboard(text);
    if (!copied)
        qCWarning(lcDelivery) << "the clipboard did not take the text";
    return copied;
}

bool Delivery::copy(const QString& text, const Options& options)
{
    const std::optional<QString> expanded = expand(text, options);
    return expanded && putOnClipboard(*expanded);
}

bool Delivery::paste(const QString& text, const Options& options, const std::function<void()>& minimise)
{
    const std::optional<QString> expanded = expand(text, options);
    if (!expanded)
        return false;
    ClipboardKeeper* keeper = options.restoreClipboard ? m_keeper.get() : nullptr;
    // Taken before the text replaces what the clipboard holds.
    if (keeper != nullptr)
        keeper->keep();
    const bool sent = putOnClipboard(*expanded) && pasteIntoTarget(*expanded, options, minimise);
    // Without the keys the user pastes by hand, so the text has to stay where it is.
    if (keeper != nullptr) {
        if (sent)
            keeper->restoreAfterPaste(*expanded);
        else
            keeper->forget();
    }
    return sent;
}

bool Delivery::pasteIntoTarget(
    const QString& expanded, const Options& options, const std::function<void()>& minimise)
{
    if (!m_desktop.Abilities().tracksFocus)
        return pasteWithoutTarget(options, minimise);
    // Read after the copy: the value prompt serves the timer, and a program the user
    // switched to meanwhile is the one to paste into.
    const quint32 target = m_target;
    const bool minimised = options.autoHide || target == 0;

    // Keys are only sent once the focus is where they belong; the waits keep serving
    // events, because the target asks this program for the clipboard text when it handles
    // the paste keys.
    if (target != 0) {
        // The target is activated before this window steps aside. Minimised while it has the
        // focus, the window manager hands the focus on by itself, and that hand-over crossing
        // the activation can swallow keys sent at once (GNOME Terminal loses its paste).
        const bool activated = m_desktop.ActivateWindow(target, FocusWaitMs);
        if (minimised)
            minimise();
        if (!activated) {
            // The target has gone or was refused the focus. Whatever window has it now
            // may take the paste, but never this program's own; once minimised, the
            // window manager hands the focus on in its own time.
            if (minimised)
                m_desktop.WaitForFocusToLeaveOwnWindows(FocusWaitMs);
            const quint32 focused = GetFocusedWindow(m_desktop);
            if (focused == 0 || m_desktop.IsOwnWindow(focused)) {
                qCInfo(lcDelivery).noquote()
                    << "paste target" << QString::number(target) << "did not get the focus; no keys sent";
                return false;
            }
        }
    } else {
        minimise();
        if (!m_desktop.WaitForFocusToLeaveOwnWindows(FocusWaitMs)) {
            qCInfo(lcDelivery) << "no paste target and the focus stayed here; no keys sent";
            return false;
        }
    }
    return sendPasteKeys(expanded);
}

bool Delivery::sendPasteKeys(const QString& text)
{
    const quint32 focused = GetFocusedWindow(m_desktop);
    const WindowClass windowClass = m_desktop.WindowClassOf(focused);
    const quint16 keys = PasteKeysFor(m_pasteKeyRules, windowClass);
    qCInfo(lcDelivery).noquote() << "paste keys" << ShortcutText(keys) << "for window"
                                 << QString::number(focused) << "of class" << windowClass.instance
                                 << windowClass.className;
    // Shift+Insert pastes the PRIMARY selection, so the text goes there as well.
    if (keys == ShiftInsertKeys && !m_desktop.SetPrimarySelection(text))
        qCWarning(lcDelivery) << "the PRIMARY selection did not take the text";
    if (!SendPasteKeys(m_desktop, keys)) {
        qCWarning(lcDelivery) << "the paste keys could not be sent; the text stays on the clipboard";
        return false;
    }
    return true;
}

bool Delivery::pasteWithoutTarget(const Options& options, const std::function<void()>& minimise)
{
    // No window can be named as the target, so the one the desktop focuses next is it, and
    // that only happens once this window is out of the way, whatever Auto Hide says. The text
    // went on the clipboard while this program still had the focus, as Wayland requires.
    if (!options.autoHide)
        qCInfo(lcDelivery) << "this desktop names no paste target; stepping aside although Auto Hide At "
                              "Paste is off";
    const StepAsideOutcome outcome = PasteBySteppingAside(m_desktop, [&](StepAside how) {
        if (how == StepAside::Minimise) {
            minimise();
        } else if (m_stepAside.hide) {
            qCInfo(lcDelivery) << "minimising left the focus here; hiding the window";
            m_stepAside.hide();
        }
    });
    switch (outcome) {
    case StepAsideOutcome::KeysSent:
        return true;
    case StepAsideOutcome::FocusStayed:
        qCInfo(lcDelivery) << "the focus stayed here; no keys sent, the text is on the clipboard";
        return false;
    case StepAsideOutcome::NoKeys:
    case StepAsideOutcome::KeysFailed:
        qCInfo(lcDelivery) << "no paste keys on this desktop; the text is on the clipboard";
        if (m_stepAside.tell && !std::exchange(m_toldClipboardPaste, true))
            m_stepAside.tell(QStringLiteral("The text is on the clipboard: press Ctrl+V to paste it. This "
                                            "desktop does not let Pastewise type into other programs."));
        return false;
    }
    return false;
}

void Delivery::sampleTarget()
{
    // While the focus is in another program it is the one to paste into; once it comes
    // here the last one stays. A moment with no focus at all (between two windows, on the
    // bare desktop) keeps the last target rather than forgetting it.
    const quint32 focused = GetFocusedWindow(m_desktop);
    if (focused == 0 || focused == m_target || m_desktop.IsOwnWindow(focused))
        return;
    m_target = focused;
    qCDebug(lcDelivery).noquote() << "focus in another program; paste target" << QString::number(focused);
}

void Delivery::sampleTargetAtHotKey()
{
    // Sampled before the window is shown, so it is the focus of the program that was in
    // front when the key was pressed. When that is this program itself (the key pressed
    // again, or while a box or the value prompt is open) the program it was called from
    // stays the target: pasting into our own search box is never what the user wants.
    const quint32 focused = GetFocusedWindow(m_desktop);
    if (m_desktop.IsOwnWindow(focused)) {
        qCInfo(lcDelivery).noquote() << "activation hotkey in this program; paste target stays"
                                     << QString::number(m_target);
        return;
    }
    m_target = focused;
    qCInfo(lcDelivery).noquote() << "activation hotkey; paste target" << QString::number(m_target);
}
