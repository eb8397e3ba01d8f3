#include "shapes/StarPolygonCylinder.h"

#include "geometry/QVRect.h"

#include <array>
#include <cmath>
#include <span>

using outline::Catalogue;
using outline::CatalogueClass;

namespace {

constexpr double pi = 3.141592653589793;

QStringList facets(const char* geometryFacet)
{
    return {QStringLiteral("OpacityFacet"), QStringLiteral("FilterFacet"), QString::fromLatin1(geometryFacet),
            QStringLiteral("FillFacet"),    QStringLiteral("StrokeFacet"), QStringLiteral("TextFacet"),
            QStringLiteral("ImageFacet")};
}

// Star and Polygon list their panels in their own order, the polygon with its sides panel.
class FacetedClass : public CatalogueClass<> {
public:
    FacetedClass(QString name, ShapeClass::Allocator allocator, const Catalogue& catalogue, const char* geometryFacet)
        : CatalogueClass<>(std::move(name), &Shape::staticClass(), allocator, catalogue), facets_(facets(geometryFacet))
    {
    }
    const QStringList& facetClassNames() const override { return facets_; }

private:
    QStringList facets_;
};

pf::AffineTransform about(const pf::Point& c, const pf::AffineTransform& t)
{
    return pf::AffineTransform::translation(-c.x, -c.y).concat(t).concat(pf::AffineTransform::translation(c.x, c.y));
}

} // namespace

// ---- Star ----

const ShapeClass& Star::staticClass()
{
    static const FacetedClass c(QStringLiteral("Star"), &Shape::allocate<Star>,
                                Catalogue{"Star", "Star", "A Star.", "stars", "StarManipulator", outline::RatioX},
                                "GeometryFacet");
    return c;
}

const pf::PropertyTable& Star::properties()
{
    static const pf::PropertyTable table = [] {
        pf::PropertyTable t(&Shape::properties());
        t.add("numberOfSides", &Star::numberOfSides);
        t.add("centerRadius", &Star::centerRadius);
        return t;
    }();
    return table;
}

double Star::centralAngle() const
{
    return 360.0 / static_cast<double>(numberOfSides()) * pi / 180.0;
}

void Star::appendPath(pf::Path& path) const
{
    const pf::Rect& f = frame();
    const double w = f.width(), h = f.height();
    // The figure is scaled by h / w and then to the frame's size: without an extent it has no shape.
    if (w == 0 || h == 0)
        return;
    const double a = centralAngle();
    const double outer = std::round(w / 2);
    const double inner = centerRadius();
    // Each arm is added at angle 0 and the whole figure turned on by one point, so the inner point of an
    // arm sits at (c, -c/a) from its outer point's direction rather than on the bisector.
    pf::Path star;
    star.moveTo(pf::Point(outer, 0));
    const pf::AffineTransform turn = pf::AffineTransform::rotation(a);
    for (std::uint64_t i = 0; i < numberOfSides(); ++i) {
        star.lineTo(pf::Point(outer, 0));
        star.lineTo(pf::Point(inner, -inner / a));
        star.transform(turn);
    }
    star.close();
    const pf::Point centre(f.x() + w / 2, f.y() + h / 2);
    star.transform(pf::AffineTransform::rotation(-pi / 10).concat(pf::AffineTransform::translation(centre.x, centre.y)));
    star.transform(about(centre, pf::AffineTransform::scale(1, h / w)));
    pf::Rect b = star.bounds();
    // Degenerate (a zero ratio in a frame under a point) or overflowed by a ratio out of all range.
    if (!(b.width() > 0) || !(b.height() > 0) || !std::isfinite(b.width()) || !std::isfinite(b.height()))
        return;
    star.transform(about(centre, pf::AffineTransform::scale(std::fabs(w) / b.width(), std::fabs(h) / b.height())));
    b = star.bounds();
    star.transform(pf::AffineTransform::translation(0, (h < 0 ? f.y() + h : f.y()) - b.y()));
    path.append(star);
}

pf::Point Star::adjustPoint() const
{
    const pf::Rect r = QVRectRound(frame());
    const double x = adjustmentRatioX();
    return pf::Point(std::round(r.x() + r.width() / 2 + x * 0.2 * r.width()),
                     std::round(r.y() + r.height() / 2 - x * 0.25 * r.height()));
}

// ---- PolygonShape ----

