// The 57 arrowheads: one table row per type (size, outline family, paint, clip) and one builder per
// family of outlines. Heads are built in their own frame: the tip at the origin, the connector along the
// negative x axis, y down.
#include "shapes/AbstractPointer.h"

#include "platform/graphics/GraphicsContext.h"
#include "shapes/OutlineSupport.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

namespace {

using Paint = AbstractPointer::ArrowPaint;
using Clip = AbstractPointer::ArrowClip;

// Outline families. Types without one (8, 9, 11, 12, 14, 15, 17, 18, 20, 21, 23, 24) draw no head; only
// their clip applies.
enum class Builder {
    None,
    SolidThin,      // triangle, line width max(√w, 1)
    SolidFatShort,  // triangle, line width max(1, √w / 2)
    Solid,          // triangle, line width √w
    TopHalf,
    BotHalf,
    ThinDouble,
    FatDouble,
    ThinShortDouble,
    FatShortDouble,
    Chevron,
    TopHalfChevron,
    BotHalfChevron,
    Diamond,
    Circle,
    Square,
    Bar,
    DoubleBar,
    TripleBar,
    OffsetBar,
    OffsetDoubleBar,
    OffsetTripleBar,
    X,
    Ground,
    BarCircle,
    CircleBar,
    ClawCircle,
    ClawBar,
    Claw,
    SlashRight,
    SlashRightX,
    SlashLeft,
    SlashLeftX,
};

struct Row {
    double w, h;
    Builder builder;
    unsigned paint;
    Clip clip;
};

constexpr unsigned S = AbstractPointer::PaintStroke;
constexpr unsigned SF = AbstractPointer::PaintStroke | AbstractPointer::PaintFill;

// Index = arrow type.
constexpr std::array<Row, 58> table{{
    {0, 6, Builder::None, 0, Clip::None},                      // 0
    {10, 3, Builder::SolidThin, SF, Clip::Solid},              // 1
    {10, 3, Builder::Chevron, S, Clip::Line},                  // 2
    {10, 3, Builder::SolidThin, S, Clip::Solid},               // 3
    {10, 6, Builder::Solid, SF, Clip::Solid},                  // 4
    {10, 6, Builder::Chevron, S, Clip::Line},                  // 5
    {10, 6, Builder::Solid, S, Clip::Solid},                   // 6
    {15, 3, Builder::ThinDouble, SF, Clip::Solid},             // 7
    {15, 3, Builder::None, 0, Clip::Line},                     // 8
    {15, 3, Builder::None, 0, Clip::Solid},                    // 9
    {15, 6, Builder::FatDouble, SF, Clip::Solid},              // 10
    {15, 6, Builder::None, 0, Clip::Line},                     // 11
    {15, 6, Builder::None, 0, Clip::Solid},                    // 12
    {6, 3, Builder::Solid, SF, Clip::Solid},                   // 13
    {6, 3, Builder::None, 0, Clip::Line},                      // 14
    {6, 3, Builder::None, 0, Clip::Solid},                     // 15
    {6, 6, Builder::SolidFatShort, SF, Clip::Solid},           // 16
    {6, 6, Builder::None, 0, Clip::Line},                      // 17
    {6, 6, Builder::None, 0, Clip::Solid},                     // 18
    {6, 3, Builder::ThinShortDouble, SF, Clip::Solid},         // 19
    {6, 3, Builder::None, 0, Clip::Line},                      // 20
    {6, 3, Builder::None, 0, Clip::Solid},                     // 21
    {6, 6, Builder::FatShortDouble, SF, Clip::Solid},          // 22
    {6, 6, Builder::None, 0, Clip::Line},                      // 23
    {6, 6, Builder::None, 0, Clip::Solid},                     // 24
    {15, 3, Builder::Diamond, SF, Clip::Solid},                // 25
    {15, 3, Builder::Diamond, S, Clip::Solid},                 // 26
    {8, 4, Builder::Circle, SF, Clip::Solid},                  // 27
    {8, 4, Builder::Circle, S, Clip::Solid},                   // 28
    {8, 4, Builder::Square, SF, Clip::Solid},                  // 29
    {8, 4, Builder::Square, S, Clip::Solid},                   // 30
    {4, 4, Builder::X, S, Clip::None},                         // 31
    {0, 4, Builder::Bar, S, Clip::None},                       // 32
    {0, 4, Builder::DoubleBar, S, Clip::None},                 // 33
    {0, 4, Builder::TripleBar, S, Clip::None},                 // 34
    {10, 3, Builder::TopHalf, SF, Clip::Solid},                // 35
    {10, 3, Builder::BotHalf, SF, Clip::Solid},                // 36
    {10, 3, Builder::TopHalfChevron, S, Clip::Line},           // 37
    {10, 3, Builder::BotHalfChevron, S, Clip::Line},           // 38
    {10, 6, Builder::TopHalf, SF, Clip::Solid},                // 39
    {10, 6, Builder::BotHalf, SF, Clip::Solid},                // 40
    {10, 6, Builder::TopHalfChevron, S, Clip::Line},           // 41
    {10, 6, Builder::BotHalfChevron, S, Clip::Line},           // 42
    {9, 6, Builder::Ground, S, Clip::Solid},                   // 43
    {2, 0.5, Builder::Circle, SF, Clip::Solid},                // 44
    {0, 4, Builder::OffsetBar, S, Clip::None},                 // 45
    {0, 4, Builder::OffsetDoubleBar, S, Clip::None},           // 46
    {0, 4, Builder::OffsetTripleBar, S, Clip::None},           // 47
    {10, 4, Builder::BarCircle, S, Clip::BarCircle},           // 48
    {10, 4, Builder::CircleBar, S, Clip::CircleBar},           // 49
    {16, 4, Builder::ClawCircle, S, Clip::ClawCircle},         // 50
    {10, 4, Builder::ClawBar, S, Clip::None},                  // 51
    {6, 4, Builder::Claw, S, Clip::None},                      // 52
    {4, 4, Builder::SlashRight, S, Clip::None},                // 53
    {4, 4, Builder::SlashRightX, S, Clip::None},               // 54
    {4, 4, Builder::SlashLeft, S, Clip::None},                 // 55
    {4, 4, Builder::SlashLeftX, S, Clip::None},                // 56
    {4, 2, Builder::Solid, SF, Clip::Solid},                   // 57
}};

// Types above the table: no head, the solid clip of a zero size.
const Row& rowFor(std::uint64_t type)
{
    static constexpr Row beyond{0, 0, Builder::None, 0, Clip::Solid};
    return type < table.size() ? table[type] : beyond;
}

double roundAway(double v) { return std::round(v); }

void segment(pf::Path& p, double x1, double y1, double x2, double y2)
{
    p.moveTo({x1, y1});
    p.lineTo({x2, y2});
}

// Parameters of the double triangles: s, the second head's size, and the gap d between the tips.
void doubleTriangle(pf::Path& p, double s, pf::Size first, pf::Size second, double d)
{
    const double w1 = first.width, h1 = first.height, h2 = second.height;
    p.moveTo({-(s + w1), 0});
    p.lineTo({-(s + w1), -(h1 + s)});
    p.lineTo({-roundAway(s / 2), 0});
    p.lineTo({-(s + w1), h1 + s});
    p.lineTo({-(s + w1), 0});
    p.lineTo({-(s + d), 0});
    p.lineTo({-(s + d), -(h2 + s)});
    p.lineTo({w1 - d, 0});
    p.lineTo({-(s + d), h2 + s});
    p.lineTo({-(s + d), 0});
    p.close();
    p.setLineWidth(s);
}

pf::Rect ovalRect(double x, double y, double width, double height) { return pf::Rect(x, y, width, height); }

// The circle of the heads that hold one (their clip too).
pf::Rect barCircleOval(double w, double W, double H)
{
    const double g = std::floor(w + 2 + std::sqrt(w)) + 4;
    return ovalRect(-(g + W - 3 + w), -(H - 1 + w), W - 3 + w, 2 * (H - 1 + w));
}
pf::Rect circleBarOval(double w, double W, double H) { return ovalRect(-(W - 3 + w), -(H - 1 + w), W - 3 + w, 2 * (H - 1 + w)); }
pf::Rect clawCircleOval(double w, double W) { return ovalRect(-(W + w), -(3 + w), 7 + w, 2 * (3 + w)); }

pf::Path ovalPath(const pf::Rect& r, double lineWidth)
{
    pf::Path p = pf::Path::oval(r);
    p.setLineWidth(lineWidth);
    return p;
}

} // namespace

