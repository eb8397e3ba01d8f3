#include "shapes/SmartPath.h"

#include "geometry/BezierPathAdditions.h"
#include "geometry/QVRect.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/graphics/GraphicsContext.h"
#include "shapes/Brush.h"
#include "shapes/OutlineSupport.h"
#include "shapes/PathData.h"

#include <QLoggingCategory>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

Q_LOGGING_CATEGORY(lcPath, "quorvel.shapes.path")

constexpr double degree = std::numbers::pi / 180.0;

const QString modelPointsKey = QStringLiteral("modelPoints");
const QString pathDataKey = QStringLiteral("pathData");

// cos and sin of whole degrees, exact at the quarter turns so that axis-aligned corners land on whole units.
std::pair<double, double> turn(std::int64_t degrees)
{
    switch (((degrees % 360) + 360) % 360) {
    case 0: return {1.0, 0.0};
    case 90: return {0.0, 1.0};
    case 180: return {-1.0, 0.0};
    case 270: return {0.0, -1.0};
    default: return {std::cos(double(degrees) * degree), std::sin(double(degrees) * degree)};
    }
}

// p turned about c by whole degrees (y down: positive turns clockwise on screen).
pf::Point turnedAbout(const pf::Point& p, const pf::Point& c, std::int64_t degrees)
{
    const auto [cosine, sine] = turn(degrees);
    const double x = p.x - c.x, y = p.y - c.y;
    return {c.x + x * cosine - y * sine, c.y + x * sine + y * cosine};
}

// The direction from a to b in degrees.
double directionDegrees(const pf::Point& a, const pf::Point& b) { return std::atan2(b.y - a.y, b.x - a.x) / degree; }

double distance(const pf::Point& a, const pf::Point& b) { return std::hypot(b.x - a.x, b.y - a.y); }

const QStringList& pathFacets()
{
    static const QStringList facets{QStringLiteral("OpacityFacet"),      QStringLiteral("FilterFacet"),
                                    QStringLiteral("PathGeometryFacet"), QStringLiteral("PathFacet"),
                                    QStringLiteral("StrokeFacet"),       QStringLiteral("ArrowFacet"),
                                    QStringLiteral("TextFacet")};
    return facets;
}

class PathClass : public AbstractPointerClass {
public:
    using AbstractPointerClass::AbstractPointerClass;
    QString title() const override { return pf::localized(QStringLiteral("Smart Path (S)")); }
    QString shortTitle() const override { return pf::localized(QStringLiteral("Smart Path")); }
    QString longDescription() const override { return pf::localized(QStringLiteral("A Smart Path")); }
    QString iconImageName() const override { return {}; }
    QString extraSearchString() const override
    {
        return QStringLiteral("bezier bezierpaths nsbezierpath bezers beizers biezers beiziers bieziers lines curves "
                              "paths segments uml state activity");
    }
    QString negativeSearchString() const override { return QStringLiteral(""); }
    const QStringList& facetClassNames() const override { return pathFacets(); }
    QString manipulatorClassName() const override { return QStringLiteral("PathManipulator"); }
    std::shared_ptr<Shape> libraryListItemShapeWithFrame(const pf::Rect& frame) const override
    {
        return Path::libraryPath(*this, frame);
    }
    // A path of this class on the frame, with mid points only when the caller passes 1 in; 1 comes back.
    std::shared_ptr<Shape> pointerFromConnectionOptionsWithFrame(const pf::Rect& frame, int optionHandle,
                                                                 int* resizeHandle) const override
    {
        (void)optionHandle;
        const bool midPoints = resizeHandle && *resizeHandle == 1;
        auto shape = allocate();
        if (auto* path = dynamic_cast<Path*>(shape.get()))
            path->initWithFrameMidPoints(frame, midPoints);
        else
            shape->initWithFrame(frame);
        if (resizeHandle)
            *resizeHandle = 1;
        return shape;
    }
};

// Shown as a brush: the brush's titles, panels, manipulator and sticky family, and no sticky style of its own.
class BrushPathClass : public PathClass {
public:
    using PathClass::PathClass;
    QString title() const override { return Brush::staticClass().title(); }
    QString shortTitle() const override { return Brush::staticClass().shortTitle(); }
    const QStringList& facetClassNames() const override { return Brush::staticClass().facetClassNames(); }
    QString manipulatorClassName() const override { return QStringLiteral("BrushManipulator"); }
    QString stickyTypeName() const override { return Brush::staticClass().stickyTypeName(); }
    QString stickyPhylumName() const override { return stickyTypeName(); }
    bool isStickySettingEnabled() const override { return false; }
};

} // namespace

