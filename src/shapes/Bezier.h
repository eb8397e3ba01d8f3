// The free-form curve: an ordered chain of model points joined by cubic segments, open or closed, in page
// coordinates. The outline is rebuilt from the model; the frame follows the outline, and a change of the
// frame moves (or, during resizes, scales) the model. It is a connector: its first and last model points
// are ends A and B, which carry arrowheads and attach to shapes.
//
// Model: n points; pair i holds the two control points of the segment that ends at point i (slot 0 at the
// segment's start, slot 1 at point i); the segment ending at point 0 runs from the last point and is drawn
// only when closed. Independent flag j: the two controls meeting at point j − 1 move apart (flag 0 is the
// meeting at the last point). Invisible flag i: the controls meeting at point i lie on it (a corner).
//
// Subpaths: the points may fall into runs, each drawn as its own subpath (a boolean result of several
// outlines, a shape with holes). Each run has the layout above on its own: its first pair is its closing
// segment's, used only when the run is closed, and its flags wrap within it. No runs: one chain.
//
// Handles: 0 to 8 the frame's corners; 9 + i model point i; n + 9 + 2i + s slot s of pair i.
#pragma once

#include "shapes/AbstractPointer.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace pf {
class ClassRegistry;
}

using BezierControlPair = std::array<pf::Point, 2>;

// A run of model points drawn as one subpath: from its start to the next run's start.
struct BezierSubpath {
    int start = 0;
    bool closed = false;
    friend bool operator==(const BezierSubpath&, const BezierSubpath&) = default;
};

class Bezier : public AbstractPointer {
public:
    using Points = std::vector<pf::Point>;
    using Pairs = std::vector<BezierControlPair>;
    using Flags = std::vector<bool>;
    using Subpaths = std::vector<BezierSubpath>;

    static const AbstractPointerClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    // A ready path of four points across the frame.
    void initWithFrame(const pf::Rect& frame) override { initWithFrameGeneratePath(frame, true); }
    // generate NO: pen mode, one point at the frame's origin and a half-transparent fill until
    // doneGenerating.
    void initWithFrameGeneratePath(const pf::Rect& frame, bool generate);

    // ---- model ----
    const Points& modelPoints() const { return points_; }
    const Pairs& modelControlPoints() const { return pairs_; }
    const Flags& modelControlPointsIndependent() const { return independent_; }
    const Flags& modelControlPointsInvisible() const { return invisible_; }
    // With several subpaths: every one of them is closed.
    bool closed() const { return closed_; }
    // Closes or opens every subpath.
    void setClosed(bool closed);
    int modelPointCount() const { return static_cast<int>(points_.size()); }
    // Two or more runs, the first starting at 0; empty for a model of one chain.
    const Subpaths& modelSubpaths() const { return subpaths_; }
    // The run holding point i: its first index, one past its last, and whether it is closed.
    int subpathStartOf(int i) const { return runOf(i).start; }
    int subpathEndOf(int i) const { return runOf(i).end; }
    bool isSubpathClosedAt(int i) const { return runOf(i).closed; }
    // The neighbours of point i along its own subpath, wrapping at its ends.
    int nextModelIndex(int i) const;
    int previousModelIndex(int i) const;
    // Whether a segment ends at point i: every point but the first of an open subpath.
    bool hasSegmentEndingAt(int i) const;

    pf::Point modelPointAtIndex(int i) const { return points_[std::size_t(i)]; }
    pf::Point firstControlPointAtModelIndex(int i) const { return pairs_[std::size_t(i)][0]; }
    pf::Point secondControlPointAtModelIndex(int i) const { return pairs_[std::size_t(i)][1]; }
    void setFirstControlPointAtIndex(const pf::Point& p, int i) { setControlPointAtIndex(p, i, 0); }
    void setSecondControlPointAtIndex(const pf::Point& p, int i) { setControlPointAtIndex(p, i, 1); }
    bool isInvisibleAtModelIndex(int i) const;
    void setInvisibleAtModelIndex(bool invisible, int i);
    int lastModelPointIndex() const { return modelPointCount() - 1; }

