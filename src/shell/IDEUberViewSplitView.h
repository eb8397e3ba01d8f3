// The split views of the nested split layout. The thickness follows the layout's divider style (thick
// dividers are drawn two points slimmer than the platform's), and so does the drawing: a flat line in the
// thin style, darker in the main window; in the thick style a shaded bar whose border lines stop where the
// other dividers meet it, with a round grip on the column dividers.
#pragma once

#include "platform/foundation/Color.h"
#include "platform/graphics/Gradient.h"
#include "platform/kit/SplitView.h"

#include <optional>

class IDEUberView;

class IDEUberViewSplitView : public pf::SplitView {
public:
    IDEUberViewSplitView(const pf::Rect& frame, IDEUberView* uberView, QWidget* parent = nullptr);
    ~IDEUberViewSplitView() override;

    IDEUberView* uberView() const { return uberView_; }
    void setUberView(IDEUberView* uberView) { uberView_ = uberView; }

    double dividerThickness() const override;

    // Fill of a thick divider: white 0.92 to 0.83, made on first use.
    const pf::Gradient& gradient();
    void setGradient(const pf::Gradient& gradient) { gradient_ = gradient; }
    const pf::Color& borderColor() const { return borderColor_; }
    void setBorderColor(const pf::Color& color) { borderColor_ = color; }

    void drawDividerInRect(pf::GraphicsContext& context, const pf::Rect& rect) override;
    void drawLeftDividerInRect(pf::GraphicsContext& context, const pf::Rect& rect);
    void drawRightDividerInRect(pf::GraphicsContext& context, const pf::Rect& rect);
    void drawVertDivotInRect(pf::GraphicsContext& context, const pf::Rect& rect);

    // The thin divider colours (main window, other windows) and the grip's gradient.
    static const pf::Color& thinMainColor();
    static const pf::Color& thinOtherColor();
    static const pf::Gradient& gripGradient();

private:
    // The border lines of a column divider: the inner edge stops where the row dividers meet it, the outer
    // one where the column's own split does.
    void drawColumnDividerInRect(pf::GraphicsContext& context, const pf::Rect& rect, bool left);
    // Strokes the vertical line at x from `from` to `to`, leaving out the gaps (each [start, end)).
    void strokeColumnEdge(pf::GraphicsContext& context, double x, double from, double to,
                          std::initializer_list<std::optional<std::pair<double, double>>> gaps);
    // The gaps where the row dividers meet a column divider's inner edge.
    std::optional<std::pair<double, double>> topRowGap() const;
    std::optional<std::pair<double, double>> bottomRowGap() const;

    IDEUberView* uberView_;
    std::optional<pf::Gradient> gradient_;
    pf::Color borderColor_;
};
