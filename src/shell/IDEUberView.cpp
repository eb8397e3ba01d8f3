#include "shell/IDEUberView.h"

#include "platform/foundation/UserDefaultsStore.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Window.h"
#include "shell/IDEUberViewSplitView.h"
#include "shell/QVHintView.h"

#include <QPalette>

#include <algorithm>
#include <chrono>
#include <cmath>

using uber::Extent;
using uber::Region;

namespace {

// As large as a split view allows: the split view shrinks it to fit.
constexpr double huge = 10000;

const QString storeTag = QStringLiteral("storeSplitPositions");

// A hint panel of the window's background colour whose children fill it; the hint shows while it has one.
class RegionView : public QVHintView {
public:
    explicit RegionView(const pf::Rect& frame) : QVHintView(frame)
    {
        setColor(pf::Color::fromQt(palette().color(QPalette::Window)));
    }

protected:
    void layoutSubviews() override
    {
        for (QObject* o : children()) {
            auto* w = qobject_cast<QWidget*>(o);
            if (!w)
                continue;
            if (auto* v = dynamic_cast<pf::View*>(w))
                v->setFrame(bounds());
            else
                w->setGeometry(rect());
        }
    }
};

uber::Identifier identifierOf(const pf::MenuItem* sender)
{
    if (!sender)
        return std::nullopt;
    const pf::Variant& v = sender->representedObject();
    switch (v.type()) {
    case pf::Variant::Type::String:
        return v.toString();
    case pf::Variant::Type::Integer:
        return QString::number(v.toInt());
    case pf::Variant::Type::Real:
        return QString::number(v.toDouble(), 'g', 17);
    default:
        return std::nullopt;
    }
}

uber::Span spanX(const pf::Rect& r) { return {r.x(), r.width()}; }
uber::Span spanY(const pf::Rect& r) { return {r.y(), r.height()}; }

} // namespace

pf::View* IDEUberMakeRegionView(const pf::Rect& frame) { return new RegionView(frame); }

void IDEUberSetRegionHint(pf::View* region, const QString& hint)
{
    if (auto* r = dynamic_cast<RegionView*>(region)) {
        r->setHintText(hint);
        r->setNeedsDisplay();
    }
}

// ---- the internal delegate ----

double IDEUberViewSplitViewDelegateInternal::splitViewConstrainSplitPosition(pf::SplitView& splitView, double proposed,
                                                                          int index)
{
    return uberView_ ? uberView_->columnSplitViewConstrainSplitPosition(splitView, proposed, index) : proposed;
}

void IDEUberViewSplitViewDelegateInternal::splitViewDidResizeSubviews(pf::SplitView& splitView)
{
    if (!uberView_)
        return;
    uberView_->scheduleStoreSplitPositions();
    const IDEUberView& u = *uberView_;
    const bool columnSplit = &splitView == u.leftView() || &splitView == u.rightView();
    if (columnSplit && ((u.isLeftTopViewOpen() && u.isLeftBottomViewOpen()) || u.isRightTopViewOpen()
                        || u.isRightBottomViewOpen()))
        u.verticalSplitView()->update();
}

// ---- construction ----

namespace {
int styleFromSettings()
{
    return pf::UserDefaultsStore::standard().boolForKey(QLatin1String(uber::dividerStyleKey)) ? 2 : 1;
}
} // namespace

IDEUberView::IDEUberView(const pf::Rect& frame, QWidget* parent) : IDEUberView(frame, styleFromSettings(), parent) {}