    // ---- handles ----
    static constexpr int firstModelPointHandleIndex() { return 9; }
    int lastModelPointHandleIndex() const { return modelPointCount() + 8; }
    int firstControlPointHandleIndex() const { return modelPointCount() + 9; }
    int lastControlPointHandleIndex() const { return 3 * modelPointCount() + 8; }
    static int handleIndexForModelIndex(int i) { return i + 9; }
    static int modelIndexForHandleIndex(int h) { return h - 9; }
    int firstControlPointHandleIndexForModelIndex(int i) const { return modelPointCount() + 9 + 2 * i; }
    int secondControlPointHandleIndexForModelIndex(int i) const { return modelPointCount() + 10 + 2 * i; }
    // The model point a control handle sits at (slot 0 of pair i at point i − 1, wrapping; slot 1 at i).
    int userIndexForHandleIndex(int h) const;
    pf::Point cornerPointForHandleIndex(int h) const { return QVRectGetCornerPoint(h, frame()); }
    pf::Point modelPointForHandleIndex(int h) const { return modelPointAtIndex(modelIndexForHandleIndex(h)); }
    pf::Point controlPointForHandleIndex(int h) const;
    pf::Point pointForHandleIndex(int h) const;
    // The page's active handle (−1 without a page).
    int activeHandleIndex() const;
    bool isResizing() const { return activeHandleIndex() < 9; }
    bool isModelPointAdjusting() const;
    bool isModelControlPointAdjusting() const { return activeHandleIndex() > lastModelPointHandleIndex(); }

    // ---- working state ----
    bool isGenerating() const { return generating_; }
    bool frameTranslationEnabled() const { return frameTranslationEnabled_; }
    void setFrameTranslationEnabled(bool on) { frameTranslationEnabled_ = on; }
    bool frameScalingEnabled() const { return frameScalingEnabled_; }
    void setFrameScalingEnabled(bool on) { frameScalingEnabled_ = on; }

    // ---- ends ----
    QVRectCorner cornerA() const override { return 0; }
    QVRectCorner cornerB() const override { return lastModelPointIndex(); }
    // Points 0 and 3 of endPoints.
    pf::Point pointA() const override;
    pf::Point pointB() const override;
    // Start, the first leaving control, the last arriving control and the end of the outline (half a
    // point in for an even stroke); the outline's element count.
    int getEndPoints(pf::Point points[4]) const;
    double currentAngleForArrowA() const override;
    double currentAngleForArrowB() const override;
    // 6 points in from an end along its first chord.
    pf::Point labelPointA() const;
    pf::Point labelPointB() const;

    // ---- frame and model ----
    void appendPath(pf::Path& path) const override;
    // Maps the model from the frame before the change (during a drag, from the drag's start) onto the
    // frame, by translation or scaling; resizes of a rotated curve map in its unrotated frame.
    void regeneratePathWithOldFrame(const pf::Rect& oldFrame) override;
    // The rotation lives in the model points.
    void applyRotationToPath() override {}
    void setRotationAngle(std::int64_t degrees) override;
    void setCopyFrame(const pf::Rect& frame) override;
    void setDisplayFrameWidth(double width) override;
    void setDisplayFrameHeight(double height) override;
    void sizeToFitImage(bool halve) override;
    void setEditingText(bool editing) override;
    void setConnectionPointForCorner(const pf::Point& point, QVRectCorner corner) override;
    // Zero-size frames are points and lines: valid.
    bool isValidFrame(const pf::Rect& frame) const override { return QVRectIsValid(frame); }

    // ---- editing (BezierEditing.cpp) ----
    // Moves point i and its two adjoining control points; no undo (drags are undone by endDrag).
    void setModelPointAtIndex(const pf::Point& p, int i);
    // A model point, or a control point with its mirrored peer unless their junction is independent.
    void setPointAtHandleIndex(const pf::Point& p, int h);
    // Answers YES for a model-point handle, NO for a control handle.
    bool setIndependentAtHandleIndex(bool independent, int h);
    // Replaces the model ("Adjust Path"); rebuilds when regen and the pairs match the points. The subpaths
    // stay while they fit the new points, else the model becomes one chain.
    void setModelPointsControlPointsRegen(Points points, Pairs pairs, bool regen);
    // The same with the model's runs (empty: one chain); closed() follows them.
    void setModelPointsControlPointsRegen(Points points, Pairs pairs, Subpaths subpaths, bool regen);
    void setModelControlPointsIndependent(Flags flags);
    void setModelControlPointsInvisible(Flags flags);
    void insertPoint(const pf::Point& p);
    void removePointAtIndex(int i);
    void removePoint(const pf::Point& p) { removePointAtIndex(modelIndexClosestToPoint(p)); }
    void removeLastPoint() { removePointAtIndex(lastModelPointIndex()); }
    int modelIndexClosestToPoint(const pf::Point& p) const;
    // Pen tool.
    void appendPoint(const pf::Point& p);
    pf::Point phantomControlPoint() const;
    pf::Point initialPeerControlPoint() const;
    void setIndependentPhantomPoint(const pf::Point& p);
    pf::Point independentPhantomPoint() const { return independentPhantomPoint_; }
    void setWantsIndependentPhantomPoint(bool wants) { wantsIndependentPhantomPoint_ = wants; }
    void doneGenerating();
    void closePath() override;
    void reversePath() override;
    void flipHorizontalVertical(bool horizontal, bool vertical) override;
    void applyTransformToPath(const pf::AffineTransform& t);
    void combineWithShapes(const std::vector<std::shared_ptr<Shape>>& shapes) override;
    bool canSliceAtLocation(const pf::Point& location) const override;
    std::vector<std::shared_ptr<Shape>> sliceAtLocation(const pf::Point& location) override;
    // Pieces of the given lengths along the outline, in order.
    std::vector<std::shared_ptr<Bezier>> splitLengths(const std::vector<double>& lengths);
    void beginDrag() override;
    void endDrag(const pf::Event& event) override;
    // The bracket with the commit flag: committing records the drag's start model as one "Adjust Path".
    void endDragCommit(const pf::Event& event, bool commit);

