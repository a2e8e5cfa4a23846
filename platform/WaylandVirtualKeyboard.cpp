#include "platform/WaylandVirtualKeyboard.h"

#include "platform/PlatformLog.h"
#include "virtual-keyboard-unstable-v1-client-protocol.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

namespace {

void RegistryGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
{
    static_cast<WaylandVirtualKeyboard*>(data)->onGlobal(registry, name, interface, version);
}

void RegistryGlobalRemove(void*, wl_registry*, uint32_t)
{
    // A seat that goes away fails the next request, and the connection is made afresh then.
}

constexpr wl_registry_listener RegistryListener = {RegistryGlobal, RegistryGlobalRemove};

// The keymap travels as a file the compositor maps; a sealed memory file cannot be changed
// under it.
int KeymapFile(const QByteArray& text)
{
    const int fd = ::memfd_create("pastewise-keymap", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0)
        return -1;
    qsizetype written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.constData() + written, std::size_t(text.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::close(fd);
            return -1;
        }
        written += n;
    }
    ::fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL);
    return fd;
}

} // namespace

WaylandVirtualKeyboard::WaylandVirtualKeyboard()
{
    m_clock.start();
}

WaylandVirtualKeyboard::~WaylandVirtualKeyboard()
{
    disconnect();
}

void WaylandVirtualKeyboard::onGlobal(wl_registry* registry, quint32 name, const char* interface, quint32)
{
    if (m_seat == nullptr && std::strcmp(interface, wl_seat_interface.name) == 0)
        m_seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (m_manager == nullptr
        && std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0)
        m_manager = static_cast<zwp_virtual_keyboard_manager_v1*>(
            wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
}

bool WaylandVirtualKeyboard::isAvailable()
{
    if (m_keyboard != nullptr)
        return true;
    if (m_tried)
        return false;
    m_tried = true;
    return connect() && createKeyboard();
}

bool WaylandVirtualKeyboard::connect()
{
    // WAYLAND_DISPLAY names the compositor Qt connected to; a socket handed over in
    // WAYLAND_SOCKET was Qt's alone and is gone from the environment by now.
    m_display = wl_display_connect(nullptr);
    if (m_display == nullptr) {
        qCWarning(lcPlatform) << "cannot open a second connection to the Wayland compositor:"
                              << std::strerror(errno) << "- no paste keys";
        return false;
    }
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &RegistryListener, this);
    if (wl_display_roundtrip(m_display) < 0)
        return connectionFailed("reading its globals");
    if (m_manager == nullptr || m_seat == nullptr) {
        qCInfo(lcPlatform) << "the Wayland compositor offers no virtual keyboard; no paste keys";
        disconnect();
        return false;
    }
    return true;
}

bool WaylandVirtualKeyboard::createKeyboard()
{
    const QByteArray keymap = VirtualKeymapText();
    const int fd = KeymapFile(keymap);
    if (fd < 0) {
        qCWarning(lcPlatform) << "cannot create the keymap file:" << std::strerror(errno);
        disconnect();
        return false;
    }
    m_keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(m_manager, m_seat);
    zwp_virtual_keyboard_v1_keymap(m_keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, quint32(keymap.size()));
    ::close(fd);
    // A compositor that does not trust this program answers with a protocol error here.
    if (wl_display_roundtrip(m_display) < 0)
        return connectionFailed("creating the virtual keyboard");
    qCInfo(lcPlatform) << "paste keys go through the compositor's virtual keyboard";
    return true;
}

bool WaylandVirtualKeyboard::send(const QList<VirtualKeyEvent>& events)
{
    if (!isAvailable())
        return false;
    for (const VirtualKeyEvent& event : events) {
        switch (event.kind) {
        case VirtualKeyEvent::Press:
        case VirtualKeyEvent::Release:
            zwp_virtual_keyboard_v1_key(m_keyboard, quint32(m_clock.elapsed()), event.value,
                event.kind == VirtualKeyEvent::Press ? WL_KEYBOARD_KEY_STATE_PRESSED
                                                     : WL_KEYBOARD_KEY_STATE_RELEASED);
            break;
        case VirtualKeyEvent::Modifiers:
            zwp_virtual_keyboard_v1_modifiers(m_keyboard, event.value, 0, 0, 0);
            break;
        }
    }
    if (wl_display_roundtrip(m_display) < 0)
        return connectionFailed("sending keys");
    return true;
}

bool WaylandVirtualKeyboard::sync()
{
    if (m_display == nullptr)
        return false;
    if (wl_display_roundtrip(m_display) < 0)
        return connectionFailed("waiting for the compositor");
    return true;
}

bool WaylandVirtualKeyboard::connectionFailed(const char* what)
{
    const int error = wl_display_get_error(m_display);
    quint32 code = 0;
    const wl_interface* interface = nullptr;
    if (error == EPROTO)
        code = wl_display_get_protocol_error(m_display, &interface, nullptr);
    qCWarning(lcPlatform).nospace() << "the Wayland compositor refused the virtual keyboard while " << what
                                    << ": " << std::strerror(error)
                                    << (interface != nullptr ? QByteArray(" (") + interface->name + " error "
                                                   + QByteArray::number(code) + ')'
                                                             : QByteArray())
                                    << "; no paste keys";
    disconnect();
    // Tried afresh at the next paste only when the connection itself broke: a refusal would
    // only be repeated.
    if (error != EPROTO)
        m_tried = false;
    return false;
}

void WaylandVirtualKeyboard::disconnect()
{
    if (m_keyboard != nullptr)
        zwp_virtual_keyboard_v1_destroy(m_keyboard);
    if (m_manager != nullptr)
        zwp_virtual_keyboard_manager_v1_destroy(m_manager);
    if (m_seat != nullptr)
        wl_seat_destroy(m_seat);
    if (m_registry != nullptr)
        wl_registry_destroy(m_registry);
    m_keyboard = nullptr;
    m_manager = nullptr;
    m_seat = nullptr;
    m_registry = nullptr;
    if (m_display != nullptr)
        wl_display_disconnect(m_display);
    m_display = nullptr;
}