IDEUberView::IDEUberView(const pf::Rect& frame, int dividerStyle, QWidget* parent)
    : QVView(frame, parent), splitViewDividerStyle_(dividerStyle)
{
    leftWidthBounds.preferred = 200;
    rightWidthBounds.preferred = 200;
    leftTopHeightBounds.preferred = 200;
    rightTopHeightBounds.preferred = 200;
    topHeightBounds.preferred = 175;
    bottomHeightBounds.preferred = 175;

    shelf_ = new QWidget(this);
    shelf_->hide();
    const auto style = dividerStyle == 2 ? pf::SplitViewDividerStyle::Thin : pf::SplitViewDividerStyle::Thick;
    const double w = frame.width(), h = frame.height();
    auto makeSplit = [&](bool vertical, pf::SplitViewDelegate* delegate) {
        auto* s = new IDEUberViewSplitView(pf::Rect(0, 0, w, h), this);
        s->setVertical(vertical);
        s->setDividerStyle(style);
        s->setDelegate(delegate);
        return s;
    };
    auto shelved = [this](const pf::Rect& r) {
        pf::View* v = IDEUberMakeRegionView(r);
        v->setParent(shelf_);
        return v;
    };

    verticalSplitView_ = makeSplit(true, this);
    addSubview(verticalSplitView_, pf::Rect(0, 0, w, h));
    leftSuperview_ = shelved(pf::Rect(0, 0, leftWidthBounds.preferred, huge));
    horizontalSplitView_ = makeSplit(false, this);
    verticalSplitView_->addArrangedSubview(horizontalSplitView_);
    rightSuperview_ = shelved(pf::Rect(w - leftWidthBounds.preferred - rightWidthBounds.preferred, 0,
                                       rightWidthBounds.preferred, huge));
    topSuperview_ = shelved(pf::Rect(0, 0, huge, topHeightBounds.preferred));
    midSuperview_ = IDEUberMakeRegionView(pf::Rect(0, 0, w, h));
    horizontalSplitView_->addArrangedSubview(midSuperview_);
    bottomSuperview_ = shelved(pf::Rect(0, 0, huge, bottomHeightBounds.preferred));

    internalDelegate_ = std::make_unique<IDEUberViewSplitViewDelegateInternal>(this);

    leftSplitView_ = makeSplit(false, internalDelegate_.get());
    leftSuperview_->addSubview(leftSplitView_, leftSuperview_->bounds());
    leftTopSuperview_ = shelved(pf::Rect(0, 0, leftWidthBounds.preferred, huge));
    leftBottomSuperview_ = shelved(pf::Rect(0, 0, leftWidthBounds.preferred, huge));
    rightSplitView_ = makeSplit(false, internalDelegate_.get());
    rightSuperview_->addSubview(rightSplitView_, rightSuperview_->bounds());
    rightTopSuperview_ = shelved(pf::Rect(0, 0, rightWidthBounds.preferred, huge));
    rightBottomSuperview_ = shelved(pf::Rect(0, 0, rightWidthBounds.preferred, huge));

    resetCapturing();
}

IDEUberView::~IDEUberView()
{
    calls_.cancelPreviousPerformRequests();
    // The split views must not call back into a layout that is going.
    for (IDEUberViewSplitView* s : {verticalSplitView_, horizontalSplitView_, leftSplitView_, rightSplitView_}) {
        s->setDelegate(nullptr);
        s->setUberView(nullptr);
    }
    internalDelegate_->setUberView(nullptr);
}

pf::View* IDEUberView::leftView() const { return leftSplitView_; }
pf::View* IDEUberView::rightView() const { return rightSplitView_; }

void IDEUberView::setSplitViewDividerStyle(int style)
{
    splitViewDividerStyle_ = style;
    for (IDEUberViewSplitView* s : {verticalSplitView_, horizontalSplitView_, leftSplitView_, rightSplitView_})
        s->layoutNow(); // the thickness follows the style
    update();
}

void IDEUberView::setDrawsAsMain(bool main)
{
    if (drawsAsMain_ == main)
        return;
    drawsAsMain_ = main;
    update();
}

void IDEUberView::viewDidMoveToWindow()
{
    QVView::viewDidMoveToWindow();
    const auto follow = [this] {
        if (pf::Window* window = enclosingWindow())
            setDrawsAsMain(window->isMainWindow());
    };
    windowObservers_ = QVObserveMainState(*this, follow);
    follow();
}

void IDEUberView::drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect)
{
    context.setFillColor(pf::Color::white());
    context.fillRect(dirtyRect);
}

void IDEUberView::layoutSubviews()
{
    verticalSplitView_->setFrame(bounds());
}