namespace {

// Vertices in frame units, in drawing order. The polygons fill the frame rather than being regular.
constexpr std::array<pf::Point, 5> pentagon{{{0.5, 0}, {1, 0.5 - 0.08}, {1 - 0.18, 1}, {0.18, 1}, {0, 0.5 - 0.08}}};
constexpr std::array<pf::Point, 6> hexagon{
    {{0.5 - 0.225, 0}, {0.5 + 0.225, 0}, {1, 0.5}, {0.5 + 0.225, 1}, {0.5 - 0.225, 1}, {0, 0.5}}};
constexpr std::array<pf::Point, 7> heptagon{{{0.5, 0},
                                             {1 - 0.1, 0.2},
                                             {1, 0.5 + 0.13},
                                             {0.5 + 0.225, 1},
                                             {0.5 - 0.225, 1},
                                             {0, 0.5 + 0.13},
                                             {0.1, 0.2}}};
constexpr std::array<pf::Point, 8> octagon{{{0.5 - 0.225, 0},
                                            {0.5 + 0.225, 0},
                                            {1, 0.5 - 0.225},
                                            {1, 0.5 + 0.225},
                                            {0.5 + 0.225, 1},
                                            {0.5 - 0.225, 1},
                                            {0, 0.5 + 0.225},
                                            {0, 0.5 - 0.225}}};

std::span<const pf::Point> polygonTable(std::uint64_t sides)
{
    switch (sides) {
    case 0:
    case 5:
        return pentagon;
    case 6:
        return hexagon;
    case 7:
        return heptagon;
    case 8:
        return octagon;
    default:
        return {};
    }
}

} // namespace

const ShapeClass& PolygonShape::staticClass()
{
    static const FacetedClass c(
        QStringLiteral("PolygonShape"), &Shape::allocate<PolygonShape>,
        Catalogue{"Polygon", "Polygon", "A 5-8 sided shape.",
                  "fives 5 pent pentangles sides polygons octogons hexagons pentagrams"},
        "PolygonGeometryFacet");
    return c;
}

const pf::PropertyTable& PolygonShape::properties()
{
    static const pf::PropertyTable table = [] {
        pf::PropertyTable t(&Shape::properties());
        t.add("numberOfSides", &PolygonShape::numberOfSides, &PolygonShape::setNumberOfSides);
        return t;
    }();
    return table;
}

void PolygonShape::initWithFrame(const pf::Rect& frame)
{
    numberOfSides_ = 5;
    Shape::initWithFrame(frame);
}

void PolygonShape::setNumberOfSides(std::uint64_t sides)
{
    static const PropertyChange change{"numberOfSides", "Number of Sides", nullptr, Dirty | Redisplay};
    setProperty(numberOfSides_, sides, &PolygonShape::setNumberOfSides, change, [this] {
        regeneratePathWithOldFrame(pf::Rect::zero());
        applyRotationToPath();
    });
}

