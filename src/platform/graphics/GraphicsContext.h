// The one way model code draws: a Quartz-style graphics context. It keeps a stack of graphics states
// (transform, clip, alpha, colours, line settings, shadow, antialiasing, interpolation, blend mode), takes
// every coordinate in user space, and leaves the painting to a backend: PainterContext paints through
// QPainter (bitmaps, PDF, views); RecordingContext records the calls for tests.
//
// Device space is the backend's pixel grid, y down. The user space of a context is what its creator
// made it: bitmap and view contexts are y-down ("flipped"), PDF pages y-up as in Quartz.
//
// Defaults follow Quartz, not QPen: line width 1, butt cap, miter join, miter limit 10 (Quartz's ratio of
// miter length to line width), no dash, dash lengths and phase in user units, antialiasing on, alpha 1,
// black fill and stroke, normal blend mode, no shadow, no clip. A line width of 0 strokes the thinnest
// line the device can show (one device pixel).
#pragma once

#include "platform/foundation/Color.h"
#include "platform/foundation/Geometry.h"
#include "platform/graphics/Path.h"

#include <QPainterPath>
#include <QRectF>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QGlyphRun;
class QImage;
class QPainter;

namespace pf {

class Gradient;
class Image;

// CGBlendMode and its numbering; also the compositing operation of image drawing.
enum class BlendMode {
    Normal = 0,
    Multiply = 1,
    Screen = 2,
    Overlay = 3,
    Darken = 4,
    Lighten = 5,
    ColorDodge = 6,
    ColorBurn = 7,
    SoftLight = 8,
    HardLight = 9,
    Difference = 10,
    Exclusion = 11,
    Clear = 16,
    Copy = 17,
    SourceIn = 18,
    SourceOut = 19,
    SourceAtop = 20,
    DestinationOver = 21,
    DestinationIn = 22,
    DestinationOut = 23,
    DestinationAtop = 24,
    Xor = 25,
    PlusLighter = 27,
};

// CGInterpolationQuality. Default resolves to Low on screen and High elsewhere.
enum class InterpolationQuality { Default = 0, None = 1, Low = 2, High = 3, Medium = 4 };

// Quartz shadow: offset and blur in base space (device pixels over the context's base scale), never
// transformed by the CTM. The offset's height points up, as in Quartz: (0, 5) casts the shadow 5 units
// up on screen whatever the CTM, so a page that stores y-down offsets passes (x, −y).
struct Shadow {
    Size offset;
    double blur = 0;
    Color color{0, 0, 0, 1.0 / 3.0};
    friend bool operator==(const Shadow&, const Shadow&) = default;
};

// Extend options of the Quartz gradient painters.
enum GradientDrawingOption { DrawsBeforeStart = 1, DrawsAfterEnd = 2 };

// The clip of a state, in device space: everything, or the intersection of a device rect and paths.
// A device rect of whole pixels is clipped exactly by the backend; other clips are antialiased masks.
struct Clip {
    bool unbounded = true;
    QRectF rect;                      // when not unbounded: the rect part (device)
    std::vector<QPainterPath> paths;  // device space, each with its fill rule
    QRectF bounds() const;            // device bounds of the clip area (unbounded: an empty QRectF)
    bool hasPaths() const { return !paths.empty(); }
    // Shared by copies of the state, and by the states saved from them (a shape drawn under a clip it did
    // not set must not make the mask again): a backend may cache a mask here; null while the clip has no
    // paths. A change of the clip starts a new one.
    std::shared_ptr<std::shared_ptr<void>> cache;
};

struct GState {
    AffineTransform ctm;
    Clip clip;
    double alpha = 1;
    Color fillColor = Color::black();
    Color strokeColor = Color::black();
    LineStyle line;  // width 1, butt, miter, limit 10, no dash
    std::optional<Shadow> shadow;
    bool antialias = true;
    InterpolationQuality interpolation = InterpolationQuality::Default;
    BlendMode blendMode = BlendMode::Normal;
};

class GraphicsContext {
public:
    virtual ~GraphicsContext();
    GraphicsContext(const GraphicsContext&) = delete;
    GraphicsContext& operator=(const GraphicsContext&) = delete;

    // --- The current context of the thread (NSGraphicsContext currentContext); null when none.
    static GraphicsContext* current();

    // --- State stack. restoreGState without a matching save does nothing.
    void saveGState();
    void restoreGState();
    const GState& gstate() const { return states_.back(); }
    int gstateDepth() const { return int(states_.size()) - 1; }

