#include "model/Group.h"
#include "model/StoredForms.h"

#include "geometry/QVRect.h"
#include "model/Composition.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/ThreadDictionary.h"
#include "platform/foundation/UndoManager.h"
#include "platform/graphics/GraphicsContext.h"

#include <algorithm>
#include <cmath>
#include <numbers>

QString GroupClass::title() const { return pf::localized(QStringLiteral("Group")); }
QString GroupClass::shortTitle() const { return pf::localized(QStringLiteral("Group")); }

const QStringList& GroupClass::facetClassNames() const
{
    static const QStringList names{QStringLiteral("OpacityFacet"), QStringLiteral("GeometryFacet"),
                                   QStringLiteral("FillFacet"), QStringLiteral("StrokeFacet"),
                                   QStringLiteral("TextFacet")};
    return names;
}

QString GroupClass::manipulatorClassName() const { return QStringLiteral("GroupManipulator"); }

const GroupClass& Group::staticClass()
{
    static const GroupClass c(QStringLiteral("Group"), &Parent::staticClass(), &Shape::allocate<Group>);
    return c;
}

std::shared_ptr<Group> Group::groupWithShapes(const Children& shapes)
{
    auto group = Shape::make<Group>(pf::Rect::zero());
    for (const auto& shape : shapes)
        group->addShape(shape);
    return group;
}

void Group::initWithFrame(const pf::Rect& frame)
{
    Parent::initWithFrame(frame);
    setStrokeShadowHidden(true);
    setFillShadowHidden(true);
    setStrokeShadowColor(std::nullopt);
    setFillShadowColor(std::nullopt);
    setStrokeShadowBlur(0);
    setFillShadowBlur(0);
    setFillColor(std::nullopt);
    setFillType(5);
    setStrokeColor(std::nullopt);
    setStrokeType(3);
    setStroke1Enabled(false);
    setStroke1Color(std::nullopt);
    setStroke2Enabled(false);
    setStroke2Color(std::nullopt);
    childRatios_.clear();
    committed_ = false;
}

void Group::frameToChildren()
{
    pf::Rect u = pf::Rect::zero();
    for (const auto& child : children())
        u = QVCombineRects(u, child->frame());
    // The frame follows the children, who stay where they are (laid out by the ratios of the old frame they
    // would be squashed into it); a committed group takes their places as its ratios. No undo of its own:
    // the list edit's undo puts the children back, and the frame follows them again.
    const bool committed = committed_;
    committed_ = false;
    const bool disabled = disableUndo();
    setFrame(u);
    reenableUndoIf(disabled);
    committed_ = committed;
    if (committed_)
        captureChildRatios();
}

void Group::insertShapeAtIndex(std::shared_ptr<Shape> shape, std::size_t index)
{
    if (!shape || shape.get() == this || containsShape(shape.get()))
        return;
    insertChildAtIndex(std::move(shape), index);
    frameToChildren();
}

void Group::removeShape(const std::shared_ptr<Shape>& shapeRef)
{
    const std::shared_ptr<Shape> shape = shapeRef;
    const std::size_t at = indexOfShape(shape.get());
    if (at == pf::NotFound)
        return;
    childRatios_.remove(shape->identifier());
    shape->setParent(nullptr);
    removeChildAtIndex(at);
    frameToChildren();
}

void Group::removeAllShapes()
{
    for (const auto& child : children())
        child->setParent(nullptr);
    setChildren({});
}

void Group::moveShapeAtIndexToIndex(std::size_t from, std::size_t to)
{
    const std::size_t count = children().size();
    if (from >= count)
        return;
    to = std::min(to, count);
    if (from == to)
        return;
    const std::shared_ptr<Shape> shape = children()[from];
    removeChildAtIndex(from);
    insertChildAtIndex(shape, from < to ? to - 1 : to);
    frameToChildren();
    const std::size_t now = indexOfShape(shape.get());
    if (now == from)
        return; // to = from + 1 puts it back where it was
    // Reordered inside a group as on the page: one undoable step, and the page's palettes hear of it.
    setNeedsDisplayInRectUpdatePalettes(dirtyRect(), true);
    if (pf::UndoManager* undo = undoManager()) {
        const std::size_t back = now < from ? from + 1 : from;
        pf::registerUndo(undo, this, [now, back](Group& group) { group.moveShapeAtIndexToIndex(now, back); },
                         actionNameForShape("Move %@", *shape));
    }
}

