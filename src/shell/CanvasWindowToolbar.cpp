#include "shell/CanvasWindowToolbar.h"

#include "geometry/QVImageAdditions.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/Path.h"
#include "platform/kit/Responder.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QContextMenuEvent>
#include <QEvent>
#include <QIcon>
#include <QMenu>
#include <QPixmap>

#include <numbers>
#include <optional>
#include <typeinfo>

namespace {

QIcon iconOf(const pf::Image& image)
{
    QIcon icon;
    if (!image.isValid())
        return icon;
    for (const double scale : {1.0, 2.0}) {
        QPixmap pixmap = QPixmap::fromImage(image.rendered(scale));
        pixmap.setDevicePixelRatio(scale);
        icon.addPixmap(pixmap);
    }
    return icon;
}

// ---- padlock drawing ----

const pf::Color bodyFill(0.93, 0.73, 0.07);
const pf::Color bodyStroke(0.4, 0.4, 0.4);
const pf::Color shackleGrey(0.5, 0.5, 0.5);
const pf::Color shadeGrey(0.2, 0.2, 0.2);
const pf::Color faceFill(0.93, 0.54, 0.07);
const pf::Color stripeColor(0.87, 0.41, 0.1);

// A quarter of an arch from `from` to `to`, one of them the apex: leaves the foot upright and meets the apex
// level.
void archCurve(pf::Path& path, pf::Point from, pf::Point to)
{
    const bool rising = to.y < from.y;
    const pf::Point foot = rising ? from : to;
    const pf::Point apex = rising ? to : from;
    const pf::Point nearFoot(foot.x, apex.y + (foot.y - apex.y) * 0.45);
    const pf::Point nearApex(apex.x + (foot.x - apex.x) * 0.55, apex.y);
    if (rising)
        path.curveTo(nearFoot, nearApex, to);
    else
        path.curveTo(nearApex, nearFoot, to);
}

// The small downward bulge that closes a foot of the shackle.
void footCurve(pf::Path& path, pf::Point to, double controlY)
{
    const pf::Point from = path.currentPoint();
    path.curveTo({from.x + (to.x - from.x) / 3, controlY}, {from.x + 2 * (to.x - from.x) / 3, controlY}, to);
}

struct Arch {
    pf::Point outerStart, outerApex, outerEnd, innerStart, innerApex, innerEnd;
};

// Outer edge, a closing foot when feetY is given (else a straight edge), the inner edge back, and the
// start closed the same way.
pf::Path archPath(const Arch& a, std::optional<double> feetY, bool closeStartWithFoot)
{
    pf::Path path;
    path.moveTo(a.outerStart);
    archCurve(path, a.outerStart, a.outerApex);
    archCurve(path, a.outerApex, a.outerEnd);
    if (feetY)
        footCurve(path, a.innerStart, *feetY);
    else
        path.lineTo(a.innerStart);
    archCurve(path, a.innerStart, a.innerApex);
    archCurve(path, a.innerApex, a.innerEnd);
    if (feetY && closeStartWithFoot)
        footCurve(path, a.outerStart, *feetY);
    path.close();
    return path;
}

void fill(pf::GraphicsContext& c, const pf::Path& path, const pf::Color& color)
{
    c.setFillColor(color);
    c.fillPath(path);
}

struct LockBody {
    pf::Rect body;
    double bodyRadius;
    pf::Rect face;
    double faceRadiusX, faceRadiusY;
    double stripeFrom, stripeTo;
    std::vector<double> stripes;
};

const LockBody largeBody{pf::Rect(4.5, 13.5, 23, 15), 2.3, pf::Rect(5, 17, 22, 11), 1.22, 1.1, 8, 24,
                         {19.5, 21.5, 23.5, 25.5}};
const LockBody smallBody{pf::Rect(2.5, 7.5, 19, 14), 1.9, pf::Rect(3, 11, 18, 10), 1, 1, 5.5, 18.5, {14.5, 17.5}};

void drawBody(pf::GraphicsContext& c, const LockBody& b)
{
    c.setLineCap(pf::LineCap::Round);
    c.setLineJoin(pf::LineJoin::Round);
    const pf::Path body = pf::Path::roundedRect(b.body, b.bodyRadius, b.bodyRadius);
    fill(c, body, bodyFill);
    c.setStrokeColor(bodyStroke);
    c.setLineWidth(1);
    c.strokePath(body);
}

void drawFaceAndStripes(pf::GraphicsContext& c, const LockBody& b)
{
    fill(c, pf::Path::roundedRect(b.face, b.faceRadiusX, b.faceRadiusY), faceFill);
    const pf::SavedGState saved(c);
    c.setStrokeColor(stripeColor);
    c.setLineWidth(1);
    c.setLineCap(pf::LineCap::Butt);
    c.setLineJoin(pf::LineJoin::Miter);
    pf::Path stripes;
    for (const double y : b.stripes) {
        stripes.moveTo({b.stripeFrom, y});
        stripes.lineTo({b.stripeTo, y});
    }
    c.strokePath(stripes);
}

pf::Image flippedImage(double side, void (*draw)(pf::GraphicsContext&))
{
    return pf::Image::withDrawingHandler(pf::Size(side, side), [draw](pf::GraphicsContext& c, const pf::Rect&) {
        const pf::SavedGState saved(c);
        draw(c);
        return true;
    });
}

// ---- delete drawing ----

pf::Path halfDisc(double chordX, double bulgeX)
{
    const double toward = bulgeX - chordX;
    pf::Path path;
    path.moveTo({chordX, 7});
    path.lineTo({chordX, 25});
    path.curveTo({chordX + toward * 0.55, 25}, {bulgeX, 23.1}, {bulgeX, 16});
    path.curveTo({bulgeX, 8.9}, {chordX + toward * 0.55, 7}, {chordX, 7});
    path.close();
    return path;
}

const pf::Path& deleteHalfDiscs()
{
    static const pf::Path discs = [] {
        pf::Path both = halfDisc(14.5, 7);
        both.append(halfDisc(17.5, 25));
        return both;
    }();
    return discs;
}

const pf::Path& deleteDisc()
{
    static const pf::Path disc = [] {
        pf::Path path;
        path.moveTo({24.5, 7.5});
        path.curveTo({29.2, 12.2}, {29.2, 19.8}, {24.5, 24.5});
        path.curveTo({19.8, 29.2}, {12.2, 29.2}, {7.5, 24.5});
        path.curveTo({2.8, 19.8}, {2.8, 12.2}, {7.5, 7.5});
        path.curveTo({12.2, 2.8}, {19.8, 2.8}, {24.5, 7.5});
        path.close();
        return path;
    }();
    return disc;
}

const pf::Path& deleteClip()
{
    static const pf::Path clip = [] {
        pf::Path path = pf::Path::rect(pf::Rect(-32767, -32767, 65535, 65535));
        path.append(deleteHalfDiscs());
        path.setWindingRule(pf::WindingRule::EvenOdd);
        return path;
    }();
    return clip;
}

} // namespace

