// The selection object: class values, set-up, membership, queries and the choice of selection class.
// Handles and hit testing are in ManipulatorHandles.cpp.
#include "manipulators/Manipulator.h"

#include "geometry/QVColor.h"
#include "geometry/QVRect.h"
#include "manipulators/AdjustManipulators.h"
#include "manipulators/ManipulatorCanvas.h"
#include "manipulators/BezierManipulator.h"
#include "manipulators/PathManipulator.h"
#include "manipulators/PointerManipulators.h"
#include "model/Composition.h"
#include "model/StickyDefaults.h"
#include "platform/foundation/Localized.h"
#include "shapes/AbstractPointer.h"
#include "shapes/BentLines.h"
#include "shapes/Line.h"
#include "shapes/SmartPath.h"

#include <QLoggingCategory>
#include <QSet>

#include <algorithm>

namespace {

Q_LOGGING_CATEGORY(lcManipulator, "quorvel.manipulators")

// The connector kind that a drag from each connection option makes. The class objects themselves, not
// registry names: the option pictures are made once and must not depend on what was registered by then.
const AbstractPointerClass* pointerClassForConnectionOptionHandle(std::int64_t handle)
{
    switch (handle) {
    case 12:
        return &Arc::staticClass();
    case 13:
    case 14:
        return &SegmentedLine::staticClass();
    case 15:
        return &Path::staticClass();
    case 16:
        return &Line::staticClass();
    default:
        return nullptr;
    }
}

} // namespace

// ---- class values ----

QString ManipulatorClass::title() const { return pf::localized(QStringLiteral("Manipulator")); }
QString ManipulatorClass::shortTitle() const { return pf::localized(QStringLiteral("Manipulator")); }

const pf::Color& ManipulatorClass::handleStrokeColor()
{
    static const pf::Color c(0.6, 0.6, 0.6, 1.0);
    return c;
}

const pf::Color& ManipulatorClass::activeStrokeColor()
{
    static const pf::Color c(0.0, 1.0, 1.0, 1.0);
    return c;
}

const pf::Color& ManipulatorClass::draggingFillColor()
{
    static const pf::Color c(0.6, 0.6, 0.6, 1.0);
    return c;
}

const pf::Color& ManipulatorClass::handleFillColor()
{
    static const pf::Color c = pf::Color::white();
    return c;
}

const pf::Gradient& ManipulatorClass::selectionHandleGradient()
{
    // The shapes' own handle gradient, so selection handles and shape highlights share one blue.
    static const pf::Gradient g = Shape::staticClass().handleGradient();
    return g;
}

const pf::Gradient& ManipulatorClass::lockedHandleGradient()
{
    static const pf::Gradient g(pf::Color(0.5, 0.5, 0.5, 1.0), pf::Color(2.0 / 3.0, 2.0 / 3.0, 2.0 / 3.0, 1.0));
    return g;
}

const std::array<pf::Image, 5>& ManipulatorClass::optionImages()
{
    static const std::array<pf::Image, 5> images = [] {
        std::array<pf::Image, 5> made;
        // The sample connectors must neither take nor leave the user's last connector style.
        StickyDefaults::doWithoutStickySettingOrGetting([&made] {
            for (std::int64_t handle = ManipulatorHandleConnectionOption; handle < ManipulatorHandleConnectionOption + 5;
                 ++handle) {
                const AbstractPointerClass* kind = pointerClassForConnectionOptionHandle(handle);
                // 1 asks a path for its mid points: its picture shows the bends a path may take.
                int resizeHandle = 1;
                const auto pointer = std::dynamic_pointer_cast<AbstractPointer>(kind->pointerFromConnectionOptionsWithFrame(
                    pf::Rect(0, 0, 16, 16), static_cast<int>(handle), &resizeHandle));
                if (!pointer)
                    continue;
                pointer->setCurveRatio(0.2);
                pointer->setStrokeLineWidth(3.0);
                pointer->setStrokeColor(QVHexColor(0x333333));
                made[static_cast<std::size_t>(handle - ManipulatorHandleConnectionOption)] = pointer->renderedImage();
            }
        });
        return made;
    }();
    return images;
}

QString ManipulatorClass::pointerClassNameForConnectionOptionHandle(std::int64_t handle)
{
    const AbstractPointerClass* kind = pointerClassForConnectionOptionHandle(handle);
    return kind ? kind->className() : QString();
}

// ---- Manipulator ----

const ManipulatorClass& Manipulator::staticClass()
{
    static const ManipulatorClass c(QStringLiteral("Manipulator"), &Shape::staticClass(), &Shape::allocate<Manipulator>);
    return c;
}

std::shared_ptr<Manipulator> Manipulator::forShapes(const Children& shapes)
{
    const auto first = std::find_if(shapes.begin(), shapes.end(), [](const auto& s) { return s != nullptr; });
    if (first == shapes.end())
        return Shape::make<Manipulator>(pf::Rect::zero());
    const Shape& shape = **first;
    const bool several = std::any_of(first, shapes.end(), [&shape](const auto& s) { return s && s.get() != &shape; });
    if (!several) {
        if (auto own = std::dynamic_pointer_cast<Manipulator>(shape.makeManipulator()))
            return own;
        // Without a stand-in the shape could not be selected at all. Said once per kind: selecting is frequent.
        static QSet<QString> reported;
        if (const QString& kind = shape.classObject().className(); !reported.contains(kind)) {
            reported.insert(kind);
            qCWarning(lcManipulator,
                      "Manipulator: %s names \"%s\" as its selection class, which is not registered as one; "
                      "a plain selection stands in",
                      qUtf8Printable(kind), qUtf8Printable(shape.shapeClass().manipulatorClassName()));
        }
    }
    return Shape::make<Manipulator>(shape.frame());
}