void IDEUberView::setClient(QPointer<QWidget>& slot, QWidget* view, pf::View* container)
{
    if (slot == view)
        return;
    // Taken out, not hidden: a view hidden here would stay hidden in the region it moves to next.
    if (slot)
        pf::View::moveWidget(slot, nullptr);
    slot = view;
    if (view)
        container->addSubview(view, container->bounds());
}

void IDEUberView::redisplay(std::initializer_list<QWidget*> views)
{
    for (QWidget* v : views)
        v->update();
}

void IDEUberView::insertContainer(pf::SplitView* split, pf::View* container, pf::View* first, pf::View* last)
{
    if (split->containsArrangedSubview(container))
        return;
    split->addArrangedSubview(container);
    const auto rank = [first, last](const pf::View* v) { return v == first ? 0 : v == last ? 2 : 1; };
    split->sortArrangedSubviews([&rank](const pf::View* a, const pf::View* b) { return rank(a) - rank(b); });
}

void IDEUberView::removeContainer(pf::SplitView* split, pf::View* container)
{
    if (!split->containsArrangedSubview(container))
        return;
    split->removeArrangedSubview(container);
    container->setParent(shelf_);
}

// ---- regions ----

void IDEUberView::openLeftView(const pf::MenuItem* sender)
{
    setOpen(Region::Left, true);
    insertContainer(verticalSplitView_, leftSuperview_, leftSuperview_, rightSuperview_);
    insertContainer(leftSplitView_, leftTopSuperview_, leftTopSuperview_, leftBottomSuperview_);
    insertContainer(leftSplitView_, leftBottomSuperview_, leftTopSuperview_, leftBottomSuperview_);
    currentLeftIdentifier_ = identifierOf(sender);
    restoreLeftSplitPosition();
    redisplay({horizontalSplitView_, verticalSplitView_, leftSplitView_, this});
}

void IDEUberView::closeLeftView(const pf::MenuItem*)
{
    setOpen(Region::Left, false);
    removeContainer(verticalSplitView_, leftSuperview_);
    redisplay({horizontalSplitView_, verticalSplitView_, this});
}

IDEUberView::Column IDEUberView::leftColumn()
{
    return {Region::LeftTop, Region::LeftBottom, leftSplitView_, leftTopSuperview_, leftBottomSuperview_,
            &IDEUberView::openLeftView, &IDEUberView::closeLeftView, &IDEUberView::restoreLeftTopSplitPosition, false};
}

IDEUberView::Column IDEUberView::rightColumn()
{
    // Again on the next turn, once the split views have laid the new container out.
    return {Region::RightTop, Region::RightBottom, rightSplitView_, rightTopSuperview_, rightBottomSuperview_,
            &IDEUberView::openRightView, &IDEUberView::closeRightView, &IDEUberView::restoreRightTopSplitPosition, true};
}

void IDEUberView::openColumnRegion(const Column& c, bool top, const pf::MenuItem* sender)
{
    setOpen(top ? c.top : c.bottom, true);
    (this->*c.openColumn)(sender);
    insertContainer(c.split, top ? c.topContainer : c.bottomContainer, c.topContainer, c.bottomContainer);
    if (isOpen(top ? c.bottom : c.top)) {
        (this->*c.restoreSplit)();
        if (c.restoresAgain)
            calls_.performAfterDelay([this, restore = c.restoreSplit] { (this->*restore)(); }, pf::Nanoseconds(0));
    } else {
        closeColumnRegion(c, !top);
    }
    redisplay({c.split, this});
}

void IDEUberView::closeColumnRegion(const Column& c, bool top)
{
    setOpen(top ? c.top : c.bottom, false);
    removeContainer(c.split, top ? c.topContainer : c.bottomContainer);
    redisplay({c.split});
    if (!isOpen(top ? c.bottom : c.top))
        (this->*c.closeColumn)(nullptr);
    redisplay({this});
}

