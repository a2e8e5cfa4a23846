#pragma once
// A stand-in for the desktop in unit tests: it answers from settable values and records
// every request in order, so a test can check what the program asked for and when.

#include "platform/Platform.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QStringList>
#include <optional>

class FakePlatform final : public Platform {
    Q_OBJECT

public:
    using Platform::Platform;

    quint32 FocusedWindow() override;
    bool IsOwnWindow(quint32 window) override;
    bool ActivateWindow(quint32 target, int timeoutMs) override;
    bool WaitForFocusToLeaveOwnWindows(int timeoutMs) override;
    WindowClass WindowClassOf(quint32 window) override;
    bool SendPasteKeys(quint16 keys) override;
    bool SetPrimarySelection(const QString& text) override;
    bool GrabHotKey(quint16 shortcutValue) override;
    void UngrabHotKey() override;
    void SetTopMost(QWindow* window, bool on) override;
    PlatformAbilities Abilities() override { return m_abilities; }

    // Answers.
    void setAbilities(const PlatformAbilities& abilities) { m_abilities = abilities; }
    void setFocusedWindow(quint32 window) { m_focused = window; }
    void setOwnWindows(const QSet<quint32>& windows) { m_own = windows; }
    // A successful activation also moves the focus to the target.
    void setActivationSucceeds(bool ok) { m_activationSucceeds = ok; }
    // A successful wait moves the focus to `focusAfterLeaving` (0 by default).
    void setFocusLeaves(bool ok, quint32 focusAfterLeaving = 0);
    void setPasteKeysSucceed(bool ok) { m_pasteKeysSucceed = ok; }
    void setGrabSucceeds(bool ok) { m_grabSucceeds = ok; }
    void setWindowClass(quint32 window, const WindowClass& windowClass)
    {
        m_classes.insert(window, windowClass);
    }

    // Emits hotKeyPressed() as the real hotkey would: only while one is grabbed.
    bool pressHotKey();

    // Records. `calls` lists every request as "Name arguments", e.g. "ActivateWindow 42",
    // "SendPasteKeys", "GrabHotKey 16503", "SetTopMost 1".
    QStringList calls() const { return m_calls; }
    QList<quint32> activations() const { return m_activations; }
    int pasteKeySends() const { return m_pasteKeySends; }
    // The combination of every paste, and the last PRIMARY selection set.
    QList<quint16> pasteKeys() const { return m_pasteKeys; }
    QString primarySelection() const { return m_primary; }
    QList<quint16> grabRequests() const { return m_grabRequests; }
    std::optional<quint16> grabbedHotKey() const { return m_grabbed; }
    QList<bool> topMostRequests() const { return m_topMost; }
    void clearRecords();

private:
    quint32 m_focused = 0;
    QSet<quint32> m_own;
    bool m_activationSucceeds = true;
    bool m_focusLeaves = true;
    quint32 m_focusAfterLeaving = 0;
    bool m_pasteKeysSucceed = true;
    bool m_grabSucceeds = true;
    PlatformAbilities m_abilities;

    QStringList m_calls;
    QList<quint32> m_activations;
    int m_pasteKeySends = 0;
    QList<quint16> m_pasteKeys;
    QString m_primary;
    QHash<quint32, WindowClass> m_classes;
    QList<quint16> m_grabRequests;
    std::optional<quint16> m_grabbed;
    QList<bool> m_topMost;
};
