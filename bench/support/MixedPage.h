// A page of 1,000 (or more) mixed shapes (ellipses with a gradient, rounded rects, stars, rectangles; 800 x 600
// points, 40 x 25 cells of 20 x 24 points), and the same shapes painted by plain QPainter: the peer of
// the benchmarks that draw whole pages.
#pragma once

#include "model/Composition.h"
#include "model/Metrics.h"
#include "model/Rectangle.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "shapes/SimpleOutlines.h"
#include "shapes/StarPolygonCylinder.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

namespace mixedpage {

constexpr int columns = 40;
constexpr int rows = 25;
constexpr double width = 800, height = 600;
inline const pf::Color light(0.95, 0.95, 1.0, 1.0);
inline const pf::Color dark(0.3, 0.4, 0.8, 1.0);
inline const pf::Color strokeColour(0.1, 0.1, 0.2, 1.0);

inline pf::Rect cell(int i) { return pf::Rect((i % columns) * 20.0 + 2, (i / columns) * 24.0 + 2, 16, 20); }

enum class Kind { Ellipse, RoundedRect, Star, Rect };
inline Kind kindOf(int i) { return Kind((i + i / columns) % 4); }

// One shape of the mix in its style: unshadowed, a 1-point dark stroke, ellipses with the gradient.
inline std::shared_ptr<Shape> shape(Kind kind, const pf::Rect& frame)
{
    std::shared_ptr<Shape> shape;
    switch (kind) {
    case Kind::Ellipse: shape = Shape::make<Ellipse>(frame); break;
    case Kind::RoundedRect: shape = Shape::make<RoundRectangle>(frame); break;
    case Kind::Star: shape = Shape::make<Star>(frame); break;
    case Kind::Rect: shape = Shape::make<Rectangle>(frame); break;
    }
    shape->setFillShadowHidden(true);
    shape->setStrokeShadowHidden(true);
    shape->setStrokeType(0);
    shape->setStrokeColor(strokeColour);
    shape->setStrokeLineWidth(1);
    if (kind == Kind::Ellipse) {
        shape->setFillType(1);
        shape->setFillAngle(90);
        shape->setFillGradientElements({{light, 0.0}, {dark, 1.0}});
    } else {
        shape->setFillType(0);
        shape->setFillColor(dark);
    }
    return shape;
}

// shapes: more than the 1,000 make the page taller by whole rows of cells.
inline std::shared_ptr<Composition> page(int shapes = columns * rows)
{
    // Shapes take their style from the user defaults: use empty ones, never the user's.
    static const auto usersDefaults = pf::UserDefaultsStore::replaceStandard(std::make_unique<pf::UserDefaultsStore>());
    auto metrics = std::make_shared<Metrics>();
    metrics->setWidth(width);
    metrics->setHeight(std::max(height, (shapes + columns - 1) / columns * 24.0));
    auto page = Composition::make(metrics);
    for (int i = 0; i < shapes; ++i)
        page->addShape(shape(kindOf(i), cell(i)));
    return page;
}

inline QPolygonF starPoints(const QRectF& r)
{
    QPolygonF points;
    const double outer = std::min(r.width(), r.height()) / 2;
    for (int i = 0; i < 10; ++i) {
        const double radius = i % 2 ? outer * 0.45 : outer;
        const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        points << QPointF(r.center().x() + radius * std::cos(angle), r.center().y() + radius * std::sin(angle));
    }
    return points;
}

// Each shape's fill and stroke (one point unless a peer draws it wider), in page coordinates.
inline void paintShapes(QPainter& painter, double strokeWidth = 1)
{
    const QPen pen(strokeColour.toQt(), strokeWidth, Qt::SolidLine, Qt::FlatCap, Qt::SvgMiterJoin);
    for (int i = 0; i < columns * rows; ++i) {
        const QRectF r = cell(i).toQt();
        painter.setPen(pen);
        switch (kindOf(i)) {
        case Kind::Ellipse: {
            QLinearGradient g(r.center().x(), r.top(), r.center().x(), r.bottom());
            g.setColorAt(0, light.toQt());
            g.setColorAt(1, dark.toQt());
            painter.setBrush(g);
            painter.drawEllipse(r);
            break;
        }
        case Kind::RoundedRect:
            painter.setBrush(dark.toQt());
            painter.drawRoundedRect(r, 4, 4);
            break;
        case Kind::Star:
            painter.setBrush(dark.toQt());
            painter.drawPolygon(starPoints(r));
            break;
        case Kind::Rect:
            painter.setBrush(dark.toQt());
            painter.drawRect(r);
            break;
        }
    }
}

} // namespace mixedpage