void IDEUberView::openLeftTopView(const pf::MenuItem* sender) { openColumnRegion(leftColumn(), true, sender); }
void IDEUberView::closeLeftTopView(const pf::MenuItem*) { closeColumnRegion(leftColumn(), true); }
void IDEUberView::openLeftBottomView(const pf::MenuItem* sender) { openColumnRegion(leftColumn(), false, sender); }
void IDEUberView::closeLeftBottomView(const pf::MenuItem*) { closeColumnRegion(leftColumn(), false); }
void IDEUberView::openRightTopView(const pf::MenuItem* sender) { openColumnRegion(rightColumn(), true, sender); }
void IDEUberView::closeRightTopView(const pf::MenuItem*) { closeColumnRegion(rightColumn(), true); }
void IDEUberView::openRightBottomView(const pf::MenuItem* sender) { openColumnRegion(rightColumn(), false, sender); }
void IDEUberView::closeRightBottomView(const pf::MenuItem*) { closeColumnRegion(rightColumn(), false); }

void IDEUberView::openRightView(const pf::MenuItem* sender)
{
    setOpen(Region::Right, true);
    insertContainer(verticalSplitView_, rightSuperview_, leftSuperview_, rightSuperview_);
    insertContainer(rightSplitView_, rightTopSuperview_, rightTopSuperview_, rightBottomSuperview_);
    insertContainer(rightSplitView_, rightBottomSuperview_, rightTopSuperview_, rightBottomSuperview_);
    currentRightIdentifier_ = identifierOf(sender);
    restoreRightSplitPosition();
    redisplay({horizontalSplitView_, verticalSplitView_, rightSplitView_, this});
}

void IDEUberView::closeRightView(const pf::MenuItem*)
{
    setOpen(Region::Right, false);
    removeContainer(verticalSplitView_, rightSuperview_);
    redisplay({horizontalSplitView_, verticalSplitView_, this});
}

void IDEUberView::openTopView(const pf::MenuItem* sender)
{
    setOpen(Region::Top, true);
    insertContainer(horizontalSplitView_, topSuperview_, topSuperview_, bottomSuperview_);
    currentTopIdentifier_ = identifierOf(sender);
    restoreTopSplitPosition();
    redisplay({horizontalSplitView_, verticalSplitView_, this});
}

void IDEUberView::closeTopView(const pf::MenuItem*)
{
    setOpen(Region::Top, false);
    removeContainer(horizontalSplitView_, topSuperview_);
    redisplay({horizontalSplitView_, verticalSplitView_, this});
}

void IDEUberView::openBottomView(const pf::MenuItem* sender)
{
    setOpen(Region::Bottom, true);
    insertContainer(horizontalSplitView_, bottomSuperview_, topSuperview_, bottomSuperview_);
    currentBottomIdentifier_ = identifierOf(sender);
    restoreBottomSplitPosition();
    redisplay({horizontalSplitView_, verticalSplitView_, bottomSuperview_, this});
}

void IDEUberView::closeBottomView(const pf::MenuItem*)
{
    setOpen(Region::Bottom, false);
    removeContainer(horizontalSplitView_, bottomSuperview_);
    redisplay({horizontalSplitView_, verticalSplitView_, this});
}

#define QV_UBER_TOGGLE(Name, Flag)                                                                              \
    void IDEUberView::toggle##Name##View(const pf::MenuItem* sender)                                            \
    {                                                                                                            \
        setOpen(Region::Flag, !isOpen(Region::Flag));                                                           \
        if (isOpen(Region::Flag))                                                                                \
            open##Name##View(sender);                                                                            \
        else                                                                                                     \
            close##Name##View(sender);                                                                           \
    }
QV_UBER_TOGGLE(Left, Left)
QV_UBER_TOGGLE(LeftTop, LeftTop)
QV_UBER_TOGGLE(LeftBottom, LeftBottom)
QV_UBER_TOGGLE(Right, Right)
QV_UBER_TOGGLE(RightTop, RightTop)
QV_UBER_TOGGLE(RightBottom, RightBottom)
QV_UBER_TOGGLE(Top, Top)
QV_UBER_TOGGLE(Bottom, Bottom)
#undef QV_UBER_TOGGLE

