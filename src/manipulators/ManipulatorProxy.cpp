// The selection as a stand-in for its shapes: common-value reads, writes to every child, the position
// keys as one move per child, the size-to-fit operations and the answers given for all children or for
// a single one. The selection opens no undo group: each child records its own change.
#include "manipulators/Manipulator.h"

#include "geometry/QVRect.h"
#include "manipulators/ManipulatorCanvas.h"
#include "model/Composition.h"

#include <algorithm>

namespace {

const QString& displayFrameXKey()
{
    static const QString key = QStringLiteral("displayFrameX");
    return key;
}

const QString& displayFrameYKey()
{
    static const QString key = QStringLiteral("displayFrameY");
    return key;
}

} // namespace

// ---- key-value coding ----

pf::Variant Manipulator::valueForKeyPath(const QString& keyPath) const
{
    if (specialKeyPaths_.contains(keyPath))
        return valueForKey(keyPath);
    pf::Variant common;
    for (const auto& child : children_) {
        pf::Variant answer = child->valueForKeyPath(keyPath);
        if (common.isNull())
            common = std::move(answer);
        else if (!(answer == common))
            return {};
    }
    return common;
}

void Manipulator::setValueForKeyPath(const pf::Variant& value, const QString& keyPath)
{
    if (specialKeyPaths_.contains(keyPath)) {
        // Ruler coordinates, as shown: taken back to the page before the selection moves by the difference.
        const std::optional<double> shown = value.get<double>();
        if (!shown)
            return;
        const bool isX = keyPath == displayFrameXKey();
        const Composition* p = page();
        const pf::Point rulerZero = p ? p->rulerOriginAdjustedPoint(pf::Point(0, 0)) : pf::Point(0, 0);
        movePageOrigin(keyPath, *shown - (isX ? rulerZero.x : rulerZero.y));
        return;
    }
    {
        pf::ChangeNotice notice(*this, keyPath);
        // A copy: a child's setter may change the selection.
        const Children children = children_;
        for (const auto& child : children)
            child->setValueForKeyPath(value, keyPath);
        if (keyPath == QLatin1String("scaleImage"))
            sizeToFitImage(false);
    }
    if (keyPath == QLatin1String("displayFrameWidth") || keyPath == QLatin1String("displayFrameHeight"))
        setFrameToChildren();
    childrenChanged();
    if (Composition* p = page())
        p->setNeedsDisplayInRect(dirtyRect());
}

void Manipulator::movePageOrigin(const QString& key, double value)
{
    const bool isX = key == displayFrameXKey();
    const pf::Rect start = frame();
    const double dx = isX ? start.x() - value : 0.0;
    const double dy = isX ? 0.0 : start.y() - value;
    {
        pf::ChangeNotice notice(*this, isX ? displayFrameXKey() : displayFrameYKey());
        static const pf::Event noEvent;
        for (const auto& child : Children(children_)) {
            child->beginDrag();
            const pf::Rect f = child->frame();
            child->setFrame(pf::Rect(f.x() - dx, f.y() - dy, f.width(), f.height()));
            child->endDrag(noEvent);
        }
        // The frame's display fields follow the ruler origin (setFrame works them out).
        setFrame(pf::Rect(start.x() - dx, start.y() - dy, start.width(), start.height()));
    }
    childrenChanged();
    if (Composition* p = page())
        p->setNeedsDisplayInRect(dirtyRect());
}

// ---- size to fit ----

void Manipulator::sizeToFitText(bool option)
{
    const bool grid = isGridEnabled();
    pf::Rect united = pf::Rect::zero();
    for (const auto& child : Children(children_)) {
        child->sizeToFitText(option);
        pf::Rect f = child->frame();
        if (grid)
            f = gridAlignedRectForRect(f, *child);
        child->setFrame(f);
        united = QVCombineRects(united, f);
    }
    setFrame(united);
    setNeedsDisplayInRectUpdatePalettes(united, true);
}

void Manipulator::sizeToFitImage(bool halve)
{
    for (const auto& child : Children(children_))
        child->sizeToFitImage(halve);
    setFrameToChildren();
}

// ---- answers for all children ----

bool Manipulator::canEditText() const
{
    return std::all_of(children_.begin(), children_.end(), [](const auto& c) { return c->canEditText(); });
}

bool Manipulator::canEditImage() const
{
    return std::all_of(children_.begin(), children_.end(), [](const auto& c) { return c->canEditImage(); });
}

void Manipulator::update()
{
    for (const auto& child : children_)
        child->update();
}

pf::Rect Manipulator::boundingRect() const
{
    pf::Rect united = pf::Rect::zero();
    for (const auto& child : children_)
        united = QVCombineRects(united, child->boundingRect());
    return united;
}

// ---- answers of a single child ----

bool Manipulator::wantsSizeToFitImage() const { return hasSingle() && children_.front()->wantsSizeToFitImage(); }

bool Manipulator::isMissingImage() const { return hasSingle() && children_.front()->isMissingImage(); }

bool Manipulator::isValidFrame(const pf::Rect& frame) const
{
    return hasSingle() ? children_.front()->isValidFrame(frame) : Shape::isValidFrame(frame);
}

pf::Rect Manipulator::validateFrame(const pf::Rect& frame) const
{
    return hasSingle() ? children_.front()->validateFrame(frame) : Shape::validateFrame(frame);
}

// ---- the canvas and the tool tip ----

void Manipulator::setCanvas(ManipulatorCanvas* canvas)
{
    if (canvas == canvas_)
        return;
    if (!canvas && canvas_)
        removeToolTip();
    canvas_ = canvas;
    if (canvas_)
        addToolTip();
}

void Manipulator::addToolTip()
{
    if (canvas_ && hasSingle() && !shapeClass().toolTipClassName().isEmpty())
        canvas_->showToolTipForManipulator(*this);
}

void Manipulator::removeToolTip()
{
    if (canvas_ && hasSingle() && !shapeClass().toolTipClassName().isEmpty())
        canvas_->removeManipulatorToolTip();
}
