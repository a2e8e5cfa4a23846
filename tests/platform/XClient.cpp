#include "tests/platform/XClient.h"

#include <cstdlib>
#include <cstring>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

namespace {
template <typename Reply> struct Freed {
    Reply* p;
    ~Freed() { std::free(p); }
    Reply* operator->() const { return p; }
    explicit operator bool() const { return p != nullptr; }
};
} // namespace

XClient::XClient()
{
    int screen = 0;
    m_connection = xcb_connect(nullptr, &screen);
    if (xcb_connection_has_error(m_connection))
        return;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screen; ++i)
        xcb_screen_next(&it);
    m_root = it.data->root;
}

XClient::~XClient()
{
    if (m_connection)
        xcb_disconnect(m_connection);
}

void XClient::sync()
{
    Freed<xcb_get_input_focus_reply_t> r {
        xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr)};
}

xcb_atom_t XClient::atom(const char* name)
{
    Freed<xcb_intern_atom_reply_t> r {xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, quint16(std::strlen(name)), name), nullptr)};
    return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
}

xcb_keycode_t XClient::keycode(quint32 keysym)
{
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(m_connection);
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, keysym);
    const xcb_keycode_t first = codes ? codes[0] : 0;
    std::free(codes);
    xcb_key_symbols_free(symbols);
    return first;
}

quint16 XClient::modifierMask(quint32 keysym)
{
    const xcb_keycode_t wanted = keycode(keysym);
    Freed<xcb_get_modifier_mapping_reply_t> r {
        xcb_get_modifier_mapping_reply(m_connection, xcb_get_modifier_mapping(m_connection), nullptr)};
    if (!r || wanted == 0)
        return 0;
    const xcb_keycode_t* map = xcb_get_modifier_mapping_keycodes(r.p);
    for (int m = 0; m < 8; ++m)
        for (int i = 0; i < r->keycodes_per_modifier; ++i)
            if (map[m * r->keycodes_per_modifier + i] == wanted)
                return quint16(1u << m);
    return 0;
}

quint16 XClient::modifierState()
{
    Freed<xcb_query_pointer_reply_t> r {
        xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr)};
    return r ? quint16(r->mask & 0xff) : 0;
}

bool XClient::grabKey(xcb_keycode_t keycode, quint16 modifiers)
{
    xcb_generic_error_t* error = xcb_request_check(m_connection,
        xcb_grab_key_checked(
            m_connection, 0, m_root, modifiers, keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    std::free(error);
    return error == nullptr;
}

bool XClient::canGrab(xcb_keycode_t keycode, quint16 modifiers)
{
    if (!grabKey(keycode, modifiers))
        return false;
    ungrabKey(keycode, modifiers);
    return true;
}

void XClient::ungrabKey(xcb_keycode_t keycode, quint16 modifiers)
{
    xcb_ungrab_key(m_connection, keycode, m_root, modifiers);
    sync();
}

void XClient::pressKey(xcb_keycode_t keycode)
{
    xcb_test_fake_input(m_connection, XCB_KEY_PRESS, keycode, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
    sync();
}

void XClient::releaseKey(xcb_keycode_t keycode)
{
    xcb_test_fake_input(m_connection, XCB_KEY_RELEASE, keycode, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
    sync();
}

void XClient::tapKey(xcb_keycode_t keycode)
{
    pressKey(keycode);
    releaseKey(keycode);
}

xcb_window_t XClient::createWindow(xcb_window_t* child, bool takesFocus)
{
    const xcb_window_t window = xcb_generate_id(m_connection);
    const quint32 values[] = {0xffffff};
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, m_root, 100, 100, 200, 120, 0,
        XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL, values);
    const char title[] = "foreign test window";
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
        sizeof title - 1, title);
    if (!takesFocus) {
        const quint32 inputHintFlag = 1;
        const quint32 hints[9] = {inputHintFlag, 0};
        xcb_change_property(
            m_connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32, 9, hints);
    }
    if (child) {
        *child = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, 0, *child, window, 10, 10, 100, 30, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
            XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_map_window(m_connection, *child);
    }
    xcb_map_window(m_connection, window);
    sync();
    return window;
}

void XClient::destroyWindow(xcb_window_t window)
{
    xcb_destroy_window(m_connection, window);
    sync();
}

xcb_window_t XClient::inputFocus()
{
    Freed<xcb_get_input_focus_reply_t> r {
        xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr)};
    return r ? r->focus : xcb_window_t(XCB_WINDOW_NONE);
}

QList<quint32> XClient::atomProperty(xcb_window_t window, xcb_atom_t property)
{
    QList<quint32> values;
    Freed<xcb_get_property_reply_t> r {xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, property, XCB_ATOM_ANY, 0, 256), nullptr)};
    if (r && r->format == 32) {
        const auto* data = static_cast<const quint32*>(xcb_get_property_value(r.p));
        for (int i = 0; i < xcb_get_property_value_length(r.p) / 4; ++i)
            values << data[i];
    }
    return values;
}

bool XClient::windowManagerRunning()
{
    const QList<quint32> check = atomProperty(m_root, atom("_NET_SUPPORTING_WM_CHECK"));
    return !check.isEmpty() && atomProperty(check.front(), atom("_NET_SUPPORTING_WM_CHECK")) == check;
}

QList<quint32> XClient::keysymsOf(xcb_keycode_t keycode)
{
    QList<quint32> keysyms;
    Freed<xcb_get_keyboard_mapping_reply_t> r {xcb_get_keyboard_mapping_reply(
        m_connection, xcb_get_keyboard_mapping(m_connection, keycode, 1), nullptr)};
    if (r) {
        const xcb_keysym_t* data = xcb_get_keyboard_mapping_keysyms(r.p);
        for (int i = 0; i < r->keysyms_per_keycode; ++i)
            keysyms << data[i];
    }
    return keysyms;
}

void XClient::setKeysyms(xcb_keycode_t keycode, const QList<quint32>& keysyms)
{
    xcb_change_keyboard_mapping(m_connection, 1, keycode, quint8(keysyms.size()), keysyms.constData());
    sync();
}
