#include "shapes/Callout.h"

#include "geometry/FBPathBoolean.h"
#include "geometry/QVRect.h"
#include "model/StickyDefaults.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/ThreadDictionary.h"
#include "shapes/OutlineSupport.h"

#include <cmath>
#include <numbers>

namespace {

class CalloutClass : public ShapeClass {
public:
    using ShapeClass::ShapeClass;
    QString title() const override { return pf::localized(QStringLiteral("Callout")); }
    QString shortTitle() const override { return pf::localized(QStringLiteral("Callout")); }
    QString longDescription() const override { return pf::localized(QStringLiteral("A Callout.")); }
    QString extraSearchString() const override { return QStringLiteral("speech bubbles talking comics"); }
    QString negativeSearchString() const override { return QStringLiteral(""); }
    QString stickyTypeName() const override { return QStringLiteral("Callout"); }
    QString stickyPhylumName() const override { return QStringLiteral("Shape"); }
    pf::Size defaultSize() const override { return {100, 70}; }
    pf::Size provisionalSize() const override { return {6, 6}; }
    QString manipulatorClassName() const override { return QStringLiteral("CalloutManipulator"); }
    // The entry carries the class's tip, never the user's last one.
    pf::Value plist() const override
    {
        return StickyDefaults::doWithoutStickySettingOrGetting([&] {
            return outline::plistWithStickyRatios(*this, ShapeClass::plist(), outline::RatioX | outline::RatioY);
        });
    }
    std::shared_ptr<Shape> libraryListItemShapeWithFrame(const pf::Rect& frame) const override
    {
        return Callout::libraryCallout(*this, frame);
    }
};

std::optional<std::int64_t> readingVersion()
{
    return pf::threadDictionary::value(QString::fromLatin1(pf::TlsVersionKey)).get<std::int64_t>();
}

} // namespace

void registerCalloutShape(pf::ClassRegistry& registry) { registry.add(Callout::staticClass()); }

const ShapeClass& Callout::staticClass()
{
    static const CalloutClass c(QStringLiteral("Callout"), &Shape::staticClass(), &Shape::allocate<Callout>);
    return c;
}

std::shared_ptr<Shape> Callout::libraryCallout(const ShapeClass& kind, const pf::Rect& frame)
{
    const pf::Rect bubble(frame.x(), frame.y() + 2, frame.width() - 4, frame.height() - 6);
    auto shape = kind.ShapeClass::libraryListItemShapeWithFrame(bubble);
    if (auto* callout = dynamic_cast<Callout*>(shape.get()))
        callout->setTailTip({bubble.maxX() + 2, bubble.maxY() + 2});
    return shape;
}

void Callout::initWithFrame(const pf::Rect& frame)
{
    Shape::initWithFrame(frame);
    setTailTip({frame.x() + frame.width() - 3, frame.y() + frame.height() + 10});
}

void Callout::setTailTip(const pf::Point& tip)
{
    // The tip is where this bubble points, not a default for the next one.
    StickyDefaults::doWithoutStickySetting([&] {
        setAdjustmentRatioX(tip.x);
        setAdjustmentRatioY(tip.y);
    });
}

void Callout::setFrame(const pf::Rect& newFrame)
{
    const pf::Rect old = frame();
    if (!disableTailAdjustment_ && !QVRectIsZero(old) && newFrame.origin != old.origin) {
        // Undoing the move moves the tip back through this same path. The outline is built once, by the
        // frame change below, not by each ratio's setter on the way.
        const bool disabled = disableUndo();
        deferOutline_ = true;
        setTailTip(tailTip() + (newFrame.origin - old.origin));
        deferOutline_ = false;
        reenableUndoIf(disabled);
    }
    Shape::setFrame(newFrame);
}

void Callout::endDrag(const pf::Event& event)
{
    disableTailAdjustment_ = true;
    Shape::endDrag(event);
    disableTailAdjustment_ = false;
}

void Callout::appendPath(pf::Path& path) const
{
    if (deferOutline_)
        return;
    const pf::Rect r = QVRectGetNormalizedRect(frame());
    const pf::Point c(r.midX(), r.midY()), t = tailTip();
    const double theta = std::atan2(c.y - t.y, c.x - t.x) + std::numbers::pi;
    // Without a visible stroke the tail's base is a little narrower.
    const double k = strokeLineWidth() <= 0 && strokeType() != 3 ? 4.0 : 0.0;
    const double hw = std::ceil(std::sqrt(r.width()) - k);
    // The base runs through the centre, across the direction of the tip.
    const double s = std::sin(theta), co = std::cos(theta);
    const auto turned = [&](double dy) { return pf::Point(c.x - dy * s, c.y + dy * co); };
    pf::Path tail;
    outline::appendPolygon(tail, {t, turned(-hw), turned(hw)});
    path.append(CGPath_FBCreateUnion(pf::Path::oval(r), tail));
}

pf::Rect Callout::calcDirtyRect() const
{
    const pf::Point tip = QVPointApplyRotation(tailTip(), QVMakeRotation(static_cast<int>(rotationAngle()), frame()));
    const double side = strokeLineWidth() + 10 + shapeClass().selectionStrokeLineWidth();
    return QVCombineRects(QVSquareAroundPoint(tip, side), Shape::calcDirtyRect());
}

void Callout::readPlist(const pf::Value& plist)
{
    Shape::readPlist(plist);
    if (const auto version = readingVersion(); version && *version <= 7) {
        const pf::Rect f = frame();
        setTailTip({f.x() + 2, f.maxY() + 2});
    }
}