void IDEUberView::setLeftViewWidth(double width)
{
    verticalSplitView_->setPosition(width, 0);
}

// ---- persistence ----

void IDEUberView::storeOpenStates()
{
    for (int i = 0; i < uber::regionCount; ++i)
        defaults_.storeOpenState(Region(i), open_[i]);
    defaults_.synchronize();
}

void IDEUberView::storeExtentIf(bool condition, Extent extent, double measured, const uber::Identifier& identifier)
{
    if (condition && !fittedSides_[int(extent)].squeezed)
        defaults_.storeExtent(extent, measured, identifier);
}

void IDEUberView::storeLeftSplitPosition()
{
    storeExtentIf(isLeftViewOpen(), Extent::LeftWidth, leftSuperview_->frame().width(), currentLeftIdentifier_);
}

void IDEUberView::storeRightSplitPosition()
{
    storeExtentIf(isRightViewOpen(), Extent::RightWidth, rightSuperview_->frame().width(), currentRightIdentifier_);
}

void IDEUberView::storeTopSplitPosition()
{
    storeExtentIf(isTopViewOpen(), Extent::TopHeight, topSuperview_->frame().height(), currentTopIdentifier_);
}

void IDEUberView::storeBottomSplitPosition()
{
    double h = 0;
    if (const auto* v = dynamic_cast<const pf::View*>(bottomView_.data()))
        h = v->frame().height();
    else if (bottomView_)
        h = double(bottomView_->height());
    storeExtentIf(isBottomViewOpen(), Extent::BottomHeight, h, currentBottomIdentifier_);
}

void IDEUberView::storeLeftTopSplitPosition()
{
    storeExtentIf(isLeftViewOpen() && isLeftTopViewOpen() && isLeftBottomViewOpen(), Extent::LeftTopHeight,
                  leftTopSuperview_->frame().height(), currentLeftIdentifier_);
}

void IDEUberView::storeRightTopSplitPosition()
{
    storeExtentIf(isRightViewOpen() && isRightTopViewOpen() && isRightBottomViewOpen(), Extent::RightTopHeight,
                  rightTopSuperview_->frame().height(), currentRightIdentifier_);
}

void IDEUberView::storeSplitPositions()
{
    storeOpenStates();
    storeLeftSplitPosition();
    storeRightSplitPosition();
    storeTopSplitPosition();
    storeBottomSplitPosition();
    storeLeftTopSplitPosition();
    storeRightTopSplitPosition();
    // The sizes too are on disk once the burst of resizes is over.
    defaults_.synchronize();
}

double IDEUberView::storedExtent(Extent extent, Region regionOpen, const uber::Identifier& identifier,
                                 double preferred) const
{
    if (!isOpen(regionOpen))
        return 0;
    return defaults_.storedExtent(extent, identifier).value_or(preferred);
}

double IDEUberView::storedLeftSplitPosition() const
{
    return storedExtent(Extent::LeftWidth, Region::Left, currentLeftIdentifier_, leftWidthBounds.preferred);
}

double IDEUberView::storedRightSplitPosition() const
{
    return storedExtent(Extent::RightWidth, Region::Right, currentRightIdentifier_, rightWidthBounds.preferred);
}

double IDEUberView::storedTopSplitPosition() const
{
    return storedExtent(Extent::TopHeight, Region::Top, currentTopIdentifier_, topHeightBounds.preferred);
}

double IDEUberView::storedBottomSplitPosition() const
{
    return storedExtent(Extent::BottomHeight, Region::Bottom, currentBottomIdentifier_, bottomHeightBounds.preferred);
}

double IDEUberView::storedLeftTopSplitPosition() const
{
    return storedExtent(Extent::LeftTopHeight, Region::Left, currentLeftIdentifier_, leftTopHeightBounds.preferred);
}

double IDEUberView::storedRightTopSplitPosition() const
{
    return storedExtent(Extent::RightTopHeight, Region::Right, currentRightIdentifier_, rightTopHeightBounds.preferred);
}

