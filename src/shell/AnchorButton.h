// One button of a three-by-three anchor grid (the page-size sheet's, the picture panel's). Each button's
// tag is its own place in the grid (a QVRectCorner value) and all nine carry the corner chosen now
// (anchorCorner); its face is drawn from both by AnchorButtonCell. A click sends the action with a sender
// carrying the tag.
#pragma once

#include "platform/kit/View.h"
#include "shell/QVView.h"

#include <QString>

#include <cstdint>
#include <memory>

class AnchorButton : public pf::View {
public:
    explicit AnchorButton(const pf::Rect& frame = {}, QWidget* parent = nullptr);

    std::int64_t tag() const { return tag_; }
    void setTag(std::int64_t tag);
    std::int64_t anchorCorner() const { return anchorCorner_; }
    // Redisplays when the corner changes.
    void setAnchorCorner(std::int64_t corner);
    bool isHighlighted() const { return press_.isHighlighted(); }

    // Sent on a click; with no target along the responder chain.
    void setAction(const QString& action, pf::Responder* target = nullptr);

protected:
    void drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect) override;
    void mouseDown(const pf::Event& e) override;
    void mouseDragged(const pf::Event& e) override;
    void mouseUp(const pf::Event& e) override;

private:
    std::int64_t tag_ = 0;
    std::int64_t anchorCorner_ = 0;
    QVPushTracking press_;
    QString action_;
    std::weak_ptr<pf::Responder*> target_;
    bool hasTarget_ = false;
};
