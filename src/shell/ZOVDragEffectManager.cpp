#include "shell/ZOVDragEffectManager.h"

#include "platform/kit/Poof.h"

#include <QCursor>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {

constexpr std::chrono::milliseconds fadeInDuration(125);
constexpr std::chrono::milliseconds swapDuration(200);
constexpr std::chrono::milliseconds slideBackDuration(150);
constexpr std::chrono::milliseconds fadeOutDuration(250);

pf::Size pointSize(const QImage& image)
{
    return image.isNull() ? pf::Size() : pf::Size::fromQt(QSizeF(image.size()) / image.devicePixelRatio());
}

} // namespace

// One picture in the window: scaled to fill its frame (the inside image, axes independently) or scaled
// down to fit, keeping its proportions, centred (the outside image).
class ZOVDragEffectImageView : public QWidget {
public:
    ZOVDragEffectImageView(QWidget* parent, bool fills) : QWidget(parent), fills_(fills)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    const QImage& image() const { return image_; }
    void setImage(const QImage& image)
    {
        image_ = image;
        update();
    }
    pf::Rect frame() const { return frame_; }
    void setFrame(const pf::Rect& frame)
    {
        frame_ = frame;
        setGeometry(frame.toQt().toAlignedRect());
    }
    bool isInContent() const { return inContent_; }
    void setInContent(bool in)
    {
        inContent_ = in;
        setVisible(in);
    }
    void setOpacity(double opacity)
    {
        opacity_ = opacity;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (image_.isNull())
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setOpacity(opacity_);
        const QRectF bounds(QPointF(0, 0), QSizeF(size()));
        if (fills_) {
            painter.drawImage(bounds, image_);
            return;
        }
        QSizeF picture = QSizeF(image_.size()) / image_.devicePixelRatio();
        if (picture.width() > bounds.width() || picture.height() > bounds.height())
            picture.scale(bounds.size(), Qt::KeepAspectRatio);
        painter.drawImage(QRectF(QPointF((bounds.width() - picture.width()) / 2, (bounds.height() - picture.height()) / 2),
                                 picture),
                          image_);
    }

private:
    QImage image_;
    pf::Rect frame_;
    bool inContent_ = false;
    bool fills_;
    double opacity_ = 1;
};

ZOVDragEffectManager& ZOVDragEffectManager::sharedDragEffectManager()
{
    static ZOVDragEffectManager* shared = new ZOVDragEffectManager;
    return *shared;
}

ZOVDragEffectManager::ZOVDragEffectManager()
    : window_(std::make_unique<QWidget>(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                                                     | Qt::NoDropShadowWindowHint | Qt::WindowDoesNotAcceptFocus
                                                     | Qt::WindowTransparentForInput)),
      pointerLocation_([] { return pf::Point::fromQt(QCursor::pos()); })
{
    window_->setObjectName(QStringLiteral("ZOVDragEffectWindow"));
    window_->setAttribute(Qt::WA_TranslucentBackground);
    window_->setAttribute(Qt::WA_TransparentForMouseEvents);
    window_->setAttribute(Qt::WA_ShowWithoutActivating);
    window_->setAttribute(Qt::WA_NoSystemBackground);
    window_->setGeometry(frame_.toQt().toAlignedRect());
    viewA_ = new ZOVDragEffectImageView(window_.get(), true);
    viewB_ = new ZOVDragEffectImageView(window_.get(), false);
    const pf::Rect content(pf::Point(), frame_.size);
    viewA_->setFrame(content);
    viewB_->setFrame(content);
    viewA_->setInContent(false);
    viewB_->setInContent(false);
}

ZOVDragEffectManager::~ZOVDragEffectManager()
{
    fade_.stop();
    move_.stop();
    swap_.stop();
}

bool ZOVDragEffectManager::showsWindow()
{
    return pf::canShowTranslucentWindows();
}

QWidget* ZOVDragEffectManager::imageViewA() const
{
    return viewA_;
}

QWidget* ZOVDragEffectManager::imageViewB() const
{
    return viewB_;
}

bool ZOVDragEffectManager::isInContent(const QWidget* view) const
{
    return (view == viewA_ && viewA_->isInContent()) || (view == viewB_ && viewB_->isInContent());
}

QImage ZOVDragEffectManager::insideImage() const
{
    return viewA_->image();
}

QImage ZOVDragEffectManager::outsideImage() const
{
    return viewB_->image();
}

pf::Rect ZOVDragEffectManager::centredFrame(pf::Size size) const
{
    return pf::Rect((frame_.width() - size.width) / 2, (frame_.height() - size.height) / 2, size.width, size.height)
        .integral();
}

void ZOVDragEffectManager::setWindowFrame(const pf::Rect& frame)
{
    frame_ = frame;
    window_->setGeometry(frame.toQt().toAlignedRect());
}

