// A split container: its arranged subviews side by side (vertical dividers) or stacked (horizontal
// dividers), with a divider between each two. Unlike QSplitter, a delegate is asked at every step: the least
// and most position when a divider drag begins, where each drag step goes, how the subviews are laid out
// when the container changes size, and it is told afterwards. Dividers are child widgets of the divider
// thickness; their drawing is a hook of the container.
//
// A divider's position is the extent before it, in the container's points along the axis (x for vertical
// dividers, y for horizontal ones); divider i lies between arranged subviews i and i + 1.
#pragma once

#include "platform/kit/View.h"

#include <functional>
#include <memory>
#include <vector>

namespace pf {

class SplitView;

class SplitViewDelegate {
public:
    virtual ~SplitViewDelegate();
    // A drag of divider `index` begins: the least and the most position it may take.
    virtual double splitViewConstrainMinCoordinate(SplitView& splitView, double proposedMinimum, int index);
    virtual double splitViewConstrainMaxCoordinate(SplitView& splitView, double proposedMaximum, int index);
    // Each drag step: where the divider goes.
    virtual double splitViewConstrainSplitPosition(SplitView& splitView, double proposedPosition, int index);
    // The container changed size or its arranged subviews changed: lay them out and answer true, or answer
    // false for the container's own proportional layout (adjustSubviews).
    virtual bool splitViewResizeSubviews(SplitView& splitView, Size oldSize);
    // After any layout or divider move.
    virtual void splitViewDidResizeSubviews(SplitView& splitView);
};

// The platform's divider styles, by their numbers.
enum class SplitViewDividerStyle { Thick = 1, Thin = 2, PaneSplitter = 3 };

class SplitView : public View {
public:
    explicit SplitView(const Rect& frame, QWidget* parent = nullptr);
    ~SplitView() override;

    // Vertical dividers: the subviews are columns.
    bool isVertical() const { return vertical_; }
    void setVertical(bool vertical);
    SplitViewDividerStyle dividerStyle() const { return style_; }
    void setDividerStyle(SplitViewDividerStyle style);
    // The thickness of the style: thick 9, thin 1, pane splitter 10.
    static double thicknessOfStyle(SplitViewDividerStyle style);
    // What the layout uses; subclasses may answer their own.
    virtual double dividerThickness() const { return thicknessOfStyle(style_); }

    // Not owned.
    SplitViewDelegate* delegate() const { return delegate_; }
    void setDelegate(SplitViewDelegate* delegate) { delegate_ = delegate; }

    const std::vector<View*>& arrangedSubviews() const { return arranged_; }
    bool containsArrangedSubview(const View* view) const;
    // Adds view (made a child, keeping its frame) at the end, or before index; the layout follows on the
    // next turn (layoutNow does it at once).
    void addArrangedSubview(View* view);
    void insertArrangedSubview(View* view, std::size_t index);
    // Takes view out: it is hidden and left without a parent, owned by the caller.
    void removeArrangedSubview(View* view);
    // Stable sort of the arranged subviews; compare answers < 0 when a goes before b.
    void sortArrangedSubviews(const std::function<int(const View* a, const View* b)>& compare);

    int dividerCount() const { return arranged_.empty() ? 0 : int(arranged_.size()) - 1; }
    // Where divider index lies now, in the container's points.
    Rect dividerRect(int index) const;
    // Moves divider index to position (clamped so that neither neighbour has a negative extent); the
    // subviews beyond the neighbours stay. Subviews that do not tile the bounds are laid out first. Tells
    // the delegate afterwards.
    void setPosition(double position, int index);
    // Fits the arranged subviews to the bounds, each keeping its share of the extent along the axis (equal
    // shares when all are empty), every one as wide (or tall) as the container across.
    void adjustSubviews();
    // The layout a size change makes: the delegate's, else adjustSubviews; then the dividers follow and the
    // delegate is told.
    void layoutNow();
    // True while the subviews follow a change of the container's size rather than a divider moved: what
    // they get then is what fits, not what the user chose.
    bool isFittingToSize() const { return fittingToSize_; }

    // Draws divider at rect (the container's points); the base fills it with a grey of the style.
    virtual void drawDividerInRect(GraphicsContext& context, const Rect& rect);

    // The divider widgets (for tests and for the dividers' own redisplay).
    QWidget* dividerWidget(int index) const;
    // Divider drags as the divider widgets run them, from positions in the container's points.
    void beginDividerDrag(int index, double location);
    void continueDividerDrag(double location);
    void endDividerDrag();

protected:
    void layoutSubviews() override;

private:
    class Divider;
    friend class Divider;

    double along(const Rect& r) const { return vertical_ ? r.x() : r.y(); }
    double lengthAlong(const Rect& r) const { return vertical_ ? r.width() : r.height(); }
    double extent() const { return lengthAlong(bounds()); }
    void setSpan(View* view, double origin, double length);
    // The arranged subviews tile the bounds: each starts a divider after the previous one's end.
    bool tiles() const;
    // The delegate's layout, else adjustSubviews.
    void fit(Size oldSize);
    void placeDividers();
    void didResize();

    bool vertical_ = false;
    SplitViewDividerStyle style_ = SplitViewDividerStyle::Thick;
    SplitViewDelegate* delegate_ = nullptr;
    std::vector<View*> arranged_;
    std::vector<std::unique_ptr<Divider>> dividers_;
    Size laidOutSize_;
    bool fittingToSize_ = false;
    struct Drag {
        int index = -1;
        double offset = 0;
        double minimum = 0;
        double maximum = 0;
    } drag_;
};

} // namespace pf
