#include "palettes/InspectorCells.h"

#include "geometry/QVColor.h"
#include "geometry/QVRect.h"
#include "palettes/FacetItemTable.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/PainterContext.h"
#include "platform/graphics/Path.h"

#include <QPainter>
#include <QStyleOption>
#include <QStylePainter>

#include <algorithm>
#include <cmath>

namespace {

pf::Rect qtRect(const QRect& r) { return pf::Rect(r.x(), r.y(), r.width(), r.height()); }

pf::Point rounded(pf::Point p) { return QVPointRound(p); }

// Everything but `hole`: with the even-odd rule, a rect far larger than any control around it.
pf::Path everythingBut(const pf::Rect& hole)
{
    pf::Path path = pf::Path::rect(pf::Rect(-32767, -32767, 65535, 65535));
    path.appendRect(hole);
    return path;
}

const pf::Color& segmentGlyphColor()
{
    static const pf::Color color = QVHexColor(0x555555);
    return color;
}

// Paints through a context laid over the widget's painter, in the widget's coordinates.
template <class Draw>
void paintWith(QPainter& painter, const QWidget& widget, Draw draw)
{
    pf::PainterContext context(painter, widget.rect(), pf::AffineTransform::identity(), 1.0, true);
    draw(context);
}

void fillTriangle(pf::GraphicsContext& context, const pf::Rect& r)
{
    pf::Path triangle;
    triangle.moveTo({r.minX(), r.minY()});
    triangle.lineTo({r.maxX(), r.minY()});
    triangle.lineTo({r.midX(), r.maxY()});
    triangle.close();
    context.fillPath(triangle);
}

} // namespace

// ---- plus and minus ----

namespace AddRemoveButtonCell {

const pf::Color& glyphColor()
{
    static const pf::Color color = QVHexColor(0x444444);
    return color;
}

pf::Rect horizontalRectForFrame(const pf::Rect& frame)
{
    const pf::Point c = QVRectGetMidMidPoint(frame);
    return QVRectRound(pf::Rect(c.x - 4, c.y - 1, 8, 2));
}

pf::Rect verticalRectForFrame(const pf::Rect& frame)
{
    const pf::Point c = QVRectGetMidMidPoint(frame);
    return QVRectRound(pf::Rect(c.x - 1, c.y - 4, 2, 8));
}

void drawInterior(pf::GraphicsContext& context, const pf::Rect& frame, std::int64_t tag)
{
    context.setFillColor(glyphColor());
    context.fillRect(horizontalRectForFrame(frame));
    if (tag == 0)
        context.fillRect(verticalRectForFrame(frame));
}

} // namespace AddRemoveButtonCell

// ---- icon positions ----

namespace ButtonPositionSegmentedCell {

const pf::Color& glyphColor() { return segmentGlyphColor(); }

pf::Rect iconRect(const pf::Rect& frame)
{
    return QVRectRound(QVRectAroundPoint(QVRectGetMidMidPoint(frame), 21, 13)).offsetBy(0, 1);
}

pf::Rect lineRect(std::int64_t segment, const pf::Rect& i)
{
    pf::Rect r;
    switch (segment) {
    case 0: r = pf::Rect(std::floor(i.midX() - 6), i.midY() - 0.5, 12, 1); break;
    case 1: r = pf::Rect(std::floor(i.midX()), i.midY() - 0.5, 10, 1); break;
    case 2: r = pf::Rect(std::floor(i.minX()), i.midY() - 0.5, 10, 1); break;
    case 3: r = pf::Rect(std::floor(i.midX() - 5), i.maxY() - 3, 10, 1); break;
    case 4: r = pf::Rect(std::floor(i.midX() - 5), i.minY() + 1, 10, 1); break;
    default: r = pf::Rect(0, 0, 10, 1); break;
    }
    return QVRectRoundPlusHalf(r);
}

pf::Rect boxRect(std::int64_t segment, const pf::Rect& i)
{
    pf::Rect r;
    switch (segment) {
    case 0: r = pf::Rect(i.midX() - 3.5, i.midY() - 3, 7, 6); break;
    case 1: r = pf::Rect(i.minX(), i.midY() - 3, 7, 6); break;
    case 2: r = pf::Rect(i.maxX() - 7, i.midY() - 3, 7, 6); break;
    case 3: r = pf::Rect(i.midX() - 3.5, i.minY() + 2, 7, 6); break;
    case 4: r = pf::Rect(i.midX() - 3.5, i.maxY() - 8, 7, 6); break;
    default: r = pf::Rect(0, 0, 7, 6); break;
    }
    return QVRectRound(r);
}

void drawSegment(pf::GraphicsContext& context, std::int64_t segment, const pf::Rect& frame)
{
    const pf::Rect icon = iconRect(frame);
    const pf::SavedGState saved(context);
    context.translate(-0.5, -0.5);
    context.setFillColor(glyphColor());
    context.setStrokeColor(glyphColor());
    context.setLineWidth(1);
    context.fillRect(lineRect(segment, icon));
    context.strokeRect(boxRect(segment, icon));
}

} // namespace ButtonPositionSegmentedCell