pf::Size AbstractPointer::arrowHeadSizeForType(std::uint64_t type)
{
    const Row& r = rowFor(type);
    return {r.w, r.h};
}

unsigned AbstractPointer::arrowPaintForType(std::uint64_t type) { return rowFor(type).paint; }

AbstractPointer::ArrowClip AbstractPointer::arrowClipForType(std::uint64_t type) { return rowFor(type).clip; }

namespace {

// All that shapes a head's outline: its type, the line width, the menu variants, and whether the page is
// zoomed in (claws sit half a point off the axis then).
struct HeadInputs {
    std::uint64_t type;
    double width;
    bool menu;
    bool zoomedIn;
    friend bool operator==(const HeadInputs&, const HeadInputs&) = default;
};

HeadInputs headInputs(const AbstractPointer& shape, std::uint64_t type)
{
    const ShapePage* page = shape.composition();
    return {type, shape.currentArrowStrokeLineWidthFor(shape.currentArrowStrokeLineWidth()), shape.drawingMenuItem(),
            page && page->zoomScale() > 1};
}

std::optional<pf::Path> headOutline(const HeadInputs& in)
{
    const auto [type, w, menu, zoomedIn] = in;
    const Row& row = rowFor(type);
    const double W = row.w, H = row.h;
    const auto sizeFor = &AbstractPointer::arrowHeadSizeForType;
    pf::Path p;
    p.setLineWidth(w);
    switch (row.builder) {
    case Builder::None:
        return std::nullopt;
    case Builder::SolidThin:
    case Builder::SolidFatShort:
    case Builder::Solid: {
        const double s = std::sqrt(w);
        outline::appendPolygon(p, {{-(W + s), 0}, {-(W + s), -(H + s)}, {-roundAway(s / 2), 0}, {-(W + s), H + s}});
        p.setLineWidth(row.builder == Builder::SolidThin ? std::max(s, 1.0)
                       : row.builder == Builder::SolidFatShort ? std::max(1.0, s / 2)
                                                               : s);
        break;
    }
    case Builder::TopHalf:
    case Builder::BotHalf: {
        const double s = w, y = row.builder == Builder::TopHalf ? H + s : -(H + s);
        outline::appendPolygon(p, {{-(W + s), 0}, {-(W + s), y}, {-roundAway(s / 2), 0}});
        break;
    }
    case Builder::ThinDouble:
    case Builder::FatDouble: {
        const double s = std::sqrt(w);
        const pf::Size second = sizeFor(row.builder == Builder::ThinDouble ? 7 : 10);
        doubleTriangle(p, s, sizeFor(row.builder == Builder::ThinDouble ? 1 : 4), second,
                       roundAway(second.width + 3.5 * std::sqrt(s)));
        break;
    }
    case Builder::ThinShortDouble:
    case Builder::FatShortDouble: {
        const bool thin = row.builder == Builder::ThinShortDouble;
        const double s = thin ? std::max(1.0, w / 2) : std::max(1.0, std::sqrt(w) / 2);
        const pf::Size second = sizeFor(thin ? 19 : 22);
        doubleTriangle(p, s, sizeFor(thin ? 13 : 16), second,
                       std::max(12.0, roundAway(second.width + 3 * std::sqrt(s))));
        break;
    }
    case Builder::Chevron:
        p.moveTo({-(W + w), -(H + w)});
        p.lineTo({-roundAway(w / 2), 0});
        p.lineTo({-(W + w), H + w});
        break;
    case Builder::TopHalfChevron:
        segment(p, -(W + w), H + w, -roundAway(w / 2), 0);
        break;
    case Builder::BotHalfChevron:
        segment(p, -(W + w), -(H + w), -roundAway(w / 2), 0);
        break;
    case Builder::Diamond: {
        const double a = W + w, b = H + w;
        outline::appendPolygon(p, {{-roundAway(a / 2), -b}, {-roundAway(w / 2), 0}, {-roundAway(a / 2), b}, {-a, 0}});
        break;
    }
    case Builder::Circle:
        p.appendOval(ovalRect(-(W + w), -(H + w), W + w, 2 * (H + w)));
        break;
    case Builder::Square:
        p.appendRect(ovalRect(-(W + w), -(H + w), W + w, 2 * (H + w)));
        break;
    case Builder::Bar:
    case Builder::DoubleBar:
    case Builder::TripleBar:
    case Builder::OffsetBar:
    case Builder::OffsetDoubleBar:
    case Builder::OffsetTripleBar: {
        const double g = std::floor(w + 1 + std::sqrt(w));
        const bool offset = row.builder >= Builder::OffsetBar;
        const double x0 = offset ? -(4 + w) : 0.0;
        const int bars = 1 + (static_cast<int>(row.builder) - static_cast<int>(offset ? Builder::OffsetBar : Builder::Bar));
        for (int k = 0; k < bars; ++k)
            segment(p, x0 - k * g, -(H + w), x0 - k * g, H + w);
        break;
    }
    case Builder::X: {
        const double a = W + w, b = H + w;
        if (menu) {
            segment(p, -2 * W, -b, 0, b);
            segment(p, -2 * W, b, 0, -b);
        } else {
            segment(p, -a, -b, a, b);
            segment(p, -a, b, a, -b);
        }
        break;
    }
    case Builder::Ground:
        for (int k = 0; k < 4; ++k) {
            const double x = -(W + w) + 3 * k;
            segment(p, x, -(H + w - 2 * k), x, H + w - 2 * k);
        }
        break;
    case Builder::BarCircle:
        segment(p, -(w + 4), -(w + H), -(w + 4), w + H);
        p.appendOval(barCircleOval(w, W, H));
        break;
    case Builder::CircleBar:
        segment(p, -(w + W), -(w + H), -(w + W), w + H);
        p.appendOval(circleBarOval(w, W, H));
        break;
    case Builder::ClawCircle:
    case Builder::ClawBar:
    case Builder::Claw: {
        // Half a point off the axis keeps an even stroke on whole pixels when zoomed in.
        const double o = zoomedIn && static_cast<std::int64_t>(std::round(std::fabs(w))) % 2 == 0 ? 0.5 : 0.0;
        const double x = row.builder == Builder::Claw ? -(W + w) : row.builder == Builder::ClawBar ? -(W + w - 4) : -(8 + w);
        segment(p, x, o, 0, H + w + o);
        segment(p, x, o, 0, -(H + w + o));
        if (row.builder == Builder::ClawBar)
            segment(p, -W, -(H + w), -W, H + w);
        else if (row.builder == Builder::ClawCircle)
            p.appendOval(clawCircleOval(w, W));
        break;
    }
    case Builder::SlashRight:
    case Builder::SlashRightX:
    case Builder::SlashLeft:
    case Builder::SlashLeftX: {
        const double a = W + w, b = H + w;
        const bool right = row.builder == Builder::SlashRight || row.builder == Builder::SlashRightX;
        const bool bar = row.builder == Builder::SlashRightX || row.builder == Builder::SlashLeftX;
        if (menu) {
            if (right)
                segment(p, -(a + 6), -b, a - 6, b);
            else
                segment(p, a - 6, -b, -(a + 6), b);
            if (bar)
                segment(p, -6, -(b + 1), -6, b + 1);
        } else {
            if (right)
                segment(p, a, -b, -a, b);
            else
                segment(p, -a, -b, a, b);
            if (bar)
                segment(p, 0, -(b + 1), 0, b + 1);
        }
        break;
    }
    }
    return p;
}

} // namespace

