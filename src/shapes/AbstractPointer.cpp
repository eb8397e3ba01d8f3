#include "shapes/AbstractPointer.h"

#include "geometry/FBOpenPathClip.h"
#include "geometry/QVRect.h"
#include "model/StoredNumbers.h"
#include "platform/graphics/GraphicsContext.h"
#include "shapes/OutlineSupport.h"

#include <algorithm>
#include <cmath>
#include <numbers>

// ---- class ----

QString AbstractPointerClass::stickyPhylumName() const { return QStringLiteral("AbstractPointer"); }

double AbstractPointerClass::libraryListItemShapeStrokeLineWidth() const { return 2.0; }

std::shared_ptr<Shape> AbstractPointerClass::pointerFromConnectionOptionsWithFrame(const pf::Rect& frame,
                                                                                    int optionHandle,
                                                                                    int* resizeHandle) const
{
    (void)optionHandle;
    if (resizeHandle)
        *resizeHandle = QVRectCornerBotRit;
    return newShape(frame);
}

const AbstractPointerClass& AbstractPointer::staticClass()
{
    static const AbstractPointerClass c(QStringLiteral("AbstractPointer"), &Shape::staticClass(),
                                        &Shape::allocate<AbstractPointer>);
    return c;
}

const pf::PropertyTable& AbstractPointer::properties()
{
    static const pf::PropertyTable table = [] {
        pf::PropertyTable t(&Shape::properties());
        t.add("arrowTypeA", &AbstractPointer::arrowTypeA, &AbstractPointer::setArrowTypeA);
        t.add("arrowTypeB", &AbstractPointer::arrowTypeB, &AbstractPointer::setArrowTypeB);
        t.add("flipped", &AbstractPointer::flipped, &AbstractPointer::setFlipped);
        t.add("pathType", &AbstractPointer::pathType, &AbstractPointer::setPathType);
        t.add("curveRatio", &AbstractPointer::curveRatio, &AbstractPointer::setCurveRatio);
        t.add("canSwapArrow", &AbstractPointer::canSwapArrow);
        return t;
    }();
    return table;
}

void AbstractPointer::initWithFrame(const pf::Rect& frame)
{
    Shape::initWithFrame(frame);
    setArrowTypeA(0);
    setArrowTypeB(0);
}

// ---- setters ----

void AbstractPointer::setPathType(std::uint64_t type)
{
    static const PropertyChange change{"pathType", "Path Type", nullptr, Sticky | ContentImage | Redisplay};
    setProperty(pathType_, type, &AbstractPointer::setPathType, change);
}

void AbstractPointer::setCurveRatio(double ratio)
{
    static const PropertyChange change{"curveRatio", "Curve", nullptr, Sticky | Dirty | ContentImage | Redisplay};
    setProperty(curveRatio_, ratio, &AbstractPointer::setCurveRatio, change, [this] { jiggleFrameWithoutUndo(); });
}

void AbstractPointer::setFlipped(bool flipped)
{
    static const PropertyChange change{"flipped", "Flip %@", nullptr, Dirty | ContentImage | Redisplay};
    const bool changed = setProperty(flipped_, flipped, &AbstractPointer::setFlipped, change, [this] {
        regeneratePathWithOldFrame(frame());
        applyRotationToPath();
    });
    if (changed)
        if (pf::UndoManager* undo = undoManager()) {
            QString name = pf::localized(QStringLiteral("Flip %@"));
            name.replace(QLatin1String("%@"), shapeClass().shortTitle());
            undo->setActionName(name);
        }
}

void AbstractPointer::setArrowTypeA(std::uint64_t type)
{
    static const PropertyChange change{"arrowTypeA", "Arrow Type", nullptr, Dirty | ContentImage | Redisplay};
    setProperty(arrowTypeA_, type, &AbstractPointer::setArrowTypeA, change, [this] { afterArrowTypeChange(); });
}

void AbstractPointer::setArrowTypeB(std::uint64_t type)
{
    static const PropertyChange change{"arrowTypeB", "Arrow Type", nullptr, Dirty | ContentImage | Redisplay};
    setProperty(arrowTypeB_, type, &AbstractPointer::setArrowTypeB, change, [this] { afterArrowTypeChange(); });
}

void AbstractPointer::afterArrowTypeChange()
{
    const bool swap = hasArrow() && arrowTypeA() != arrowTypeB();
    if (swap != canSwapArrow_) {
        pf::ChangeNotice notice(*this, QStringLiteral("canSwapArrow"));
        canSwapArrow_ = swap;
    }
    // The arrow point of an attached end depends on whether it has a head.
    dropVisiblePaths();
}

