// The page: structure edits with their undo, the registry, connections, stored form and copy. Grid, zoom,
// page size and drawing are in CompositionGeometry.cpp.
#include "model/Composition.h"
#include "model/StoredForms.h"

#include "model/Connection.h"
#include "model/Group.h"
#include "model/Guide.h"
#include "model/StoredNumbers.h"
#include "model/UserDefaults.h"
#include "platform/foundation/Identifier.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/ThreadDictionary.h"
#include "platform/foundation/UndoManager.h"

#include <QLoggingCategory>

#include <algorithm>
#include <map>

namespace {

Q_LOGGING_CATEGORY(lcComposition, "quorvel.model.composition")

void eraseChild(Parent& parent, const Shape* shape)
{
    parent.removeChildAtIndex(parent.indexOfShape(shape));
}

std::shared_ptr<Parent> sharedParent(Shape* parent)
{
    if (!parent)
        return nullptr;
    return std::dynamic_pointer_cast<Parent>(parent->shared_from_this());
}

// The child ratios of the committed groups a structural edit touches. The edit recaptures them (new and
// returned children have none, and the union may have moved); its undo puts back what it replaced, since
// ratios captured again from laid-out, rounded frames would put the children a point off.
class SavedRatios {
public:
    void save(Shape* container)
    {
        auto* group = dynamic_cast<Group*>(container);
        if (!group || !group->isCommitted())
            return;
        for (const auto& [kept, ratios] : saved_)
            if (kept.get() == group)
                return;
        saved_.emplace_back(std::dynamic_pointer_cast<Group>(group->shared_from_this()), group->childRatios());
    }
    void restore() const
    {
        for (const auto& [group, ratios] : saved_)
            group->setChildRatios(ratios);
    }

private:
    std::vector<std::pair<std::shared_ptr<Group>, QHash<QString, pf::Rect>>> saved_;
};

void recaptureRatios(Shape* container)
{
    if (auto* group = dynamic_cast<Group*>(container); group && group->isCommitted())
        group->captureChildRatios();
}

// Pairs every shape of a container with its copy, through groups (whose copies keep every child in order).
void mapCopies(const Parent::Children& from, const Parent::Children& to, std::map<const Shape*, std::shared_ptr<Shape>>& map)
{
    for (std::size_t i = 0; i < from.size() && i < to.size(); ++i) {
        map[from[i].get()] = to[i];
        const auto* a = dynamic_cast<const Group*>(from[i].get());
        const auto* b = dynamic_cast<const Group*>(to[i].get());
        if (a && b)
            mapCopies(a->children(), b->children(), map);
    }
}

} // namespace

QString actionNameForShape(const char* format, const Shape& shape)
{
    QString text = pf::localized(QString::fromLatin1(format));
    const qsizetype at = text.indexOf(QLatin1String("%@"));
    if (at >= 0)
        text.replace(at, 2, shape.shapeClass().shortTitle());
    return text;
}

// ---- class ----

QString CompositionClass::title() const { return pf::localized(QStringLiteral("Composition")); }
QString CompositionClass::shortTitle() const { return pf::localized(QStringLiteral("Composition")); }
QString CompositionClass::longDescription() const { return pf::localized(QStringLiteral("Composition")); }

const QStringList& CompositionClass::facetClassNames() const
{
    static const QStringList none;
    return none;
}

QString CompositionClass::manipulatorClassName() const { return QStringLiteral("CompositionManipulator"); }

const CompositionClass& Composition::staticClass()
{
    static const CompositionClass c(QStringLiteral("Composition"), &Parent::staticClass(), &Shape::allocate<Composition>);
    return c;
}

const pf::PropertyTable& Composition::properties()
{
    static const pf::PropertyTable table = [] {
        pf::PropertyTable t(&Shape::properties());
        // The page's own setter: it tells the owner, whose tab list shows the title.
        t.add<Composition, const QString&, const QString&>("title", &Composition::title, &Composition::setTitle);
        t.add("gridEnabled", &Composition::isGridEnabled, &Composition::setGridEnabled);
        t.add("gridTolerance", &Composition::gridTolerance, &Composition::setGridTolerance);
        t.add("zoomScaleIndex", &Composition::zoomScaleIndex, &Composition::setZoomScaleIndex);
        return t;
    }();
    return table;
}