std::optional<pf::Path> AbstractPointer::arrowPathForArrowType(std::uint64_t type) const
{
    return headOutline(headInputs(*this, type));
}

std::optional<pf::Path> AbstractPointer::clipPathForArrowType(std::uint64_t type) const
{
    const Row& row = rowFor(type);
    const double w = currentArrowStrokeLineWidthFor(currentArrowStrokeLineWidth());
    const double W = row.w, H = row.h;
    switch (row.clip) {
    case Clip::None:
        return std::nullopt;
    case Clip::Line:
        // Cuts the line's end at the tip, so it does not show through the point of an open chevron.
        return pf::Path::rect(pf::Rect(-roundAway(w / 2), -(H + w), 1 + w, 2 * (H + w)));
    case Clip::Solid: {
        const double s = std::ceil(std::sqrt(w));
        pf::Path p;
        outline::appendPolygon(p, {{-(s + W), 0}, {-(s + W), -(H + s)}, {W, -(H + s)}, {W, H + s}, {-(s + W), H + s}});
        return p;
    }
    case Clip::BarCircle:
        return ovalPath(barCircleOval(w, W, H), w);
    case Clip::CircleBar:
        return ovalPath(circleBarOval(w, W, H), w);
    case Clip::ClawCircle:
        return ovalPath(clawCircleOval(w, W), w);
    }
    return std::nullopt;
}

