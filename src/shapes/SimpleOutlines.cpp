#include "shapes/SimpleOutlines.h"

#include "geometry/BezierPathAdditions.h"
#include "geometry/QVRect.h"

#include <cmath>

using outline::appendPolygon;
using outline::Catalogue;
using outline::CatalogueClass;
using outline::RatioX;

namespace {

pf::Point rounded(double x, double y) { return QVPointRound(pf::Point(x, y)); }

} // namespace

// ---- RoundRectangle ----

const ShapeClass& RoundRectangle::staticClass()
{
    static const CatalogueClass<RectangleClass> c(
        QStringLiteral("RoundRectangle"), &Rectangle::staticClass(), &Shape::allocate<RoundRectangle>,
        Catalogue{"Rounded Rectangle (N)", "Rounded Rectangle", "A Rounded Rectangle.",
                  "rects squares boxes round rounded roundrectangles roundedrectangles", "RoundRectManipulator", RatioX});
    return c;
}

void RoundRectangle::appendPath(pf::Path& path) const
{
    const double x = adjustmentRatioX();
    if (x <= 0) {
        path.appendRect(frame());
        return;
    }
    const pf::Rect r = QVRectGetNormalizedRect(frame());
    // The radius follows the width only.
    if (x <= 0.5) {
        const double radius = std::fabs(frame().width() * x);
        path.appendRoundedRect(r, radius, radius);
    } else {
        const double radius = std::fabs(frame().width() * (1 - x));
        path.append(geom::bezierPathWithRoundRectXRadiusYRadiusCorners(
            r, radius, radius, geom::RoundedCornerTopLeft | geom::RoundedCornerTopRight));
    }
}

pf::Point RoundRectangle::adjustPoint() const
{
    const pf::Rect r = QVRectRound(QVRectGetNormalizedHeightRect(frame()));
    return pf::Point(std::round(r.x() + r.width() - adjustmentRatioX() * r.width()), r.y());
}

pf::Rect RoundRectangle::textRect() const
{
    const double x = std::fabs(adjustmentRatioX());
    // A quarter of the corner radius keeps text clear of the curve where it hugs a side.
    const double corner = frame().width() * (x <= 0.5 ? x : 1 - x) / 4;
    const pf::Size pad = textPadSize();
    const double halfStroke = strokeLineWidth() / 2;
    const double dx = pad.width + halfStroke + (textAlign() != 2 ? corner : 0.0);
    const double dy = pad.height + halfStroke + (textVerticalAlign() != 0 ? corner : 0.0);
    return QVRectRound(frame().insetBy(dx, dy));
}

pf::Rect RoundRectangle::boundingRect() const
{
    return boundingRectForFrame(frame());
}

// ---- Ellipse, Triangle, RightTriangle ----

const ShapeClass& Ellipse::staticClass()
{
    static const CatalogueClass<> c(QStringLiteral("Ellipse"), &Shape::staticClass(), &Shape::allocate<Ellipse>,
                                    Catalogue{"Ellipse (E)", "Ellipse", "An Ellipse.",
                                              "circles round elipses elippses pies pi uml state activity"});
    return c;
}

void Ellipse::appendPath(pf::Path& path) const
{
    path.appendOval(frame());
    path.close();
}

const ShapeClass& Triangle::staticClass()
{
    static const CatalogueClass<> c(QStringLiteral("Triangle"), &Shape::staticClass(), &Shape::allocate<Triangle>,
                                    Catalogue{"Triangle", "Triangle", "A Triangle.",
                                              "tri triangles equal sides isosceles acute obtuse 3 threes"});
    return c;
}

void Triangle::appendPath(pf::Path& path) const
{
    const pf::Rect& f = frame();
    appendPolygon(path, {QVRectGetBotLefPoint(f), QVRectGetTopMidPoint(f), QVRectGetBotRitPoint(f)});
}

const ShapeClass& RightTriangle::staticClass()
{
    static const CatalogueClass<> c(QStringLiteral("RightTriangle"), &Shape::staticClass(),
                                    &Shape::allocate<RightTriangle>,
                                    Catalogue{"Right Triangle", "Right Triangle", "A Right Triangle.",
                                              "tri triangles equal sides right threes 3"});
    return c;
}

void RightTriangle::appendPath(pf::Path& path) const
{
    const pf::Rect& f = frame();
    appendPolygon(path, {QVRectGetTopLefPoint(f), QVRectGetBotRitPoint(f), QVRectGetBotLefPoint(f)});
}

pf::Rect RightTriangle::textRect() const
{
    const pf::Rect& f = frame();
    const pf::Size pad = textPadSize();
    return QVRectRound(pf::Rect(f.x(), f.y() + f.height() / 2, f.width() / 2, f.height() / 2))
        .insetBy(pad.width, pad.height);
}

// ---- Diamond, Home ----

const ShapeClass& Diamond::staticClass()
{
    static const CatalogueClass<> c(QStringLiteral("Diamond"), &Shape::staticClass(), &Shape::allocate<Diamond>,
                                    Catalogue{"Diamond", "Diamond", "A Diamond.",
                                              "rects squares boxes diamonds diagonals rectangles angles",
                                              "DiamondManipulator", RatioX});
    return c;
}