// ---- line caps ----

namespace LineCapSegmentedCell {

const pf::Color& glyphColor() { return segmentGlyphColor(); }

const pf::Color& endMarkerColor()
{
    static const pf::Color color(1, 0, 1, 0.6);
    return color;
}

pf::Rect iconRectForBounds(const pf::Rect& f)
{
    return pf::Rect(f.minX() + 3, f.minY() + 5, f.width() - 6, f.height() - 8);
}

pf::Rect lineRectForBounds(const pf::Rect& f)
{
    return pf::Rect(f.minX(), f.minY() + 2, f.width(), f.height() - 3);
}

void drawSegment(pf::GraphicsContext& context, std::int64_t segment, const pf::Rect& f)
{
    {
        const pf::SavedGState saved(context);
        context.setLineCap(pf::LineCap(std::clamp<std::int64_t>(segment, 0, 2)));
        context.clipToRect(iconRectForBounds(f));
        // A one-point gap just before the line's end, so the cap shows apart from the line.
        context.clip(everythingBut(QVRectRound(pf::Rect(f.midX() - 1, f.minY(), 1, f.height()))),
                     pf::WindingRule::EvenOdd);
        context.setStrokeColor(glyphColor());
        context.setLineWidth(12);
        pf::Path line;
        line.moveTo(rounded({f.minX(), f.midY()}));
        line.lineTo(rounded({f.midX(), f.midY()}));
        context.strokePath(line);
    }
    const pf::SavedGState saved(context);
    context.setLineCap(pf::LineCap::Butt);
    context.setLineWidth(1);
    context.setStrokeColor(endMarkerColor());
    const pf::Rect r = lineRectForBounds(f);
    const double x = std::round(r.midX()) - 0.5;
    pf::Path marker;
    marker.moveTo({x, std::round(r.minY())});
    marker.lineTo({x, std::round(r.maxY())});
    context.strokePath(marker);
}

} // namespace LineCapSegmentedCell

// ---- line joins ----

namespace LineJoinSegmentedCell {

const pf::Color& glyphColor() { return segmentGlyphColor(); }

void drawSegment(pf::GraphicsContext& context, std::int64_t segment, const pf::Rect& f)
{
    const std::int64_t style = std::clamp<std::int64_t>(segment, 0, 2);
    const pf::Rect icon = LineCapSegmentedCell::iconRectForBounds(f);
    const pf::SavedGState saved(context);
    context.clip(everythingBut(pf::Rect(icon.minX(), icon.maxY() - 3, 8, 3)), pf::WindingRule::EvenOdd);
    context.clipToRect(icon);
    context.setStrokeColor(glyphColor());
    context.setLineCap(pf::LineCap(style));
    context.setLineJoin(pf::LineJoin(style));
    context.setLineWidth(style == 2 ? 28 : 22);
    const double cornerX = f.minX() + 0.4 * f.width();
    const double y = f.minY() + 0.8 * f.height();
    pf::Path path;
    path.moveTo(rounded({f.minX() - f.width() / 2, y}));
    path.lineTo(rounded({cornerX, y}));
    path.lineTo(rounded({cornerX, f.minY() + 2 * f.height()}));
    context.strokePath(path);
}

} // namespace LineJoinSegmentedCell

// ---- slider ticks ----

