#include "platform/graphics/RecordingContext.h"

#include <QGlyphRun>

namespace pf {

RecordingContext::RecordingContext(const QRectF& deviceBounds, bool drawsToScreen, const AffineTransform& base)
    : GraphicsContext(base, 1.0, drawsToScreen), bounds_(deviceBounds)
{
}

RecordedCall& RecordingContext::add(const char* operation)
{
    calls_.emplace_back();
    calls_.back().operation = operation;
    calls_.back().state = gstate();
    return calls_.back();
}

void RecordingContext::paintFill(const Path& path, WindingRule rule)
{
    RecordedCall& c = add("fill");
    c.path = path;
    c.rule = rule;
}

void RecordingContext::paintStroke(const Path& path, const LineStyle& style)
{
    RecordedCall& c = add("stroke");
    c.path = path;
    c.line = style;
}

void RecordingContext::paintClear(const Rect& r) { add("clear").rect = r; }

void RecordingContext::paintGlyphs(const QGlyphRun& run, Point origin)
{
    RecordedCall& c = add("glyphs");
    c.origin = origin;
    c.rect = Rect::fromQt(run.boundingRect());
    const QList<quint32> indexes = run.glyphIndexes();
    c.glyphs.assign(indexes.begin(), indexes.end());
}

void RecordingContext::paintGradient(const Gradient& g, const GradientPaint& geometry, const Path&)
{
    RecordedCall& c = add("gradient");
    c.gradient = g;
    c.radial = geometry.radial;
    c.start = geometry.start;
    c.end = geometry.end;
    c.startRadius = geometry.startRadius;
    c.endRadius = geometry.endRadius;
}

void RecordingContext::paintBitmap(const QImage&, const QRectF& sourcePixels, const Rect& dest, bool flipRows,
                                   BlendMode op, double fraction)
{
    RecordedCall& c = add("image");
    c.rect = dest;
    c.source = Rect::fromQt(sourcePixels);
    c.flipRows = flipRows;
    c.operationMode = op;
    c.fraction = fraction;
}

void RecordingContext::pushLayer() { add("beginLayer"); }

void RecordingContext::popLayer(const GState& outer) { add("endLayer").state = outer; }

void RecordingContext::clipChanged(const char* operation, const Path* path, WindingRule rule)
{
    RecordedCall& c = add(operation);
    if (path)
        c.path = *path;
    c.rule = rule;
}

} // namespace pf
