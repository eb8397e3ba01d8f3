#include "shapes/RatioOutlines.h"

#include "geometry/QVRect.h"

#include <cmath>

using outline::appendPolygon;
using outline::appendPolyline;
using outline::Catalogue;
using outline::CatalogueClass;
using outline::RatioX;
using outline::RatioY;

namespace {

pf::Point rounded(double x, double y) { return QVPointRound(pf::Point(x, y)); }

// The head's base and the shaft's top edge: Arrow, DoubleArrow and Note place their handle alike.
pf::Point arrowAdjustPoint(const Shape& s)
{
    const pf::Rect r = QVRectRound(s.frame());
    return rounded(r.x() + r.width() - s.adjustmentRatioX() * r.width() / 2,
                   r.y() + r.height() / 2 - s.adjustmentRatioY() * r.height() / 2);
}

// What every outline here is built from: the frame rounded to whole points and the handle.
struct Geometry {
    double x, y, w, h;
    pf::Point a;
};
Geometry geometryOf(const Shape& s)
{
    const pf::Rect r = QVRectRound(s.frame());
    return {r.x(), r.y(), r.width(), r.height(), s.adjustPoint()};
}

} // namespace

// ---- Arrow, DoubleArrow ----

const ShapeClass& Arrow::staticClass()
{
    static const CatalogueClass<> c(QStringLiteral("Arrow"), &Shape::staticClass(), &Shape::allocate<Arrow>,
                                    Catalogue{"Big Arrow", "Big Arrow", "A Big Arrow.",
                                              "lines pointers outputs next previous", "ArrowManipulator",
                                              RatioX | RatioY});
    return c;
}

pf::Point Arrow::adjustPoint() const
{
    return arrowAdjustPoint(*this);
}

void Arrow::appendPath(pf::Path& path) const
{
    const auto [x, y, w, h, a] = geometryOf(*this);
    // The shaft's bottom edge mirrors its top about the middle.
    const double below = std::round(2 * (y + h / 2) - a.y);
    appendPolygon(path, {{x, a.y}, a, {a.x, y}, {x + w, y + h / 2}, {a.x, y + h}, {a.x, below}, {x, below}});
}

const ShapeClass& DoubleArrow::staticClass()
{
    static const CatalogueClass<> c(QStringLiteral("DoubleArrow"), &Arrow::staticClass(),
                                    &Shape::allocate<DoubleArrow>,
                                    Catalogue{"Double Arrow", "Double Arrow", "A Double Arrow.",
                                              "lines pointers doubles next previous", "ArrowManipulator",
                                              RatioX | RatioY});
    return c;
}

void DoubleArrow::appendPath(pf::Path& path) const
{
    const auto [x, y, w, h, a] = geometryOf(*this);
    const double head = x + w - a.x;
    const double halfShaft = y + h / 2 - a.y;
    const double left = std::round(x + head);
    const double below = std::round(y + h / 2 + halfShaft);
    appendPolygon(path, {{x + w / 2, a.y}, a, {a.x, y}, {x + w, y + h / 2}, {a.x, y + h}, {a.x, below},
                         {x + w / 2, below}, {left, below}, {left, y + h}, {x, y + h / 2}, {left, y},
                         {left, std::round(y + h / 2 - halfShaft)}});
}

// ---- Note ----

const ShapeClass& Note::staticClass()
{
    static const CatalogueClass<> c(QStringLiteral("Note"), &Shape::staticClass(), &Shape::allocate<Note>,
                                    Catalogue{"Note", "Note", "An Note.", "documents files notes uml",
                                              "ArrowManipulator", RatioX | RatioY});
    return c;
}

pf::Point Note::adjustPoint() const
{
    return arrowAdjustPoint(*this);
}

void Note::appendPath(pf::Path& path) const
{
    const auto [x, y, w, h, a] = geometryOf(*this);
    appendPolygon(path, {{x + w / 2, y}, {a.x, y}, {x + w, a.y}, {x + w, y + h}, {x, y + h}, {x, y}});
}

std::optional<pf::Path> Note::interiorStrokePath() const
{
    const auto [x, y, w, h, a] = geometryOf(*this);
    pf::Path fold;
    appendPolyline(fold, {{a.x, y}, a, {x + w, a.y}});
    return outline::rotated(*this, std::move(fold));
}

const pf::Path& Note::imageClipPath() const
{
    return imageClip_.get(*this, [this] {
        const auto [x, y, w, h, a] = geometryOf(*this);
        pf::Path sheet;
        appendPolygon(sheet, {{x + w / 2, y}, {a.x, y}, a, {x + w, a.y}, {x + w, y + h}, {x, y + h}, {x, y}});
        return outline::rotated(*this, std::move(sheet));
    });
}

// ---- Folder ----

const ShapeClass& Folder::staticClass()
{
    static const CatalogueClass<> c(QStringLiteral("Folder"), &Shape::staticClass(), &Shape::allocate<Folder>,
                                    Catalogue{"Folder", "Folder", "An Folder.", "packages tabs documents folders uml",
                                              "FolderManipulator", RatioX | RatioY});
    return c;
}

pf::Point Folder::adjustPoint() const
{
    const pf::Rect r = QVRectRound(frame());
    return rounded(r.x() + adjustmentRatioX() * r.width(), r.y() + adjustmentRatioY() * r.height() / 2);
}

void Folder::appendPath(pf::Path& path) const
{
    const auto [x, y, w, h, a] = geometryOf(*this);
    appendPolygon(path, {{x + w, a.y}, {x + w, y + h}, {x, y + h}, {x, y}, {a.x, y}, a});
}