// ---- construction ----

Composition::~Composition()
{
    delegate_ = nullptr;
}

std::shared_ptr<Composition> Composition::make()
{
    auto metrics = UserDefaults::instance().lastSelectedMetrics();
    return make(metrics ? metrics : Metrics::defaultMetrics());
}

std::shared_ptr<Composition> Composition::make(std::shared_ptr<Metrics> metrics)
{
    const pf::Rect frame(0, 0, metrics->width(), metrics->height());
    auto page = Shape::make<Composition>(frame);
    page->setMetrics(std::move(metrics));
    return page;
}

void Composition::initWithFrame(const pf::Rect& frame)
{
    Parent::initWithFrame(frame);
    setComposition(this);
    scrollCenterPoint_ = pf::Point();
    rulerOriginCorner_ = 0;
    userGuides_.clear();
    registry_.clear();
    connections_.clear();
    zoomScaleIndex_ = 0;
    setGridEnabled(UserDefaults::instance().isGridEnabled());
    setGridTolerance(UserDefaults::instance().gridTolerance());
}

void Composition::setComposition(ShapePage* page)
{
    (void)page;
    Parent::setComposition(this);
}

void Composition::registerUndoAction(std::function<void(Composition&)> action, const QString& name)
{
    pf::registerUndo(undoManager(), this, [action = std::move(action)](Composition& page) { action(page); }, name);
}

// ---- structure ----

void Composition::insertShapeAtIndex(std::shared_ptr<Shape> shape, std::size_t index)
{
    // Already here: a second entry would draw and store the shape twice.
    if (!shape || shape.get() == this || containsShape(shape.get()))
        return;
    const std::size_t count = children().size();
    // Duplicates sit exactly on their sources, wherever those are.
    if (gridEnabled_ && !duplicating_) {
        const pf::Rect old = shape->frame();
        pf::Rect aligned(gridAlignedPointForPoint(old.origin), old.size);
        if (old.width() > 1.0 && old.height() > 1.0)
            aligned.size = gridAlignedSizeForSize(old.size);
        shape->dragStart().frame = old;
        shape->setFrame(aligned);
    }
    // Taken out of a group: undo puts it back there, at its index, with the group's ratios as they were.
    std::shared_ptr<Group> formerGroup;
    std::size_t formerIndex = pf::NotFound;
    SavedRatios saved;
    if (auto* from = dynamic_cast<Parent*>(shape->parent()); from && from != this) {
        if (auto* group = dynamic_cast<Group*>(from)) {
            formerGroup = std::dynamic_pointer_cast<Group>(group->shared_from_this());
            formerIndex = group->indexOfShape(shape.get());
            saved.save(group);
        }
        from->removeShape(shape);
    }
    const bool registered = registerShape(shape);
    insertChildAtIndex(shape, count <= index ? pf::NotFound : index);
    shape->setComposition(this);
    shape->setParent(this);
    shape->calcDisplayFrameOrigin();
    setNeedsDisplayInRectUpdatePalettes(shape->dirtyRect(), !shape->isLasso() && !shape->isManipulator());
    if (!registered)
        return;
    if (delegate_)
        delegate_->compositionDidAddShape(*this, shape);
    registerUndoAction(
        [shape, formerGroup, formerIndex, saved](Composition& page) {
            page.removeShape(shape);
            if (!formerGroup)
                return;
            formerGroup->insertShapeAtIndex(shape, formerIndex);
            shape->setParent(formerGroup.get());
            shape->setComposition(&page);
            page.registerShape(shape);
            saved.restore();
        },
        actionNameForShape("Add %@", *shape));
}