namespace PathCurveSliderCell {

const pf::Color& gray()
{
    static const pf::Color color(0.5, 0.5, 0.5, 1);
    return color;
}

const pf::Color& lightGray()
{
    static const pf::Color color(2.0 / 3.0, 2.0 / 3.0, 2.0 / 3.0, 1);
    return color;
}

void drawTickMarks(pf::GraphicsContext& context, int count, const std::function<pf::Rect(int index)>& rectOfTickMark)
{
    for (int number = 1; number <= count; ++number) {
        const pf::Rect r = rectOfTickMark(number - 1);
        switch (number) {
        case 1:
        case 13:
            context.setFillColor(gray());
            context.fillRect(QVRectOutset(r, 0, 1));
            break;
        case 4:
        case 10:
            context.setFillColor(gray());
            fillTriangle(context, QVRectOutset(r, 2, 1));
            break;
        case 7:
            context.setFillColor(gray());
            fillTriangle(context, QVRectOutset(r, 4, 2));
            break;
        default:
            context.setFillColor(lightGray());
            context.fillRect(r.offsetBy(0, 1));
            break;
        }
    }
}

} // namespace PathCurveSliderCell

// ---- zero-empty field ----

namespace ZeroEmptyTextFieldCell {

std::optional<QString> attributedStringValue(bool enabled, const QString& base)
{
    if (!enabled)
        return std::nullopt;
    return base;
}

} // namespace ZeroEmptyTextFieldCell

// ---- widgets ----

DrawnGlyphButton::DrawnGlyphButton(double disabledAlpha, QWidget* parent)
    : QToolButton(parent), disabledAlpha_(disabledAlpha)
{
}

void DrawnGlyphButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    option.text.clear();
    option.toolButtonStyle = Qt::ToolButtonIconOnly;
    painter.drawComplexControl(QStyle::CC_ToolButton, option);
    paintWith(painter, *this, [&](pf::GraphicsContext& context) {
        if (!isEnabled())
            context.setAlpha(disabledAlpha_);
        drawGlyph(context);
    });
}

DrawnSegmentButton::DrawnSegmentButton(std::int64_t segment, Painter painter, QWidget* parent)
    : DrawnGlyphButton(0.5, parent), segment_(segment), painter_(std::move(painter))
{
}

void DrawnSegmentButton::drawGlyph(pf::GraphicsContext& context)
{
    if (painter_)
        painter_(context, segment_, qtRect(rect()));
}

AddRemoveButton::AddRemoveButton(std::int64_t tag, QWidget* parent) : DrawnGlyphButton(0.4, parent), tag_(tag)
{
    setText(tag == 0 ? QStringLiteral("+") : QString(QChar(0x2212)));
    setToolTip(tag == 0 ? QStringLiteral("Add") : QStringLiteral("Remove"));
    setAccessibleName(toolTip());
}

void AddRemoveButton::drawGlyph(pf::GraphicsContext& context)
{
    AddRemoveButtonCell::drawInterior(context, qtRect(rect()), tag_);
}

PathCurveSlider::PathCurveSlider(QWidget* parent, int tickCount) : QSlider(Qt::Horizontal, parent), tickCount_(tickCount)
{
    setTickPosition(QSlider::TicksBelow);
}

void PathCurveSlider::setNumberOfTickMarks(int count)
{
    tickCount_ = std::max(count, 0);
    update();
}

pf::Rect PathCurveSlider::rectOfTickMarkAtIndex(int index) const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    const double inset = handle.width() / 2.0;
    const double span = std::max(width() - 2 * inset, 0.0);
    const double x = tickCount_ > 1 ? inset + span * index / (tickCount_ - 1) : inset + span / 2;
    return pf::Rect(std::floor(x), height() - 6, 1, 3);
}

void PathCurveSlider::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionSlider option;
    initStyleOption(&option);
    // The platform's tick marks give way to ours.
    option.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderHandle;
    painter.drawComplexControl(QStyle::CC_Slider, option);
    paintWith(painter, *this, [&](pf::GraphicsContext& context) {
        if (!isEnabled())
            context.setAlpha(0.5);
        PathCurveSliderCell::drawTickMarks(context, tickCount_, [this](int i) { return rectOfTickMarkAtIndex(i); });
    });
}

void installInspectorCells()
{
    ItemTable::setButtonFactory([](bool add, QWidget* parent) -> QAbstractButton* {
        return new AddRemoveButton(add ? 0 : 1, parent);
    });
}
