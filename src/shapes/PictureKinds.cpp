#include "shapes/PictureKinds.h"

#include "geometry/QVColor.h"
#include "platform/filters/ImageFilter.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/ThreadDictionary.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/PainterContext.h"
#include "platform/text/StringDrawing.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

using outline::Catalogue;
using outline::CatalogueClass;

namespace {

QStringList facetList(std::initializer_list<const char*> names)
{
    QStringList list;
    for (const char* name : names)
        list << QString::fromLatin1(name);
    return list;
}

// ---- class objects ----

class ImageClass : public CatalogueClass<> {
public:
    using CatalogueClass<>::CatalogueClass;
    QString iconImageName() const override { return QStringLiteral("lib_image32x32"); }
    pf::Size defaultSize() const override { return {64, 64}; }
    const QStringList& facetClassNames() const override
    {
        static const QStringList names = facetList({"OpacityFacet", "FilterFacet", "GeometryFacet", "ImageImageFacet",
                                                    "FillFacet", "StrokeFacet", "TextFacet"});
        return names;
    }
    // Each picture kind keeps a style of its own.
    QString stickyPhylumName() const override { return stickyTypeName(); }
};

class LoupeClass : public CatalogueClass<> {
public:
    using CatalogueClass<>::CatalogueClass;
    pf::Size defaultSize() const override { return {100, 70}; }
    double libraryListItemShapeStrokeLineWidth() const override { return 2.0; }
    const QStringList& facetClassNames() const override
    {
        static const QStringList names = facetList({"OpacityFacet", "FilterFacet", "LoupeGeometryFacet", "LoupeFacet",
                                                    "FillFacet", "StrokeFacet", "TextFacet"});
        return names;
    }
    QString stickyPhylumName() const override { return stickyTypeName(); }
    // A magnifying glass tilted by 45 degrees: a round lens, a small wedge and a rounded handle.
    pf::Image iconImage() const override
    {
        static const pf::Image icon = pf::Image::drawn({32, 32}, 2.0, [this](pf::GraphicsContext& c) {
            const pf::Color colour = libraryListItemShapeStrokeColor();
            c.translate(16, 16);
            c.rotate(-M_PI / 4);
            c.translate(-16, -16);
            c.setLineWidth(libraryListItemShapeStrokeLineWidth());
            c.setColor(colour);
            pf::Path lens;
            lens.appendOval(pf::Rect(9, 2, 14, 14));
            lens.close();
            c.strokePath(lens);
            pf::Path wedge;
            wedge.moveTo({14, 16.5});
            wedge.lineTo({18, 16.5});
            wedge.lineTo({17, 20});
            wedge.lineTo({15, 20});
            wedge.close();
            c.fillPath(wedge);
            const pf::Path handle = pf::Path::roundedRect(pf::Rect(14, 20, 4, 10), 2, 2);
            c.fillPath(handle);
            c.strokePath(handle);
        });
        return icon;
    }
};

class RedactClass : public LoupeClass {
public:
    using LoupeClass::LoupeClass;
    QString iconImageName() const override { return QStringLiteral("lib_redact32x32"); }
    pf::Image iconImage() const override { return {}; }
    const QStringList& facetClassNames() const override
    {
        static const QStringList names =
            facetList({"OpacityFacet", "LoupeGeometryFacet", "RedactFacet", "FillFacet", "StrokeFacet"});
        return names;
    }
};

// The stored document format version while a document is read; none for current data.
std::optional<std::int64_t> readingVersion()
{
    return pf::threadDictionary::value(QString::fromLatin1(pf::TlsVersionKey)).get<std::int64_t>();
}

} // namespace

void registerPictureShapes(pf::ClassRegistry& registry)
{
    registry.add(Image::staticClass());
    registry.add(Loupe::staticClass());
    registry.add(Redact::staticClass());
}

// ======================= Image =======================

const ShapeClass& Image::staticClass()
{
    static const ImageClass c(QStringLiteral("Image"), &Shape::staticClass(), &Shape::allocate<Image>,
                              Catalogue{"Image (I)", "Image", "A graphic Image.", "graphics images pictures pics"});
    return c;
}

