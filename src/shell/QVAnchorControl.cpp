#include "shell/QVAnchorControl.h"

#include "geometry/QVColor.h"
#include "geometry/QVRect.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"
#include "platform/kit/Window.h"

#include <QEvent>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>

namespace {

const QString kRatioPoint = QStringLiteral("ratioPoint");

double clampRatio(double value)
{
    return std::clamp(value, -0.5, 1.5);
}

} // namespace

QVAnchorControl::QVAnchorControl(const pf::Rect& frame, QWidget* parent) : pf::View(frame, parent)
{
    setFocusPolicy(Qt::ClickFocus);
}

QVAnchorControl::~QVAnchorControl()
{
    endGroup();
}

const pf::ClassObject& QVAnchorControl::staticClass()
{
    static const pf::ClassObject cls(QStringLiteral("QVAnchorControl"), &pf::Object::staticClass());
    return cls;
}

const pf::PropertyTable& QVAnchorControl::properties()
{
    static const pf::PropertyTable table = [] {
        pf::PropertyTable t(&pf::Object::properties());
        t.add(kRatioPoint, &QVAnchorControl::ratioPoint, &QVAnchorControl::setRatioPoint);
        return t;
    }();
    return table;
}

pf::Color QVAnchorControl::activeBorderColor()
{
    static const pf::Color color = QVHexColor(0x9e9e9e);
    return color;
}

pf::Color QVAnchorControl::inactiveBorderColor()
{
    static const pf::Color color = QVHexColor(0xbbbbbb);
    return color;
}

pf::Color QVAnchorControl::activeTargetColor()
{
    static const pf::Color color = QVHexColor(0x666666);
    return color;
}

pf::Color QVAnchorControl::inactiveTargetColor()
{
    static const pf::Color color = QVHexColor(0x999999);
    return color;
}

void QVAnchorControl::setRatioPoint(const pf::Point& point)
{
    pf::ChangeNotice notice(*this, kRatioPoint);
    ratioPoint_ = point;
}

pf::Rect QVAnchorControl::canvasRectForBounds(const pf::Rect& b)
{
    return QVRectFloorPlusHalf(b.insetBy(b.width() / 4, b.height() / 4));
}

pf::Point QVAnchorControl::ratioPointForLocationInView(const pf::Point& p, const pf::Rect& c)
{
    // A well without extent has no fractions; its centre stands for every point.
    const double x = c.width() > 0 ? (p.x - c.minX()) / c.width() : 0.5;
    const double y = c.height() > 0 ? (p.y - c.minY()) / c.height() : 0.5;
    return {clampRatio(x), clampRatio(y)};
}

pf::Rect QVAnchorControl::targetRectForCanvasRect(const pf::Rect& c) const
{
    return QVRectFloorPlusHalf(pf::Rect(c.minX() + ratioPoint_.x * c.width() - 5,
                                        c.minY() + ratioPoint_.y * c.height() - 5, 10, 10));
}

void QVAnchorControl::updateRatioPointForMouseEvent(const pf::Event& e)
{
    if (e.modifierFlags & pf::ControlKeyMask)
        return;
    pf::Point point = ratioPointForLocationInView(e.location, canvasRectForBounds(bounds()));
    if (e.modifierFlags & pf::ShiftKeyMask)
        point = {std::round(point.x * 10) / 10, std::round(point.y * 10) / 10};
    setRatioPoint(point);
    setNeedsDisplay();
}

// ---- the gesture ----

void QVAnchorControl::endGroup()
{
    tracking_ = false;
    if (auto group = std::exchange(undoGroup_, std::nullopt))
        group->first->endUndoGrouping(group->second);
}

void QVAnchorControl::mouseDown(const pf::Event& e)
{
    if (!isEnabled())
        return;
    endGroup();
    // The group opens first, so the press's move and the drag's are one step.
    if (pf::UndoManager* undo = undoManagerProvider_ ? undoManagerProvider_() : nullptr)
        undoGroup_ = {{undo, undo->beginUndoGrouping()}};
    tracking_ = true;
    updateRatioPointForMouseEvent(e);
}

void QVAnchorControl::mouseDragged(const pf::Event& e)
{
    if (!isEnabled() || !tracking_)
        return;
    updateRatioPointForMouseEvent(e);
}

void QVAnchorControl::mouseUp(const pf::Event&)
{
    endGroup();
}

void QVAnchorControl::rightMouseDown(const pf::Event&)
{
    // Nothing to move, and no release would close a group: a right press opens none.
}

bool QVAnchorControl::event(QEvent* e)
{
    switch (e->type()) {
    case QEvent::Hide:
        endGroup();
        break;
    case QEvent::EnabledChange:
        if (!isEnabled())
            endGroup();
        setNeedsDisplay();
        break;
    case QEvent::FocusOut:
    case QEvent::WindowDeactivate:
        // A release still to come closes the group itself.
        if (QGuiApplication::mouseButtons() == Qt::NoButton)
            endGroup();
        break;
    default:
        break;
    }
    return pf::View::event(e);
}

// ---- drawing ----

void QVAnchorControl::drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect)
{
    const pf::Rect b = bounds();
    const pf::Rect c = canvasRectForBounds(b);

    // The checkerboard: every other 6-point square at gray 0.9, from the control's origin.
    context.saveGState();
    context.clipToRect(b.intersected(dirtyRect));
    context.setFillColor(pf::Color(0.9, 0.9, 0.9, 1));
    for (double y = 0; y < b.maxY(); y += CheckerSquare)
        for (double x = 0; x < b.maxX(); x += CheckerSquare)
            if ((std::lround(x / CheckerSquare) + std::lround(y / CheckerSquare)) % 2 == 0)
                context.fillRect(pf::Rect(x, y, CheckerSquare, CheckerSquare));
    context.restoreGState();

    const pf::Window* window = enclosingWindow();
    const bool main = window && window->isMainWindow();
    context.setStrokeColor(main ? activeBorderColor() : inactiveBorderColor());
    // Half of the 2-point line falls outside: a one-point frame.
    context.setLineWidth(2);
    context.strokeRect(b);
    context.setLineWidth(1);
    context.strokeRect(c);

    if (!isEnabled())
        return;
    const pf::Rect t = targetRectForCanvasRect(c);
    context.setStrokeColor(main ? activeTargetColor() : inactiveTargetColor());
    context.setLineWidth(1);
    context.strokePath(pf::Path::oval(t));
    const pf::Rect cross = t.insetBy(-5, -5);
    pf::Path lines;
    lines.moveTo({cross.minX(), cross.midY()});
    lines.lineTo({cross.maxX(), cross.midY()});
    lines.moveTo({cross.midX(), cross.minY()});
    lines.lineTo({cross.midX(), cross.maxY()});
    context.strokePath(lines);
}
