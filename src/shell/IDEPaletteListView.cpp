#include "shell/IDEPaletteListView.h"

#include "platform/graphics/GraphicsContext.h"

const QVHintPill::Metrics IDEPaletteListView::metrics{34, 68, 18, 16};

pf::Rect IDEPaletteListView::hintTextRectForBounds(const pf::Rect& bounds) const
{
    return QVHintPill::textRect(hintText_, bounds, metrics);
}

void IDEPaletteListView::drawRect(pf::GraphicsContext& context, const pf::Rect&)
{
    context.setFillColor(backgroundColor());
    context.fillRect(bounds());
    QVHintPill::draw(context, hintText_, bounds(), metrics);
}