std::optional<pf::Path> Folder::interiorStrokePath() const
{
    const pf::Point a = adjustPoint();
    pf::Path tabLine;
    appendPolyline(tabLine, {{QVRectRound(frame()).x(), a.y}, a});
    return outline::rotated(*this, std::move(tabLine));
}

pf::Rect Folder::bodyRect() const
{
    const pf::Rect& f = frame();
    const double top = adjustPoint().y;
    return QVRectRound(pf::Rect(f.x(), top, f.width(), f.y() + f.height() - top));
}

pf::Rect Folder::textRect() const
{
    const pf::Size pad = textPadSize();
    return bodyRect().insetBy(pad.width, pad.height);
}

const pf::Path& Folder::textClipPath() const
{
    return textClip_.get(*this, [this] { return outline::rotated(*this, pf::Path::rect(bodyRect())); });
}

// ---- Box ----

const ShapeClass& Box::staticClass()
{
    static const CatalogueClass<> c(QStringLiteral("Box"), &Shape::staticClass(), &Shape::allocate<Box>,
                                    Catalogue{"Box", "Box", "An Box.", "nodes 3D 3d squares boxes", "BoxManipulator",
                                              RatioX | RatioY});
    return c;
}

pf::Point Box::adjustPoint() const
{
    const pf::Rect r = QVRectRound(frame());
    return rounded(r.x() + r.width() - adjustmentRatioX() * r.width(), r.y() + adjustmentRatioY() * r.height());
}

void Box::appendPath(pf::Path& path) const
{
    const auto [x, y, w, h, a] = geometryOf(*this);
    const double dx = adjustmentRatioX() * w, dy = adjustmentRatioY() * h;
    appendPolygon(path, {rounded(x, y + h), rounded(x, a.y), rounded(x + dx, y), rounded(x + w, y),
                         rounded(x + w, y + h - dy), rounded(a.x, y + h)});
}

std::optional<pf::Path> Box::interiorStrokePath() const
{
    const auto [x, y, w, h, a] = geometryOf(*this);
    pf::Path edges;
    appendPolyline(edges, {rounded(x, a.y), a, rounded(x + w, y)});
    appendPolyline(edges, {a, rounded(a.x, y + h)});
    return outline::rotated(*this, std::move(edges));
}

pf::Rect Box::frontFace() const
{
    const pf::Rect& f = frame();
    const pf::Point a = adjustPoint();
    return QVRectRound(pf::Rect(f.x(), a.y, a.x - f.x(), f.y() + f.height() - a.y));
}

pf::Rect Box::textRect() const
{
    const pf::Size pad = textPadSize();
    return frontFace().insetBy(pad.width, pad.height);
}

const pf::Path& Box::textClipPath() const
{
    return textClip_.get(*this, [this] { return pf::Path::rect(frontFace()); });
}

const pf::Path& Box::imageClipPath() const
{
    return imageClip_.get(*this, [this] { return outline::rotated(*this, textClipPath()); });
}

// ---- Pie ----

namespace {

class PieClass : public CatalogueClass<> {
public:
    using CatalogueClass<>::CatalogueClass;
    // The preview stands a point higher and a point larger than the frame asked for.
    std::shared_ptr<Shape> libraryListItemShapeWithFrame(const pf::Rect& frame) const override
    {
        return CatalogueClass<>::libraryListItemShapeWithFrame(
            pf::Rect(frame.x(), frame.y() - 1, frame.width() + 1, frame.height() + 1));
    }
};

} // namespace

const ShapeClass& Pie::staticClass()
{
    static const PieClass c(QStringLiteral("Pie"), &Shape::staticClass(), &Shape::allocate<Pie>,
                            Catalogue{"Pie", "Pie", "A Pie Chart.", "pi pies charts circles ellipses elipses elippses",
                                      "PieManipulator", RatioX});
    return c;
}

void Pie::appendPath(pf::Path& path) const
{
    const pf::Rect r = QVRectRound(frame());
    if (adjustmentRatioX() == 1.0) {
        path.appendOval(r);
        return;
    }
    // The wedge is drawn round and then squashed by h / w.
    if (r.width() == 0)
        return;
    const pf::Point c = QVPointRound(QVRectGetMidMidPoint(frame()));
    pf::Path wedge;
    wedge.moveTo(c);
    wedge.addArc(c, std::round(r.width() / 2), 0, adjustmentRatioX() * 360, false);
    wedge.close();
    const pf::Point centre = QVRectGetMidMidPoint(frame());
    wedge.transform(pf::AffineTransform::translation(-centre.x, -centre.y)
                        .concat(pf::AffineTransform::scale(1, r.height() / r.width()))
                        .concat(pf::AffineTransform::translation(centre.x, centre.y)));
    path.append(wedge);
}

pf::Point Pie::adjustPoint() const
{
    const pf::Rect r = QVRectRound(QVRectGetNormalizedRect(frame()));
    const double x = adjustmentRatioX();
    if (r.width() > r.height())
        return pf::Point(std::round(r.x() + r.width() - r.width() * x), r.y());
    return pf::Point(r.x(), std::round(r.y() + r.height() - r.height() * x));
}

std::optional<pf::Path> Pie::gradientFillPath() const
{
    return outline::rotated(*this, pf::Path::oval(frame()));
}

pf::Rect Pie::boundingRect() const
{
    return boundingRectForFrame(frame());
}
