#include "palettes/InspectorListItem.h"

#include "geometry/QVColor.h"
#include "palettes/Facet.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/Path.h"
#include "platform/text/AttributedString.h"
#include "platform/text/Font.h"
#include "platform/text/StringDrawing.h"

#include <algorithm>

namespace {

constexpr double headerHeight = 15;

std::int64_t& instanceCounter()
{
    static std::int64_t counter = 0;
    return counter;
}

struct RowLook {
    pf::Color line;
    pf::Gradient header;
    pf::TextAttributes title;
};

const RowLook& look()
{
    static const RowLook made = [] {
        RowLook l{QVHexColor(0x9E9E9E), pf::Gradient(QVHexColor(0xE1DFDF), QVHexColor(0xC2C1C2)), {}};
        l.title.font = pf::Font::boldSystemFont(11);
        l.title.foregroundColor = pf::Color(0.15, 0.15, 0.15, 1);
        pf::ParagraphStyle paragraph;
        paragraph.alignment = pf::TextAlignment::Left;
        paragraph.lineBreakMode = pf::LineBreakMode::TruncatingTail;
        l.title.paragraphStyle = paragraph;
        return l;
    }();
    return made;
}

} // namespace

const QString& InspectorListItem::reuseIdentifierName()
{
    static const QString name = QStringLiteral("InspectorListItem");
    return name;
}

InspectorListItem::InspectorListItem() : InspectorListItem(pf::Rect(), reuseIdentifierName()) {}

InspectorListItem::InspectorListItem(const pf::Rect& frame, const QString& reuseIdentifier)
    : QVListItem(frame, reuseIdentifier), instanceCount_(++instanceCounter())
{
    disclosureButton_ = new DisclosureButton(disclosureButtonRectForBounds(layoutBounds()), this);
}

InspectorListItem::~InspectorListItem()
{
    // The facet keeps its content view for the next row that shows it.
    setFacet(nullptr);
}

void InspectorListItem::setFacet(Facet* facet)
{
    Facet* old = this->facet();
    if (facet == old && facet == facet_)
        return;
    if (old && old->isContentViewLoaded()) {
        pf::View* content = old->contentView();
        if (content && content->parentWidget() == this)
            content->removeFromSuperview();
    }
    facet_ = facet;
    facetLife_ = facet ? facet->weak_from_this() : std::weak_ptr<pf::Object>();
    if (facet_)
        if (pf::View* content = facet_->contentView())
            addSubview(content, contentRectForBounds(layoutBounds()));
    layoutSubviews();
    setNeedsDisplay();
}

void InspectorListItem::prepareForReuse()
{
    setFacet(nullptr);
}

pf::Rect InspectorListItem::layoutBounds() const
{
    pf::Rect b = bounds();
    b.size.width = std::max(b.size.width, minimumWidth);
    return b;
}

pf::Rect InspectorListItem::headerRectForBounds(const pf::Rect& bounds)
{
    return pf::Rect(0, 0, bounds.width(), headerHeight);
}

pf::Rect InspectorListItem::titleRectForBounds(const pf::Rect& bounds) const
{
    const bool hasContent = facet() && facet()->contentView();
    const double x = hasContent ? 14 : 6;
    return pf::Rect(x, 1, bounds.width() - x, headerHeight);
}

pf::Rect InspectorListItem::disclosureButtonRectForBounds(const pf::Rect&)
{
    return pf::Rect(0, 1, 13, 13);
}

pf::Rect InspectorListItem::contentRectForBounds(const pf::Rect& bounds)
{
    return pf::Rect(0, headerHeight, bounds.width(), std::max(10.0, bounds.height() - headerHeight));
}

QString InspectorListItem::description() const
{
    return QStringLiteral("<InspectorListItem %1 %2>")
        .arg(instanceCount_)
        .arg(facet() ? facet()->facetName() : QStringLiteral("(null)"));
}

void InspectorListItem::layoutSubviews()
{
    const pf::Rect b = layoutBounds();
    Facet* shown = facet();
    pf::View* content = shown ? shown->contentView() : nullptr;
    if (content && !shown->isCollapsed()) {
        content->setFrame(contentRectForBounds(b));
        content->setVisible(true);
    }
    if (content) {
        disclosureButton_->setFrame(disclosureButtonRectForBounds(b));
        disclosureButton_->setState(!shown->isCollapsed());
        disclosureButton_->setVisible(true);
    } else {
        disclosureButton_->setVisible(false);
    }
}

void InspectorListItem::drawRect(pf::GraphicsContext& context, const pf::Rect&)
{
    const pf::Rect b = layoutBounds();
    const RowLook& l = look();
    context.saveGState();
    context.setFillColor(pf::Color(0.96, 0.96, 0.96, 1));
    context.fillRect(b);
    const pf::Rect header = headerRectForBounds(b);
    context.drawLinearGradientInRect(l.header, header, 90);
    context.setStrokeColor(l.line);
    context.setLineWidth(1);
    pf::Path lines;
    lines.moveTo(pf::Point(header.minX(), header.maxY() + 0.5));
    lines.lineTo(pf::Point(header.maxX(), header.maxY() + 0.5));
    lines.moveTo(pf::Point(b.x() - 1, b.maxY() - 0.5));
    lines.lineTo(pf::Point(b.x() + b.width() + 1, b.maxY() - 0.5));
    context.strokePath(lines);
    context.restoreGState();
    if (Facet* shown = facet())
        pf::drawAttributedString(context, pf::AttributedString(shown->title(), l.title), titleRectForBounds(b),
                                 pf::UsesLineFragmentOrigin | pf::TruncatesLastVisibleLine);
}

// ---- the disclosure triangle ----

InspectorListItem::DisclosureButton::DisclosureButton(const pf::Rect& frame, QWidget* parent) : pf::View(frame, parent)
{
}

void InspectorListItem::DisclosureButton::setState(bool on)
{
    if (on == state_)
        return;
    state_ = on;
    setNeedsDisplay();
}

void InspectorListItem::DisclosureButton::performClick()
{
    if (action_)
        action_(*this);
}

void InspectorListItem::DisclosureButton::mouseDown(const pf::Event&)
{
    performClick();
}

void InspectorListItem::DisclosureButton::drawRect(pf::GraphicsContext& context, const pf::Rect&)
{
    const pf::Rect b = bounds();
    const double cx = b.width() / 2, cy = b.height() / 2;
    pf::Path triangle;
    if (state_) {
        triangle.moveTo(pf::Point(cx - 4, cy - 2));
        triangle.lineTo(pf::Point(cx + 4, cy - 2));
        triangle.lineTo(pf::Point(cx, cy + 3));
    } else {
        triangle.moveTo(pf::Point(cx - 2, cy - 4));
        triangle.lineTo(pf::Point(cx + 3, cy));
        triangle.lineTo(pf::Point(cx - 2, cy + 4));
    }
    triangle.close();
    context.saveGState();
    context.setFillColor(pf::Color(0.35, 0.35, 0.35, 1));
    context.fillPath(triangle);
    context.restoreGState();
}