void Image::initWithFrame(const pf::Rect& frame)
{
    Shape::initWithFrame(frame);
    setFillType(5);
    setStrokeType(3);
    setFillShadowHidden(true);
    setStrokeShadowHidden(true);
}

void Image::appendPath(pf::Path& path) const
{
    path.appendRect(frame());
}

const pf::AttributedString& Image::placeholderText()
{
    static const pf::AttributedString text = [] {
        pf::ParagraphStyle paragraph;
        paragraph.alignment = pf::TextAlignment::Center;
        paragraph.lineHeightMultiple = 1.0;
        pf::TextAttributes attributes;
        attributes.font = pf::Font(QStringLiteral("Times"), 14);
        attributes.foregroundColor = pf::Color::white();
        attributes.paragraphStyle = paragraph;
        return pf::AttributedString(QStringLiteral("?"), attributes);
    }();
    return text;
}

void Image::drawImageInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty)
{
    if (isHidden())
        return;
    if (!isMissingImage()) {
        Shape::drawImageInContextDirtyRect(context, dirty);
        return;
    }
    static const pf::Gradient gradient(QVHexaColor(0x2E7DBCCC), QVHexColor(0x2E7EBC));
    pf::SavedGState saved(context);
    context.setColor(pf::Color::white());
    rotateInContext(context);
    const pf::Rect r = QVRectRoundPlusHalf(QVSquareAroundPoint(center(), 24));
    context.fillRect(r);
    context.drawLinearGradientInRect(gradient, r, 90);
    context.setLineWidth(1.0);
    context.strokeRect(r.insetBy(0.5, 0.5));
    context.strokeRect(r.insetBy(2.5, 2.5));
}

void Image::drawTextInContext(pf::GraphicsContext& context)
{
    if (!isMissingImage()) {
        Shape::drawTextInContext(context);
        return;
    }
    const pf::AttributedString& text = placeholderText();
    const pf::Rect area = textRect();
    const pf::Rect used = pf::boundingRectWithSize(text, area.size, pf::UsesLineFragmentOrigin);
    rotateInContext(context);
    pf::drawAttributedString(context, text,
                             pf::Rect(area.x(), area.midY() - used.height() / 2, area.width(), used.height()),
                             pf::UsesLineFragmentOrigin);
}

// ======================= Loupe =======================

const pf::PropertyTable& Loupe::properties()
{
    static const pf::PropertyTable table = [] {
        pf::PropertyTable t(&Ellipse::properties());
        t.add("zoomTargetPoint", &Loupe::zoomTargetPoint, &Loupe::setZoomTargetPoint);
        t.add("zoomTargetScale", &Loupe::zoomTargetScale, &Loupe::setZoomTargetScale);
        return t;
    }();
    return table;
}

const ShapeClass& Loupe::staticClass()
{
    static const LoupeClass c(QStringLiteral("Loupe"), &Ellipse::staticClass(), &Shape::allocate<Loupe>,
                              Catalogue{"Loupe (M)", "Loupe", "A Loupe.",
                                        "mangify magnifier magnifyingglass glass zoomer zooming", "LoupeManipulator"});
    return c;
}

void Loupe::initWithFrame(const pf::Rect& frame)
{
    zoomTargetPoint_ = QVRectGetMidMidPoint(frame);
    zoomTargetScale_ = 15.0;
    Ellipse::initWithFrame(frame);
    setScaleImage(false);
}

double Loupe::zoomTargetScale() const { return zoomTargetScale_; }

void Loupe::setZoomTargetScale(double scale)
{
    // Stored data and the inspector can send 0, negative or non-finite scales: the picture would be
    // empty or infinite.
    if (!(std::isfinite(scale) && scale > 0)) {
        qWarning("Loupe: refused the zoom scale %g", scale);
        return;
    }
    static const PropertyChange change{"zoomTargetScale", "Zoom", nullptr, ContentImage | Redisplay};
    // The picture was made for the old scale: it is made again on the next draw.
    setProperty(zoomTargetScale_, scale, &Loupe::setZoomTargetScale, change, [this] { setImage(pf::Image()); });
}

