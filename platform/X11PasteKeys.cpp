#include "platform/X11PasteKeys.h"

#include "common/ShortcutValue.h"
#include "platform/EventWait.h"
#include "platform/PlatformLog.h"
#include "platform/X11Keyboard.h"

#include <algorithm>
#include <cstdlib>
#include <vector>
#include <xcb/xtest.h>

namespace {

// A modifier still down from the key press that called the paste (Shift of Shift+Enter, Alt
// of a window switch) is usually let go within this time.
constexpr int HeldModifierWaitMs = 400;

// A client that understands the keyboard extension re-reads the whole keymap when it handles
// a mapping change, which can be long after the server sent the keys. Giving the keycode
// back at once could leave it reading a keymap without 'v' for the Ctrl+V it has yet to
// handle, so the lent keycode is kept for a while (and reused by the next paste).
constexpr int GiveBackAfterMs = 3000;

void FakeKey(xcb_connection_t* c, quint8 type, xcb_keycode_t keycode)
{
    xcb_test_fake_input(c, type, keycode, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
}

// The keycodes of every modifier key that is down now.
std::vector<xcb_keycode_t> HeldModifierKeys(xcb_connection_t* c)
{
    std::vector<xcb_keycode_t> held;
    xcb_get_modifier_mapping_reply_t* mapping
        = xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr);
    xcb_query_keymap_reply_t* keymap = xcb_query_keymap_reply(c, xcb_query_keymap(c), nullptr);
    if (mapping && keymap) {
        const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(mapping);
        const int count = xcb_get_modifier_mapping_keycodes_length(mapping);
        for (int i = 0; i < count; ++i) {
            const xcb_keycode_t key = keycodes[i];
            const bool down = key != 0 && (keymap->keys[key / 8] & (1 << (key % 8))) != 0;
            if (down && std::find(held.begin(), held.end(), key) == held.end())
                held.push_back(key);
        }
    }
    std::free(mapping);
    std::free(keymap);
    return held;
}

} // namespace

X11PasteKeys::X11PasteKeys(X11Connection& x11, QObject* parent)
    : QObject(parent)
    , m_x11(x11)
{
    m_giveBack.setSingleShot(true);
    m_giveBack.setInterval(GiveBackAfterMs);
    connect(&m_giveBack, &QTimer::timeout, this, &X11PasteKeys::giveBackKeycode);
}

X11PasteKeys::~X11PasteKeys()
{
    giveBackKeycode();
}

bool X11PasteKeys::mapKeycode(xcb_keycode_t keycode, xcb_keysym_t lower, xcb_keysym_t upper)
{
    xcb_connection_t* c = m_x11.connection();
    xcb_get_keyboard_mapping_reply_t* reply
        = xcb_get_keyboard_mapping_reply(c, xcb_get_keyboard_mapping(c, keycode, 1), nullptr);
    if (!reply)
        return false;
    const int perKeycode = reply->keysyms_per_keycode;
    std::free(reply);
    std::vector<xcb_keysym_t> row(std::size_t(perKeycode), XCB_NO_SYMBOL);
    if (perKeycode >= 2) {
        row[0] = lower;
        row[1] = upper;
    }
    return m_x11.check(
        xcb_change_keyboard_mapping_checked(c, 1, keycode, quint8(perKeycode), row.data()), "key mapping");
}

void X11PasteKeys::giveBackKeycode()
{
    m_giveBack.stop();
    if (m_borrowed == 0 || !m_x11.isValid())
        return;
    const X11Keyboard keyboard(m_x11.connection());
    // Only undo what this program did: a layout switch meanwhile may have reassigned it.
    if (keyboard.unshiftedKeycode(m_borrowedKeysym) == m_borrowed)
        mapKeycode(m_borrowed, XCB_NO_SYMBOL, XCB_NO_SYMBOL);
    m_borrowed = 0;
    xcb_flush(m_x11.connection());
}

xcb_keycode_t X11PasteKeys::keycodeFor(quint32 keysym)
{
    if (m_borrowed != 0 && m_borrowedKeysym != keysym)
        giveBackKeycode();
    const X11Keyboard keyboard(m_x11.connection());
    xcb_keycode_t keycode = keyboard.unshiftedKeycode(keysym);
    if (keycode != 0)
        return keycode;
    // A layout without Latin letters (Russian alone, say): lend an unused keycode the
    // symbol for the paste. Letters get their capital as the shifted symbol.
    m_borrowed = 0;
    const quint32 upper = keysym >= 'a' && keysym <= 'z' ? keysym - 'a' + 'A' : keysym;
    const xcb_keycode_t spare = keyboard.spareKeycode();
    if (spare != 0 && mapKeycode(spare, keysym, upper)) {
        m_borrowed = keycode = spare;
        m_borrowedKeysym = keysym;
    }
    return keycode;
}

bool X11PasteKeys::send(quint16 keys)
{
    if (!m_x11.isValid())
        return false;
    xcb_connection_t* c = m_x11.connection();
    const xcb_query_extension_reply_t* xtest = xcb_get_extension_data(c, &xcb_test_id);
    if (!xtest || !xtest->present) {
        qCWarning(lcPlatform).noquote()
            << "the X server has no XTest extension; cannot type" << ShortcutText(keys);
        return false;
    }
    const ShortcutParts parts = SplitShortcut(keys);
    const std::optional<quint32> keysym = VirtualKeyToKeysym(parts.virtualKey);
    std::vector<xcb_keycode_t> modifiers;
    {
        const X11Keyboard keyboard(c);
        for (const quint32 modifierKeysym : ModifierKeysyms(parts)) {
            const xcb_keycode_t modifier = keyboard.unshiftedKeycode(modifierKeysym);
            if (modifier == 0) {
                qCWarning(lcPlatform).noquote() << "no key for a modifier of" << ShortcutText(keys);
                return false;
            }
            modifiers.push_back(modifier);
        }
    }
    const xcb_keycode_t key = keysym ? keycodeFor(*keysym) : 0;
    if (key == 0) {
        qCWarning(lcPlatform).noquote() << "no key for" << ShortcutText(keys) << "in the keyboard mapping";
        return false;
    }

    // The target would see a modifier still held as part of the combination (Ctrl+Shift+V
    // for Ctrl+V). Most are let go at once; one held longer is released for the combination
    // and pressed again after it, as the user still holds it.
    std::vector<xcb_keycode_t> held;
    WaitUntil(
        [&] {
            held = HeldModifierKeys(c);
            return held.empty() ? WaitStep::Done : WaitStep::KeepWaiting;
        },
        HeldModifierWaitMs);
    if (!held.empty())
        qCInfo(lcPlatform) << "modifier keys held during the paste:" << held.size();
    for (const xcb_keycode_t k : held)
        FakeKey(c, XCB_KEY_RELEASE, k);
    for (const xcb_keycode_t k : modifiers)
        FakeKey(c, XCB_KEY_PRESS, k);
    FakeKey(c, XCB_KEY_PRESS, key);
    for (auto k = modifiers.rbegin(); k != modifiers.rend(); ++k)
        FakeKey(c, XCB_KEY_RELEASE, *k);
    FakeKey(c, XCB_KEY_RELEASE, key);
    for (const xcb_keycode_t k : held)
        FakeKey(c, XCB_KEY_PRESS, k);
    xcb_flush(c);
    if (m_borrowed != 0)
        m_giveBack.start();
    return true;
}