    // ---- conversions (BezierConversions.cpp) ----
    // The shape itself when it is a Bezier, else its outline with its style (closed unless a connector).
    static std::shared_ptr<Bezier> fromShape(const std::shared_ptr<Shape>& shape);
    // A Bezier walking the path's elements from element `offset` on, with everything else read from the
    // plist (which gets a new identifier and loses any stored model). Each subpath of the path stays one
    // (a slice, walked from an offset, is one chain); a closed walk leaves open a subpath that neither
    // closes nor ends on its start. A second text (a title box's body) follows the text on a new line.
    static std::shared_ptr<Bezier> fromBezierPath(const pf::Path& path, pf::Value plist, bool closed, int offset = 0);
    // With the current default style.
    static std::shared_ptr<Bezier> fromBezierPath(const pf::Path& path);

    // ---- drawing and hit testing ----
    void drawArrowsInContext(pf::GraphicsContext& context) override;
    void drawStrokeInContext(pf::GraphicsContext& context) override;
    bool containsPoint(const pf::Point& point) const override;
    // The outline stroked 10 screen points wider (cached until the outline is rebuilt).
    const pf::Path& intersectionPath() const;
    pf::Rect calcDirtyRect() const override;
    const pf::Path& textClipPath() const override;

    // ---- predicates ----
    bool isBezier() const override { return true; }
    bool isPath() const override { return true; }
    bool canFlip() const override { return true; }
    bool canInvert() const override { return true; }
    bool canIntersect() const override { return true; }
    bool canConvertToBezier() const override { return false; }
    bool canClosePath() const override { return !closed_; }
    bool canCombine() const override { return !closed_; }
    int dropColorType() const override { return fillType() == 5 ? 1 : 0; }

    // ---- equality, copy, stored form ----
    bool isEqualToShape(const Shape& other) const override;
    pf::Value asPlist() const override;
    void readPlist(const pf::Value& plist) override;

protected:
    void copyFrom(const Shape& source) override;

private:
    struct Run {
        int start = 0, end = 0;
        bool closed = false;
    };
    // The runs as drawn (one for a chain); the run holding point i.
    std::vector<Run> runs() const;
    Run runOf(int i) const;
    // Runs that no longer fit the points are dropped; a single run is the chain.
    void setSubpaths(Subpaths subpaths);
    // The model element of outline element e: the point its segment ends at; −1 for none.
    int modelIndexForElement(int e) const;
    // A model's arrays with its runs, for cutting and joining whole subpaths.
    struct Model {
        Points points;
        Pairs pairs;
        Flags invisible, independent;
        Subpaths subpaths;
        // Appends another model's runs after this one's, each staying its own subpath.
        void append(const Model& more);
    };
    // Runs [first, last) of this model (every run by default), starting at point 0.
    Model runsModel(std::size_t first = 0, std::size_t last = SIZE_MAX) const;
    // Replaces the whole model, flags and runs included (undoable).
    void setModel(Model model);
    // Slicing a model of several subpaths at the one holding point m.
    std::vector<std::shared_ptr<Shape>> sliceSubpathAtLocation(const pf::Point& location, int m);
    void setControlPointAtIndex(const pf::Point& p, int i, int slot);
    // Base rebuild of the outline without mapping, the content image, then the frame from the outline.
    void rebuild();
    // The frame from the outline, with the model left where it is.
    void fitFrameToOutline();
    bool isDragging() const { return dragStartPoints_.has_value(); }
    // Every point and control point through t.
    void transformModel(const pf::AffineTransform& t);
    // The generated pairs of the current points (the outline's smooth default).
    Pairs generatedPairs() const;

    Points points_;
    mutable Pairs pairs_;
    Flags independent_;
    Flags invisible_;
    bool closed_ = false;
    Subpaths subpaths_;

    bool generating_ = false;
    bool frameTranslationEnabled_ = false;
    bool frameScalingEnabled_ = false;
    bool wantsIndependentPhantomPoint_ = false;
    pf::Point independentPhantomPoint_;
    std::optional<Points> dragStartPoints_;
    std::optional<Pairs> dragStartPairs_;
    std::optional<pf::Path> dragStartPath_;
    mutable pf::Path textClip_;
};

// Registers Bezier.
void registerBezierShapes(pf::ClassRegistry& registry);
