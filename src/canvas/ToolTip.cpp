#include "canvas/ToolTip.h"

#include "geometry/QVDrawing.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/text/Font.h"
#include "platform/text/StringDrawing.h"

#include <QFontDatabase>

namespace {

constexpr double shadowMargin = 5.0;
constexpr double textInset = 15.0;

} // namespace

ToolTip::ToolTip(QWidget* parent) : pf::View(parent)
{
    // The label shows figures; it never takes the pointer from the canvas beneath it.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

const pf::TextAttributes& ToolTip::textAttributes()
{
    static const pf::TextAttributes attributes = [] {
        pf::TextAttributes a;
        a.font = pf::Font(QFontDatabase::systemFont(QFontDatabase::FixedFont).family(), 11.0);
        a.foregroundColor = pf::Color::white();
        pf::ParagraphStyle style;
        style.alignment = pf::TextAlignment::Center;
        style.lineBreakMode = pf::LineBreakMode::WordWrapping;
        style.maximumLineHeight = 12.979999999999999;
        a.paragraphStyle = style;
        a.shadow = pf::Shadow{pf::Size(0, -1), 2.0, pf::Color(0, 0, 0, 1)};
        a.baselineOffset = 0.0;
        return a;
    }();
    return attributes;
}

void ToolTip::setText(const QString& text)
{
    string_ = pf::AttributedString(text, textAttributes());
    setFrame(pf::Rect(frame().origin, size()));
    setNeedsDisplay();
}

pf::Size ToolTip::size() const
{
    const pf::Size text = pf::sizeOfAttributedString(string_);
    return pf::Size(text.width + 2 * textInset, text.height + 2 * textInset);
}

void ToolTip::setLocation(const pf::Point& point)
{
    setFrame(pf::Rect(pf::Point(point.x - shadowMargin, point.y - shadowMargin), frame().size));
}

void ToolTip::drawRect(pf::GraphicsContext& context, const pf::Rect&)
{
    context.saveGState();
    context.setShadow(pf::Size(0, 0), 5.0, pf::Color(0, 0, 0, 0.5));
    context.setFillColor(pf::Color(0, 0, 0, 0.4));
    pf::Path box;
    QVAddRoundRect(box, bounds().insetBy(shadowMargin, shadowMargin), 10.0);
    context.fillPath(box);
    context.restoreGState();
    const pf::Size text = pf::sizeOfAttributedString(string_);
    pf::drawAttributedString(context, string_, pf::Rect(pf::Point(textInset, textInset), text),
                             pf::UsesLineFragmentOrigin);
}