// ---- ToolbarItem ----

ToolbarItem::ToolbarItem(const QString& identifier, std::int64_t tag, const QString& label, const QString& action)
    : identifier_(identifier), tag_(tag), label_(label), action_(action), qAction_(new QAction(label))
{
    qAction_->setObjectName(identifier);
    qAction_->setToolTip(label);
    QObject::connect(qAction_, &QAction::triggered, qAction_, [this] { perform(); });
}

ToolbarItem::~ToolbarItem() { delete qAction_; }

void ToolbarItem::setEnabled(bool enabled) { qAction_->setEnabled(enabled); }

bool ToolbarItem::isEnabled() const { return qAction_->isEnabled(); }

void ToolbarItem::setLabel(const QString& label)
{
    label_ = label;
    qAction_->setText(label);
    qAction_->setToolTip(label);
}

void ToolbarItem::setImage(const pf::Image& image)
{
    image_ = image;
    qAction_->setIcon(iconOf(image));
}

void ToolbarItem::perform() const
{
    if (!action_.isEmpty())
        pf::sendAction(action_);
    if (toolbar_)
        toolbar_->setNeedsValidation();
}

// ---- ImageToolbarItem ----

ImageToolbarItem::ImageToolbarItem(const QString& identifier, std::int64_t tag, const QString& label,
                                   const QString& action)
    : ToolbarItem(identifier, tag, label, action)
{
    calls_.performAfterDelay([this] { myUpdate(); }, pf::Nanoseconds(0), QStringLiteral("myUpdate"));
}

