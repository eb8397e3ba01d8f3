// The palettes' list: a list view that draws a centred hint (such as "Inspector" while the inspector has no
// rows) on a grey pill behind its rows, always on the main background colour.
#pragma once

#include "shell/QVHintView.h"
#include "shell/QVListView.h"

class IDEPaletteListView : public QVListView {
public:
    using QVListView::QVListView;

    // The setter only stores; the owner reloads or redisplays.
    const QString& hintText() const { return hintText_; }
    void setHintText(const QString& text) { hintText_ = text; }

    // (34, centred, the larger of 100 and the width less 68, the wrapped hint's height).
    pf::Rect hintTextRectForBounds(const pf::Rect& bounds) const;

    static const QVHintPill::Metrics metrics;

    // A click in an inactive window acts at once, and whether it brings the window forward is the window
    // manager's to say: Qt delivers that first click to the list like any other.

protected:
    // The background colour (gradients and the window's state are not the palette's), then the pill; the
    // rows, being subviews, draw over it.
    void drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect) override;

private:
    QString hintText_;
};