void Loupe::setZoomTargetPoint(const pf::Point& point)
{
    static const PropertyChange change{"zoomTargetPoint", "Zoom Location", nullptr, Dirty | ContentImage | Redisplay};
    setProperty(zoomTargetPoint_, point, &Loupe::setZoomTargetPoint, change, [this] { setImage(pf::Image()); });
}

void Loupe::setFrame(const pf::Rect& frame)
{
    Ellipse::setFrame(frame);
    setImage(pf::Image());
}

void Loupe::beginDrag()
{
    Ellipse::beginDrag();
    dragStartZoomTargetPoint_ = zoomTargetPoint_;
}

void Loupe::endAdjust1Drag(const pf::Event& event)
{
    (void)event;
    const pf::Point reached = zoomTargetPoint_;
    zoomTargetPoint_ = dragStartZoomTargetPoint_;
    pf::UndoGrouping group(undoManager());
    setZoomTargetPoint(reached);
}

const pf::Image& Loupe::image() const
{
    ShapePage* page = composition();
    // Off a page there is nothing to magnify.
    if (!page)
        return Shape::image();
    auto& self = const_cast<Loupe&>(*this);
    const pf::Image& current = Shape::image();
    // While other shapes are dragged the last picture is kept aside and shown.
    if (page->isMouseDragging() && !isSelected()) {
        if (!current.isNull()) {
            cachedImage_ = current;
            self.setImage(pf::Image());
        }
        return cachedImage_;
    }
    if (!current.isNull() && !isSelected())
        return current;
    if (!picturePossible()) {
        static const pf::Image none;
        return none;
    }
    makingPicture_ = true;
    const pf::Image picture = filteredImageFromImage(renderPicture(), adjustmentRatioX());
    makingPicture_ = false;
    cachedImage_ = pf::Image();
    self.setImage(picture);
    return Shape::image();
}

bool Loupe::picturePossible() const
{
    // Stored data may hold any numbers: a picture the size of such a frame cannot be allocated, and such a
    // scale or target throws the drawing beyond any coordinate a context can hold. These show no picture.
    constexpr double largestSide = 8192;      // points, about as large as a screen is pixels
    constexpr double largestScale = 1e4;      // a single point then fills a loupe of any usable size
    constexpr double farthestTarget = 1e7;    // points, far beyond any page
    const pf::Rect r = QVRectStandardize(QVRectGetNormalizedRect(frame()));
    const double side = std::max(r.width(), r.height());
    const double scale = zoomTargetScale();
    const pf::Point target = zoomTargetPoint();
    const bool possible = side > 0 && side <= largestSide && scale >= 1 / largestScale && scale <= largestScale
        && std::abs(target.x) <= farthestTarget && std::abs(target.y) <= farthestTarget;
    if (!possible && !refusedPictureLogged_) {
        refusedPictureLogged_ = true;
        qWarning("%s: no picture for the side %g, scale %g and target (%g, %g)", qUtf8Printable(shapeClass().className()),
                 side, scale, target.x, target.y);
    }
    return possible;
}

pf::Image Loupe::renderPicture() const
{
    const pf::Rect r = QVRectStandardize(QVRectGetNormalizedRect(frame()));
    const double side = std::max(r.width(), r.height());
    const double scale = zoomTargetScale();
    const pf::Rect source = QVRectAroundPoint(zoomTargetPoint(), side / scale, side / scale);
    std::weak_ptr<const pf::Object> weak = weak_from_this();
    return pf::Image::withDrawingHandler({side, side}, [weak, source, scale](pf::GraphicsContext& context,
                                                                             const pf::Rect&) {
        const auto object = weak.lock();
        if (!object)
            return false;
        ShapePage* page = static_cast<const Loupe&>(*object).composition();
        // The page is itself a shape that draws its children.
        auto* pageShape = dynamic_cast<Shape*>(page);
        if (!pageShape)
            return false;
        pf::SavedGState saved(context);
        context.scale(scale, scale);
        context.translate(-source.x(), -source.y());
        // A redaction renders its picture inside a loupe's: the flag goes back to what it was.
        const bool outer = page->isDrawingLoupe();
        page->setDrawingLoupe(true);
        pageShape->drawInContextDirtyRect(context, source);
        page->setDrawingLoupe(outer);
        return true;
    });
}

