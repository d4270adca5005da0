#include "WindowTree.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <ostream>

namespace tivrel::test {

namespace {

// Windows come and go while the tree is walked; a request on one that has just gone fails
// with BadWindow, which only means it is no longer there.
int ignoreError(Display*, XErrorEvent*) {
    return 0;
}

class Connection {
public:
    explicit Connection(const QByteArray& name)
        : m_display(XOpenDisplay(name.isEmpty() ? nullptr : name.constData())) {
        if (m_display)
            m_previousHandler = XSetErrorHandler(ignoreError);
    }
    ~Connection() {
        if (!m_display)
            return;
        XSync(m_display, False);
        XSetErrorHandler(m_previousHandler);
        XCloseDisplay(m_display);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    Display* display() const { return m_display; }

private:
    Display* m_display;
    XErrorHandler m_previousHandler = nullptr;
};

// One property's items; empty when the window has none of that type and format.
template <typename Item>
std::vector<Item> property(Display* display, Window window, Atom name, Atom type) {
    Atom actualType = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::vector<Item> items;
    if (XGetWindowProperty(display, window, name, 0, 1024, False, type, &actualType, &format,
                           &count, &after, &data) == Success &&
        data) {
        if (actualType == type) {
            // Format 32 comes as longs, whatever the size of a long.
            if (format == 32) {
                const auto* longs = reinterpret_cast<const unsigned long*>(data);
                for (unsigned long i = 0; i < count; ++i)
                    items.push_back(Item(longs[i]));
            } else if (format == 8) {
                for (unsigned long i = 0; i < count; ++i)
                    items.push_back(Item(data[i]));
            }
        }
        XFree(data);
    }
    return items;
}

class TreeWalk {
public:
    TreeWalk(Display* display, qint64 pid, DisplayLook& look)
        : m_display(display), m_pid(pid), m_look(look) {
        m_pidAtom = XInternAtom(display, "_NET_WM_PID", False);
        m_nameAtom = XInternAtom(display, "_NET_WM_NAME", False);
        m_utf8Atom = XInternAtom(display, "UTF8_STRING", False);
        m_typeAtom = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
        m_stateAtom = XInternAtom(display, "_NET_WM_STATE", False);
    }

    void walk(Window window, QPoint parentOrigin, unsigned long trayHost, qint64 trayHostPid) {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(m_display, window, &attributes))
            return; // gone
        const QPoint origin = parentOrigin + QPoint(attributes.x + attributes.border_width,
                                                    attributes.y + attributes.border_width);
        const auto pids = property<qint64>(m_display, window, m_pidAtom, XA_CARDINAL);
        const qint64 pid = pids.empty() ? 0 : pids.front();

        XClassHint hint{};
        if (XGetClassHint(m_display, window, &hint)) {
            const bool isTrayHost = hint.res_class && qstricmp(hint.res_class, "trayer") == 0;
            XFree(hint.res_name);
            XFree(hint.res_class);
            if (isTrayHost && !trayHost) {
                m_look.trayHosts.push_back({window, pid});
                trayHost = window;
                trayHostPid = pid;
            }
            hint = {};
        }

        if (pid == m_pid && m_pid != 0) {
            WindowInfo info;
            info.id = window;
            info.pid = pid;
            info.viewable = attributes.map_state == IsViewable;
            info.overrideRedirect = attributes.override_redirect;
            info.geometry = QRect(origin, QSize(attributes.width, attributes.height));
            info.trayHost = trayHost;
            info.trayHostPid = trayHostPid;
            describe(window, info);
            m_look.windows.push_back(info);
        }

        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(m_display, window, &root, &parent, &children, &count))
            return;
        const std::vector<Window> list(children, children + count);
        if (children)
            XFree(children);
        for (const Window child : list)
            walk(child, origin, trayHost, trayHostPid);
    }

private:
    QStringList atomNames(Window window, Atom property) {
        std::vector<Atom> atoms =
            tivrel::test::property<Atom>(m_display, window, property, XA_ATOM);
        QStringList names;
        for (const Atom atom : atoms) {
            char* name = XGetAtomName(m_display, atom);
            names << QString::fromLatin1(name ? name : "?");
            if (name)
                XFree(name);
        }
        return names;
    }