void registerPathShapes(pf::ClassRegistry& registry)
{
    registry.add(Path::staticClass());
    registry.add(BrushPath::staticClass());
}

const AbstractPointerClass& Path::staticClass()
{
    static const PathClass c(QStringLiteral("Path"), &AbstractPointer::staticClass(), &Shape::allocate<Path>);
    return c;
}

const AbstractPointerClass& BrushPath::staticClass()
{
    static const BrushPathClass c(QStringLiteral("BrushPath"), &Path::staticClass(), &Shape::allocate<BrushPath>);
    return c;
}

const pf::PropertyTable& Path::properties()
{
    static const pf::PropertyTable table = [] {
        pf::PropertyTable t(&AbstractPointer::properties());
        t.add("frameTranslationEnabled", &Path::frameTranslationEnabled, &Path::setFrameTranslationEnabled);
        t.add("hideHandles", &Path::hideHandles, &Path::setHideHandles);
        return t;
    }();
    return table;
}

// ---- creation ----

void Path::initWithFrameMidPoints(const pf::Rect& frame, bool midPoints)
{
    AbstractPointer::initWithFrame(frame);
    // A path is stroked only.
    Shape::setFillType(5);
    Shape::setFillColor(std::nullopt);
    const ShapeClass& k = shapeClass();
    const auto type = static_cast<std::uint64_t>(std::max<std::int64_t>(0, k.stickyIntegerForKey(QStringLiteral("pathType"))));
    const double ratio = k.stickyDoubleForKey(QStringLiteral("curveRatio"));
    setPathType(type);
    setCurveRatio(ratio);
    frameTranslationEnabled_ = true;
    const pf::Point topLeft(frame.x(), frame.y()), bottomRight(frame.maxX(), frame.maxY());
    if (midPoints)
        setModelPoints({topLeft, pf::Point(frame.x() + 0.25 * frame.width(), frame.midY()),
                        pf::Point(frame.x() + 0.75 * frame.width(), frame.midY()), bottomRight});
    else
        setModelPoints({topLeft, bottomRight, bottomRight});
}

std::shared_ptr<Shape> Path::libraryPath(const ShapeClass& kind, const pf::Rect& frame)
{
    auto path = kind.newShape(frame);
    auto* p = static_cast<Path*>(path.get());
    p->setPathType(1);
    p->setCurveRatio(0.25);
    p->setLibraryStrokeStyle();
    // The points of a new four-point path on the frame.
    p->setModelPoints({pf::Point(frame.x(), frame.y()), pf::Point(frame.x() + 0.25 * frame.width(), frame.midY()),
                       pf::Point(frame.x() + 0.75 * frame.width(), frame.midY()), pf::Point(frame.maxX(), frame.maxY())});
    return path;
}

// ---- points ----

void Path::setModelPoints(ModelPoints points)
{
    if (points.size() < 2) {
        qCWarning(lcPath, "Path: refused %zu points; a path keeps at least two", points.size());
        return;
    }
    if (points == modelPoints_)
        return;
    if (!modelPoints_.empty())
        pf::registerUndo(undoManager(), this, [old = modelPoints_](Path& p) { p.setModelPoints(old); },
                         pf::localized(QStringLiteral("Adjust Path")));
    modelPoints_ = std::move(points);
    pointsChanged();
}

void Path::pointsChanged()
{
    setNeedsDisplay();
    // The inherited rebuild drops the hit outline and the visible parts with the path.
    AbstractPointer::regeneratePathWithOldFrame(frame());
    updateContentImage();
    refitFrame();
    setDirtyRectFlag();
    setNeedsDisplay();
}

void Path::setPointAtIndex(const pf::Point& point, std::size_t index)
{
    if (index >= modelPoints_.size())
        return;
    modelPoints_[index] = QVPointRound(point);
    pointsChanged();
}

void Path::appendPoint(const pf::Point& point)
{
    ModelPoints points = modelPoints_;
    points.push_back(point);
    setModelPoints(std::move(points));
}