void ZOVDragEffectManager::setAlpha(double alpha)
{
    alpha_ = alpha;
    window_->setWindowOpacity(alpha);
}

void ZOVDragEffectManager::orderFront()
{
    orderedIn_ = true;
    if (showsWindow()) {
        window_->show();
        window_->raise();
    }
}

void ZOVDragEffectManager::orderOut()
{
    orderedIn_ = false;
    window_->hide();
}

void ZOVDragEffectManager::startDragShow(const pf::Rect& sourceScreenRect, pf::Point startPoint, pf::Size offset,
                                         const QImage& insideImage, const QImage& outsideImage, bool slideBack)
{
    // A show that begins while the last one still fades takes the window over.
    fade_.stop();
    move_.stop();
    swap_.stop();
    sourceRect_ = sourceScreenRect;
    startPoint_ = startPoint;
    offset_ = offset;
    slideBack_ = slideBack;
    insideImageSize_ = pointSize(insideImage);
    outsideImageSize_ = pointSize(outsideImage);

    setWindowFrame(pf::Rect(frame_.origin, pf::Size(std::max(insideImageSize_.width, outsideImageSize_.width),
                                                    std::max(insideImageSize_.height, outsideImageSize_.height))));
    viewA_->setFrame(centredFrame(insideImageSize_));
    viewB_->setFrame(pf::Rect(pf::Point(), outsideImageSize_).integral());
    viewB_->setInContent(false);
    viewA_->setInContent(true);
    viewA_->setOpacity(1);
    viewB_->setOpacity(1);
    viewA_->setImage(insideImage);
    viewB_->setImage(outsideImage);
    shown_ = viewA_;

    centerWindowOverPoint(startPoint_, offset_, false);
    setAlpha(0);
    orderFront();
    fade_.start(fadeInDuration, [this](double t) { setAlpha(t); });
}

void ZOVDragEffectManager::updatePosition()
{
    const pf::Point p = pointerLocation_();
    centerWindowOverPoint(p, offset_, false);
    const bool inside = sourceRect_.contains(p);
    ZOVDragEffectImageView* wanted = inside ? viewA_ : viewB_;
    ZOVDragEffectImageView* other = inside ? viewB_ : viewA_;
    if (shown_ == wanted)
        return;
    shown_ = wanted;
    // The wanted picture grows out of the other's place while the other fades away.
    swap_.stop();
    const pf::Rect from = other->frame();
    const pf::Rect to = centredFrame(wanted == viewA_ ? insideImageSize_ : outsideImageSize_);
    wanted->setFrame(from);
    wanted->setOpacity(0);
    wanted->setInContent(true);
    wanted->raise();
    swap_.start(
        swapDuration,
        [wanted, other, from, to](double t) {
            wanted->setFrame(pf::Animation::mix(from, to, t));
            wanted->setOpacity(t);
            other->setOpacity(1 - t);
        },
        [wanted, other, to](bool finished) {
            // Stopped by another swap or a new show, which set the views themselves.
            if (!finished)
                return;
            wanted->setFrame(to);
            other->setInContent(false);
            other->setOpacity(1);
        });
}

void ZOVDragEffectManager::centerWindowOverPoint(pf::Point p, pf::Size offset, bool animate)
{
    const pf::Rect target(p.x + offset.width - frame_.width() / 2, p.y + offset.height - frame_.height() / 2,
                          frame_.width(), frame_.height());
    if (!animate) {
        move_.stop();
        setWindowFrame(target);
        return;
    }
    const pf::Rect from = frame_;
    move_.start(slideBackDuration, [this, from, target](double t) { setWindowFrame(pf::Animation::mix(from, target, t)); });
}

void ZOVDragEffectManager::endDragShowWithResult(pf::DragOperation result, bool animated)
{
    if (result == pf::DragOp::None && slideBack_)
        centerWindowOverPoint(startPoint_, offset_, true);
    if (animated) {
        const double from = alpha_;
        fade_.start(fadeOutDuration, [this, from](double t) { setAlpha(from * (1 - t)); },
                    [this](bool finished) { animationDidStop(finished); });
        return;
    }
    fade_.stop();
    setAlpha(0);
    // Invisible is not enough: put away at once, so that nothing is left where the drag ended.
    orderOut();
}

void ZOVDragEffectManager::animationDidStop(bool finished)
{
    if (finished && alpha_ == 0)
        orderOutAndCleanUp();
}

void ZOVDragEffectManager::orderOutAndCleanUp()
{
    move_.stop();
    swap_.stop();
    orderOut();
    slideBack_ = false;
    sourceRect_ = pf::Rect();
    offset_ = pf::Size();
    startPoint_ = pf::Point();
    insideImageSize_ = pf::Size();
    outsideImageSize_ = pf::Size();
    viewA_->setImage(QImage());
    viewB_->setImage(QImage());
}