    void describe(Window window, WindowInfo& info) {
        const auto utf8 = property<char>(m_display, window, m_nameAtom, m_utf8Atom);
        if (!utf8.empty()) {
            info.name = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
        } else {
            char* name = nullptr;
            if (XFetchName(m_display, window, &name) && name) {
                info.name = QString::fromLatin1(name);
                XFree(name);
            }
        }
        XClassHint hint{};
        if (XGetClassHint(m_display, window, &hint)) {
            info.wmClass = QString::fromLatin1(hint.res_class ? hint.res_class : "");
            XFree(hint.res_name);
            XFree(hint.res_class);
        }
        info.types = atomNames(window, m_typeAtom);
        info.states = atomNames(window, m_stateAtom);
        Window transientFor = 0;
        if (XGetTransientForHint(m_display, window, &transientFor))
            info.transientFor = transientFor;
        info.kind = kindOf(info);
    }

    // Override-redirect windows are the toolkit's own pop-ups, which the window manager never
    // sees: a menu belongs to a window, a tool tip is typed as one.
    static WindowKind kindOf(const WindowInfo& info) {
        if (info.embeddedInTray())
            return WindowKind::TrayIcon;
        if (info.overrideRedirect)
            return info.transientFor != 0 &&
                           !info.types.contains(QLatin1String("_NET_WM_WINDOW_TYPE_TOOLTIP"))
                       ? WindowKind::Menu
                       : WindowKind::Other;
        if (info.types.contains(QLatin1String("_NET_WM_WINDOW_TYPE_DIALOG")))
            return WindowKind::Dialog;
        if (info.types.contains(QLatin1String("_NET_WM_WINDOW_TYPE_NORMAL")))
            return WindowKind::Normal;
        return WindowKind::Other;
    }

    Display* m_display;
    qint64 m_pid;
    DisplayLook& m_look;
    Atom m_pidAtom = 0;
    Atom m_nameAtom = 0;
    Atom m_utf8Atom = 0;
    Atom m_typeAtom = 0;
    Atom m_stateAtom = 0;
};

} // namespace

std::ostream& operator<<(std::ostream& out, const WindowInfo& window) {
    static constexpr const char* kKindNames[] = {"normal", "dialog", "tray-icon", "menu", "other"};
    out << "0x" << std::hex << window.id << std::dec << " \"" << window.name.toStdString() << "\" "
        << window.geometry.width() << 'x' << window.geometry.height() << '+' << window.geometry.x()
        << '+' << window.geometry.y() << (window.viewable ? " viewable" : " unmapped")
        << (window.overrideRedirect ? " override-redirect" : "") << " kind "
        << kKindNames[std::size_t(window.kind)];
    if (!window.types.isEmpty())
        out << " type " << window.types.join(QLatin1Char(',')).toStdString();
    if (!window.states.isEmpty())
        out << " state " << window.states.join(QLatin1Char(',')).toStdString();
    if (window.transientFor)
        out << " transient-for 0x" << std::hex << window.transientFor << std::dec;
    if (window.trayHost)
        out << " in tray host 0x" << std::hex << window.trayHost << std::dec << " (pid "
            << window.trayHostPid << ')';
    return out;
}

DisplayLook lookAt(qint64 pid, const QByteArray& display) {
    DisplayLook look;
    Connection connection(display);
    if (!connection.display())
        return look;
    look.reached = true;
    Display* x = connection.display();
    XGrabServer(x); // one consistent tree, not one half-way through a change
    TreeWalk(x, pid, look).walk(DefaultRootWindow(x), QPoint(0, 0), 0, 0);
    XUngrabServer(x);
    return look;
}

bool displayAccepts(const QByteArray& display) {
    return Connection(display).display() != nullptr;
}

bool selectionOwned(const char* selection, const QByteArray& display) {
    Connection connection(display);
    if (!connection.display())
        return false;
    Display* x = connection.display();
    return XGetSelectionOwner(x, XInternAtom(x, selection, False)) != None;
}

bool windowManagerRunning(const QByteArray& display) {
    Connection connection(display);
    Display* x = connection.display();
    if (!x)
        return false;
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const bool announced =
        XGetWindowProperty(x, DefaultRootWindow(x),
                           XInternAtom(x, "_NET_SUPPORTING_WM_CHECK", False), 0, 1, False,
                           XA_WINDOW, &type, &format, &items, &after, &data) == Success &&
        type == XA_WINDOW && items == 1;
    if (data)
        XFree(data);
    return announced;
}

} // namespace tivrel::test