void Composition::removeShape(const std::shared_ptr<Shape>& shapeRef)
{
    if (!shapeRef)
        return;
    const std::shared_ptr<Shape> shape = shapeRef; // the caller's reference may be our own list entry
    // Kept for the undo: undoing a delete must bring the attachments back with the shape.
    std::vector<std::shared_ptr<Connection>> detached;
    for (const auto& c : shape->connections())
        if (auto connection = std::dynamic_pointer_cast<Connection>(c))
            detached.push_back(std::move(connection));
    shape->removeAllConnections();
    const bool deregistered = deregisterShape(shape);
    const std::size_t index = indexOfShape(shape.get());
    if (index != pf::NotFound) {
        eraseChild(*this, shape.get());
        shape->setComposition(nullptr);
        shape->setParent(nullptr);
    }
    setNeedsDisplayInRectUpdatePalettes(shape->dirtyRect(), !shape->isManipulator());
    if (!deregistered)
        return;
    if (delegate_)
        delegate_->compositionChangeDone(*this);
    registerUndoAction(
        [shape, index, detached = std::move(detached)](Composition& page) {
            // The shape comes back exactly as it was: the grid is for shapes being placed, not restored.
            const bool duplicating = page.duplicating_;
            page.duplicating_ = true;
            page.insertShapeAtIndex(shape, index);
            page.duplicating_ = duplicating;
            page.restoreConnections(detached);
        },
        actionNameForShape("Remove %@", *shape));
}

void Composition::restoreConnections(const std::vector<std::shared_ptr<Connection>>& connections)
{
    // Shapes removed together come back in reverse order; the connection returns with the later of its two ends.
    for (const auto& c : connections) {
        const auto shape = c->shape();
        const Shape* pointer = c->pointer();
        if (shape && pointer && isShapeRegistered(*shape) && isShapeRegistered(*pointer))
            addConnection(c);
    }
}

void Composition::moveShapeAtIndexToIndex(std::size_t from, std::size_t to)
{
    const std::size_t count = children().size();
    if (from >= count)
        return;
    to = std::min(to, count);
    if (from == to)
        return;
    const std::shared_ptr<Shape> shape = children()[from];
    eraseChild(*this, shape.get());
    insertChildAtIndex(shape, from < to ? to - 1 : to);
    const std::size_t now = indexOfShape(shape.get());
    if (now == from)
        return; // to = from + 1 puts it back where it was
    setNeedsDisplayInRectUpdatePalettes(shape->dirtyRect(), true);
    if (delegate_)
        delegate_->compositionChangeDone(*this);
    const std::size_t back = now < from ? from + 1 : from;
    registerUndoAction([now, back](Composition& page) { page.moveShapeAtIndexToIndex(now, back); },
                       actionNameForShape("Move %@", *shape));
}

void Composition::copyShapeAtIndexToIndex(std::size_t from, std::size_t to)
{
    if (from >= children().size())
        return;
    auto copy = children()[from]->copy();
    copy->setFrame(copy->frame().offsetBy(10, 10));
    insertShapeAtIndex(std::move(copy), to);
}

std::shared_ptr<Shape> Composition::addShapeFromPlist(const pf::Value& plist)
{
    const ShapeClass* kind = pf::ClassRegistry::shared().lookup<ShapeClass>(plist.stringForKey("className"));
    if (!kind)
        kind = &Shape::staticClass();
    auto shape = Shape::shapeFromPlist(kind->plistByEnsuringFrameToPlistInRect(plist, frame()));
    if (shape)
        addShape(shape);
    return shape;
}

void Composition::insertGroupInParentAtIndex(const std::shared_ptr<Group>& group, const std::shared_ptr<Parent>& parent,
                                             std::size_t index)
{
    if (!group || !parent)
        return;
    const std::size_t count = parent->children().size();
    SavedRatios saved;
    saved.save(parent.get());
    std::vector<FormerPlace> former;
    for (const auto& child : group->children()) {
        auto from = sharedParent(child->parent());
        if (from && from != group)
            former.push_back({child, from, from->indexOfShape(child.get())});
    }
    for (const auto& place : former) {
        saved.save(place.parent.get());
        // By identity: an equal but distinct shape elsewhere must stay where it is.
        eraseChild(*place.parent, place.shape.get());
    }
    for (const auto& child : group->children())
        child->setParent(group.get());
    group->commit();
    registerShape(group);
    // The grouped children may have stood before index: past the end now means on top.
    parent->insertChildAtIndex(group, count > index ? index : pf::NotFound);
    group->setComposition(this);
    group->setParent(parent.get());
    recaptureRatios(parent.get());
    setNeedsDisplayInRectUpdatePalettes(group->dirtyRect(), true);
    if (delegate_)
        delegate_->compositionDidAddShape(*this, group);
    registerUndoAction(
        [group, former = std::move(former), saved](Composition& page) {
            page.removeGroup(group);
            page.restoreFormerPlaces(former);
            saved.restore();
        },
        pf::localized(QStringLiteral("Group")));
}

