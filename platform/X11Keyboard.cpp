#include "platform/X11Keyboard.h"

#include <algorithm>
#include <cstdlib>

namespace {
// Core keyboard mappings rarely use more columns than this (two groups of two levels plus
// the extra levels XKB exports).
constexpr int Columns = 8;
} // namespace

X11Keyboard::X11Keyboard(xcb_connection_t* connection)
    : m_connection(connection)
    , m_symbols(xcb_key_symbols_alloc(connection))
{
}

X11Keyboard::~X11Keyboard()
{
    if (m_symbols)
        xcb_key_symbols_free(m_symbols);
}

std::vector<xcb_keycode_t> X11Keyboard::keycodes(quint32 keysym) const
{
    std::vector<xcb_keycode_t> result;
    if (!m_symbols)
        return result;
    xcb_keycode_t* found = xcb_key_symbols_get_keycode(m_symbols, keysym);
    for (xcb_keycode_t* k = found; k && *k != XCB_NO_SYMBOL; ++k)
        if (std::find(result.begin(), result.end(), *k) == result.end())
            result.push_back(*k);
    std::free(found);
    return result;
}

xcb_keycode_t X11Keyboard::unshiftedKeycode(quint32 keysym) const
{
    if (!m_symbols)
        return 0;
    const xcb_setup_t* setup = xcb_get_setup(m_connection);
    for (int k = setup->min_keycode; k <= setup->max_keycode; ++k)
        if (xcb_key_symbols_get_keysym(m_symbols, xcb_keycode_t(k), 0) == keysym)
            return xcb_keycode_t(k);
    return 0;
}

quint16 X11Keyboard::modifierMask(quint32 keysym) const
{
    const std::vector<xcb_keycode_t> wanted = keycodes(keysym);
    if (wanted.empty())
        return 0;
    xcb_get_modifier_mapping_reply_t* reply
        = xcb_get_modifier_mapping_reply(m_connection, xcb_get_modifier_mapping(m_connection), nullptr);
    if (!reply)
        return 0;
    const xcb_keycode_t* map = xcb_get_modifier_mapping_keycodes(reply);
    const int perModifier = reply->keycodes_per_modifier;
    quint16 mask = 0;
    for (int modifier = 0; modifier < 8 && mask == 0; ++modifier)
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t k = map[modifier * perModifier + i];
            if (k != 0 && std::find(wanted.begin(), wanted.end(), k) != wanted.end()) {
                mask = quint16(1u << modifier);
                break;
            }
        }
    std::free(reply);
    return mask;
}

bool X11Keyboard::hasNoSymbol(xcb_keycode_t keycode) const
{
    for (int column = 0; column < Columns; ++column)
        if (xcb_key_symbols_get_keysym(m_symbols, keycode, column) != XCB_NO_SYMBOL)
            return false;
    return true;
}

xcb_keycode_t X11Keyboard::spareKeycode() const
{
    if (!m_symbols)
        return 0;
    const xcb_setup_t* setup = xcb_get_setup(m_connection);
    for (int k = setup->max_keycode; k >= setup->min_keycode; --k)
        if (hasNoSymbol(xcb_keycode_t(k)))
            return xcb_keycode_t(k);
    return 0;
}