namespace {

// The heads drawn last on this thread, by all that shapes them (their outline's inputs, cap and join): a
// page's connectors share a few, and a kept path keeps its painting form (Qt's path and the copy its engine
// makes) from one frame to the next instead of building both for every end drawn. Per thread: Qt's paths
// keep caches of their own.
struct KeptHead {
    HeadInputs inputs;
    pf::LineCap cap;
    pf::LineJoin join;
    std::shared_ptr<const pf::Path> path;
};

} // namespace

std::shared_ptr<const pf::Path> AbstractPointer::keptArrowPath(std::uint64_t type, pf::LineCap cap,
                                                               pf::LineJoin join) const
{
    constexpr std::size_t kept = 16;
    thread_local std::vector<KeptHead> heads; // the most recent last
    const HeadInputs inputs = headInputs(*this, type);
    const auto found = std::find_if(heads.begin(), heads.end(), [&](const KeptHead& h) {
        return h.inputs == inputs && h.cap == cap && h.join == join;
    });
    if (found != heads.end()) {
        std::rotate(found, found + 1, heads.end());
        return heads.back().path;
    }
    std::optional<pf::Path> head = headOutline(inputs);
    if (!head)
        return nullptr;
    head->lineStyle().cap = cap;
    head->lineStyle().join = join;
    auto path = std::make_shared<const pf::Path>(std::move(*head));
    if (heads.size() == kept)
        heads.erase(heads.begin());
    heads.push_back({inputs, cap, join, path});
    return path;
}

