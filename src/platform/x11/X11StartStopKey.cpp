#include "platform/x11/X11StartStopKey.h"

#include <QKeySequence>
#include <QSocketNotifier>

#include <X11/XF86keysym.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>
// The header names a member "explicit", which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <cstdlib>
#include <optional>

namespace tivrel {

namespace {

using Keysym = std::uint32_t;

// Qt's keys that are neither letters, digits nor Latin-1 signs, by their keysym.
std::optional<Keysym> namedKeysym(int key) {
    switch (key) {
    case Qt::Key_Escape:
        return XK_Escape;
    case Qt::Key_Tab:
        return XK_Tab;
    case Qt::Key_Backspace:
        return XK_BackSpace;
    case Qt::Key_Return:
        return XK_Return;
    case Qt::Key_Enter:
        return XK_KP_Enter;
    case Qt::Key_Insert:
        return XK_Insert;
    case Qt::Key_Delete:
        return XK_Delete;
    case Qt::Key_Pause:
        return XK_Pause;
    case Qt::Key_Print:
        return XK_Print;
    case Qt::Key_SysReq:
        return XK_Sys_Req;
    case Qt::Key_Home:
        return XK_Home;
    case Qt::Key_End:
        return XK_End;
    case Qt::Key_Left:
        return XK_Left;
    case Qt::Key_Up:
        return XK_Up;
    case Qt::Key_Right:
        return XK_Right;
    case Qt::Key_Down:
        return XK_Down;
    case Qt::Key_PageUp:
        return XK_Page_Up;
    case Qt::Key_PageDown:
        return XK_Page_Down;
    case Qt::Key_ScrollLock:
        return XK_Scroll_Lock;
    case Qt::Key_Menu:
        return XK_Menu;
    case Qt::Key_Help:
        return XK_Help;
    case Qt::Key_MediaPlay:
        return XF86XK_AudioPlay;
    case Qt::Key_MediaPause:
        return XF86XK_AudioPause;
    case Qt::Key_MediaStop:
        return XF86XK_AudioStop;
    case Qt::Key_MediaPrevious:
        return XF86XK_AudioPrev;
    case Qt::Key_MediaNext:
        return XF86XK_AudioNext;
    case Qt::Key_VolumeDown:
        return XF86XK_AudioLowerVolume;
    case Qt::Key_VolumeUp:
        return XF86XK_AudioRaiseVolume;
    case Qt::Key_VolumeMute:
        return XF86XK_AudioMute;
    default:
        return std::nullopt;
    }
}

std::optional<Keysym> keysymOf(int key) {
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return Keysym(XK_F1 + (key - Qt::Key_F1));
    // Letters, digits and signs: Qt's key is the Latin-1 code, and so is the keysym of the
    // key's unshifted face.
    if (key >= 0x20 && key <= 0xff)
        return Keysym(QChar(key).toLower().unicode());
    return namedKeysym(key);
}

// The server's keyboard: each key code's keysyms, and which modifier bit each key sets.
class Keyboard {
public:
    explicit Keyboard(xcb_connection_t* connection) {
        const xcb_setup_t* setup = xcb_get_setup(connection);
        m_first = setup->min_keycode;
        const int count = setup->max_keycode - setup->min_keycode + 1;
        xcb_get_keyboard_mapping_reply_t* mapping = xcb_get_keyboard_mapping_reply(
            connection, xcb_get_keyboard_mapping(connection, m_first, count), nullptr);
        xcb_get_modifier_mapping_reply_t* modifiers = xcb_get_modifier_mapping_reply(
            connection, xcb_get_modifier_mapping(connection), nullptr);
        if (mapping) {
            m_perCode = mapping->keysyms_per_keycode;
            const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(mapping);
            m_keysyms.assign(syms, syms + xcb_get_keyboard_mapping_keysyms_length(mapping));
        }
        if (modifiers) {
            const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(modifiers);
            const int perModifier = modifiers->keycodes_per_modifier;
            for (int bit = 0; bit < 8; ++bit) {
                for (int i = 0; i < perModifier; ++i)
                    m_modifierCodes[bit].push_back(codes[bit * perModifier + i]);
            }
        }
        std::free(mapping);
        std::free(modifiers);
    }

    std::optional<xcb_keycode_t> codeOf(Keysym keysym) const {
        for (std::size_t i = 0; m_perCode > 0 && i < m_keysyms.size(); ++i) {
            if (m_keysyms[i] == keysym)
                return xcb_keycode_t(m_first + int(i) / m_perCode);
        }
        return std::nullopt;
    }