void Diamond::appendPath(pf::Path& path) const
{
    const double d = std::fabs(adjustmentRatioX() * 0.5 * frame().width());
    // Insets under a point would only add points on the top and bottom edges.
    if (d < 1) {
        path.appendRect(frame());
        return;
    }
    const pf::Rect f = QVRectGetNormalizedRect(frame());
    const double a = std::round(f.x() + f.width() - d);
    const double b = std::round(f.x() + d);
    const double top = f.y(), bottom = f.y() + f.height();
    appendPolygon(path, {QVPointRound(QVRectGetTopMidPoint(f)), {a, top}, QVPointRound(QVRectGetMidRitPoint(f)),
                         {a, bottom}, QVPointRound(QVRectGetBotMidPoint(f)), {b, bottom},
                         QVPointRound(QVRectGetMidLefPoint(f)), {b, top}});
}

pf::Point Diamond::adjustPoint() const
{
    const pf::Rect r = QVRectRound(QVRectGetNormalizedRect(frame()));
    return pf::Point(std::round(r.x() + r.width() - adjustmentRatioX() * r.width() / 2), r.y());
}

const ShapeClass& Home::staticClass()
{
    static const CatalogueClass<> c(QStringLiteral("Home"), &Shape::staticClass(), &Shape::allocate<Home>,
                                    Catalogue{"Home", "Home", "A Home.", "houses homes headquarters hq bases diamonds",
                                              "DiamondManipulator", RatioX});
    return c;
}

void Home::appendPath(pf::Path& path) const
{
    const pf::Rect& f = frame();
    const double x = adjustmentRatioX();
    if (x <= 0) {
        path.appendRect(f);
        return;
    }
    const double d = x * f.width() / 2;
    const double a = std::round(f.x() + f.width() - d);
    const double b = std::round(d + f.x());
    appendPolygon(path, {QVPointRound(QVRectGetTopMidPoint(f)), {a, f.y()}, QVPointRound(QVRectGetMidRitPoint(f)),
                         QVPointRound(QVRectGetBotRitPoint(f)), QVPointRound(QVRectGetBotLefPoint(f)),
                         QVPointRound(QVRectGetMidLefPoint(f)), {b, f.y()}});
}

pf::Point Home::adjustPoint() const
{
    const pf::Rect r = QVRectRound(frame());
    return pf::Point(std::round(r.x() + r.width() - adjustmentRatioX() * r.width() / 2), r.y());
}

// ---- Parallelogram ----

const ShapeClass& Parallelogram::staticClass()
{
    static const CatalogueClass<> c(QStringLiteral("Parallelogram"), &Shape::staticClass(),
                                    &Shape::allocate<Parallelogram>,
                                    Catalogue{"Parallelogram", "Parallelogram", "A Parallelogram.",
                                              "parallel parallelograms paralell paralellograms trapezoids",
                                              "ParallelogramManipulator", RatioX});
    return c;
}

void Parallelogram::appendPath(pf::Path& path) const
{
    const pf::Rect r = QVRectRound(frame());
    const double s = std::round(adjustmentRatioX() * r.width());
    appendPolygon(path, {r.origin, adjustPoint(), {r.x() + r.width(), r.y() + r.height()},
                         rounded(r.x() + s, r.y() + r.height())});
}

pf::Point Parallelogram::adjustPoint() const
{
    const pf::Rect r = QVRectRound(frame());
    return pf::Point(std::round(r.x() + r.width() - adjustmentRatioX() * r.width()), r.y());
}

// ---- Input, DoubleInput ----

const ShapeClass& Input::staticClass()
{
    static const CatalogueClass<> c(QStringLiteral("Input"), &Shape::staticClass(), &Shape::allocate<Input>,
                                    Catalogue{"Input", "Input", "A Input.", "angles arrows outputs uml",
                                              "InputManipulator", RatioX});
    return c;
}

void Input::appendPath(pf::Path& path) const
{
    const pf::Rect& f = frame();
    appendPolygon(path, {QVPointRound(QVRectGetTopMidPoint(f)), QVRectGetTopRitPoint(f), QVRectGetBotRitPoint(f),
                         QVRectGetBotLefPoint(f), adjustPoint(), QVRectGetTopLefPoint(f)});
}

pf::Point Input::adjustPoint() const
{
    const pf::Rect r = QVRectRound(frame());
    return pf::Point(std::round(r.x() + adjustmentRatioX() * r.width() / 2), r.y() + r.height() / 2);
}

pf::Rect Input::textRect() const
{
    const pf::Rect& f = frame();
    const double left = adjustPoint().x;
    const pf::Size pad = textPadSize();
    return QVRectRound(pf::Rect(left, f.y(), f.x() + f.width() - left, f.height())).insetBy(pad.width, pad.height);
}

const ShapeClass& DoubleInput::staticClass()
{
    static const CatalogueClass<> c(QStringLiteral("DoubleInput"), &Input::staticClass(),
                                    &Shape::allocate<DoubleInput>,
                                    Catalogue{"Double Input", "Double Input", "A Double Input.", "angles arrows uml",
                                              "InputManipulator", RatioX});
    return c;
}

pf::Point DoubleInput::rightAdjustPoint() const
{
    const pf::Rect r = QVRectRound(frame());
    return pf::Point(std::round(r.x() + r.width() - adjustmentRatioX() * r.width() / 2), r.y() + r.height() / 2);
}

void DoubleInput::appendPath(pf::Path& path) const
{
    const pf::Rect& f = frame();
    appendPolygon(path, {QVPointRound(QVRectGetTopMidPoint(f)), QVRectGetTopRitPoint(f), rightAdjustPoint(),
                         QVRectGetBotRitPoint(f), QVRectGetBotLefPoint(f), adjustPoint(), QVRectGetTopLefPoint(f)});
}