void Group::copyShapeAtIndexToIndex(std::size_t from, std::size_t to)
{
    if (from >= children().size())
        return;
    auto copy = children()[from]->copy();
    copy->setFrame(copy->frame().offsetBy(10, 10));
    addCopy(copy, to);
}

void Group::addCopy(const std::shared_ptr<Shape>& copy, std::size_t index)
{
    if (containsShape(copy.get()))
        return;
    auto* page = dynamic_cast<Composition*>(composition());
    if (page)
        page->registerShape(copy);
    // The copy belongs here as much as its original: it hit-tests, draws and leaves with its group.
    copy->setParent(this);
    copy->setComposition(composition());
    insertChildAtIndex(copy, std::min(index, children().size()));
    frameToChildren();
    setNeedsDisplayInRectUpdatePalettes(dirtyRect(), true);
    if (pf::UndoManager* undo = undoManager())
        pf::registerUndo(undo, this, [copy](Group& group) { group.removeCopy(copy); },
                         actionNameForShape("Add %@", *copy));
}

void Group::removeCopy(const std::shared_ptr<Shape>& copy)
{
    const std::size_t at = indexOfShape(copy.get());
    if (at == pf::NotFound)
        return;
    auto* page = dynamic_cast<Composition*>(composition());
    if (page)
        page->deregisterShape(copy);
    removeShape(copy);
    copy->setComposition(nullptr);
    setNeedsDisplayInRectUpdatePalettes(dirtyRect(), true);
    if (pf::UndoManager* undo = undoManager())
        pf::registerUndo(undo, this, [copy, at](Group& group) { group.addCopy(copy, at); },
                         actionNameForShape("Remove %@", *copy));
}

void Group::setLocked(bool locked)
{
    Parent::setLocked(locked);
    for (const auto& child : children())
        child->setLocked(locked);
}

void Group::setHidden(bool hidden)
{
    Parent::setHidden(hidden);
    for (const auto& child : children())
        child->setHidden(hidden);
}

void Group::setSelected(bool selected)
{
    Parent::setSelected(selected);
    for (const auto& child : children())
        child->setSelected(selected);
}

bool Group::isConnectedToPointer(const Shape* pointer) const
{
    return pointer && std::any_of(children().begin(), children().end(), [pointer](const auto& child) {
               return child.get() == pointer || child->isConnectedToPointer(pointer);
           });
}

namespace {
bool isGroupsOwnKey(const QString& key)
{
    return key == QLatin1String("rotationAngle") || key == QLatin1String("rotationHandleRadius") ||
           key == QLatin1String("locked");
}
} // namespace

pf::Variant Group::valueForKey(const QString& key) const
{
    if (isGroupsOwnKey(key))
        return Parent::valueForKey(key);
    if (children().empty())
        return {};
    const pf::Variant first = children().front()->valueForKey(key);
    if (first.isNull())
        return {};
    for (const auto& child : children())
        if (!(child->valueForKey(key) == first))
            return {};
    return first;
}

void Group::setValueForKey(const pf::Variant& value, const QString& key)
{
    {
        pf::ChangeNotice notice(*this, key);
        if (isGroupsOwnKey(key))
            Parent::setValueForKey(value, key);
        else
            for (const auto& child : children())
                child->setValueForKey(value, key);
    }
    setNeedsDisplayInRect(dirtyRect());
}

void Group::commit()
{
    captureChildRatios();
    layoutChildren();
}

void Group::captureChildRatios()
{
    committed_ = true;
    const pf::Rect g = frame();
    for (const auto& child : children()) {
        const pf::Rect f = child->frame();
        double w = f.width() / g.width();
        double h = f.height() / g.height();
        if (!std::isfinite(w))
            w = 0;
        if (!std::isfinite(h))
            h = 0;
        pf::Rect ratio((f.x() - g.x()) / g.width(), (f.y() - g.y()) / g.height(), w, h);
        if (!std::isfinite(ratio.x()) || !std::isfinite(ratio.y()))
            ratio = pf::Rect(0, 0, 1, 1);
        childRatios_.insert(child->identifier(), ratio);
    }
}