void Manipulator::initWithFrame(const pf::Rect& frame)
{
    StickyDefaults::doWithoutStickySetting([this, &frame] {
        Shape::initWithFrame(frame);
        setStrokeShadowHidden(true);
        setStrokeShadowColor(std::nullopt);
        setStrokeShadowBlur(0);
        setFillShadowHidden(true);
        setFillShadowColor(std::nullopt);
        setFillShadowBlur(0);
        setFillColor(std::nullopt);
        setFillType(5);
        setStrokeColor(std::nullopt);
        setStrokeType(3);
    });
}

Composition* Manipulator::page() const { return dynamic_cast<Composition*>(composition()); }

std::int64_t Manipulator::zoomScaleIndex() const
{
    const Composition* p = page();
    return p ? p->zoomScaleIndex() : 0;
}

void Manipulator::selectionWillChange()
{
    if (Composition* p = page())
        if (CompositionDelegate* delegate = p->compositionDelegate())
            delegate->compositionSelectionWillChange(*p);
}

void Manipulator::selectionDidChange()
{
    if (Composition* p = page())
        if (CompositionDelegate* delegate = p->compositionDelegate())
            delegate->compositionSelectionDidChange(*p);
}

// ---- membership ----

void Manipulator::addShape(const std::shared_ptr<Shape>& shape)
{
    if (!shape || shape.get() == this || containsShape(shape.get()))
        return;
    selectionWillChange();
    shape->setSelected(true);
    children_.push_back(shape);
    setFrameToChildren();
    childrenChanged();
    selectionDidChange();
}

void Manipulator::removeShape(const std::shared_ptr<Shape>& shape)
{
    const std::size_t index = indexOfShape(shape.get());
    if (index == pf::NotFound)
        return;
    selectionWillChange();
    shape->setSelected(false);
    children_.erase(children_.begin() + static_cast<std::ptrdiff_t>(index));
    setFrameToChildren();
    childrenChanged();
    selectionDidChange();
}

void Manipulator::removeAllShapes()
{
    selectionWillChange();
    for (const auto& child : children_)
        child->setSelected(false);
    children_.clear();
    // Through setFrame, as when the last child is removed one by one: observers of the frame hear of it
    // and the area the handles covered is redrawn. The selection has no undo manager, so nothing is recorded.
    setFrame(pf::Rect::zero());
    childrenChanged();
    selectionDidChange();
}

std::size_t Manipulator::indexOfShape(const Shape* shape) const
{
    const auto found = std::find_if(children_.begin(), children_.end(), [shape](const auto& c) { return c.get() == shape; });
    return found == children_.end() ? pf::NotFound : static_cast<std::size_t>(found - children_.begin());
}

void Manipulator::childrenChanged()
{
    setDirtyRectFlag();
    const std::int64_t angle = (rotationAngle() % 360 + 360) % 360;
    rotatedUpright_ = angle == 0 || angle == 180;
}

pf::Rect Manipulator::childrenFrame() const
{
    pf::Rect united = pf::Rect::zero();
    for (const auto& child : children_)
        united = QVCombineRects(united, child->frame());
    return united;
}

void Manipulator::setFrameToChildren()
{
    setFrame(childrenFrame());
}

// ---- queries and capabilities ----

bool Manipulator::hasMixed() const
{
    if (children_.size() < 2)
        return false;
    const pf::ClassObject* kind = &children_.front()->classObject();
    return std::any_of(children_.begin() + 1, children_.end(), [kind](const auto& c) { return &c->classObject() != kind; });
}

bool Manipulator::doubleClickedAtPoint(const pf::Point& point)
{
    (void)point;
    if (children_.size() != 1 || !canvas_)
        return false;
    Shape& child = *children_.front();
    if (!child.canEditText())
        return false;
    canvas_->beginEditingTextIn(child);
    return true;
}

// ---- the shape it stands in for ----

std::int64_t Manipulator::rotationAngle() const
{
    return children_.size() == 1 ? children_.front()->rotationAngle() : 0;
}

bool Manipulator::isLocked() const
{
    return std::any_of(children_.begin(), children_.end(), [](const auto& c) { return c->isLocked(); });
}

double Manipulator::rotationHandleRadius() const
{
    if (children_.size() > 1)
        return 0.0;
    const double radius = children_.empty() ? Shape::rotationHandleRadius() : children_.front()->rotationHandleRadius();
    return radius / currentScale();
}

void Manipulator::drawInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty)
{
    (void)context, (void)dirty;
}

// ---- registration ----

void registerManipulatorClasses(pf::ClassRegistry& registry)
{
    registry.add(Manipulator::staticClass());
    registry.add(CompositionManipulator::staticClass());
    registerAdjustManipulatorClasses(registry);
    registerPointerManipulatorClasses(registry);
    registerPathManipulatorClass(registry);
    registerBezierManipulatorClass(registry);
}