void PolygonShape::appendPath(pf::Path& path) const
{
    const std::span<const pf::Point> table = polygonTable(numberOfSides_);
    const pf::Rect& f = frame();
    for (std::size_t i = 0; i < table.size(); ++i) {
        const pf::Point p = QVPointRound(pf::Point(f.x() + table[i].x * f.width(), f.y() + table[i].y * f.height()));
        if (i == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
    if (!table.empty())
        path.close();
}

pf::Value PolygonShape::asPlist() const
{
    pf::Value plist = Shape::asPlist();
    plist.set(QStringLiteral("numberOfSides"), static_cast<std::int64_t>(std::min<std::uint64_t>(numberOfSides_, INT64_MAX)));
    return plist;
}

void PolygonShape::readPlist(const pf::Value& plist)
{
    Shape::readPlist(plist);
    setNumberOfSides(plist.unsignedIntegerForKey("numberOfSides"));
}

void PolygonShape::copyFrom(const Shape& source)
{
    // Before the frame is copied, which builds the outline.
    numberOfSides_ = static_cast<const PolygonShape&>(source).numberOfSides_;
    Shape::copyFrom(source);
}

// ---- Cylinder ----

const ShapeClass& Cylinder::staticClass()
{
    static const CatalogueClass<> c(QStringLiteral("Cylinder"), &Shape::staticClass(), &Shape::allocate<Cylinder>,
                                    Catalogue{"Cylinder", "Cylinder", "A Cylinder.", "tubes databases db round uml",
                                              "CylinderManipulator", outline::RatioY});
    return c;
}

// The rounded frame, the cap ends P1..P6 and the adjust point A (P1, P3 on the top cap's middle, P2 its
// top, P4, P6 on the bottom cap's middle, P5 its bottom).
struct Cylinder::Points {
    pf::Rect r;
    pf::Point p1, p2, p3, p4, p5, p6, a;
};

Cylinder::Points Cylinder::points() const
{
    Points p;
    const pf::Rect r = QVRectRound(frame());
    const double c = adjustmentRatioY() * r.height() / 2;
    p.r = r;
    p.p1 = QVPointRound(pf::Point(r.x(), r.y() + c));
    p.p2 = QVPointRound(QVRectGetTopMidPoint(r));
    p.p3 = QVPointRound(pf::Point(r.x() + r.width(), r.y() + c));
    p.p4 = QVPointRound(pf::Point(r.x(), r.y() + r.height() - c));
    p.p5 = QVPointRound(QVRectGetBotMidPoint(r));
    p.p6 = QVPointRound(pf::Point(r.x() + r.width(), r.y() + r.height() - c));
    p.a = QVPointRound(adjustPoint());
    return p;
}

pf::Point Cylinder::adjustPoint() const
{
    const pf::Rect r = QVRectRound(frame());
    return pf::Point(r.x() + r.width() / 2, std::round(r.y() + adjustmentRatioY() * r.height()));
}

void Cylinder::appendFrontEdge(pf::Path& path, const Points& p)
{
    path.moveTo(p.p1);
    path.curveTo(pf::Point(p.r.x(), p.a.y), p.a, p.a);
    path.curveTo(p.a, pf::Point(p.r.x() + p.r.width(), p.a.y), p.p3);
}

void Cylinder::appendPath(pf::Path& path) const
{
    const Points p = points();
    path.moveTo(p.p5);
    path.curveTo(p.p5, QVRectGetBotLefPoint(p.r), p.p4);
    path.lineTo(p.p1);
    path.curveTo(p.p1, QVRectGetTopLefPoint(p.r), p.p2);
    path.curveTo(p.p2, QVRectGetTopRitPoint(p.r), p.p3);
    path.lineTo(p.p6);
    path.curveTo(QVRectGetBotRitPoint(p.r), p.p5, p.p5);
    path.close();
}

pf::Path Cylinder::bodyPath() const
{
    const Points p = points();
    pf::Path body;
    body.moveTo(p.p5);
    body.curveTo(p.p5, QVRectGetBotLefPoint(p.r), p.p4);
    body.lineTo(p.p1);
    body.curveTo(pf::Point(p.r.x(), p.a.y), p.a, p.a);
    body.curveTo(p.a, pf::Point(p.r.x() + p.r.width(), p.a.y), p.p3);
    body.lineTo(p.p6);
    body.curveTo(QVRectGetBotRitPoint(p.r), p.p5, p.p5);
    body.close();
    return outline::rotated(*this, std::move(body));
}

std::optional<pf::Path> Cylinder::interiorStrokePath() const
{
    const Points p = points();
    return outline::rotated(*this, pf::Path::oval(pf::Rect(p.r.x(), p.r.y(), p.r.width(), p.a.y - p.r.y())));
}

void Cylinder::drawStrokeInContext(pf::GraphicsContext& context)
{
    Shape::drawStrokeInContext(context);
    pf::Path edge;
    appendFrontEdge(edge, points());
    outline::strokeInnerLines(*this, context, outline::rotated(*this, std::move(edge)));
}

pf::Rect Cylinder::textRect() const
{
    const pf::Rect& f = frame();
    const pf::Point a = adjustPoint();
    pf::Rect r;
    if (adjustmentRatioY() <= 0.5) {
        const double d = 0.7 * (a.y - f.y());
        r = pf::Rect(f.x(), f.y() + d, f.width(), f.height() - d);
    } else {
        r = pf::Rect(f.x(), f.y(), f.width(), a.y - f.y());
    }
    const pf::Size pad = textPadSize();
    return QVRectRound(r.insetBy(pad.width, pad.height));
}

const pf::Path& Cylinder::textClipPath() const
{
    return textClip_.get(*this, [this] { return adjustmentRatioY() <= 0.5 ? bodyPath() : *interiorStrokePath(); });
}