    // The modifier bit a key with this keysym sets; 0 where none does.
    std::uint16_t maskOf(Keysym keysym) const {
        const std::optional<xcb_keycode_t> code = codeOf(keysym);
        for (int bit = 0; code && bit < 8; ++bit) {
            for (const xcb_keycode_t modifierCode : m_modifierCodes[bit]) {
                if (modifierCode == *code)
                    return std::uint16_t(1u << bit);
            }
        }
        return 0;
    }

private:
    int m_first = 0;
    int m_perCode = 0;
    std::vector<xcb_keysym_t> m_keysyms;
    std::vector<xcb_keycode_t> m_modifierCodes[8];
};

std::optional<X11StartStopKey::Grab> grabFor(const QString& key, const Keyboard& keyboard) {
    const QKeySequence sequence = QKeySequence::fromString(key, QKeySequence::PortableText);
    if (sequence.count() != 1)
        return std::nullopt;
    const QKeyCombination combination = sequence[0];
    const std::optional<Keysym> keysym = keysymOf(combination.key());
    if (!keysym)
        return std::nullopt;
    const std::optional<xcb_keycode_t> code = keyboard.codeOf(*keysym);
    if (!code)
        return std::nullopt;
    X11StartStopKey::Grab grab{.keycode = *code};
    const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
    if (modifiers & Qt::ShiftModifier)
        grab.modifiers |= XCB_MOD_MASK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        grab.modifiers |= XCB_MOD_MASK_CONTROL;
    if (modifiers & Qt::AltModifier) {
        const std::uint16_t alt = keyboard.maskOf(XK_Alt_L);
        grab.modifiers |= alt ? alt : std::uint16_t(XCB_MOD_MASK_1);
    }
    if (modifiers & Qt::MetaModifier) {
        const std::uint16_t super = keyboard.maskOf(XK_Super_L);
        grab.modifiers |= super ? super : std::uint16_t(XCB_MOD_MASK_4);
    }
    return grab;
}

} // namespace

X11StartStopKey::X11StartStopKey() = default;

X11StartStopKey::~X11StartStopKey() {
    m_notifier.reset();
    if (m_connection) {
        letGo();
        xcb_disconnect(m_connection);
    }
}

bool X11StartStopKey::connect() {
    if (m_connection)
        return !xcb_connection_has_error(m_connection);
    int screenNumber = 0;
    m_connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(m_connection)) {
        qWarning("Tivrel: the start/stop key cannot reach the X display");
        return false;
    }
    xcb_screen_iterator_t screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber && screen.rem > 1; ++i)
        xcb_screen_next(&screen);
    m_root = screen.data->root;
    // A key held down then sends presses only, no releases between them, which tells the
    // server's repeats from the user's presses.
    xcb_xkb_use_extension_reply_t* xkb = xcb_xkb_use_extension_reply(
        m_connection, xcb_xkb_use_extension(m_connection, 1, 0), nullptr);
    if (xkb && xkb->supported) {
        xcb_xkb_per_client_flags_reply_t* flags = xcb_xkb_per_client_flags_reply(
            m_connection,
            xcb_xkb_per_client_flags(m_connection, XCB_XKB_ID_USE_CORE_KBD,
                                     XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT,
                                     XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT, 0, 0, 0),
            nullptr);
        m_detectableRepeat =
            flags && (flags->value & XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT);
        std::free(flags);
    }
    std::free(xkb);
    m_notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_connection),
                                                   QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { readEvents(); });
    return true;
}

void X11StartStopKey::letGo() {
    const bool grabbed = !m_grabbedModifiers.empty();
    for (const std::uint16_t modifiers : m_grabbedModifiers)
        xcb_ungrab_key(m_connection, m_grab.keycode, m_root, modifiers);
    m_grabbedModifiers.clear();
    m_held.clear();
    m_down = false;
    // Let go once the server has it: a key pressed right after, through another client's
    // connection, was still taken by the grab now and then (the server reads its clients in
    // turn), and never reached the focused window.
    if (grabbed)
        std::free(
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    else
        xcb_flush(m_connection);
}

StartStopKey::Result X11StartStopKey::hold(const QString& key) {
    if (m_connection)
        letGo();
    if (key.isEmpty())
        return Result::Held;
    if (!connect())
        return Result::Refused;
    const Keyboard keyboard(m_connection);
    const std::optional<Grab> grab = grabFor(key, keyboard);
    if (!grab) {
        qWarning("Tivrel: the keyboard has no key %s", qPrintable(key));
        return Result::Refused;
    }
    m_grab = *grab;
    // Each combination of the lock modifiers that are on this keyboard.
    std::vector<std::uint16_t> locks{0};
    for (const std::uint16_t lock : {std::uint16_t(XCB_MOD_MASK_LOCK), keyboard.maskOf(XK_Num_Lock),
                                     keyboard.maskOf(XK_Scroll_Lock)}) {
        if (lock == 0 || (lock & grab->modifiers))
            continue;
        const std::size_t count = locks.size();
        for (std::size_t i = 0; i < count; ++i) {
            if (!(locks[i] & lock))
                locks.push_back(locks[i] | lock);
        }
    }
    Result result = Result::Held;
    for (const std::uint16_t lock : locks) {
        const std::uint16_t modifiers = grab->modifiers | lock;
        xcb_generic_error_t* error = xcb_request_check(
            m_connection, xcb_grab_key_checked(m_connection, 0, m_root, modifiers, grab->keycode,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        if (error) {
            // BadAccess: another client grabbed the key with these modifiers first.
            result = error->error_code == XCB_ACCESS ? Result::Taken : Result::Refused;
            std::free(error);
            break;
        }
        m_grabbedModifiers.push_back(modifiers);
    }
    if (result != Result::Held) {
        letGo();
        return result;
    }
    m_held = key;
    // The checks above may have read events into the connection's queue.
    readEvents();
    return result;
}

void X11StartStopKey::readEvents() {
    int presses = 0;
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
        switch (event->response_type & 0x7f) {
        case XCB_KEY_PRESS:
            // One press, one start or stop: a key held down repeats on its own.
            if (!m_down && (m_detectableRepeat || key->time != m_releaseTime) && !m_held.isEmpty())
                ++presses;
            m_down = true;
            break;
        case XCB_KEY_RELEASE:
            m_down = false;
            m_releaseTime = key->time;
            break;
        default:
            break;
        }
        std::free(event);
    }
    // After reading: a press may open a box whose own loop reads the next events.
    for (int i = 0; i < presses; ++i)
        pressed();
}

} // namespace tivrel