    // --- Transform. translate/scale/rotate apply before the current CTM (Quartz order).
    void translate(double tx, double ty);
    void scale(double sx, double sy);
    void rotate(double radians);
    void concat(const AffineTransform& t);
    AffineTransform getCTM() const { return gstate().ctm; }
    // The transform the context started with (device from its initial user space).
    const AffineTransform& baseCTM() const { return base_; }
    // True when user y grows downward on the device (the CTM does not turn the device's y round).
    bool isFlipped() const;

    Point convertToDeviceSpace(Point p) const;
    Point convertToUserSpace(Point p) const;
    Size convertSizeToDeviceSpace(Size s) const;
    Size convertSizeToUserSpace(Size s) const;
    Rect convertToDeviceSpace(const Rect& r) const;
    Rect convertToUserSpace(const Rect& r) const;

    // --- Simple state.
    void setAlpha(double alpha);
    void setFillColor(const Color& c) { state().fillColor = c; }
    void setStrokeColor(const Color& c) { state().strokeColor = c; }
    // Both, as NSColor set does.
    void setColor(const Color& c);
    void setLineWidth(double w) { state().line.width = w; }
    void setLineCap(LineCap cap) { state().line.cap = cap; }
    void setLineJoin(LineJoin join) { state().line.join = join; }
    void setMiterLimit(double limit) { state().line.miterLimit = limit; }
    // Lengths and phase in user units; an empty pattern is a solid line.
    void setLineDash(double phase, std::vector<double> lengths);
    void setShadow(Size offset, double blur, const Color& color);
    void setShadow(Size offset, double blur);  // black at alpha 1/3, as CGContextSetShadow
    void clearShadow() { state().shadow.reset(); }
    void setShouldAntialias(bool on) { state().antialias = on; }
    void setInterpolationQuality(InterpolationQuality q) { state().interpolation = q; }
    void setBlendMode(BlendMode mode) { state().blendMode = mode; }
    // Default resolved for this context.
    InterpolationQuality effectiveInterpolation() const;

    // --- Clip. clip and clipToRect intersect; setClip replaces the clip of the current state (NSBezierPath
    // setClip). The path's winding rule applies unless one is given.
    void clip(const Path& path);
    void clip(const Path& path, WindingRule rule);
    void clipToRect(const Rect& r);
    void setClip(const Path& path);
    void resetClip();
    // Clip bounds in user space (the device bounds when unclipped).
    Rect clipBoundingBox() const;

    // --- Painting. fillPath uses the path's winding rule unless one is given; strokePath uses the state's
    // line settings; strokeBezierPath the path's own line style (NSBezierPath stroke).
    void fillPath(const Path& path);
    void fillPath(const Path& path, WindingRule rule);
    void strokePath(const Path& path);
    void strokeBezierPath(const Path& path);
    void fillRect(const Rect& r);
    void strokeRect(const Rect& r);
    // Makes the rect transparent (no alpha, shadow or blend mode; the clip applies).
    void clearRect(const Rect& r);

    // --- Glyphs: a run laid out by Qt (positions and outlines y-down, in user units, relative to origin),
    // filled with the fill colour. In a y-up context the caller flips the text, as with a Quartz text
    // matrix.
    void drawGlyphRun(const QGlyphRun& run, Point origin);

    // --- Gradients (Quartz): over the clip area, between two points or two circles, with the extend
    // options (GradientDrawingOption bits).
    void drawLinearGradient(const Gradient& g, Point start, Point end, int options);
    void drawRadialGradient(const Gradient& g, Point startCenter, double startRadius, Point endCenter,
                            double endRadius, int options);
    // AppKit forms, inside a path. At an angle (degrees, counter-clockwise from +x in user space): the axis
    // runs through the centre of the path's bounds, from the projection of one extreme corner to the
    // other; in a y-down context 90° runs from the top (first stop) to the bottom (last stop).
    void drawLinearGradientInPath(const Gradient& g, const Path& path, double angleDegrees);
    void drawLinearGradientInRect(const Gradient& g, const Rect& r, double angleDegrees);
    // Radial: radius 0 at the bounds' centre moved by relativeCenter × half the bounds' size, to the
    // circle about the same centre that encloses the bounds.
    void drawRadialGradientInPath(const Gradient& g, const Path& path, Point relativeCenter);
    // The same geometries, taken from `path`, painted over `region` instead (a fill whose outline is not
    // the gradient's own: the colours spread over the one, every pixel of the other is painted).
    void drawLinearGradientInPath(const Gradient& g, const Path& path, double angleDegrees, const Path& region);
    void drawRadialGradientInPath(const Gradient& g, const Path& path, Point relativeCenter, const Path& region);

