#include "X11LockKeys.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

// Xlib's macros (None, Bool, Status) clash with Qt's names: after Qt.
#include <X11/XKBlib.h>

namespace {

class X11LockKeys : public LockKeys
{
public:
    explicit X11LockKeys(Display *display)
        : m_display(display), m_numLock(XInternAtom(display, "Num Lock", False)),
          m_capsLock(XInternAtom(display, "Caps Lock", False))
    {
    }

    bool numLock() const override { return lit(m_numLock); }
    bool capsLock() const override { return lit(m_capsLock); }

private:
    bool lit(Atom indicator) const
    {
        Bool on = False;
        return XkbGetNamedIndicator(m_display, indicator, nullptr, &on, nullptr, nullptr) && on;
    }

    Display *m_display;
    Atom m_numLock;
    Atom m_capsLock;
};

} // namespace

std::unique_ptr<LockKeys> x11LockKeys()
{
    const auto *x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display *display = x11 ? x11->display() : nullptr;
    int opcode = 0;
    int event = 0;
    int error = 0;
    int major = XkbMajorVersion;
    int minor = XkbMinorVersion;
    if (!display || !XkbQueryExtension(display, &opcode, &event, &error, &major, &minor))
        return nullptr;
    return std::make_unique<X11LockKeys>(display);
}
