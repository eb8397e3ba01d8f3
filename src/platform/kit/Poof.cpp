#include "platform/kit/Poof.h"

#include "platform/foundation/Dispatch.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QRadialGradient>
#include <QWidget>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>

#if defined(QUORVEL_HAVE_XCB) && QT_CONFIG(xcb)
#define QUORVEL_ASK_X11_COMPOSITOR 1
#include <xcb/xcb.h>
#endif

namespace pf {

namespace {

constexpr int Side = 48;     // the window, in device-independent pixels
constexpr int Frames = 6;    // after the first; 40 ms apart, about a quarter of a second in all
constexpr std::chrono::milliseconds FrameInterval(40);

class PoofWindow : public QWidget {
public:
    PoofWindow()
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
    {
        setObjectName(QStringLiteral("pf.poof"));
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_DeleteOnClose);
        setFixedSize(Side, Side);
    }

    void setFrame(int frame)
    {
        frame_ = frame;
        update();
    }
    int frame() const { return frame_; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        // Four soft grey puffs drifting out from the centre, growing as they fade.
        const double t = static_cast<double>(frame_) / Frames;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setOpacity(1.0 - t);
        p.setPen(Qt::NoPen);
        const QPointF c(Side / 2.0, Side / 2.0);
        const double spread = 4 + 10 * t;
        const double radius = 8 + 8 * t;
        const std::array<QPointF, 4> offsets{QPointF(-1, -0.6), QPointF(1, -0.6), QPointF(-0.7, 0.8), QPointF(0.7, 0.8)};
        for (const QPointF& o : offsets) {
            const QPointF centre = c + o * spread;
            QRadialGradient g(centre, radius);
            g.setColorAt(0, QColor(250, 250, 250, 235));
            g.setColorAt(0.7, QColor(200, 200, 200, 180));
            g.setColorAt(1, QColor(160, 160, 160, 0));
            p.setBrush(g);
            p.drawEllipse(centre, radius, radius);
        }
    }

private:
    int frame_ = 0;
};

QPointer<PoofWindow>& poof()
{
    static QPointer<PoofWindow> window;
    return window;
}

std::optional<bool>& placementOverride()
{
    static std::optional<bool> answer;
    return answer;
}

// On X11 the compositing manager of screen N owns the selection _NET_WM_CM_SN; asked each time, since one
// may start or stop while the program runs.
bool hasCompositingManager()
{
#ifdef QUORVEL_ASK_X11_COMPOSITOR
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return false;
    // The X screen the program runs on: "host:display.screen", screen 0 when DISPLAY names none (Qt's
    // screens are monitors, not X screens).
    int screen = 0;
    const QByteArray display = qgetenv("DISPLAY");
    if (const qsizetype dot = display.lastIndexOf('.'); dot > display.lastIndexOf(':'))
        screen = std::max(0, display.mid(dot + 1).toInt());
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screen);
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, std::uint16_t(name.size()), name.constData()), nullptr);
    if (!atom)
        return false;
    const xcb_atom_t selection = atom->atom;
    std::free(atom);
    if (selection == XCB_ATOM_NONE)
        return false;
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
    const bool owned = owner && owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    return owned;
#else
    return false;
#endif
}

} // namespace

bool canPlaceFloatingWindows()
{
    if (placementOverride())
        return *placementOverride();
    return !QGuiApplication::platformName().startsWith(QStringLiteral("wayland"));
}

void setCanPlaceFloatingWindowsForTesting(std::optional<bool> answer)
{
    placementOverride() = answer;
}

bool canShowTranslucentWindows(const QString& platformName, bool compositingManager)
{
    if (platformName.startsWith(QStringLiteral("wayland")))
        return false;
    return platformName != QStringLiteral("xcb") || compositingManager;
}

bool canShowTranslucentWindows()
{
    if (placementOverride())
        return *placementOverride();
    return canShowTranslucentWindows(QGuiApplication::platformName(), hasCompositingManager());
}

void runPoofAtPoint(const QPoint& globalPoint)
{
    if (!canShowTranslucentWindows())
        return;
    // One puff at a time: a new one replaces one still playing.
    if (poof())
        poof()->close();
    auto* window = new PoofWindow;
    poof() = window;
    window->move(globalPoint - QPoint(Side / 2, Side / 2));
    window->show();
    const QPointer<PoofWindow> guard(window);
    for (int i = 1; i <= Frames; ++i) {
        performOnMainThreadAfterDelay(
            [guard, i] {
                if (!guard)
                    return;
                if (i == Frames)
                    guard->close();
                else
                    guard->setFrame(i);
            },
            FrameInterval * i);
    }
}

QWidget* currentPoof()
{
    return poof().data();
}

} // namespace pf
