#include "shell/QVHintView.h"

#include "geometry/QVDrawing.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"
#include "platform/text/Font.h"
#include "platform/text/StringDrawing.h"

#include <algorithm>
#include <cmath>

namespace QVHintPill {

namespace {
// Lays the text out without a height limit that could ever cut it.
constexpr double layoutHeightLimit = 1000000;
constexpr double pillGrowY = 4;
constexpr double largestPillWidth = 400;
constexpr double smallestTextWidth = 100;
} // namespace

const pf::TextAttributes& textAttributes()
{
    static const pf::TextAttributes attributes = [] {
        pf::TextAttributes a;
        a.font = pf::Font::boldSystemFont(12);
        a.foregroundColor = pf::Color::white();
        a.shadow = pf::Shadow{pf::Size(0, -1), 1, pf::Color(0, 0, 0, 0.2)};
        pf::ParagraphStyle paragraph;
        paragraph.alignment = pf::TextAlignment::Center;
        paragraph.lineBreakMode = pf::LineBreakMode::WordWrapping;
        a.paragraphStyle = paragraph;
        return a;
    }();
    return attributes;
}

const pf::Color& pillColor()
{
    // The newest appearance's grey.
    static const pf::Color color(0.75, 0.75, 0.75, 1);
    return color;
}

pf::Rect textRect(const QString& hint, const pf::Rect& bounds, const Metrics& metrics, double offsetY)
{
    const double width = std::max(smallestTextWidth, bounds.width() - metrics.widthInset);
    double height = 0;
    if (!hint.isEmpty())
        height = pf::boundingRectWithSize(pf::AttributedString(hint, textAttributes()),
                                          pf::Size(width, layoutHeightLimit), pf::UsesLineFragmentOrigin)
                     .height();
    return pf::Rect(metrics.textX, bounds.height() / 2 - height / 2 + offsetY, width, height);
}

pf::Rect pillRect(const pf::Rect& text, const pf::Rect& bounds, const Metrics& metrics)
{
    const double width = std::floor(std::min(text.width() + 2 * metrics.growX, largestPillWidth));
    const double x = std::floor(std::max(bounds.width() / 2 - width / 2, metrics.minimumPillX));
    return pf::Rect(x, std::floor(text.y() - pillGrowY), width, std::floor(text.height() + 2 * pillGrowY));
}

void draw(pf::GraphicsContext& context, const QString& hint, const pf::Rect& bounds, const Metrics& metrics,
          double offsetY)
{
    if (hint.isEmpty())
        return;
    const pf::Rect text = textRect(hint, bounds, metrics, offsetY);
    const pf::Rect pill = pillRect(text, bounds, metrics);
    pf::Path path;
    QVAddRoundRect(path, pill, pill.height() / 2 - 2);
    context.saveGState();
    context.setFillColor(pillColor());
    context.fillPath(path);
    context.restoreGState();
    pf::drawAttributedString(context, pf::AttributedString(hint, textAttributes()), text, pf::UsesLineFragmentOrigin);
}

} // namespace QVHintPill

const QVHintPill::Metrics QVHintView::metrics{42, 84, 22, 20};

pf::Rect QVHintView::hintTextRectForBounds(const pf::Rect& bounds) const
{
    return QVHintPill::textRect(hintText_, bounds, metrics, hintTextOffsetY_);
}

QString QVHintView::description() const
{
    return QStringLiteral("<QVHintView %1 '%2'>")
        .arg(QStringLiteral("0x") + QString::number(reinterpret_cast<quintptr>(this), 16), hintText_);
}

void QVHintView::drawRect(pf::GraphicsContext& context, const pf::Rect&)
{
    if (color()) {
        context.setFillColor(*color());
        context.fillRect(bounds());
    }
    QVHintPill::draw(context, hintText_, bounds(), metrics, hintTextOffsetY_);
}