void Composition::restoreFormerPlaces(const std::vector<FormerPlace>& places)
{
    // All out first, then back in ascending order of their indices, so that each lands at its own.
    for (const auto& place : places)
        if (auto* now = dynamic_cast<Parent*>(place.shape->parent()))
            eraseChild(*now, place.shape.get());
    std::vector<const FormerPlace*> order;
    for (const auto& place : places)
        order.push_back(&place);
    std::stable_sort(order.begin(), order.end(), [](const FormerPlace* a, const FormerPlace* b) { return a->index < b->index; });
    for (const FormerPlace* place : order) {
        place->parent->insertChildAtIndex(place->shape, place->index);
        place->shape->setParent(place->parent.get());
        place->shape->setComposition(this);
    }
}

void Composition::removeGroup(const std::shared_ptr<Group>& group)
{
    if (!group)
        return;
    const std::shared_ptr<Parent> parent = sharedParent(group->parent());
    if (!parent)
        return;
    SavedRatios saved;
    saved.save(parent.get());
    saved.save(group.get());
    const std::size_t index = parent->indexOfShape(group.get());
    const Parent::Children children = group->children();
    if (index != pf::NotFound)
        eraseChild(*parent, group.get());
    const auto place = [&](const std::shared_ptr<Shape>& child, std::size_t at) {
        parent->insertChildAtIndex(child, at);
        child->setComposition(this);
        child->setParent(parent.get());
        if (delegate_)
            delegate_->compositionDidAddShape(*this, child);
    };
    if (index < parent->children().size()) {
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            place(*it, index);
    } else {
        for (const auto& child : children)
            place(child, pf::NotFound);
    }
    recaptureRatios(parent.get());
    deregisterShapeRecursive(group, false);
    setNeedsDisplayInRectUpdatePalettes(group->dirtyRect(), true);
    if (delegate_)
        delegate_->compositionChangeDone(*this);
    registerUndoAction(
        [group, parent, index, saved](Composition& page) {
            page.insertGroupInParentAtIndex(group, parent, index);
            saved.restore();
        },
        pf::localized(QStringLiteral("Ungroup")));
}

// ---- registry ----

void Composition::setCompositionDelegate(CompositionDelegate* delegate)
{
    delegate_ = delegate;
    if (!delegate_ || !imagesUncounted_)
        return;
    imagesUncounted_ = false;
    for (const auto& shape : registry_)
        if (!shape->imageIdentifier().isNull())
            incrementRefCountForImageIdentifier(shape->imageIdentifier());
}

bool Composition::registerShape(const std::shared_ptr<Shape>& shape)
{
    disableSuddenTermination();
    const bool registered = doRegisterShape(shape);
    enableSuddenTermination();
    return registered;
}

bool Composition::doRegisterShape(const std::shared_ptr<Shape>& shape, Group* container)
{
    if (!shape || !shape->shapeClass().wantsRegistration())
        return false;
    auto at = registry_.constFind(shape->identifier());
    if (at == registry_.constEnd() || *at != shape) {
        if (at != registry_.constEnd() || shape->identifier().isEmpty()) {
            // Taken by another shape (the same group pasted twice): this one gets its own.
            const QString old = shape->identifier();
            shape->setIdentifier(pf::newIdentifier());
            if (!container)
                container = dynamic_cast<Group*>(shape->parent());
            if (container)
                container->renameChildRatio(old, shape->identifier());
        }
        registry_.insert(shape->identifier(), shape);
        if (!shape->imageIdentifier().isNull())
            incrementRefCountForImageIdentifier(shape->imageIdentifier());
    }
    if (auto* group = dynamic_cast<Group*>(shape.get()))
        for (const auto& child : group->children())
            doRegisterShape(child, group);
    return true;
}