void IDEUberView::restoreOpenStates()
{
    for (int i = 0; i < uber::regionCount; ++i)
        if (const auto stored = defaults_.storedOpenState(Region(i)))
            open_[i] = *stored;
}

void IDEUberView::restoreSplitPositions()
{
    restoreOpenStates();
    restoreLeftSplitPosition();
    restoreRightSplitPosition();
    restoreTopSplitPosition();
    restoreBottomSplitPosition();
    restoreLeftTopSplitPosition();
    restoreRightTopSplitPosition();
}

void IDEUberView::reflectStoredOpenStates()
{
    restoreOpenStates();
    using Open = void (IDEUberView::*)(const pf::MenuItem*);
    const std::pair<Region, Open> opens[] = {
        {Region::Left, &IDEUberView::openLeftView},         {Region::LeftTop, &IDEUberView::openLeftTopView},
        {Region::LeftBottom, &IDEUberView::openLeftBottomView}, {Region::Right, &IDEUberView::openRightView},
        {Region::RightTop, &IDEUberView::openRightTopView},   {Region::RightBottom, &IDEUberView::openRightBottomView},
        {Region::Top, &IDEUberView::openTopView},             {Region::Bottom, &IDEUberView::openBottomView},
    };
    for (const auto& [region, open] : opens)
        if (isOpen(region))
            (this->*open)(nullptr);
}

void IDEUberView::resetToPreferredSplitPositions(const pf::MenuItem*)
{
    for (const Extent e : {Extent::LeftWidth, Extent::RightWidth, Extent::TopHeight, Extent::BottomHeight})
        defaults_.removeExtent(e);
    defaults_.synchronize();
    restoreSplitPositions();
}

// The restores give provisional frames, which the split view's layout then settles at once: the side
// columns' own splits are placed next, and need their column's real height.
void IDEUberView::restoreLeftSplitPosition()
{
    const double w = storedLeftSplitPosition();
    pf::Rect centre = horizontalSplitView_->frame();
    centre.origin.x = w;
    centre.size.width -= w;
    horizontalSplitView_->setFrame(centre);
    leftSuperview_->setFrameSize(pf::Size(w, leftSuperview_->frame().height()));
    verticalSplitView_->layoutNow();
}

void IDEUberView::restoreRightSplitPosition()
{
    const double w = storedRightSplitPosition();
    const double v = verticalSplitView_->frame().width();
    pf::Rect centre = horizontalSplitView_->frame();
    centre.size.width = std::max(0.0, v - std::fabs(leftSuperview_->frame().width()) - w);
    horizontalSplitView_->setFrame(centre);
    pf::Rect right = rightSuperview_->frame();
    right.origin.x = v - w;
    right.size.width = w;
    rightSuperview_->setFrame(right);
    verticalSplitView_->layoutNow();
}

void IDEUberView::restoreTopSplitPosition()
{
    const double h = storedTopSplitPosition();
    const double t = horizontalSplitView_->dividerThickness();
    pf::Rect mid = midSuperview_->frame();
    mid.origin.y = h;
    mid.size.height = std::max(0.0, mid.height() - (h - t));
    midSuperview_->setFrame(mid);
    topSuperview_->setFrameSize(pf::Size(topSuperview_->frame().width(), h));
    horizontalSplitView_->layoutNow();
}

void IDEUberView::restoreBottomSplitPosition()
{
    const double h = storedBottomSplitPosition();
    const double t = horizontalSplitView_->dividerThickness();
    pf::Rect mid = midSuperview_->frame();
    mid.size.height = std::max(0.0, horizontalSplitView_->frame().height() - std::fabs(topSuperview_->frame().height()) - h - t);
    midSuperview_->setFrame(mid);
    bottomSuperview_->setFrame(pf::Rect(bottomSuperview_->frame().x(), mid.maxY() + t, huge, h));
    horizontalSplitView_->layoutNow();
}