void AbstractPointer::drawFillStrokeArrowForArrowType(pf::GraphicsContext& context, std::uint64_t type) const
{
    const Row& row = rowFor(type);
    if (row.builder == Builder::ClawCircle) {
        const std::optional<pf::Path> head = arrowPathForArrowType(type);
        if (!head)
            return;
        // The claws stop at the circle: stroke them outside it, then the circle on its own.
        const double w = currentArrowStrokeLineWidthFor(currentArrowStrokeLineWidth());
        const pf::Rect circle = clawCircleOval(w, row.w);
        context.saveGState();
        outline::clipOut(context, pf::Path::oval(circle));
        context.strokeBezierPath(*head);
        context.restoreGState();
        context.strokeBezierPath(ovalPath(circle, w));
        return;
    }
    const std::shared_ptr<const pf::Path> head =
        keptArrowPath(type, static_cast<pf::LineCap>(std::clamp(strokeLineCap(), 0, 2)),
                      static_cast<pf::LineJoin>(std::clamp(strokeLineJoin(), 0, 2)));
    if (!head)
        return;
    if (row.paint & PaintStroke)
        context.strokeBezierPath(*head);
    if (row.paint & PaintFill)
        context.fillPath(*head);
}

namespace {

// The head frame of an end placed on the page: turned by degrees, then moved to the point.
pf::AffineTransform headPlacement(const pf::Point& at, double degrees)
{
    return pf::AffineTransform::rotation(degrees * std::numbers::pi / 180.0)
        .concat(pf::AffineTransform::translation(at.x, at.y));
}

} // namespace

void AbstractPointer::drawArrowHeadsInContext(pf::GraphicsContext& context, double offset) const
{
    const pf::Point shift(offset, offset);
    const auto draw = [&](std::uint64_t type, const pf::Point& at, double degrees) {
        if (type == 0)
            return;
        context.saveGState();
        context.translate(at.x + offset, at.y + offset);
        context.rotate(degrees * std::numbers::pi / 180.0);
        drawFillStrokeArrowForArrowType(context, type);
        context.restoreGState();
    };
    draw(arrowTypeA(), arrowPointA(), currentAngleForArrowA());
    draw(arrowTypeB(), arrowPointB(), currentAngleForArrowB());
}

pf::Rect AbstractPointer::arrowHeadsRect() const
{
    pf::Rect r = pf::Rect::zero();
    const auto add = [&](std::uint64_t type, const pf::Point& at, double degrees) {
        if (type == 0)
            return;
        if (const std::optional<pf::Path> head = arrowPathForArrowType(type); head && !head->isEmpty())
            r = QVCombineRects(r, head->transformed(headPlacement(at, degrees)).bounds());
    };
    add(arrowTypeA(), arrowPointA(), currentAngleForArrowA());
    add(arrowTypeB(), arrowPointB(), currentAngleForArrowB());
    return r;
}

pf::Rect AbstractPointer::calcPaintedRect() const
{
    // A head's stroke, and the claw's circle about its tip, stay within twice the width of the head.
    pf::Rect base = arrowHeadsRect();
    if (!QVRectIsZero(base)) {
        const double reach = 2 * std::fabs(currentArrowStrokeLineWidthFor(currentArrowStrokeLineWidth())) + 2;
        base = QVRectOutset(base, reach, reach);
    }
    if (attributedText())
        base = QVCombineRects(base, textClipPath().bounds());
    return paintedRectAbout(base, true);
}