bool Composition::deregisterShapeRecursive(const std::shared_ptr<Shape>& shape, bool recursive)
{
    disableSuddenTermination();
    bool deregistered = false;
    if (shape && shape->shapeClass().wantsRegistration()) {
        const auto at = registry_.find(shape->identifier());
        if (at != registry_.end() && *at == shape) {
            registry_.erase(at);
            deregistered = true;
            if (!shape->imageIdentifier().isNull())
                decrementRefCountForImageIdentifier(shape->imageIdentifier());
        }
        if (recursive && shape->isGroup())
            for (const auto& child : static_cast<const Parent&>(*shape).children())
                deregisterShapeRecursive(child, true);
    }
    enableSuddenTermination();
    return deregistered;
}

std::shared_ptr<Shape> Composition::shapeForIdentifier(const QString& identifier) const
{
    return registry_.value(identifier);
}

bool Composition::isShapeRegistered(const Shape& shape) const
{
    const auto at = registry_.constFind(shape.identifier());
    return at != registry_.constEnd() && at->get() == &shape;
}

// ---- connections ----

void Composition::addConnection(const std::shared_ptr<Connection>& connection)
{
    if (!connection)
        return;
    if (const auto shape = connection->shape())
        shape->addConnection(connection);
    if (Shape* pointer = connection->pointer())
        pointer->addConnection(connection);
    if (std::find(connections_.begin(), connections_.end(), connection) == connections_.end())
        connections_.push_back(connection);
}

void Composition::removeConnection(const std::shared_ptr<ShapeConnection>& connection)
{
    const auto c = std::dynamic_pointer_cast<Connection>(connection);
    if (!c)
        return;
    if (const auto shape = c->shape())
        shape->removeConnection(c.get());
    if (Shape* pointer = c->pointer())
        pointer->removeConnection(c.get());
    std::erase(connections_, c);
}

std::vector<std::shared_ptr<Shape>> Composition::shapesInProximityTo(const pf::Point& point) const
{
    std::vector<std::shared_ptr<Shape>> near;
    for (const auto& child : children())
        if (!child->isHidden() && child->isSelectable() && child->proximityRect().contains(point))
            near.push_back(child);
    return near;
}

void Composition::clearGuides()
{
    if (!userGuides_.empty())
        userGuides_.clear();
}

// ---- stored form ----

pf::Value Composition::asPlist() const
{
    pf::Value kids = pf::Value::array();
    for (const auto& child : children())
        if (child->isSavable())
            kids.append(storedForms::of(*child));
    return plistWithChildren(std::move(kids));
}

pf::Value Composition::asPlistTakingChildren(std::shared_ptr<const storedForms::Taken>& children) const
{
    children = storedForms::take(this->children());
    return plistWithChildren(pf::Value::array());
}

pf::Value Composition::plistWithChildren(pf::Value kids) const
{
    pf::Value d = Parent::asPlist();
    d.set(QStringLiteral("metrics"), metrics_ ? metrics_->asPlist() : pf::Value::dictionary());
    pf::Value guides = pf::Value::array();
    for (const auto& guide : userGuides_)
        guides.append(guide->asPlist());
    d.set(QStringLiteral("userGuides"), std::move(guides));
    d.set(QStringLiteral("children"), std::move(kids));
    std::vector<pf::Value> stored;
    stored.reserve(connections_.size());
    for (const auto& c : connections_)
        stored.push_back(c->asPlist());
    std::stable_sort(stored.begin(), stored.end(), [](const pf::Value& a, const pf::Value& b) {
        const QString& sa = a.stringForKey("shapeIdentifier");
        const QString& sb = b.stringForKey("shapeIdentifier");
        if (sa != sb)
            return sa < sb;
        return a.stringForKey("pointerIdentifier") < b.stringForKey("pointerIdentifier");
    });
    d.set(QStringLiteral("connections"), pf::Value(pf::Value::Array(std::move(stored))));
    d.set(QStringLiteral("gridTolerance"), finiteOrZero(gridTolerance_));
    d.set(QStringLiteral("zoomScaleIndex"), zoomScaleIndex_);
    d.set(QStringLiteral("scrollCenterPoint"), pf::toString(scrollCenterPoint_));
    d.set(QStringLiteral("rulerOriginCorner"), static_cast<std::int64_t>(rulerOriginCorner_));
    return d;
}