    // --- Images. src is in image points (y down, origin top-left; an empty rect means the whole image).
    // The image is drawn upright whatever the CTM's orientation (respectFlipped), with op as blend mode
    // and fraction multiplying the alpha. A drawing-handler image runs its handler here. Without
    // respectFlipped the image's top row lands at dest's maxY in user space, as a Quartz image does (so it
    // shows upside down in a y-down space).
    void drawImage(const Image& image, const Rect& dest, const Rect& src = {}, BlendMode op = BlendMode::Normal,
                   double fraction = 1.0, bool respectFlipped = true);

    // --- Transparency layers: the drawing between begin and end is composited once, with the alpha,
    // shadow, blend mode and clip of the state at begin. Inside, alpha is 1, there is no shadow and the
    // blend mode is normal. end without begin does nothing.
    void beginTransparencyLayer();
    void endTransparencyLayer();
    int transparencyLayerDepth() const { return int(layerStateDepths_.size()); }

    // --- Where the drawing goes.
    bool drawsToScreen() const { return drawsToScreen_; }
    // Device pixels per base-space unit (2 for a double-density view); shadows are measured in base units.
    double baseScale() const { return baseScale_; }
    // The device pixels this context can paint.
    virtual QRectF deviceBounds() const = 0;
    // Pixels of the target per device pixel: more than 1 where the painter scales once more for a dense
    // target (a widget on a double-density screen, or rendered into a double-density bitmap).
    virtual double targetPixelRatio() const { return 1.0; }
    // Paints through a QPainter set to the current user space when the device keeps vector drawing as
    // such (a PDF page, with no shadow or layer in between); answers what paint answered, or false
    // without calling it on any other device.
    virtual bool paintVectorDrawing(const std::function<bool(QPainter&)>& paint)
    {
        (void)paint;
        return false;
    }
    // Every edge of a device rect on a whole pixel: such a rect is painted exactly without antialiasing.
    static bool isWholePixels(const QRectF& r);

protected:
    GraphicsContext(const AffineTransform& base, double baseScale, bool drawsToScreen);
    // Starts afresh with a new base transform (a new PDF page).
    void resetStates(const AffineTransform& base);
    GState& state() { return states_.back(); }

    // Backend primitives: coordinates are in user space, the state is gstate().
    virtual void paintFill(const Path& path, WindingRule rule) = 0;
    virtual void paintStroke(const Path& path, const LineStyle& style) = 0;
    virtual void paintClear(const Rect& r) = 0;
    virtual void paintGlyphs(const QGlyphRun& run, Point origin) = 0;
    // region: user space. The gradient's geometry is in user space too.
    struct GradientPaint {
        bool radial = false;
        Point start, end;  // linear: the axis; radial: the circle centres
        double startRadius = 0, endRadius = 0;
    };
    virtual void paintGradient(const Gradient& g, const GradientPaint& geometry, const Path& region) = 0;
    // bitmap's sourcePixels drawn into dest (user space); flipRows puts the top row at dest's maxY.
    virtual void paintBitmap(const QImage& bitmap, const QRectF& sourcePixels, const Rect& dest, bool flipRows,
                             BlendMode op, double fraction) = 0;
    // A layer begins after the state was saved and reset for the layer; it ends before the state is
    // restored and is composited by the backend with the state at begin (passed).
    virtual void pushLayer() = 0;
    virtual void popLayer(const GState& outer) = 0;
    // Told after every clip change (the recording context notes it).
    virtual void clipChanged(const char* /*operation*/, const Path* /*path*/, WindingRule /*rule*/) {}

    friend class CurrentContext;

private:
    void intersectClip(const Path& path, WindingRule rule);
    // The user-space rect that covers every device pixel the clip lets through.
    QRectF visibleUserRect() const;

    std::vector<GState> states_;
    std::vector<size_t> layerStateDepths_;
    AffineTransform base_;
    double baseScale_ = 1;
    bool drawsToScreen_ = false;
};

// Makes a context the thread's current one for its lifetime (lockFocus … unlockFocus).
class CurrentContext {
public:
    explicit CurrentContext(GraphicsContext& context);
    ~CurrentContext();
    CurrentContext(const CurrentContext&) = delete;
    CurrentContext& operator=(const CurrentContext&) = delete;

private:
    GraphicsContext* previous_;
};

// saveGState for its lifetime, restoreGState at its end.
class SavedGState {
public:
    explicit SavedGState(GraphicsContext& context) : context_(context) { context_.saveGState(); }
    ~SavedGState() { context_.restoreGState(); }
    SavedGState(const SavedGState&) = delete;
    SavedGState& operator=(const SavedGState&) = delete;

private:
    GraphicsContext& context_;
};

} // namespace pf
