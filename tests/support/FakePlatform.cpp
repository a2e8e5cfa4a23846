#include "tests/support/FakePlatform.h"

quint32 FakePlatform::FocusedWindow()
{
    return m_focused;
}

bool FakePlatform::IsOwnWindow(quint32 window)
{
    return window != 0 && m_own.contains(window);
}

bool FakePlatform::ActivateWindow(quint32 target, int)
{
    m_calls << QStringLiteral("ActivateWindow %1").arg(target);
    m_activations << target;
    if (!m_activationSucceeds || target == 0)
        return false;
    m_focused = target;
    return true;
}

void FakePlatform::setFocusLeaves(bool ok, quint32 focusAfterLeaving)
{
    m_focusLeaves = ok;
    m_focusAfterLeaving = focusAfterLeaving;
}

bool FakePlatform::WaitForFocusToLeaveOwnWindows(int)
{
    m_calls << QStringLiteral("WaitForFocusToLeaveOwnWindows");
    if (!IsOwnWindow(m_focused))
        return true;
    if (!m_focusLeaves)
        return false;
    m_focused = m_focusAfterLeaving;
    return true;
}

bool FakePlatform::SendPasteKeys()
{
    m_calls << QStringLiteral("SendPasteKeys");
    ++m_pasteKeySends;
    return m_pasteKeysSucceed;
}

bool FakePlatform::GrabHotKey(quint16 shortcutValue)
{
    m_calls << QStringLiteral("GrabHotKey %1").arg(shortcutValue);
    m_grabRequests << shortcutValue;
    m_grabbed.reset();
    if (m_grabSucceeds)
        m_grabbed = shortcutValue;
    return m_grabSucceeds;
}

void FakePlatform::UngrabHotKey()
{
    m_calls << QStringLiteral("UngrabHotKey");
    m_grabbed.reset();
}

void FakePlatform::SetTopMost(QWindow*, bool on)
{
    m_calls << QStringLiteral("SetTopMost %1").arg(on ? 1 : 0);
    m_topMost << on;
}

bool FakePlatform::pressHotKey()
{
    if (!m_grabbed)
        return false;
    Q_EMIT hotKeyPressed();
    return true;
}

void FakePlatform::clearRecords()
{
    m_calls.clear();
    m_activations.clear();
    m_pasteKeySends = 0;
    m_grabRequests.clear();
    m_topMost.clear();
}
