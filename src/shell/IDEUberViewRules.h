// The rules of the nested split layout, apart from its widgets: where a dragged divider snaps, how the
// regions share the space when the layout is resized, and how open states and region sizes are kept in the
// settings. IDEUberView and its split views forward to these; tests check them as tables.
//
// One axis at a time: the column split (left, centre, right) and the row split (top, centre, bottom) are
// the same problem along x or y, so the rules speak of a leading region (left or top), the centre and a
// trailing region (right or bottom). Positions are in the split view's points, y growing downward; a
// divider's position is the extent of the region before it.
#pragma once

#include "platform/foundation/Value.h"

#include <QString>

#include <optional>

namespace pf {
class UserDefaultsStore;
}

namespace uber {

// Snap targets and bounds of one region's extent. A bound of 0 is not set, whatever the rule.
struct ExtentBounds {
    double preferred = 0;
    double minimum = 0;
    double maximum = 0;
    double alternate = 0;
};

// What every divider rule needs: the proposed position P, the split view's extent along the axis (W or
// H), the divider thickness T and the snap tolerance.
struct SnapInput {
    double proposed = 0;
    double extent = 0;
    double thickness = 0;
    double tolerance = 12;
};

// The left (or top) divider. trailingStart is where the right column (bottom row) begins while it is open:
// a divider dragged near it closes the centre up.
double snapLeadingDivider(const SnapInput& in, const ExtentBounds& bounds, std::optional<double> trailingStart);
// The right (or bottom) divider, measured from the far edge: the region's maximum and minimum give the
// divider at extent - bound, its preferred and alternate sizes at extent - size - T (so that the region is
// exactly that size). centreStart is where the centre begins: dragged near it, the centre closes up.
double snapTrailingDivider(const SnapInput& in, const ExtentBounds& bounds, double centreStart);
// The divider inside a side column (between its top and bottom regions); extent is the column's height.
// With the top region closed the position stands; with the bottom one closed the top region takes all.
double snapColumnSplit(const SnapInput& in, const ExtentBounds& topBounds, bool topOpen, bool bottomOpen);
// What a column split answers when its bottom region is closed: more than any column is tall.
inline constexpr double wholeColumn = 10000;

// One region along the axis.
struct Span {
    double origin = 0;
    double length = 0;
    double end() const { return origin + length; }
};

// The state a divider drag leaves for the resizes that follow it: the centre's extent and the two sides'
// extents when the first resize after the drag began. centreExtent < 0: the next resize captures.
struct DragCapture {
    double centreExtent = -1;
    double leadingExtent = 0;
    double trailingExtent = 0;
    bool isPending() const { return centreExtent < 0; }
    void reset() { *this = DragCapture(); }
};

struct AxisResize {
    double total = 0; // the split view's extent along the axis
    double thickness = 0;
    Span leading, centre, trailing; // as they stand
    bool leadingOpen = false;
    bool trailingOpen = false;
    // The sides' stored extents (what the settings hold for them now).
    double storedLeading = 0;
    double storedTrailing = 0;
};

struct AxisLayout {
    Span leading, centre, trailing;
};

// The narrowest a centre that was open when the drag began becomes when the layout shrinks.
inline constexpr double minimumCentreExtent = 24;

// Lays the three regions out for a new total extent, capturing first when the capture is pending. With a
// centre that was open at capture, the sides keep their stored extents and the centre takes the rest, but
// never less than minimumCentreExtent, the sides then sharing what is left in proportion to their extents;
// with a centre closed up at capture, it stays closed and the sides share the space in the captured
// proportion. A side of extent 0 keeps 0; no extent is negative or not finite.
AxisLayout resizeAxis(const AxisResize& in, DragCapture& capture);

// The regions that can be opened and closed, and the extents kept for them.
enum class Region { Left, LeftTop, LeftBottom, Right, RightTop, RightBottom, Top, Bottom };
inline constexpr int regionCount = 8;
enum class Extent { LeftWidth, RightWidth, TopHeight, BottomHeight, LeftTopHeight, RightTopHeight };
inline constexpr int extentCount = 6;

// The keys before the layout's prefix.
QString openStateKey(Region region);
QString extentKey(Extent extent);
QString extentDictionaryKey(Extent extent);
// Extents that an open, collapsed region keeps as 1 rather than 0.
bool storesAtLeastOne(Extent extent);

// The read-only choice of the divider style, never prefixed.
inline constexpr const char* dividerStyleKey = "IDEUberViewSplitViewDividerStyle";

// A side's identifier: the represented object of whatever opened it, when that can name a size (a string,
// or a number by its decimal form); absent, the plain key is used.
using Identifier = std::optional<QString>;

// The layout's keys in the settings store: "<autosave name>-<key>", or the key alone without a name.
class LayoutDefaults {
public:
    // A null store means the shared one at each use (tests swap it).
    explicit LayoutDefaults(QString autosaveName = {}, pf::UserDefaultsStore* store = nullptr);

    const QString& autosaveName() const { return autosaveName_; }
    void setAutosaveName(const QString& name) { autosaveName_ = name; }
    QString makeKey(const QString& key) const;

    void storeOpenState(Region region, bool open);
    // Absent when nothing (or no boolean-like value) is stored.
    std::optional<bool> storedOpenState(Region region) const;

    // Writes |measured| (at least 1 for the extents that say so) as a float under the plain key, or into the
    // dictionary entry of identifier. A measure that is not finite writes nothing.
    void storeExtent(Extent extent, double measured, const Identifier& identifier);
    // The stored extent, absent when none is stored or it is unusable (not a number, not finite, negative):
    // the settings file is the user's, and a bad entry must not collapse or blow up a region.
    std::optional<double> storedExtent(Extent extent, const Identifier& identifier) const;
    // Removes both the plain and the dictionary key of the extent.
    void removeExtent(Extent extent);

    void synchronize();

private:
    pf::UserDefaultsStore& store() const;
    void setExtent(double extent, const QString& identifier, const QString& dictionaryKey);

    QString autosaveName_;
    pf::UserDefaultsStore* store_;
};

} // namespace uber