void IDEUberView::restoreLeftTopSplitPosition()
{
    const double h = storedLeftTopSplitPosition();
    const double t = leftSplitView_->dividerThickness();
    if (isLeftBottomViewOpen()) {
        const pf::Rect b = leftSplitView_->bounds();
        leftBottomSuperview_->setFrame(pf::Rect(b.x(), h + t, b.width(), std::max(0.0, b.height() - h - t)));
    }
    leftSplitView_->setPosition(h, 0);
}

void IDEUberView::restoreRightTopSplitPosition()
{
    rightSplitView_->setPosition(storedRightTopSplitPosition(), 0);
}

// ---- dividers and resizing ----

void IDEUberView::resetCapturing()
{
    columnCapture_.reset();
    rowCapture_.reset();
}

void IDEUberView::scheduleStoreSplitPositions()
{
    calls_.cancelPreviousPerformRequests(storeTag);
    pendingStore_ = calls_.performAfterDelay([this] { storeSplitPositions(); }, std::chrono::milliseconds(100), storeTag);
}

double IDEUberView::splitViewConstrainMinCoordinate(pf::SplitView& splitView, double proposed, int)
{
    (&splitView == verticalSplitView_ ? columnCapture_ : rowCapture_).reset();
    return proposed;
}

double IDEUberView::splitViewConstrainMaxCoordinate(pf::SplitView& splitView, double proposed, int)
{
    (&splitView == verticalSplitView_ ? columnCapture_ : rowCapture_).reset();
    return proposed;
}

double IDEUberView::splitViewConstrainSplitPosition(pf::SplitView& splitView, double proposed, int index)
{
    if (&splitView == verticalSplitView_)
        return vSplitViewConstrainSplitPosition(proposed, index);
    if (&splitView == horizontalSplitView_)
        return hSplitViewConstrainSplitPosition(proposed, index);
    return proposed;
}

double IDEUberView::vSplitViewConstrainSplitPosition(double proposed, int index) const
{
    const uber::SnapInput in{proposed, verticalSplitView_->frame().width(), verticalSplitView_->dividerThickness(),
                             snapTolerance};
    if (isLeftViewOpen() && index == 0)
        return uber::snapLeadingDivider(in, leftWidthBounds,
                                        isRightViewOpen() ? std::optional(rightSuperview_->frame().x()) : std::nullopt);
    if ((!isLeftViewOpen() && index == 0) || (isLeftViewOpen() && index == 1))
        return uber::snapTrailingDivider(in, rightWidthBounds, horizontalSplitView_->frame().x());
    return proposed;
}

double IDEUberView::hSplitViewConstrainSplitPosition(double proposed, int index) const
{
    const uber::SnapInput in{proposed, horizontalSplitView_->frame().height(), horizontalSplitView_->dividerThickness(),
                             snapTolerance};
    if (isTopViewOpen() && index == 0)
        return uber::snapLeadingDivider(in, topHeightBounds,
                                        isBottomViewOpen() ? std::optional(bottomSuperview_->frame().y()) : std::nullopt);
    if ((!isTopViewOpen() && index == 0) || (isTopViewOpen() && index == 1))
        return uber::snapTrailingDivider(in, bottomHeightBounds, midSuperview_->frame().y());
    return proposed;
}

double IDEUberView::columnSplitViewConstrainSplitPosition(const pf::SplitView& splitView, double proposed,
                                                          int index) const
{
    const bool left = &splitView == leftSplitView_;
    if (index != 0 || (!left && &splitView != rightSplitView_))
        return proposed;
    const uber::SnapInput in{proposed, splitView.frame().height(), splitView.dividerThickness(), snapTolerance};
    return left ? uber::snapColumnSplit(in, leftTopHeightBounds, isLeftTopViewOpen(), isLeftBottomViewOpen())
                : uber::snapColumnSplit(in, rightTopHeightBounds, isRightTopViewOpen(), isRightBottomViewOpen());
}

bool IDEUberView::splitViewResizeSubviews(pf::SplitView& splitView, pf::Size)
{
    if (&splitView == verticalSplitView_)
        vSplitViewResizeSubviews();
    else if (&splitView == horizontalSplitView_)
        hSplitViewResizeSubviews();
    else
        return false;
    return true;
}