// ---- ends and connections ----

std::shared_ptr<ShapeConnection> AbstractPointer::connectionForCorner(QVRectCorner corner) const
{
    for (const auto& c : connections())
        if (c && c->pointerCorner() == corner)
            return c;
    return nullptr;
}

void AbstractPointer::removeConnectionForCorner(QVRectCorner corner)
{
    ShapePage* page = composition();
    if (!page)
        return;
    const Connections attached = connections();
    for (const auto& c : attached)
        if (c && c->pointerCorner() == corner)
            page->removeConnection(c);
}

void AbstractPointer::addConnection(std::shared_ptr<ShapeConnection> connection)
{
    Shape::addConnection(std::move(connection));
    regeneratePathWithOldFrame(frame());
    applyRotationToPath();
}

void AbstractPointer::removeConnection(const ShapeConnection* connection)
{
    Shape::removeConnection(connection);
    regeneratePathWithOldFrame(frame());
    applyRotationToPath();
}

std::shared_ptr<Shape> AbstractPointer::shapeAttachedAtCentre(QVRectCorner corner) const
{
    const auto c = connectionForCorner(corner);
    if (!c)
        return nullptr;
    auto shape = c->attachedShape();
    // An end on a turned shape is placed at its centre whatever edge it names.
    if (!shape || (c->shapeEdge() != QVRectEdgeMid && shape->rotationAngle() == 0))
        return nullptr;
    return shape;
}

// ---- visible parts ----

void AbstractPointer::dropVisiblePaths() const
{
    visibleQuartzPathA_.reset();
    visibleQuartzPathB_.reset();
    visibleQuartzPath_.reset();
}

std::optional<pf::Path> AbstractPointer::visiblePartAtCorner(std::uint64_t arrowType, QVRectCorner corner) const
{
    if (arrowType == 0)
        return std::nullopt;
    const auto shape = shapeAttachedAtCentre(corner);
    if (!shape || shape->path().isEmpty())
        return std::nullopt;
    const pf::Path own = newQuartzPath();
    if (own.isEmpty())
        return std::nullopt;
    return FBCreateOpenPathOutside(own, shape->path());
}

const std::optional<pf::Path>& AbstractPointer::visibleQuartzPathA() const
{
    // Not cached while empty: it is tried again once there is something to cut.
    if (!visibleQuartzPathA_)
        visibleQuartzPathA_ = visiblePartAtCorner(arrowTypeA(), cornerA());
    return visibleQuartzPathA_;
}

const std::optional<pf::Path>& AbstractPointer::visibleQuartzPathB() const
{
    if (!visibleQuartzPathB_)
        visibleQuartzPathB_ = visiblePartAtCorner(arrowTypeB(), cornerB());
    return visibleQuartzPathB_;
}

const pf::Path& AbstractPointer::visibleQuartzPath() const
{
    if (!visibleQuartzPath_) {
        pf::Path visible = newQuartzPath();
        for (const QVRectCorner corner : {cornerA(), cornerB()}) {
            const auto shape = shapeAttachedAtCentre(corner);
            if (shape && !shape->path().isEmpty() && !visible.isEmpty())
                visible = FBCreateOpenPathOutside(visible, shape->path());
        }
        visibleQuartzPath_ = std::move(visible);
    }
    return *visibleQuartzPath_;
}

// The visible part runs from end A to end B, so the head of A stands at its start and that of B at its end.
pf::Point AbstractPointer::arrowPointA() const
{
    // Attached to nothing, no end is cut: the heads sit at the ends (asked for often while drawing).
    if (connections().empty())
        return pointA();
    const std::optional<pf::Path>& visible = visibleQuartzPathA();
    if (!visible || visible->isEmpty())
        return pointA();
    return visible->element(0).endPoint();
}

pf::Point AbstractPointer::arrowPointB() const
{
    if (connections().empty())
        return pointB();
    const std::optional<pf::Path>& visible = visibleQuartzPathB();
    if (!visible || visible->isEmpty())
        return pointB();
    return visible->currentPoint();
}

void AbstractPointer::regeneratePathWithOldFrame(const pf::Rect& oldFrame)
{
    dropVisiblePaths();
    intersectionPath_.reset();
    Shape::regeneratePathWithOldFrame(oldFrame);
}

pf::Rect AbstractPointer::contentRect() const
{
    const pf::Rect r = QVRectGetNormalizedRect(frame());
    const double side = std::max(r.width(), r.height());
    const pf::Rect square(r.midX() - side / 2, r.midY() - side / 2, side, side);
    const pf::Size a = arrowHeadSizeForType(arrowTypeA());
    const pf::Size b = arrowHeadSizeForType(arrowTypeB());
    return QVRectOutset(square, std::ceil(std::max(a.width, b.width) + 2), std::ceil(std::max(a.height, b.height) + 2));
}