void ImageToolbarItem::awakeFromNib() { myUpdate(); }

void ImageToolbarItem::myUpdate() { setImage(myImage()); }

QString ImageToolbarItem::imageName() const
{
    const int side = toolbar() && toolbar()->sizeMode() == 2 ? 24 : 32;
    return QStringLiteral("%1%2x%2").arg(itemIdentifier()).arg(side);
}

pf::Image ImageToolbarItem::myImage() const
{
    // A picture that is missing shows none.
    return imageNamedInBundleForClass(imageName(), QStringLiteral("ImageToolbarItem"));
}

// ---- LockToolbarItem ----

LockToolbarItem::LockToolbarItem(const QString& identifier, std::int64_t tag)
    : ImageToolbarItem(identifier, tag, QObject::tr("Lock"), QStringLiteral("lock:"))
{
}

void LockToolbarItem::myUpdate()
{
    ImageToolbarItem::myUpdate();
    setLabel(showsUnlock_ ? QObject::tr("Unlock") : QObject::tr("Lock"));
    setAction(showsUnlock_ ? QStringLiteral("unlock:") : QStringLiteral("lock:"));
}

pf::Image LockToolbarItem::myImage() const
{
    switch (sizeMode_) {
    case 0:
    case 1:
        return showsUnlock_ ? largeUnlockIconImage() : largeLockIconImage();
    case 2:
        return showsUnlock_ ? smallUnlockIconImage() : smallLockIconImage();
    default:
        return {};
    }
}

const pf::Image& LockToolbarItem::largeLockIconImage()
{
    static const pf::Image image = flippedImage(32, drawLargeLockIcon);
    return image;
}

const pf::Image& LockToolbarItem::largeUnlockIconImage()
{
    static const pf::Image image = flippedImage(32, drawLargeUnlockIcon);
    return image;
}

const pf::Image& LockToolbarItem::smallLockIconImage()
{
    static const pf::Image image = flippedImage(24, drawSmallLockIcon);
    return image;
}

const pf::Image& LockToolbarItem::smallUnlockIconImage()
{
    static const pf::Image image = flippedImage(24, drawSmallUnlockIcon);
    return image;
}

void LockToolbarItem::drawLargeLockIcon(pf::GraphicsContext& c)
{
    drawBody(c, largeBody);
    fill(c, archPath({{7, 15.5}, {16, 4}, {25, 15.5}, {21, 15.5}, {16, 8}, {11, 15.5}}, 16.5, true), shackleGrey);
    fill(c, archPath({{9, 16}, {16, 6}, {23, 16}, {21, 15.5}, {16, 8}, {11, 15.5}}, std::nullopt, false), shadeGrey);
    drawFaceAndStripes(c, largeBody);
}

void LockToolbarItem::drawLargeUnlockIcon(pf::GraphicsContext& c)
{
    fill(c, archPath({{8, 9.5}, {16, 4}, {24.99, 15.27}, {21, 15.27}, {16, 7.92}, {12, 10}}, 16.5, false),
         shackleGrey);
    fill(c, archPath({{10, 10.5}, {16, 6}, {22.95, 15.98}, {20.95, 15.48}, {16, 8}, {12, 10}}, std::nullopt, false),
         shadeGrey);
    drawBody(c, largeBody);
    // The right leg again, in front of the body.
    pf::Path leg;
    leg.moveTo({16, 4});
    archCurve(leg, {16, 4}, {25, 15.5});
    footCurve(leg, {21, 15.5}, 16.5);
    archCurve(leg, {21, 15.5}, {16, 8});
    leg.close();
    fill(c, leg, shackleGrey);
    pf::Path legShade;
    legShade.moveTo({16, 6});
    archCurve(legShade, {16, 6}, {23, 16});
    legShade.lineTo({21, 15.5});
    archCurve(legShade, {21, 15.5}, {16, 8});
    legShade.close();
    fill(c, legShade, shadeGrey);
    drawFaceAndStripes(c, largeBody);
}