void Group::layoutChildren()
{
    if (!committed_)
        return;
    const pf::Rect g = frame();
    auto* page = dynamic_cast<Composition*>(composition());
    const bool grid = page && page->isGridEnabled();
    const Children kids = children();
    for (const auto& child : kids) {
        const pf::Rect r = childRatios_.value(child->identifier());
        pf::Rect f(r.x() * g.width() + g.x(), r.y() * g.height() + g.y(), r.width() * g.width(), r.height() * g.height());
        if (grid)
            f = page->gridAlignedRectForRect(f);
        child->setFrame(f);
    }
}

void Group::renameChildRatio(const QString& from, const QString& to)
{
    const auto at = childRatios_.constFind(from);
    if (at == childRatios_.constEnd())
        return;
    const pf::Rect ratio = *at;
    childRatios_.remove(from);
    childRatios_.insert(to, ratio);
}

void Group::setFrame(const pf::Rect& rect)
{
    const pf::Rect before = frame();
    Parent::setFrame(rect);
    if (frame() != before)
        layoutChildren();
}

void Group::beginDrag()
{
    Parent::beginDrag();
    for (const auto& child : children())
        child->beginDrag();
}

void Group::endDrag(const pf::Event& event)
{
    for (const auto& child : children())
        child->endDrag(event);
    Parent::endDrag(event);
}

pf::Rect Group::strokedRectForRect(const pf::Rect& rect) const
{
    (void)rect;
    pf::Rect u = pf::Rect::zero();
    for (const auto& child : children())
        u = QVCombineRects(u, child->strokedRect());
    return u;
}

pf::Rect Group::renderRect() const
{
    pf::Rect u = pf::Rect::zero();
    for (const auto& child : children())
        u = QVCombineRects(u, child->renderRect());
    return u;
}

pf::Rect Group::calcDirtyRect() const
{
    const pf::Rect base = Parent::calcDirtyRect();
    if (children().empty())
        return base;
    return QVCombineRects(base, QVSquareAroundPoint(center(), diagonal()));
}

void Group::drawInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty)
{
    context.saveGState();
    const pf::Point c = center();
    context.translate(c.x, c.y);
    context.rotate(static_cast<double>(rotationAngle()) * std::numbers::pi / 180.0);
    context.translate(-c.x, -c.y);
    // The children lie in the group's unturned space: the rect they are tested against is turned back.
    const pf::Rect childDirty = rotationAngle() != 0 && !dirty.isEmpty() ? rotationTransform(-(rotationAngle() % 360)).apply(dirty) : dirty;
    const Children kids = children();
    for (const auto& child : kids)
        child->drawInContextDirtyRect(context, childDirty);
    context.restoreGState();
    const ShapePage* page = composition();
    if (context.drawsToScreen() && !(page && (page->isDrawingThumbnail() || page->isDrawingLoupe() || page->isExporting())))
        Parent::drawInContextDirtyRect(context, dirty);
}

pf::Value Group::asPlist() const
{
    pf::Value d = Parent::asPlist();
    pf::Value kids = pf::Value::array();
    for (const auto& child : children())
        if (child->isSavable())
            kids.append(storedForms::of(*child));
    d.set(QStringLiteral("children"), std::move(kids));
    return d;
}

void Group::readPlist(const pf::Value& d)
{
    Parent::readPlist(d);
    thread_local const QString pageKey = QString::fromLatin1(pf::TlsCompositionKey);
    const auto page = std::dynamic_pointer_cast<Composition>(pf::threadDictionary::value(pageKey).toObject());
    Children kids;
    for (const auto& entry : d.arrayForKey("children")) {
        auto child = Shape::fromPlist(entry);
        if (!child || dynamic_cast<Composition*>(child.get()))
            continue;
        child->setComposition(page.get());
        child->setParent(this);
        kids.push_back(child);
        if (page)
            page->registerShape(child);
    }
    setChildren(std::move(kids));
    // Laid out on the page being read, so that its grid applies.
    setComposition(page.get());
    captureChildRatios();
    layoutChildren();
}

void Group::copyFrom(const Shape& source)
{
    Parent::copyFrom(source);
    const auto& s = static_cast<const Group&>(source);
    setChildren({});
    Children kids;
    for (const auto& child : s.children()) {
        auto copy = child->copy();
        copy->setParent(this);
        kids.push_back(std::move(copy));
    }
    setChildren(std::move(kids));
    committed_ = s.committed_;
    childRatios_.clear();
    captureChildRatios();
    layoutChildren();
}