void Path::insertPoint(const pf::Point& point)
{
    const double tolerance = strokeLineWidth() / 2 + 5;
    const int element = geom::elementHitByPointToleranceTValue(path(), point, tolerance, nullptr);
    if (element < 0)
        return;
    const std::size_t index = modelIndexForBezierIndex(element);
    if (index >= modelPoints_.size())
        return;
    ModelPoints points = modelPoints_;
    points.insert(points.begin() + std::ptrdiff_t(index), point);
    setModelPoints(std::move(points));
}

void Path::removePoint(const pf::Point& point)
{
    removeModelPointAtIndex(modelIndexClosestToPoint(point));
}

void Path::removeLastPoint()
{
    if (modelPoints_.size() >= 3)
        removeModelPointAtIndex(modelPoints_.size() - 1);
}

void Path::removeSecondPoint()
{
    if (modelPoints_.size() >= 3)
        removeModelPointAtIndex(1);
}

void Path::removeModelPointAtIndex(std::size_t index)
{
    // A path of one point has no ends to draw or attach.
    if (index >= modelPoints_.size() || modelPoints_.size() <= 2)
        return;
    ModelPoints points = modelPoints_;
    points.erase(points.begin() + std::ptrdiff_t(index));
    setModelPoints(std::move(points));
}

