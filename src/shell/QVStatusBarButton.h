// The status bar's button (the page-size button): a title on the status bar's gradient, drawn by its
// cell, with the pop-ups' colours and text; highlighted while pressed, it sends its action when released
// over it. It redraws when its window becomes or stops being main.
#pragma once

#include "platform/foundation/Color.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Gradient.h"
#include "platform/kit/View.h"
#include "shell/QVView.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QVStatusBarButton;

class QVStatusBarButtonCell {
public:
    // Draws the button's face for the cell frame (the button's bounds), highlighted or not.
    void drawWithFrame(pf::GraphicsContext& context, const pf::Rect& frame, const QVStatusBarButton& button) const;
};

class QVStatusBarButton : public pf::View {
public:
    using OptionalGradient = std::optional<pf::Gradient>;
    // The platform's alignment numbers.
    enum class Alignment { Left = 0, Center = 2 };

    explicit QVStatusBarButton(const pf::Rect& frame = {}, QWidget* parent = nullptr);
    ~QVStatusBarButton() override;

    // The status bar's colours (the interface file's).
    void awakeFromNib();

    const QString& title() const { return title_; }
    void setTitle(const QString& title);
    const pf::Size& titleTextSize() const { return titleTextSize_; }
    Alignment alignment() const { return alignment_; }
    void setAlignment(Alignment alignment) { alignment_ = alignment; }
    pf::Rect titleRectForBounds(const pf::Rect& bounds) const;

    bool isHighlighted() const { return press_.isHighlighted(); }
    bool shouldDrawTopBorder() const { return true; }
    bool isInMainWindow() const;
    const QVStatusBarButtonCell& cell() const { return cell_; }

    // Sent on a click; with no target along the responder chain.
    void setAction(const QString& action, pf::Responder* target = nullptr);

    const OptionalGradient& mainBgGradient() const { return mainBgGradient_; }
    void setMainBgGradient(OptionalGradient g) { mainBgGradient_ = std::move(g); }
    const OptionalGradient& hiBgGradient() const { return hiBgGradient_; }
    void setHiBgGradient(OptionalGradient g) { hiBgGradient_ = std::move(g); }
    const OptionalGradient& nonMainBgGradient() const { return nonMainBgGradient_; }
    void setNonMainBgGradient(OptionalGradient g) { nonMainBgGradient_ = std::move(g); }
    const pf::OptionalColor& mainTopBorderColor() const { return mainTopBorderColor_; }
    void setMainTopBorderColor(pf::OptionalColor c) { mainTopBorderColor_ = c; }
    const pf::OptionalColor& nonMainTopBorderColor() const { return nonMainTopBorderColor_; }
    void setNonMainTopBorderColor(pf::OptionalColor c) { nonMainTopBorderColor_ = c; }
    const pf::OptionalColor& mainTopBevelColor() const { return mainTopBevelColor_; }
    void setMainTopBevelColor(pf::OptionalColor c) { mainTopBevelColor_ = c; }
    const pf::OptionalColor& hiTopBevelColor() const { return hiTopBevelColor_; }
    void setHiTopBevelColor(pf::OptionalColor c) { hiTopBevelColor_ = c; }
    const pf::OptionalColor& nonMainTopBevelColor() const { return nonMainTopBevelColor_; }
    void setNonMainTopBevelColor(pf::OptionalColor c) { nonMainTopBevelColor_ = c; }
    const pf::OptionalColor& mainBottomBevelColor() const { return mainBottomBevelColor_; }
    void setMainBottomBevelColor(pf::OptionalColor c) { mainBottomBevelColor_ = c; }
    const pf::OptionalColor& nonMainBottomBevelColor() const { return nonMainBottomBevelColor_; }
    void setNonMainBottomBevelColor(pf::OptionalColor c) { nonMainBottomBevelColor_ = c; }

protected:
    void drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect) override;
    void mouseDown(const pf::Event& e) override;
    void mouseDragged(const pf::Event& e) override;
    void mouseUp(const pf::Event& e) override;
    void viewDidMoveToWindow() override;

private:
    QString title_;
    pf::Size titleTextSize_;
    Alignment alignment_ = Alignment::Left;
    QVPushTracking press_;
    QString action_;
    std::weak_ptr<pf::Responder*> target_;
    bool hasTarget_ = false;
    QVStatusBarButtonCell cell_;
    OptionalGradient mainBgGradient_;
    OptionalGradient hiBgGradient_;
    OptionalGradient nonMainBgGradient_;
    pf::OptionalColor mainTopBorderColor_;
    pf::OptionalColor nonMainTopBorderColor_;
    pf::OptionalColor mainTopBevelColor_;
    pf::OptionalColor hiTopBevelColor_;
    pf::OptionalColor nonMainTopBevelColor_;
    pf::OptionalColor mainBottomBevelColor_;
    pf::OptionalColor nonMainBottomBevelColor_;
    std::vector<pf::NotificationToken> windowObservers_;
};
