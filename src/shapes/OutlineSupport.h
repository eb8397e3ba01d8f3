// What the outline kinds share: the catalogue each kind answers from one table row, the adjustment
// ratios a new shape takes from its class, one way of appending outlines (polygons, polylines and
// designs drawn in a box and stretched to the frame), caches for the derived paths, and the inner
// lines drawn with the stroke.
#pragma once

#include "model/Shape.h"
#include "model/ShapeClass.h"

#include <QString>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>

namespace outline {

// Which adjustment ratios a kind takes from its class when made (bits).
enum Ratio : unsigned { RatioX = 1, RatioY = 2 };

// One kind's library row. Texts are localisation keys, except the search words.
struct Catalogue {
    const char* title;
    const char* shortTitle;
    const char* longDescription;
    const char* extraSearchString;
    const char* manipulatorClassName = nullptr; // null: the base class's
    unsigned stickyRatios = 0;                  // carried by new shapes and library entries
};

// The catalogue and the ratios as the instance side reads them.
class CatalogueInfo {
public:
    virtual ~CatalogueInfo() = default;
    virtual const Catalogue& catalogue() const = 0;
};

// A class object answering from its catalogue row; Base is the class object type of the kind's base.
template <class Base = ShapeClass>
class CatalogueClass : public Base, public CatalogueInfo {
public:
    CatalogueClass(QString name, const pf::ClassObject* superclass, ShapeClass::Allocator allocator,
                   const Catalogue& catalogue)
        : Base(std::move(name), superclass, allocator), catalogue_(catalogue)
    {
    }
    const Catalogue& catalogue() const override { return catalogue_; }

    QString title() const override { return pf::localized(QString::fromUtf8(catalogue_.title)); }
    QString shortTitle() const override { return pf::localized(QString::fromUtf8(catalogue_.shortTitle)); }
    QString longDescription() const override { return pf::localized(QString::fromUtf8(catalogue_.longDescription)); }
    QString extraSearchString() const override { return QString::fromUtf8(catalogue_.extraSearchString); }
    QString negativeSearchString() const override { return QStringLiteral(""); }
    QString manipulatorClassName() const override
    {
        return catalogue_.manipulatorClassName ? QString::fromLatin1(catalogue_.manipulatorClassName)
                                               : Base::manipulatorClassName();
    }
    // The library entry carries the ratios new shapes take, so previews show today's proportions.
    pf::Value plist() const override;

private:
    Catalogue catalogue_;
};

// Sets the ratios named by the kind's catalogue from the class level (never the user's last value),
// directly: without undo, layout or a write to the sticky store. Called before the inherited initialiser.
void takeStickyRatios(Shape& shape);
pf::Value plistWithStickyRatios(const ShapeClass& kind, pf::Value plist, unsigned ratios);

template <class Base>
pf::Value CatalogueClass<Base>::plist() const
{
    return plistWithStickyRatios(*this, Base::plist(), catalogue_.stickyRatios);
}

// A kind whose new shapes take the ratios its catalogue names.
template <class Base = Shape>
class WithStickyRatios : public Base {
public:
    void initWithFrame(const pf::Rect& frame) override
    {
        takeStickyRatios(*this);
        Base::initWithFrame(frame);
    }
};

// ---- building outlines ----

// Move to the first point, lines to the others, close.
void appendPolygon(pf::Path& path, std::initializer_list<pf::Point> points);
// The same without the close.
void appendPolyline(pf::Path& path, std::initializer_list<pf::Point> points);

// One step of a design: a line to `end`, or a curve to `end` with controls c1 and c2.
struct DesignStep {
    enum Kind { Line, Curve } kind;
    pf::Point end, c1, c2;
};
constexpr DesignStep line(double x, double y) { return {DesignStep::Line, {x, y}, {}, {}}; }
constexpr DesignStep curve(pf::Point end, pf::Point c1, pf::Point c2) { return {DesignStep::Curve, end, c1, c2}; }

// A closed figure drawn in a box of its own (y down) and stretched to the frame.
struct Design {
    pf::Size box;
    pf::Point start;
    std::span<const DesignStep> steps;
};
// The design closed and mapped so that box point (u, v) lands on (x + u·w / box width, y + v·h / box height).
// Only the design's own elements are mapped, whatever the path already holds.
void appendDesign(pf::Path& path, const Design& design, const pf::Rect& frame);

// A path derived from what shapes an outline (clip areas), made on first use and made again once the
// shape's frame, rotation or ratios differ from those it was made for.
class CachedPath {
public:
    template <class Make>
    const pf::Path& get(const Shape& shape, Make make) const
    {
        const Key key = keyOf(shape);
        if (!path_ || key != key_) {
            path_ = make();
            key_ = key;
        }
        return *path_;
    }

private:
    struct Key {
        pf::Rect frame;
        std::int64_t rotation = 0;
        double ratioX = 0, ratioY = 0;
        friend bool operator==(const Key&, const Key&) = default;
    };
    static Key keyOf(const Shape& shape)
    {
        return {shape.frame(), shape.rotationAngle(), shape.adjustmentRatioX(), shape.adjustmentRatioY()};
    }
    mutable std::optional<pf::Path> path_;
    mutable Key key_;
};

// The path turned by the shape's rotation (unchanged at 0).
pf::Path rotated(const Shape& shape, pf::Path path);

// Lines drawn beside the outline with the stroke's colour, width, cap and join, when the outline itself
// is stroked (shown, a stroke type other than none, a width of at least one point).
void strokeInnerLines(const Shape& shape, pf::GraphicsContext& context, const pf::Path& lines);

// A kind whose interiorStrokePath is stroked after its outline.
template <class Base = Shape>
class WithInnerLines : public Base {
public:
    void drawStrokeInContext(pf::GraphicsContext& context) override
    {
        Base::drawStrokeInContext(context);
        if (const std::optional<pf::Path> lines = this->interiorStrokePath())
            strokeInnerLines(*this, context, *lines);
    }
};

// A depth that shapes the outline but is not stored: `Fresh` in every new shape and in every shape read
// back (whole points: what a template argument can carry on every compiler we build with), kept by copies;
// a new value rebuilds the outline, without undo.
template <class Base, int Fresh>
class WithOutlineDepth : public Base {
public:
    void initWithFrame(const pf::Rect& frame) override
    {
        depth_ = Fresh;
        Base::initWithFrame(frame);
    }

protected:
    double outlineDepth() const { return depth_; }
    void setOutlineDepth(double depth)
    {
        if (depth == depth_ || !std::isfinite(depth))
            return;
        depth_ = depth;
        this->jiggleFrameWithoutUndo();
    }
    void copyFrom(const Shape& source) override
    {
        // Before the frame is copied, which builds the outline.
        depth_ = static_cast<const WithOutlineDepth&>(source).depth_;
        Base::copyFrom(source);
    }

private:
    double depth_ = Fresh;
};

// Keeps drawing off an area: clips to everything but the path (even-odd against a huge rect).
void clipOut(pf::GraphicsContext& context, const pf::Path& area);

} // namespace outline