std::size_t Path::modelIndexClosestToPoint(const pf::Point& point) const
{
    std::size_t best = 0;
    double bestDistance = INFINITY;
    for (std::size_t i = 0; i < modelPoints_.size(); ++i) {
        const double d = distance(modelPoints_[i], point);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

std::size_t Path::modelIndexForBezierIndex(int element) const
{
    std::size_t index = 0;
    if (element < 1)
        index = 0;
    else if (element == 1)
        index = 1;
    else if (pathType() == 0)
        index = std::size_t(element / 2 + 1); // a line and a corner per interior point
    else if (pathType() == 1)
        index = std::size_t(element); // one curve per point
    return modelPoints_.empty() ? 0 : std::min(index, modelPoints_.size() - 1);
}

void Path::setConnectionPointForCorner(const pf::Point& point, QVRectCorner corner)
{
    if (modelPoints_.empty())
        return;
    frameTranslationEnabled_ = false;
    setPointAtIndex(point, corner == 0 ? 0 : modelPoints_.size() - 1);
    frameTranslationEnabled_ = true;
}

// ---- frame ----

void Path::refitFrame()
{
    if (path().isEmpty())
        return;
    // Follows the points: undoing their change refits the frame again, so the refit registers nothing.
    const bool translating = frameTranslationEnabled_;
    frameTranslationEnabled_ = false;
    const bool disabled = disableUndo();
    setFrame(path().bounds());
    reenableUndoIf(disabled);
    frameTranslationEnabled_ = translating;
}

void Path::regeneratePathWithOldFrame(const pf::Rect& oldFrame)
{
    // A frame set again from the zero rect (the outline rebuilt in place) is no move.
    if (frameTranslationEnabled_ && oldFrame != pf::Rect::zero()) {
        const double dx = frame().x() - oldFrame.x(), dy = frame().y() - oldFrame.y();
        if (dx != 0 || dy != 0)
            for (pf::Point& p : modelPoints_)
                p = pf::Point(p.x + dx, p.y + dy);
    }
    AbstractPointer::regeneratePathWithOldFrame(oldFrame);
}

void Path::setRotationAngle(std::int64_t degrees)
{
    const std::int64_t old = rotationAngle();
    if (degrees == old)
        return;
    Shape::setRotationAngle(degrees);
    if (rotationAngle() == old)
        return;
    // The change turns the points; undoing it turns them back through this setter.
    const bool disabled = disableUndo();
    const pf::Point c = center();
    for (pf::Point& p : modelPoints_)
        p = turnedAbout(p, c, (rotationAngle() % 360) - (old % 360));
    regeneratePathWithOldFrame(frame());
    reenableUndoIf(disabled);
    setDirtyRectFlag();
    setNeedsDisplay();
}

void Path::setPathType(std::uint64_t type)
{
    if (type == pathType())
        return;
    AbstractPointer::setPathType(type);
    pointsChanged();
}

void Path::setEditingText(bool editing)
{
    frameTranslationEnabled_ = !editing;
    AbstractPointer::setEditingText(editing);
}

// ---- outline ----

void Path::appendPath(pf::Path& path) const
{
    if (pathType() == 0)
        appendStraight(path);
    else if (pathType() == 1)
        appendRounded(path);
}

void Path::appendStraight(pf::Path& path) const
{
    const ModelPoints& p = modelPoints_;
    if (p.empty())
        return;
    const double r = 25.0 * curveRatio();
    path.moveTo(p.front());
    for (std::size_t i = 1; i + 1 < p.size(); ++i) {
        const pf::Point& q = p[i - 1];
        const pf::Point& c = p[i];
        const pf::Point& n = p[i + 1];
        // Each side of a corner takes at most half of its leg.
        const double t1 = std::min(r, distance(q, c) / 2), t2 = std::min(r, distance(c, n) / 2);
        const auto along = [&c](double t, const pf::Point& toward) {
            const auto degrees = static_cast<std::int64_t>(directionDegrees(c, toward) + 180.0);
            return turnedAbout(QVPointRound(pf::Point(c.x - t, c.y)), c, degrees);
        };
        const pf::Point entry = along(t1, q), exit = along(t2, n);
        path.lineTo(entry);
        path.curveTo(entry, c, exit);
    }
    if (p.size() > 1)
        path.lineTo(p.back());
}

void Path::appendRounded(pf::Path& path) const
{
    const ModelPoints& p = modelPoints_;
    if (p.empty())
        return;
    const double m = curveRatio();
    path.moveTo(p.front());
    pf::Point pending = p.front();
    for (std::size_t i = 1; i < p.size(); ++i) {
        const pf::Point& q = p[i - 1];
        const pf::Point& c = p[i];
        if (i + 1 == p.size()) {
            path.curveTo(pending, c, c);
            break;
        }
        const pf::Point& n = p[i + 1];
        // The tangent at a point is parallel to the chord of its neighbours.
        const double chord = directionDegrees(q, n) + 180.0;
        const double h = std::min({2 * m * distance(q, c), 2 * m * distance(c, n), 100 * m});
        const pf::Point up(c.x, c.y + h);
        const pf::Point back = turnedAbout(up, c, static_cast<std::int64_t>(chord - 90));
        const pf::Point forward = turnedAbout(up, c, static_cast<std::int64_t>(chord + 90));
        path.curveTo(pending, back, c);
        pending = forward;
    }
}

// ---- ends ----

std::size_t Path::getEndPoints(pf::Point (&points)[4]) const
{
    const ModelPoints& p = modelPoints_;
    if (pathType() != 1 || path().isEmpty()) {
        if (p.empty())
            return 0;
        const std::size_t n = p.size();
        points[0] = p[0];
        points[1] = p[std::min<std::size_t>(1, n - 1)];
        points[2] = p[n >= 2 ? n - 2 : 0];
        points[3] = p[n - 1];
        return n;
    }
    const pf::Path& outline = path();
    const int n = outline.elementCount();
    const auto pointOf = [&](int index, int slot) {
        const pf::PathElement& e = outline.element(std::clamp(index, 0, n - 1));
        if (e.type != pf::PathElementType::CurveTo)
            return e.endPoint();
        if (slot == 1)
            return e.points[1];
        return e.endPoint();
    };
    points[0] = pointOf(0, 0);
    points[1] = pointOf(1, 1);
    points[2] = pointOf(n - 2, 2);
    points[3] = pointOf(n - 1, 3);
    const pf::PathElement& last = outline.element(n - 1);
    if (last.type == pf::PathElementType::CurveTo)
        points[2] = last.points[0];
    const double w = strokeLineWidth();
    if (w == std::floor(w) && std::fmod(w, 2.0) == 0.0)
        for (pf::Point& point : points)
            point = pf::Point(point.x + 0.5, point.y + 0.5);
    return std::size_t(n);
}

pf::Point Path::pointA() const
{
    pf::Point points[4];
    getEndPoints(points);
    return points[0];
}

pf::Point Path::pointB() const
{
    pf::Point points[4];
    getEndPoints(points);
    return points[3];
}

double Path::currentAngleForArrowA() const
{
    pf::Point points[4];
    getEndPoints(points);
    return directionDegrees(points[0], points[1]) + 180.0;
}

double Path::currentAngleForArrowB() const
{
    pf::Point points[4];
    getEndPoints(points);
    return directionDegrees(points[3], points[2]) + 180.0;
}

namespace {

// The point 6 units from `end` towards `next`, through the segment's midpoint and whole-degree direction.
pf::Point labelPoint(const pf::Point& end, const pf::Point& next)
{
    const pf::Point mid((end.x + next.x) / 2, (end.y + next.y) / 2);
    const auto degrees = static_cast<std::int64_t>(directionDegrees(end, next));
    const double half = distance(end, next) / 2;
    const auto [cosine, sine] = turn(degrees);
    const double back = half - 6;
    return QVPointRound(pf::Point(mid.x - back * cosine, mid.y - back * sine));
}

} // namespace

pf::Point Path::labelPointA() const
{
    if (modelPoints_.size() < 2)
        return modelPoints_.empty() ? pf::Point() : modelPoints_.front();
    return labelPoint(modelPoints_[0], modelPoints_[1]);
}

pf::Point Path::labelPointB() const
{
    if (modelPoints_.size() < 2)
        return modelPoints_.empty() ? pf::Point() : modelPoints_.back();
    const std::size_t n = modelPoints_.size();
    return labelPoint(modelPoints_[n - 1], modelPoints_[n - 2]);
}

// ---- drawing ----

void Path::drawStrokeInContext(pf::GraphicsContext& context)
{
    context.saveGState();
    clipOutArrowHeads(context, 0);
    if (isEditingText() || attributedText())
        outline::clipOut(context, textClipPath());
    AbstractPointer::drawStrokeInContext(context);
    context.restoreGState();
}

void Path::drawArrowsInContext(pf::GraphicsContext& context)
{
    // The rounded outline's ends already carry the even stroke's half point.
    drawArrowHeads(context, 0);
}

pf::Rect Path::calcDirtyRect() const
{
    pf::Rect r = boundingRect();
    if (!path().isEmpty())
        r = QVCombineRects(r, path().controlPointBounds());
    const double fill = std::max(std::fabs(fillShadowOffsetX()), std::fabs(fillShadowOffsetY())) + std::fabs(fillShadowBlur());
    const double stroke =
        std::max(std::fabs(strokeShadowOffsetX()), std::fabs(strokeShadowOffsetY())) + std::fabs(strokeShadowBlur());
    const double g = std::max({fill, stroke, 2 * strokeLineWidth() + 4, 10.0 / currentScale()});
    r = QVRectOutset(r, g, g);
    // A filtered path paints its filtered picture, which reaches further.
    return hasContentFilters() ? QVCombineRects(r, filteredDirtyRect()) : r;
}

// ---- hit testing ----

const pf::Path& Path::intersectionPath() const
{
    if (const std::optional<pf::Path>& cached = cachedIntersectionPath())
        return *cached;
    const double width = strokeLineWidth() + 10.0 / currentScale();
    setIntersectionPath(path().strokedOutline(width, static_cast<pf::LineCap>(std::clamp(strokeLineCap(), 0, 2)),
                                              static_cast<pf::LineJoin>(std::clamp(strokeLineJoin(), 0, 2)), 0));
    return *cachedIntersectionPath();
}

bool Path::containsPoint(const pf::Point& point) const
{
    if (isHidden())
        return false;
    if (intersectionPath().containsPoint(point, pf::WindingRule::NonZero)) {
        // Inside a shape an end is attached to at its centre, only the text and the points hit.
        const auto inside = [&](QVRectCorner corner) {
            const auto shape = shapeAttachedAtCentre(corner);
            return shape && shape->containsPoint(point);
        };
        if (!inside(cornerA()) && !inside(cornerB()))
            return true;
    }
    if (attributedText() && textBoundingRect().contains(point))
        return true;
    const double side = 10.0 / currentScale();
    for (std::size_t i = 1; i + 1 < modelPoints_.size(); ++i)
        if (QVSquareAroundPoint(modelPoints_[i], side).contains(point))
            return true;
    return false;
}

// ---- fixed values ----

void Path::setFillType(std::uint64_t type)
{
    (void)type;
    Shape::setFillType(5);
}

void Path::setFillColor(pf::OptionalColor color)
{
    (void)color;
    Shape::setFillColor(std::nullopt);
}

const pf::Path& Path::textClipPath() const
{
    const std::optional<pf::Path> bounding = textBoundingPath();
    textClip_ = bounding ? *bounding : pf::Path();
    return textClip_;
}

// ---- drags ----

void Path::beginDrag()
{
    AbstractPointer::beginDrag();
    dragStartModelPoints_ = modelPoints_;
}

void Path::endDrag(const pf::Event& event)
{
    (void)event;
    if (dragStartModelPoints_ && *dragStartModelPoints_ != modelPoints_) {
        ModelPoints reached = std::move(modelPoints_);
        modelPoints_ = *dragStartModelPoints_;
        setModelPoints(std::move(reached));
    }
    dragStartModelPoints_.reset();
}

// ---- equality, copy, stored form ----

bool Path::isEqualToShape(const Shape& other) const
{
    const auto* path = dynamic_cast<const Path*>(&other);
    return path && isEqualToPath(*path);
}

bool Path::isEqualToPath(const Path& other) const
{
    return isEqualToPointer(other) && modelPoints_ == other.modelPoints_;
}

void Path::copyFrom(const Shape& source)
{
    const auto& s = static_cast<const Path&>(source);
    // Before the frame is copied, which builds the outline; the copy's frame must not move the points.
    modelPoints_ = s.modelPoints_;
    hideHandles_ = s.hideHandles_;
    frameTranslationEnabled_ = false;
    AbstractPointer::copyFrom(source);
    AbstractPointer::regeneratePathWithOldFrame(frame());
    frameTranslationEnabled_ = true;
}

pf::Value Path::asPlist() const
{
    pf::Value plist = AbstractPointer::asPlist();
    pf::Value::Array points;
    points.reserve(modelPoints_.size());
    for (const pf::Point& p : modelPoints_)
        points.emplace_back(pf::toString(p));
    plist.set(modelPointsKey, pf::Value(std::move(points)));
    return plist;
}

std::optional<Path::ModelPoints> Path::pointsFromPathData(const pf::Value& stored)
{
    QString error = QStringLiteral("not data");
    const std::optional<pf::Path> legacy = stored.isData() ? pathdata::decode(stored.asData(), &error) : std::nullopt;
    if (!legacy) {
        qCWarning(lcPath, "Path: the stored bezier path is unreadable (%s)", qUtf8Printable(error));
        return std::nullopt;
    }
    // One point per element; a close returns to its subpath's start and adds none.
    ModelPoints points;
    for (const pf::PathElement& e : legacy->elements())
        if (e.type != pf::PathElementType::Close)
            points.push_back(e.endPoint());
    return points;
}

void Path::readPlist(const pf::Value& plist)
{
    // The frame the reader sets must not move the points read below.
    frameTranslationEnabled_ = false;
    AbstractPointer::readPlist(plist);
    Shape::setFillType(5);
    Shape::setFillColor(std::nullopt);

    std::optional<ModelPoints> points;
    const pf::Value& legacy = plist.objectForKey(pathDataKey);
    if (!legacy.isNull())
        points = pointsFromPathData(legacy);
    if (!points || points->empty()) {
        ModelPoints stored;
        for (const pf::Value& v : plist.objectForKey(modelPointsKey).asArray()) {
            if (!v.isString()) {
                qCWarning(lcPath, "Path: a stored point is not a point string; skipped");
                continue;
            }
            stored.push_back(pf::pointFromString(v.asString()));
        }
        points = std::move(stored);
    }
    // A line needs two ends: one point stands for both, none leaves the corners of the stored frame.
    if (points->size() == 1) {
        qCWarning(lcPath, "Path: a stored path has one point; it is used for both ends");
        points->push_back(points->front());
    } else if (points->empty()) {
        qCWarning(lcPath, "Path: a stored path has no points; it runs across its stored frame");
        points = ModelPoints{pf::Point(frame().x(), frame().y()), pf::Point(frame().maxX(), frame().maxY())};
    }
    modelPoints_.clear(); // reading is not an edit: no undo step
    setModelPoints(std::move(*points));
    frameTranslationEnabled_ = true;
}

void Path::applyStyle(const pf::Value& style)
{
    AbstractPointer::applyStyle(style);
    Shape::setFillType(5);
    Shape::setFillColor(std::nullopt);
    pointsChanged();
}
