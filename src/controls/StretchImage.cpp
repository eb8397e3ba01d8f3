#include "controls/StretchImage.h"

#include "geometry/QVImageAdditions.h"
#include "geometry/QVRect.h"
#include "geometry/QVUtilities.h"

#include <algorithm>
#include <cmath>

namespace {

double nonNegative(double v) { return std::isfinite(v) && v > 0 ? v : 0.0; }

// An opposite pair of insets that does not fit into `limit` shares its floored half.
void fitPair(double& lead, double& trail, double limit)
{
    lead = nonNegative(lead);
    trail = nonNegative(trail);
    if (limit < lead + trail)
        lead = trail = std::floor(limit * 0.5);
}

bool allBelowOnePoint(const pf::EdgeInsets& i) { return i.top < 1 && i.left < 1 && i.bottom < 1 && i.right < 1; }

} // namespace

const UIControlClass& StretchImage9::staticClass()
{
    static const UIControlClass c(QStringLiteral("StretchImage9"), &UIControl::staticClass(),
                                  &Shape::allocate<StretchImage9>);
    return c;
}

const UIControlClass& StretchImage25::staticClass()
{
    static const UIControlClass c(QStringLiteral("StretchImage25"), &StretchImage9::staticClass(),
                                  &Shape::allocate<StretchImage25>);
    return c;
}

// ---- sizes ----

pf::Size StretchImage9::minSize() const
{
    return {edgeInsets_.left + edgeInsets_.right + 1, edgeInsets_.top + edgeInsets_.bottom + 1};
}

pf::Size StretchImage25::minSize() const
{
    const pf::EdgeInsets& i = edgeInsets();
    return {i.left + centerRect_.width() + i.right, i.top + centerRect_.height() + i.bottom};
}

void StretchImage25::initWithFrame(const pf::Rect& frame)
{
    StretchImage9::initWithFrame(frame);
    updateCenterRect();
}

void StretchImage25::updateCenterRect()
{
    const double w = frame().width(), h = frame().height();
    centerRect_ = pf::Rect(w / 4, h / 4, w / 2, h / 2);
}

pf::EdgeInsets StretchImage9::clampedInsets(const pf::EdgeInsets& insets, const pf::Size& image, const pf::Size& rect)
{
    pf::EdgeInsets i = insets;
    fitPair(i.left, i.right, std::min(nonNegative(image.width), std::fabs(rect.width)));
    fitPair(i.top, i.bottom, std::min(nonNegative(image.height), std::fabs(rect.height)));
    return i;
}

// ---- drawing ----

void StretchImage9::drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty)
{
    const pf::Image& image = controlImage();
    if (!image.isNull()) {
        const pf::Rect r = QVRectGetNormalizedRect(frame());
        context.saveGState();
        context.translate(0.5, 0.5);
        drawStretchImageInRectFromRectInsets(context, image, r, pf::Rect(0, 0, r.width(), r.height()), edgeInsets_);
        context.restoreGState();
    }
    UIControl::drawControlInContextDirtyRect(context, dirty);
}

void StretchImage9::drawImagePlain(pf::GraphicsContext& context, const pf::Image& image, const pf::Rect& rect,
                                   const pf::Rect& source) const
{
    const pf::Size size = image.size();
    const double w = std::min(source.width(), size.width - source.x());
    const double h = std::min(source.height(), size.height - source.y());
    if (!(w > 0 && h > 0))
        return;
    context.drawImage(image, pf::Rect(rect.origin, pf::Size(w, h)), pf::Rect(source.origin, pf::Size(w, h)),
                      pf::BlendMode::Normal, opacity());
}

void StretchImage9::drawStretchImageInRectFromRectInsets(pf::GraphicsContext& context, const pf::Image& image,
                                                         const pf::Rect& rect, const pf::Rect& source,
                                                         const pf::EdgeInsets& insets)
{
    const pf::EdgeInsets clamped = clampedInsets(insets, image.size(), rect.size);
    // Insets that leave no slice of a point draw the picture as it is (a picture narrower than its
    // insets included).
    if (allBelowOnePoint(clamped)) {
        drawImagePlain(context, image, rect, source);
        return;
    }
    drawStretchableInRectEdgeInsetsOperationFraction(context, image, rect, clamped, pf::BlendMode::Normal, opacity());
}

void StretchImage25::drawStretchImageInRectFromRectInsets(pf::GraphicsContext& context, const pf::Image& image,
                                                          const pf::Rect& rect, const pf::Rect& source,
                                                          const pf::EdgeInsets& insets)
{
    const pf::EdgeInsets clamped = clampedInsets(insets, image.size(), rect.size);
    if (QVEdgeInsetsIsEmpty(clamped)) {
        drawImagePlain(context, image, rect, source);
        return;
    }
    // The centre piece keeps its size: it cannot be larger than what the insets leave of the picture
    // and of the rect.
    const double roomX = std::min(image.size().width, std::fabs(rect.width())) - clamped.left - clamped.right;
    const double roomY = std::min(image.size().height, std::fabs(rect.height())) - clamped.top - clamped.bottom;
    const pf::Rect centre(centerRect().origin, pf::Size(std::min(nonNegative(centerRect().width()), std::max(0.0, roomX)),
                                                        std::min(nonNegative(centerRect().height()), std::max(0.0, roomY))));
    drawStretchableInRectEdgeInsetsCenterRectOperationFraction(context, image, rect, clamped, centre,
                                                               pf::BlendMode::Normal, opacity());
}

// ---- copy and stored form ----

void StretchImage9::copyFrom(const Shape& source)
{
    UIControl::copyFrom(source);
    edgeInsets_ = static_cast<const StretchImage9&>(source).edgeInsets_;
}

void StretchImage25::copyFrom(const Shape& source)
{
    StretchImage9::copyFrom(source);
    centerRect_ = static_cast<const StretchImage25&>(source).centerRect_;
}

pf::Value StretchImage9::asPlist() const
{
    pf::Value plist = UIControl::asPlist();
    plist.set(QStringLiteral("edgeInsets-top"), edgeInsets_.top);
    plist.set(QStringLiteral("edgeInsets-bottom"), edgeInsets_.bottom);
    plist.set(QStringLiteral("edgeInsets-left"), edgeInsets_.left);
    plist.set(QStringLiteral("edgeInsets-right"), edgeInsets_.right);
    return plist;
}

void StretchImage9::readPlist(const pf::Value& plist)
{
    UIControl::readPlist(plist);
    edgeInsets_ = QVEdgeInsetsMake(finiteOrZero(plist.doubleForKey("edgeInsets-top")),
                                   finiteOrZero(plist.doubleForKey("edgeInsets-left")),
                                   finiteOrZero(plist.doubleForKey("edgeInsets-bottom")),
                                   finiteOrZero(plist.doubleForKey("edgeInsets-right")));
}

pf::Value StretchImage25::asPlist() const
{
    pf::Value plist = StretchImage9::asPlist();
    plist.set(QStringLiteral("centerRect"), pf::toString(centerRect_));
    return plist;
}

void StretchImage25::readPlist(const pf::Value& plist)
{
    StretchImage9::readPlist(plist);
    centerRect_ = pf::rectFromString(plist.stringForKey("centerRect"));
    updateContentImage();
}
