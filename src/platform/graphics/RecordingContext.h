// A context that records what is drawn, in user-space coordinates, with the state at each call. Tests
// check exact coordinates with it; it paints nothing.
#pragma once

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Gradient.h"

#include <string>
#include <vector>

namespace pf {

struct RecordedCall {
    // "fill", "stroke", "clear", "glyphs", "gradient", "image", "beginLayer", "endLayer", and the clip operations
    // "clip", "clipToRect", "setClip", "resetClip".
    std::string operation;
    Path path;                  // fill, stroke, clips
    WindingRule rule = WindingRule::NonZero;
    LineStyle line;             // stroke: the style used
    Rect rect;                  // clear, image (destination), glyphs (bounds of the run)
    Point origin;               // glyphs
    std::vector<quint32> glyphs;  // glyphs: the glyph indexes
    Rect source;                // image: source pixels
    bool flipRows = false;      // image
    BlendMode operationMode = BlendMode::Normal;  // image
    double fraction = 1;        // image
    Gradient gradient;          // gradient
    bool radial = false;        // gradient geometry
    Point start, end;
    double startRadius = 0, endRadius = 0;
    GState state;               // the state at the call (the outer state for endLayer)
};

class RecordingContext final : public GraphicsContext {
public:
    // A y-down context over a device of the given pixel bounds.
    explicit RecordingContext(const QRectF& deviceBounds = QRectF(0, 0, 1000, 1000), bool drawsToScreen = false,
                              const AffineTransform& base = AffineTransform::identity());

    const std::vector<RecordedCall>& calls() const { return calls_; }
    void clearCalls() { calls_.clear(); }
    QRectF deviceBounds() const override { return bounds_; }

protected:
    void paintFill(const Path& path, WindingRule rule) override;
    void paintStroke(const Path& path, const LineStyle& style) override;
    void paintClear(const Rect& r) override;
    void paintGlyphs(const QGlyphRun& run, Point origin) override;
    void paintGradient(const Gradient& g, const GradientPaint& geometry, const Path& region) override;
    void paintBitmap(const QImage& bitmap, const QRectF& sourcePixels, const Rect& dest, bool flipRows, BlendMode op,
                     double fraction) override;
    void pushLayer() override;
    void popLayer(const GState& outer) override;
    void clipChanged(const char* operation, const Path* path, WindingRule rule) override;

private:
    RecordedCall& add(const char* operation);
    std::vector<RecordedCall> calls_;
    QRectF bounds_;
};

} // namespace pf
