#include "platform/X11PasteKeys.h"

#include "platform/PlatformLog.h"
#include "platform/X11Keyboard.h"

#include <cstdlib>
#include <vector>
#include <xcb/xtest.h>

namespace {

constexpr quint32 kKeysymControlL = 0xffe3;
constexpr quint32 kKeysymV = 'v';
constexpr quint32 kKeysymUpperV = 'V';

// A client that understands the keyboard extension re-reads the whole keymap when it handles
// a mapping change, which can be long after the server sent the keys. Giving the keycode
// back at once could leave it reading a keymap without 'v' for the Ctrl+V it has yet to
// handle, so the lent keycode is kept for a while (and reused by the next paste).
constexpr int kGiveBackAfterMs = 3000;

void FakeKey(xcb_connection_t* c, quint8 type, xcb_keycode_t keycode)
{
    xcb_test_fake_input(c, type, keycode, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
}

} // namespace

X11PasteKeys::X11PasteKeys(X11Connection& x11, QObject* parent)
    : QObject(parent)
    , m_x11(x11)
{
    m_giveBack.setSingleShot(true);
    m_giveBack.setInterval(kGiveBackAfterMs);
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
    if (keyboard.unshiftedKeycode(kKeysymV) == m_borrowed)
        mapKeycode(m_borrowed, XCB_NO_SYMBOL, XCB_NO_SYMBOL);
    m_borrowed = 0;
    xcb_flush(m_x11.connection());
}

bool X11PasteKeys::send()
{
    if (!m_x11.isValid())
        return false;
    xcb_connection_t* c = m_x11.connection();
    const xcb_query_extension_reply_t* xtest = xcb_get_extension_data(c, &xcb_test_id);
    if (!xtest || !xtest->present) {
        qCWarning(lcPlatform) << "the X server has no XTest extension; cannot type Ctrl+V";
        return false;
    }
    const X11Keyboard keyboard(c);
    const xcb_keycode_t control = keyboard.unshiftedKeycode(kKeysymControlL);
    xcb_keycode_t v = keyboard.unshiftedKeycode(kKeysymV);
    if (v == 0) {
        // A layout without Latin letters (Russian alone, say): lend an unused keycode the
        // symbol for the paste.
        m_borrowed = 0;
        const xcb_keycode_t spare = keyboard.spareKeycode();
        if (spare != 0 && mapKeycode(spare, kKeysymV, kKeysymUpperV))
            v = m_borrowed = spare;
    }
    if (control == 0 || v == 0) {
        qCWarning(lcPlatform) << "no key for Control or V in the keyboard mapping";
        return false;
    }
    FakeKey(c, XCB_KEY_PRESS, control);
    FakeKey(c, XCB_KEY_PRESS, v);
    FakeKey(c, XCB_KEY_RELEASE, control);
    FakeKey(c, XCB_KEY_RELEASE, v);
    xcb_flush(c);
    if (m_borrowed != 0)
        m_giveBack.start();
    return true;
}