void IDEUberView::noteFit(Extent extent, bool open, double fitted, double stored, double scale)
{
    FittedSide& side = fittedSides_[int(extent)];
    side.fitted = fitted;
    side.squeezed = open && std::fabs(fitted - std::fabs(stored)) > scale * 1e-9;
}

void IDEUberView::noteDividerMoved(Extent extent, double measured, double scale)
{
    FittedSide& side = fittedSides_[int(extent)];
    if (std::fabs(measured - side.fitted) > scale * 1e-9)
        side.squeezed = false;
}

void IDEUberView::splitViewDidResizeSubviews(pf::SplitView& splitView)
{
    if (!splitView.isFittingToSize()) {
        const double scale = std::max(1.0, double(std::max(width(), height())));
        if (&splitView == verticalSplitView_) {
            noteDividerMoved(Extent::LeftWidth, leftSuperview_->frame().width(), scale);
            noteDividerMoved(Extent::RightWidth, rightSuperview_->frame().width(), scale);
        } else if (&splitView == horizontalSplitView_) {
            noteDividerMoved(Extent::TopHeight, topSuperview_->frame().height(), scale);
            noteDividerMoved(Extent::BottomHeight, bottomSuperview_->frame().height(), scale);
        }
    }
    scheduleStoreSplitPositions();
    if (&splitView == horizontalSplitView_ && (isLeftViewOpen() || isRightViewOpen()))
        verticalSplitView_->update();
}

void IDEUberView::vSplitViewResizeSubviews()
{
    const pf::Rect f = verticalSplitView_->frame();
    uber::AxisResize in;
    in.total = f.width();
    in.thickness = verticalSplitView_->dividerThickness();
    in.leading = spanX(leftSuperview_->frame());
    in.centre = spanX(horizontalSplitView_->frame());
    in.trailing = spanX(rightSuperview_->frame());
    in.leadingOpen = isLeftViewOpen();
    in.trailingOpen = isRightViewOpen();
    in.storedLeading = storedLeftSplitPosition();
    in.storedTrailing = storedRightSplitPosition();
    const uber::AxisLayout out = uber::resizeAxis(in, columnCapture_);
    const double h = f.height();
    const double scale = std::max(1.0, in.total);
    noteFit(Extent::LeftWidth, in.leadingOpen, out.leading.length, in.storedLeading, scale);
    noteFit(Extent::RightWidth, in.trailingOpen, out.trailing.length, in.storedTrailing, scale);
    leftSuperview_->setFrame(pf::Rect(out.leading.origin, 0, out.leading.length, h));
    horizontalSplitView_->setFrame(pf::Rect(out.centre.origin, 0, out.centre.length, h));
    rightSuperview_->setFrame(pf::Rect(out.trailing.origin, 0, out.trailing.length, h));
}

void IDEUberView::hSplitViewResizeSubviews()
{
    const pf::Rect f = horizontalSplitView_->frame();
    uber::AxisResize in;
    in.total = f.height();
    in.thickness = horizontalSplitView_->dividerThickness();
    in.leading = spanY(topSuperview_->frame());
    in.centre = spanY(midSuperview_->frame());
    in.trailing = spanY(bottomSuperview_->frame());
    in.leadingOpen = isTopViewOpen();
    in.trailingOpen = isBottomViewOpen();
    in.storedLeading = storedTopSplitPosition();
    in.storedTrailing = storedBottomSplitPosition();
    const uber::AxisLayout out = uber::resizeAxis(in, rowCapture_);
    const double w = f.width();
    const double scale = std::max(1.0, in.total);
    noteFit(Extent::TopHeight, in.leadingOpen, out.leading.length, in.storedLeading, scale);
    noteFit(Extent::BottomHeight, in.trailingOpen, out.trailing.length, in.storedTrailing, scale);
    topSuperview_->setFrame(pf::Rect(0, out.leading.origin, w, out.leading.length));
    midSuperview_->setFrame(pf::Rect(0, out.centre.origin, w, out.centre.length));
    bottomSuperview_->setFrame(pf::Rect(0, out.trailing.origin, w, out.trailing.length));
}
