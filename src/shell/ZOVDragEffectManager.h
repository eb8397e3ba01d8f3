// The picture of a dragged item in a small floating window that follows the pointer: the inside image
// (the list row) while the pointer is over the drag's source area, the outside image (what a drop will
// make) elsewhere, swapped over 0.2 s. A failed drop can slide the window back to where the drag began;
// every end fades it out, and once the fade is over the window is put away and the state cleared.
//
// The window is frameless, translucent, without shadow, above every other window, and never takes input:
// an invisible window that took the pointer would swallow the clicks where the last drag ended.
//
// Where the window cannot be shown as drawn (Wayland, which does not let a program place it; X11 without
// a compositing manager, which paints its clear parts black), no window is shown. The
// manager keeps its state and answers every call as elsewhere, so callers do not branch; the drag should
// then carry the outside image as its own picture (`showsWindow`).
//
// Points are Qt's global screen coordinates (y down); the offset shifts the window's centre from the
// pointer. Main thread only.
#pragma once

#include "platform/foundation/Geometry.h"
#include "platform/kit/Animation.h"
#include "platform/kit/Dragging.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <memory>

class ZOVDragEffectImageView;

class ZOVDragEffectManager {
public:
    static ZOVDragEffectManager& sharedDragEffectManager();

    ZOVDragEffectManager();
    ~ZOVDragEffectManager();
    ZOVDragEffectManager(const ZOVDragEffectManager&) = delete;
    ZOVDragEffectManager& operator=(const ZOVDragEffectManager&) = delete;

    void startDragShow(const pf::Rect& sourceScreenRect, pf::Point startPoint, pf::Size offset, const QImage& insideImage,
                       const QImage& outsideImage, bool slideBack);
    // Sent on every move of the drag: the window follows the pointer and shows the image for where it is.
    void updatePosition();
    void endDragShowWithResult(pf::DragOperation result, bool animated = true);
    // The end of the window's fade; only a finished fade to full transparency cleans up.
    void animationDidStop(bool finished);

    // False where a translucent window cannot be shown as drawn: nothing is shown there.
    static bool showsWindow();

    QWidget* window() const { return window_.get(); }
    // A the inside image (scaled to fit its frame), B the outside image.
    QWidget* imageViewA() const;
    QWidget* imageViewB() const;
    // Whether each view is in the window's content (the one being swapped out stays until the swap ends).
    bool isInContent(const QWidget* view) const;
    // The window's frame and opacity as the manager keeps them, shown or not.
    pf::Rect windowFrame() const { return frame_; }
    double alphaValue() const { return alpha_; }
    bool isOrderedIn() const { return orderedIn_; }

    bool slideBack() const { return slideBack_; }
    pf::Rect sourceRect() const { return sourceRect_; }
    pf::Point startPoint() const { return startPoint_; }
    pf::Size offset() const { return offset_; }
    pf::Size insideImageSize() const { return insideImageSize_; }
    pf::Size outsideImageSize() const { return outsideImageSize_; }
    QImage insideImage() const;
    QImage outsideImage() const;

    // Where the pointer is (the cursor's position); tests give their own.
    void setPointerLocation(std::function<pf::Point()> location) { pointerLocation_ = std::move(location); }

private:
    void centerWindowOverPoint(pf::Point p, pf::Size offset, bool animate);
    void setWindowFrame(const pf::Rect& frame);
    void setAlpha(double alpha);
    void orderFront();
    void orderOut();
    void orderOutAndCleanUp();
    pf::Rect centredFrame(pf::Size size) const;

    std::unique_ptr<QWidget> window_;
    ZOVDragEffectImageView* viewA_ = nullptr;
    ZOVDragEffectImageView* viewB_ = nullptr;
    std::function<pf::Point()> pointerLocation_;

    bool slideBack_ = false;
    pf::Rect sourceRect_;
    pf::Point startPoint_;
    pf::Size offset_;
    pf::Size insideImageSize_;
    pf::Size outsideImageSize_;
    pf::Rect frame_{0, 0, 64, 64};
    double alpha_ = 0;
    bool orderedIn_ = false;
    ZOVDragEffectImageView* shown_ = nullptr;

    pf::Animation fade_;
    pf::Animation move_;
    pf::Animation swap_;
};