void AbstractPointer::clipOutArrowHeads(pf::GraphicsContext& context, double offset) const
{
    const pf::Point shift(offset, offset);
    const auto clip = [&](std::uint64_t type, const pf::Point& at, double degrees) {
        if (type == 0)
            return;
        if (const std::optional<pf::Path> head = clipPathForArrowType(type))
            outline::clipOut(context, head->transformed(headPlacement(at + shift, degrees)));
    };
    clip(arrowTypeA(), arrowPointA(), currentAngleForArrowA());
    clip(arrowTypeB(), arrowPointB(), currentAngleForArrowB());
}

std::optional<pf::Path> AbstractPointer::segmentCutAtHeads(const pf::Path& segment, double offset, double shift,
                                                           double width, pf::LineCap cap, bool keepEnds) const
{
    if (segment.elementCount() != 2 || segment.element(0).type != pf::PathElementType::MoveTo ||
        segment.element(1).type != pf::PathElementType::LineTo)
        return std::nullopt;
    const pf::Point a = segment.element(0).points[0], b = segment.element(1).points[0];
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    if (!(length > 0) || !(width > 0))
        return std::nullopt;
    const double half = width / 2;
    const double capReach = cap == pf::LineCap::Butt ? 0.0 : half;
    // The part kept, as distances from A, and how far its ends' caps reach past them.
    double from = 0, to = length, reachFrom = capReach, reachTo = capReach;
    const pf::Point moved(shift, shift);
    // False when the head's clip cannot be had by shortening.
    const auto cut = [&](std::uint64_t type, const pf::Point& at, double degrees) {
        const Clip clip = type == 0 ? Clip::None : rowFor(type).clip;
        if (clip == Clip::None)
            return true;
        if (clip != Clip::Line && clip != Clip::Solid)
            return false;
        const std::optional<pf::Path> area = clipPathForArrowType(type);
        if (!area)
            return true;
        // Both clips are rects of the head's frame; there the segment must run along the x axis, its stroke
        // wholly inside the rect's height, so that the rect cuts it square across.
        const pf::Rect band = area->bounds();
        const pf::AffineTransform toHead = headPlacement(at + pf::Point(offset, offset), degrees).inverted();
        const pf::Point ha = toHead.apply(a + moved), hb = toHead.apply(b + moved);
        if (std::fabs(hb.y - ha.y) > 1e-6 * length)
            return false;
        const double y = (ha.y + hb.y) / 2;
        if (y - half < band.minY() || y + half > band.maxY())
            return false;
        const double direction = hb.x >= ha.x ? 1.0 : -1.0;
        double lo = (band.minX() - ha.x) * direction, hi = (band.maxX() - ha.x) * direction;
        if (lo > hi)
            std::swap(lo, hi);
        if (hi <= from - reachFrom || lo >= to + reachTo)
            return true;
        // Over the start and its cap, ending past the start (a cut into the cap is not a shortening).
        if (lo <= from - reachFrom && hi >= from && hi < to) {
            from = hi, reachFrom = 0;
            return true;
        }
        if (hi >= to + reachTo && lo <= to && lo > from) {
            to = lo, reachTo = 0;
            return true;
        }
        return false;
    };
    if (!cut(arrowTypeA(), arrowPointA(), currentAngleForArrowA()) || !cut(arrowTypeB(), arrowPointB(), currentAngleForArrowB()))
        return std::nullopt;
    if (from == 0 && to == length)
        return segment;
    // A pen has one cap for both ends: a round one cannot end square at a cut.
    if (cap == pf::LineCap::Round || keepEnds)
        return std::nullopt;
    // A square cap reaches half the width past its end: the cut end stops that much short.
    if (cap == pf::LineCap::Square) {
        if (reachFrom == 0)
            from += half;
        if (reachTo == 0)
            to -= half;
    }
    if (!(to > from))
        return std::nullopt;
    const pf::Point along((b.x - a.x) / length, (b.y - a.y) / length);
    pf::Path shortened = segment;
    const pf::Point start[] = {pf::Point(a.x + along.x * from, a.y + along.y * from)};
    const pf::Point end[] = {pf::Point(a.x + along.x * to, a.y + along.y * to)};
    shortened.setElementPoints(0, start);
    shortened.setElementPoints(1, end);
    return shortened;
}
