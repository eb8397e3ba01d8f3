// Bars of the document window (the status bar and its pop-ups): a vertical gradient under a top border,
// with optional bevel lines under the border and along the bottom, in one set of colours while the
// window is the main window, another while it is not, and a third gradient while the bar is highlighted.
// A bar redraws when its window becomes or stops being main. An element without a colour is not drawn.
//
// QVDraggableBar moves its window with the pointer: through the window server's own move where the
// display offers one, otherwise by the pointer's total travel from the press, step by step (no loop of
// its own).
#pragma once

#include "platform/foundation/Color.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Gradient.h"
#include "shell/QVView.h"

#include <QPoint>

#include <optional>
#include <vector>

namespace pf {
class GraphicsContext;
}

class QVBar : public QVView {
public:
    using OptionalGradient = std::optional<pf::Gradient>;

    explicit QVBar(const pf::Rect& frame = {}, QWidget* parent = nullptr);
    ~QVBar() override;

    // The colours of the interface file (the newest appearance); a bar made otherwise has none until set.
    void awakeFromNib();

    const OptionalGradient& mainBgGradient() const { return mainBgGradient_; }
    void setMainBgGradient(OptionalGradient g) { mainBgGradient_ = std::move(g); }
    const OptionalGradient& nonMainBgGradient() const { return nonMainBgGradient_; }
    void setNonMainBgGradient(OptionalGradient g) { nonMainBgGradient_ = std::move(g); }
    const OptionalGradient& hiBgGradient() const { return hiBgGradient_; }
    void setHiBgGradient(OptionalGradient g) { hiBgGradient_ = std::move(g); }
    const pf::OptionalColor& mainTopBorderColor() const { return mainTopBorderColor_; }
    void setMainTopBorderColor(pf::OptionalColor c) { mainTopBorderColor_ = c; }
    const pf::OptionalColor& nonMainTopBorderColor() const { return nonMainTopBorderColor_; }
    void setNonMainTopBorderColor(pf::OptionalColor c) { nonMainTopBorderColor_ = c; }
    const pf::OptionalColor& mainTopBevelColor() const { return mainTopBevelColor_; }
    void setMainTopBevelColor(pf::OptionalColor c) { mainTopBevelColor_ = c; }
    const pf::OptionalColor& nonMainTopBevelColor() const { return nonMainTopBevelColor_; }
    void setNonMainTopBevelColor(pf::OptionalColor c) { nonMainTopBevelColor_ = c; }
    const pf::OptionalColor& mainBottomBevelColor() const { return mainBottomBevelColor_; }
    void setMainBottomBevelColor(pf::OptionalColor c) { mainBottomBevelColor_ = c; }
    const pf::OptionalColor& nonMainBottomBevelColor() const { return nonMainBottomBevelColor_; }
    void setNonMainBottomBevelColor(pf::OptionalColor c) { nonMainBottomBevelColor_ = c; }

    virtual bool shouldDrawTopBorder() const { return true; }
    virtual bool isHighlighted() const { return false; }

    // Whether the bar's window is the main window (a bar in no window is not).
    bool isInMainWindow() const;

protected:
    // The gradient over the bounds, then the lines: the top bevel 1.5 and the top border 0.5 below the
    // top edge, the bottom bevel 0.5 above the bottom edge, all one point wide.
    void drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect) override;
    void viewDidMoveToWindow() override;
    // Redisplays while the bar has a window.
    virtual void windowDidBecomeMain();

private:
    OptionalGradient mainBgGradient_;
    OptionalGradient nonMainBgGradient_;
    OptionalGradient hiBgGradient_;
    pf::OptionalColor mainTopBorderColor_;
    pf::OptionalColor nonMainTopBorderColor_;
    pf::OptionalColor mainTopBevelColor_;
    pf::OptionalColor nonMainTopBevelColor_;
    pf::OptionalColor mainBottomBevelColor_;
    pf::OptionalColor nonMainBottomBevelColor_;
    std::vector<pf::NotificationToken> windowObservers_;
};

class QVDraggableBar : public QVBar {
public:
    using QVBar::QVBar;

    // Whether a press is moving the window now (through this bar's own steps).
    bool isDraggingWindow() const { return dragging_; }

protected:
    void mouseDown(const pf::Event& e) override;
    void mouseDragged(const pf::Event& e) override;
    void mouseUp(const pf::Event& e) override;

private:
    void follow(const pf::Point& screenLocation);

    bool dragging_ = false;
    pf::Point start_;
    pf::Point last_;
    QPoint windowStart_;
};
