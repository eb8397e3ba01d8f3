#include "model/Guide.h"

#include "geometry/QVRect.h"
#include "model/Composition.h"
#include "model/StoredNumbers.h"
#include "model/UserDefaults.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/UndoManager.h"

#include <cmath>

const pf::ClassObject& Guide::staticClass()
{
    static const pf::ClassObject c(QStringLiteral("Guide"), &pf::Object::staticClass());
    return c;
}

std::shared_ptr<Guide> Guide::make(Composition* page, std::uint64_t type, const pf::Point& p1, const pf::Point& p2)
{
    auto guide = std::make_shared<Guide>();
    guide->composition_ = page;
    guide->type_ = type;
    if (type == UserGuide) {
        guide->moveToP1P2(QVMaxFloatPoint, QVMaxFloatPoint);
        guide->moveToP1P2(p1, p2);
    } else {
        guide->p1_ = p1;
        guide->p2_ = p2;
    }
    return guide;
}

const pf::OptionalColor& Guide::color() const
{
    if (!color_) {
        switch (type_) {
        case 0: color_ = pf::Color{1, 0, 1, 1}; break;
        case 1: color_ = pf::Color{1, 0.5, 0, 1}; break;
        case UserGuide: color_ = pf::Color{0, 1, 1, 1}; break;
        default: break;
        }
    }
    return color_;
}

void Guide::moveToP1P2(const pf::Point& p1, const pf::Point& p2)
{
    if (!isOffscreen()) {
        if (composition_)
            composition_->setNeedsDisplayInRect(dirtyRect());
        pf::registerUndo(undoManager(), this, [a = p1_, b = p2_](Guide& g) { g.moveToP1P2(a, b); },
                         pf::localized(QStringLiteral("Move Guide")));
    }
    p1_ = p1;
    p2_ = p2;
    if (composition_)
        composition_->setNeedsDisplayInRect(dirtyRect());
}

bool Guide::isVertical() const { return std::fabs(p2_.y - p1_.y) > 2.0; }

bool Guide::isOffscreen() const { return QVPointIsMaxFloat(p1_) && QVPointIsMaxFloat(p2_); }

double Guide::currentScale() const
{
    const double scale = composition_ ? composition_->zoomScale() : 0.0;
    return scale == 0.0 ? 1.0 : scale;
}

pf::Rect Guide::frame() const
{
    if (isVertical())
        return QVRectStandardizeZero(pf::Rect(p1_.x, p1_.y, 0, p2_.y - p1_.y));
    return QVRectStandardizeZero(pf::Rect(p1_.x, p1_.y, p2_.x - p1_.x, 0));
}

pf::Rect Guide::band(double halfWidth) const
{
    const double h = halfWidth / currentScale();
    if (isVertical())
        return pf::Rect(p1_.x - h, p1_.y, 2 * h, QVMaxFloat);
    return pf::Rect(p1_.x, p1_.y - h, QVMaxFloat, 2 * h);
}

pf::Rect Guide::dirtyRect() const { return band(3.0); }
pf::Rect Guide::hoverRect() const { return band(1.5); }

pf::Rect Guide::proximityRect() const
{
    const double tolerance = UserDefaults::instance().snapTolerance();
    return QVRectOutset(frame(), tolerance, tolerance);
}

pf::UndoManager* Guide::undoManager() const { return composition_ ? composition_->undoManager() : nullptr; }

bool Guide::isEqualToGuide(const Guide& other) const
{
    return type_ == other.type_ && p1_ == other.p1_ && p2_ == other.p2_;
}

std::shared_ptr<Guide> Guide::copy() const { return make(composition_, type_, p1_, p2_); }

QString Guide::description() const
{
    return QStringLiteral("<Guide %1 {%2, %3}>")
        .arg(QString::number(reinterpret_cast<quintptr>(this), 16), pf::toString(p1_), pf::toString(p2_));
}

pf::Value Guide::asPlist() const
{
    pf::Value d = pf::Value::dictionary();
    d.set(QStringLiteral("type"), type_);
    d.set(QStringLiteral("p1"), pf::toString(p1_));
    d.set(QStringLiteral("p2"), pf::toString(p2_));
    return d;
}

std::shared_ptr<Guide> Guide::fromPlist(const pf::Value& plist)
{
    auto guide = std::make_shared<Guide>();
    guide->type_ = plist.unsignedIntegerForKey("type");
    guide->p1_ = storedPoint(plist, "p1");
    guide->p2_ = storedPoint(plist, "p2");
    return guide;
}