// ---- drawing ----

void AbstractPointer::drawStrokeInContextColorPathLineWidth(pf::GraphicsContext& context, const pf::Color& color,
                                                           const pf::Path& path, double lineWidth) const
{
    if (wantsFill()) {
        Shape::drawStrokeInContextColorPathLineWidth(context, color, path, lineWidth);
        return;
    }
    context.saveGState();
    for (const auto& c : connections()) {
        const auto shape = c ? c->attachedShape() : nullptr;
        if (shape && (shape->rotationAngle() != 0 || c->shapeEdge() == QVRectEdgeMid))
            outline::clipOut(context, shape->path());
    }
    Shape::drawStrokeInContextColorPathLineWidth(context, color, path, lineWidth);
    context.restoreGState();
}

void AbstractPointer::drawArrowHeads(pf::GraphicsContext& context, double shift) const
{
    if (isHidden() || strokeType() == 3 || !hasArrow() || !strokeColor())
        return;
    context.saveGState();
    context.setColor(*strokeColor());
    drawArrowHeadsInContext(context, shift);
    context.restoreGState();
}

void AbstractPointer::setLibraryStrokeStyle()
{
    const ShapeClass& k = shapeClass();
    setStrokeType(0);
    setStrokeColor(k.libraryListItemShapeStrokeColor());
    setStrokeShadowHidden(true);
    setStrokeShadowBlur(3.0);
    setStrokeShadowOffsetX(2.0);
    setStrokeShadowOffsetY(2.0);
    setStrokeShadowColor(pf::Color(0, 0, 0, 0.25));
    setStrokeLineWidth(k.libraryListItemShapeStrokeLineWidth());
}

// ---- equality, copy, stored form ----

bool AbstractPointer::isEqualToShape(const Shape& other) const
{
    const auto* pointer = dynamic_cast<const AbstractPointer*>(&other);
    return other.isPointer() && pointer && isEqualToPointer(*pointer);
}

bool AbstractPointer::isEqualToPointer(const AbstractPointer& o) const
{
    return Shape::isEqualToShape(o) && arrowTypeA() == o.arrowTypeA() && arrowTypeB() == o.arrowTypeB()
        && flipped_ == o.flipped_ && pathType_ == o.pathType_ && curveRatio_ == o.curveRatio_;
}

void AbstractPointer::copyFrom(const Shape& source)
{
    const auto& s = static_cast<const AbstractPointer&>(source);
    // Before the frame is copied, which builds the outline.
    arrowTypeA_ = s.arrowTypeA_;
    arrowTypeB_ = s.arrowTypeB_;
    canSwapArrow_ = s.canSwapArrow_;
    pathType_ = s.pathType_;
    curveRatio_ = s.curveRatio_;
    flipped_ = s.flipped_;
    Shape::copyFrom(source);
}

pf::Value AbstractPointer::asPlist() const
{
    pf::Value plist = Shape::asPlist();
    const auto stored = [](std::uint64_t v) { return static_cast<std::int64_t>(std::min<std::uint64_t>(v, INT64_MAX)); };
    plist.set(QStringLiteral("arrowTypeA"), stored(arrowTypeA()));
    plist.set(QStringLiteral("arrowTypeB"), stored(arrowTypeB()));
    plist.set(QStringLiteral("flipped"), flipped_);
    plist.set(QStringLiteral("pathType"), stored(pathType_));
    plist.set(QStringLiteral("curveRatio"), finiteOrZero(curveRatio_));
    return plist;
}

void AbstractPointer::readPlist(const pf::Value& plist)
{
    Shape::readPlist(plist);
    setFlipped(plist.boolForKey("flipped"));
    applyArrowStyle(plist);
    applyPathStyle(plist);
}

void AbstractPointer::applyStyle(const pf::Value& style)
{
    Shape::applyStyle(style);
    StickyDefaults::WithoutSetting noSticky;
    applyArrowStyle(style);
    applyPathStyle(style);
}

void AbstractPointer::applyArrowStyle(const pf::Value& style)
{
    setArrowTypeA(style.unsignedIntegerForKey("arrowTypeA"));
    setArrowTypeB(style.unsignedIntegerForKey("arrowTypeB"));
}

void AbstractPointer::applyPathStyle(const pf::Value& style)
{
    setPathType(style.unsignedIntegerForKey("pathType"));
    setCurveRatio(storedDouble(style, "curveRatio"));
}