void LockToolbarItem::drawSmallLockIcon(pf::GraphicsContext& c)
{
    drawBody(c, smallBody);
    fill(c, archPath({{5, 10}, {12, 1}, {19, 10}, {16, 10}, {12, 4}, {8, 10}}, 11, true), shackleGrey);
    fill(c, archPath({{6.5, 10.5}, {12, 2.5}, {17.5, 10.5}, {16, 10}, {12, 4}, {8, 10}}, std::nullopt, false),
         shadeGrey);
    drawFaceAndStripes(c, smallBody);
}

void LockToolbarItem::drawSmallUnlockIcon(pf::GraphicsContext& c)
{
    drawBody(c, smallBody);
    fill(c, archPath({{7, 4}, {12, 1}, {19, 10}, {16, 10}, {12, 4}, {9.5, 5}}, 11, false), shackleGrey);
    fill(c, archPath({{8, 5}, {12, 2.5}, {17.5, 10.5}, {16, 10}, {12, 4}, {9.5, 5}}, std::nullopt, false), shadeGrey);
    drawFaceAndStripes(c, smallBody);
}

// ---- DeleteToolbarItem ----

DeleteToolbarItem::DeleteToolbarItem(const QString& identifier, std::int64_t tag, const QString& label,
                                     const QString& action)
    : ToolbarItem(identifier, tag, label, action)
{
}

void DeleteToolbarItem::awakeFromNib() { setImage(deleteIconImage()); }

const pf::Image& DeleteToolbarItem::deleteIconImage()
{
    static const pf::Image image = flippedImage(32, drawDeleteIcon);
    return image;
}

void DeleteToolbarItem::drawDeleteIcon(pf::GraphicsContext& c)
{
    const pf::Color darkRed(0.8, 0, 0);
    const pf::SavedGState saved(c);
    c.translate(16, 16);
    c.rotate(-std::numbers::pi / 4);
    c.translate(-16, -16);
    c.translate(0, 0.5);
    c.setStrokeColor(darkRed);
    c.setLineWidth(1);
    c.strokePath(deleteHalfDiscs());
    c.clip(deleteClip(), pf::WindingRule::EvenOdd);
    c.beginTransparencyLayer();
    {
        const pf::SavedGState inDisc(c);
        c.clip(deleteDisc());
        const pf::Gradient gradient({{pf::Color(1, 0, 0), 0}, {pf::Color(1, 0.9, 0.9), 1}});
        c.drawLinearGradient(gradient, {5.05, 19.19}, {18.95, 4.81}, pf::DrawsBeforeStart | pf::DrawsAfterEnd);
    }
    c.endTransparencyLayer();
    c.setStrokeColor(darkRed);
    c.strokePath(deleteDisc());
}

// ---- CanvasWindowToolbar ----

CanvasWindowToolbar::CanvasWindowToolbar(QWidget* parent) : QToolBar(parent), sizeMenu_(new QMenu(this))
{
    setObjectName(QStringLiteral("CanvasWindowToolbar"));
    setMovable(false);
    setFloatable(false);
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    auto* sizes = new QActionGroup(sizeMenu_);
    const std::pair<QString, int> choices[] = {{tr("Regular Size"), 1}, {tr("Small Size"), 2}};
    for (const auto& [title, mode] : choices) {
        QAction* choice = sizeMenu_->addAction(title);
        choice->setCheckable(true);
        choice->setData(mode);
        sizes->addAction(choice);
        connect(choice, &QAction::triggered, this, [this, mode] { setSizeMode(mode); });
    }
    const std::int64_t stored = pf::UserDefaultsStore::standard().integerForKey(QString::fromLatin1(SizeModeKey));
    sizeMode_ = stored == 1 || stored == 2 ? int(stored) : 0;
    applyIconSize();
    if (qApp)
        qApp->installEventFilter(this);
}

CanvasWindowToolbar::~CanvasWindowToolbar()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

void CanvasWindowToolbar::applyIconSize()
{
    const int side = sizeMode_ == 2 ? 24 : 32;
    setIconSize(QSize(side, side));
    for (QAction* choice : sizeMenu_->actions())
        choice->setChecked(choice->data().toInt() == (sizeMode_ == 2 ? 2 : 1));
}

