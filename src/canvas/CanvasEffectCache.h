// Pictures of the shapes whose drawing is costly (blurred shadows, content filters), drawn once in device
// pixels and put back on later paints instead of blurring again. A picture is kept while the shape's look
// (its look stamp, frame size, turn, dirty rect), the zoom, the device-pixel ratio and the page's sub-pixel
// place stay the same (so a pan by whole pixels keeps it), within a memory budget that keeps the pictures
// that cost most to make (area times blur). A shape moved by whole points that are whole picture pixels
// too, whose paint bounds then cover as many pixels, as far away, keeps its picture, put down there: its
// drawing is the same there, pixel for pixel (whole points keep what the shape rounds to points, whole
// pixels what the painter rounds to pixels). Other moves make it again.
//
// A selected or snapped shape keeps a picture of its look alone and draws its halo itself, under the
// picture, as it draws it under its own layers: the halo comes and goes without the look changing, and
// selecting leaves the look's pixels as they were. Selected groups and loupes, the selection objects and
// rubber bands, and shapes showing connection targets draw themselves.
#pragma once

#include "platform/foundation/Geometry.h"
#include "platform/graphics/Image.h"

#include <cstdint>
#include <unordered_map>

class Composition;
class Shape;
namespace pf {
class GraphicsContext;
}

class CanvasEffectCache {
public:
    // Bytes of pictures kept at most.
    std::size_t budget() const { return budget_; }
    void setBudget(std::size_t bytes);
    // Off: every shape draws directly (for comparisons).
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool on) { enabled_ = on; }

    // Around the shapes of one paint of the page in context (page space), at that device-pixel ratio
    // (screen pixels per device pixel of a context at base scale 1).
    void beginFrame(const pf::GraphicsContext& context, const Composition& page, double devicePixelRatio);
    void endFrame();
    // Draws the shape from its picture (made first when there is none that fits); false when the shape is
    // not one to keep a picture of and must draw itself.
    bool drawShape(pf::GraphicsContext& context, Shape& shape, const pf::Rect& pageDirtyRect);
    // Whether a shape would be drawn from a picture at this zoom.
    static bool wantsPicture(const Shape& shape, double scale);
    // What making a picture of the shape costs per pixel, roughly: the blur radii of the shadows it shows
    // at this zoom and its content filters; 0 for none.
    static double effectCost(const Shape& shape, double scale);

    // What happened, for tests and measurements.
    struct Stats {
        std::size_t built = 0;     // pictures made (each one blur)
        std::size_t reused = 0;    // pictures put back
        std::size_t evicted = 0;   // pictures dropped for the budget
        std::size_t refused = 0;   // wanted, but cheaper than what the budget keeps: drawn directly
    };
    const Stats& stats() const { return stats_; }
    void resetStats() { stats_ = {}; }
    std::size_t pictureCount() const { return entries_.size(); }
    std::size_t bytes() const { return bytes_; }
    bool hasPicture(const Shape& shape) const { return entries_.count(&shape) != 0; }
    void clear();

private:
    // What the picture shows, but for where the shape lies.
    struct Key {
        std::uint64_t stamp = 0;
        pf::Size size;
        std::int64_t angle = 0;
        double scale = 0;
        double ratio = 0;
        // The sub-pixel place of the page's origin, in 1/phaseSteps of a picture pixel.
        std::int64_t phaseX = 0, phaseY = 0;
        friend bool operator==(const Key&, const Key&) = default;
    };
    struct Entry {
        Key key;
        // The shape's frame and dirty rect it was drawn at.
        pf::Rect frame, dirtyRect;
        pf::Image picture;
        // Where the picture's top-left pixel lies, in whole picture pixels from the page's own grid.
        std::int64_t left = 0, top = 0;
        std::size_t bytes = 0;
        double cost = 0;
        std::uint64_t lastUse = 0;
    };
    // The frame's mapping from page points to picture pixels: a scale, then the page origin split into
    // whole pixels and a phase.
    struct Placement {
        bool valid = false;
        pf::AffineTransform pageToDevice;
        double baseScale = 1;
        double ratio = 1;      // picture pixels per device pixel
        double scale = 1;      // picture pixels per page point
        std::int64_t wholeX = 0, wholeY = 0;
        std::int64_t phaseX = 0, phaseY = 0;
    };
    static constexpr std::int64_t phaseSteps = 1024;
    void place(const pf::GraphicsContext& context);
    Key keyFor(const Shape& shape) const;
    // Moves the entry with the shape; false when the picture cannot be put down where the shape now lies.
    bool follow(Entry& entry, const Shape& shape) const;
    // The whole pixels of the picture grid that bounds (page points) may paint.
    struct Pixels {
        double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    };
    Pixels pixelsAbout(const pf::Rect& bounds) const;
    // Measures the picture (place, size, cost), finds it room and draws it; false when it is not made.
    bool build(Shape& shape, Entry& entry);
    void draw(pf::GraphicsContext& context, const Entry& entry) const;
    void drop(std::unordered_map<const Shape*, Entry>::iterator it);
    // Drops the cheapest pictures until bytes more fit; only pictures cheaper than cost go. False (and
    // nothing dropped) when that cannot make room.
    bool makeRoom(std::size_t bytes, double cost);
    // Drops the cheapest pictures until the budget holds.
    void fitBudget();

    std::unordered_map<const Shape*, Entry> entries_;
    std::size_t budget_ = std::size_t(96) << 20;
    std::size_t bytes_ = 0;
    bool enabled_ = true;
    Stats stats_;
    std::uint64_t frame_ = 0;
    double devicePixelRatio_ = 1;
    Placement placement_;
    const Composition* page_ = nullptr;
    const Composition* lastPage_ = nullptr;
};