pf::Image Loupe::filteredImageFromImage(const pf::Image& image, double pixelSize) const
{
    (void)pixelSize;
    return image;
}

void Loupe::drawInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty)
{
    if (composition() && composition()->isDrawingLoupe())
        return;
    Ellipse::drawInContextDirtyRect(context, dirty);
}

bool Loupe::isEqualToShape(const Shape& other) const
{
    const auto* o = dynamic_cast<const Loupe*>(&other);
    return o && Ellipse::isEqualToShape(other) && zoomTargetScale() == o->zoomTargetScale() &&
           zoomTargetPoint() == o->zoomTargetPoint();
}

void Loupe::copyFrom(const Shape& source)
{
    Ellipse::copyFrom(source);
    const auto& s = static_cast<const Loupe&>(source);
    zoomTargetScale_ = s.zoomTargetScale_;
    zoomTargetPoint_ = s.zoomTargetPoint_;
}

pf::Value Loupe::asPlist() const
{
    pf::Value plist = Ellipse::asPlist();
    const pf::Point p = zoomTargetPoint();
    plist.set("zoomTargetPoint", pf::toString(pf::Point(finiteOrZero(p.x), finiteOrZero(p.y))));
    plist.set("zoomTargetScale", zoomTargetScale());
    return plist;
}

void Loupe::readPlist(const pf::Value& plist)
{
    Ellipse::readPlist(plist);
    setZoomTargetPoint(storedPoint(plist, "zoomTargetPoint"));
    setZoomTargetScale(storedDouble(plist, "zoomTargetScale"));
    // Documents of version 7 and older kept the scale in the adjustment ratio.
    if (const auto version = readingVersion(); version && *version <= 7)
        setZoomTargetScale(adjustmentRatioX());
}

// ======================= Redact =======================

const ShapeClass& Redact::staticClass()
{
    static const RedactClass c(QStringLiteral("Redact"), &Loupe::staticClass(), &Shape::allocate<Redact>,
                               Catalogue{"Redaction", "Redaction", "A Redaction.",
                                         "blur redaction pixellate pixelate pixels fuzzy", "RedactManipulator"});
    return c;
}

void Redact::initWithFrame(const pf::Rect& frame)
{
    // The cell size, set directly before the inherited initialiser: no sticky value is written, and the
    // frame is not laid out again (rounded) before a stored turned redaction gets its angle.
    initAdjustmentRatioX(10.0);
    Loupe::initWithFrame(frame);
    setZoomTargetScale(1.0);
}

void Redact::setZoomTargetScale(double scale)
{
    (void)scale;
    Loupe::setZoomTargetScale(1.0);
}

void Redact::setZoomTargetPoint(const pf::Point& point)
{
    (void)point;
    Loupe::setZoomTargetPoint(center());
}

double Redact::pixelSize() const
{
    const double size = adjustmentRatioX();
    return std::isfinite(size) && size >= 1.0 ? size : 10.0;
}

void Redact::drawInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty)
{
    if (!isMakingPicture())
        Shape::drawInContextDirtyRect(context, dirty);
}

void Redact::appendPath(pf::Path& path) const
{
    path.appendRect(QVRectGetNormalizedRect(frame()));
}

pf::Image Redact::filteredImageFromImage(const pf::Image& image, double pixelSize) const
{
    // Cells under a point (stored data may hold 0, negative or non-finite sizes) would show the page
    // as it is: they read as the default 10.
    const double cell = std::isfinite(pixelSize) && pixelSize >= 1.0 ? pixelSize : 10.0;
    const QImage bitmap = image.rendered(1.0);
    if (bitmap.isNull())
        return {};
    const pf::Point middle(bitmap.width() * 0.5, bitmap.height() * 0.5);
    return pf::Image(pf::pixellated(bitmap, cell, middle), image.size());
}