void Composition::readPlist(const pf::Value& d)
{
    Parent::readPlist(d);
    setMetrics(Metrics::fromPlist(d.objectForKey("metrics")));

    Guides guides;
    for (const auto& entry : d.arrayForKey("userGuides")) {
        if (!entry.isDictionary())
            continue;
        auto guide = Guide::fromPlist(entry);
        guide->setComposition(this);
        guides.push_back(std::move(guide));
    }
    userGuides_ = std::move(guides);

    {
        // Groups among the children find the page here.
        const pf::ThreadValueScope scope(QString::fromLatin1(pf::TlsCompositionKey),
                                         pf::Variant(std::static_pointer_cast<Composition>(shared_from_this())));
        const auto& entries = d.arrayForKey("children");
        Children kids;
        kids.reserve(entries.size());
        // Room for them at once: grown one by one, a large page's registry is rehashed again and again.
        registry_.reserve(registry_.size() + static_cast<qsizetype>(entries.size()));
        for (const auto& entry : entries) {
            auto child = Shape::fromPlist(entry);
            if (!child)
                continue;
            if (dynamic_cast<Composition*>(child.get())) {
                qCWarning(lcComposition, "Composition: a page among the children of a page; skipped");
                continue;
            }
            child->setComposition(this);
            child->setParent(this);
            kids.push_back(child);
            registerShape(child);
        }
        setChildren(std::move(kids));
    }

    connections_.clear();
    for (const auto& entry : d.arrayForKey("connections"))
        if (entry.isDictionary())
            (void)Connection::fromPlist(entry, *this);

    if (d.objectForKey("gridTolerance").isNumber())
        setGridTolerance(std::max(storedDouble(d, "gridTolerance"), 1.0));
    zoomScaleIndex_ = d.integerForKey("zoomScaleIndex");
    scrollCenterPoint_ = storedPoint(d, "scrollCenterPoint");
    rulerOriginCorner_ = d.intForKey("rulerOriginCorner");
}

std::shared_ptr<Composition> Composition::fromPlist(const pf::Value& plist)
{
    if (!plist.isDictionary() || !pf::ClassRegistry::shared().lookup<CompositionClass>(plist.stringForKey("className"))) {
        qCWarning(lcComposition, "Composition: the stored value is not a page; skipped");
        return nullptr;
    }
    return std::dynamic_pointer_cast<Composition>(Shape::fromPlist(plist));
}

// ---- copy ----

void Composition::copyFrom(const Shape& source)
{
    Parent::copyFrom(source);
    const auto& s = static_cast<const Composition&>(source);
    setComposition(this);
    registry_.clear();
    setChildren({});
    connections_.clear();
    Children savable;
    for (const auto& child : s.children()) {
        if (!child->isSavable())
            continue;
        savable.push_back(child);
        addShape(child->copy());
    }
    // Connections between copied shapes are carried over to the copies, so a duplicated page keeps its
    // connector attachments.
    std::map<const Shape*, std::shared_ptr<Shape>> copies;
    mapCopies(savable, children(), copies);
    for (const auto& c : s.connections_) {
        const auto shape = c->shape();
        const auto pointer = c->pointer();
        const auto a = copies.find(shape.get());
        const auto b = copies.find(pointer);
        if (a == copies.end() || b == copies.end())
            continue;
        auto copy = c->copy();
        copy->setComposition(this);
        copy->setShape(a->second);
        copy->setPointer(b->second);
        addConnection(copy);
    }
    metrics_ = s.metrics_ ? s.metrics_->copy() : nullptr;
    // The base copy's frame went through the page's setFrame, which refuses while there are no metrics.
    if (metrics_)
        setStoredFrame(pf::Rect(0, 0, metrics_->width(), metrics_->height()));
    lastFrame_ = s.lastFrame_;
    imagesUncounted_ = true;
    userGuides_.clear();
    for (const auto& guide : s.userGuides_) {
        auto copy = guide->copy();
        copy->setComposition(this);
        userGuides_.push_back(std::move(copy));
    }
    overrideZoomScale_ = s.overrideZoomScale_;
    zoomScaleIndex_ = s.zoomScaleIndex_;
    gridEnabled_ = s.gridEnabled_;
    gridTolerance_ = s.gridTolerance_;
    scrollCenterPoint_ = s.scrollCenterPoint_;
    rulerOriginCorner_ = s.rulerOriginCorner_;
    bounds_ = s.bounds_;
}