ToolbarItem& CanvasWindowToolbar::addItem(std::unique_ptr<ToolbarItem> item)
{
    item->toolbar_ = this;
    addAction(item->qAction());
    items_.push_back(std::move(item));
    items_.back()->awakeFromNib();
    setNeedsValidation();
    return *items_.back();
}

ToolbarItem* CanvasWindowToolbar::itemWithIdentifier(const QString& identifier) const
{
    for (const auto& item : items_)
        if (item->itemIdentifier() == identifier)
            return item.get();
    return nullptr;
}

void CanvasWindowToolbar::setSizeMode(int mode)
{
    sizeMode_ = mode;
    applyIconSize();
    pf::UserDefaultsStore::standard().setIntegerForKey(mode, QString::fromLatin1(SizeModeKey));
    // Only the plain items: the lock item takes its size at the next validation.
    for (const auto& item : items_)
        if (typeid(*item) == typeid(ImageToolbarItem))
            static_cast<ImageToolbarItem&>(*item).myUpdate();
    setNeedsValidation();
}

void CanvasWindowToolbar::validateVisibleItems()
{
    if (!validator_)
        return;
    for (const auto& item : items_)
        if (item->qAction()->isVisible())
            item->setEnabled(validator_(*item));
}

void CanvasWindowToolbar::setNeedsValidation()
{
    calls_.cancelPreviousPerformRequests(QStringLiteral("validate"));
    calls_.performAfterDelay([this] { validateVisibleItems(); }, pf::Nanoseconds(0), QStringLiteral("validate"));
}

bool CanvasWindowToolbar::eventFilter(QObject* watched, QEvent* event)
{
    // A turn with user input may change the selection, the page or the tool.
    switch (event->type()) {
    case QEvent::MouseButtonRelease:
    case QEvent::KeyRelease:
    case QEvent::Drop:
    case QEvent::WindowActivate:
        setNeedsValidation();
        break;
    default:
        break;
    }
    return QToolBar::eventFilter(watched, event);
}

void CanvasWindowToolbar::contextMenuEvent(QContextMenuEvent* event)
{
    sizeMenu_->popup(event->globalPos());
    event->accept();
}

std::unique_ptr<CanvasWindowToolbar> CanvasWindowToolbar::makeDefault()
{
    auto toolbar = std::make_unique<CanvasWindowToolbar>();
    const auto plain = [&](const char* identifier, std::int64_t tag, const QString& label, const char* action) {
        toolbar->addItem(std::make_unique<ImageToolbarItem>(QString::fromLatin1(identifier), tag, label,
                                                            QString::fromLatin1(action)));
    };
    toolbar->addItem(std::make_unique<DeleteToolbarItem>(QStringLiteral("Delete"), 147, tr("Delete"),
                                                         QStringLiteral("remove:")));
    plain("Duplicate", 547, tr("Duplicate"), "duplicate:");
    toolbar->addSeparator();
    plain("Group", 647, tr("Group"), "group:");
    plain("Ungroup", 747, tr("Ungroup"), "ungroup:");
    toolbar->addItem(std::make_unique<LockToolbarItem>(QStringLiteral("Lock"), validationTag::Lock));
    toolbar->addSeparator();
    plain("BringToFront", 847, tr("Front"), "bringToFront:");
    plain("SendToBack", 947, tr("Back"), "sendToBack:");
    toolbar->addSeparator();
    plain("AlignLeft", 1047, tr("Left"), "alignShapesLeft:");
    plain("AlignCenterVertical", 1147, tr("Centre"), "alignShapesCenterVertical:");
    plain("AlignRight", 1247, tr("Right"), "alignShapesRight:");
    plain("AlignTop", 1347, tr("Top"), "alignShapesTop:");
    plain("AlignCenterHorizontal", 1447, tr("Middle"), "alignShapesCenterHorizontal:");
    plain("AlignBottom", 1547, tr("Bottom"), "alignShapesBottom:");
    toolbar->addSeparator();
    plain("Union", 1647, tr("Union"), "union:");
    plain("Intersection", 1747, tr("Intersect"), "intersection:");
    plain("Difference", 1847, tr("Subtract"), "difference:");
    plain("Exclusion", 1947, tr("Exclude"), "exclusion:");
    toolbar->addSeparator();
    plain("Share", 0, tr("Share"), "shareOptions:");
    return toolbar;
}
