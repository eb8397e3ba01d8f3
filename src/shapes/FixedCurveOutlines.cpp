#include "shapes/FixedCurveOutlines.h"

#include "geometry/QVColor.h"
#include "geometry/QVRect.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

#include <array>
#include <cmath>

using outline::appendDesign;
using outline::appendPolygon;
using outline::Catalogue;
using outline::CatalogueClass;
using outline::curve;
using outline::Design;
using outline::DesignStep;
using outline::line;

namespace {

pf::Point rounded(double x, double y) { return QVPointRound(pf::Point(x, y)); }

// ---- designs (box units, y down; curves as end, first control, second control) ----

constexpr std::array<DesignStep, 10> cloudSteps{{
    curve({13, 19}, {1, 31}, {7, 10}),
    curve({37, 14}, {14, 3}, {29, -6}),
    curve({67, 12}, {39, 0}, {58, -9}),
    curve({88, 20}, {72, 1}, {83, 2}),
    curve({98, 46}, {95, 10}, {104, 31}),
    curve({90, 72}, {103, 53}, {97, 79}),
    curve({64, 90}, {87, 90}, {79, 103}),
    curve({29, 88}, {60, 104}, {31, 103}),
    curve({7, 73}, {27, 98}, {7, 109}),
    curve({6, 44}, {0, 78}, {-4, 46}),
}};
constexpr Design cloudDesign{{100, 100}, {6, 44}, cloudSteps};

constexpr std::array<DesignStep, 10> blobSteps{{
    curve({18, 2}, {13, 24}, {7, 9}),
    curve({50, 7}, {29, -5}, {35, 6}),
    curve({86, 7}, {65, 7}, {79, 0}),
    curve({91, 29}, {94, 15}, {88, 20}),
    curve({99, 60}, {93, 37}, {102, 48}),
    curve({77, 81}, {96, 73}, {86, 71}),
    curve({52, 100}, {69, 91}, {70, 101}),
    curve({24, 80}, {33, 100}, {34, 88}),
    curve({1, 64}, {14, 73}, {6, 77}),
    curve({8, 34}, {-3, 52}, {4, 45}),
}};
constexpr Design blobDesign{{100, 100}, {8, 34}, blobSteps};

// The straight sides are curves whose controls sit on their ends.
constexpr std::array<DesignStep, 4> fanSteps{{
    curve({0, 26}, {50, 100}, {0, 26}),
    curve({50, 0}, {12, 12}, {26, 0}),
    curve({100, 26}, {74, 0}, {88, 12}),
    curve({50, 100}, {100, 26}, {50, 100}),
}};
constexpr Design fanDesign{{100, 100}, {50, 100}, fanSteps};

constexpr std::array<DesignStep, 7> bracketSteps{{
    curve({32, 100}, {23, 52}, {-11, 100}),
    line(32, 95),
    curve({8.5, 50}, {-2, 95}, {26, 55}),
    curve({32, 5}, {26, 45}, {-2, 5}),
    line(32, 0),
    curve({0, 47}, {-11, 0}, {23, 48}),
    curve({0, 53}, {0, 47}, {0, 53}),
}};
constexpr Design bracketDesign{{32, 100}, {0, 53}, bracketSteps};

pf::Color gray333() { return QVHexColor(0x333333); }

// ---- class objects ----

class ManClass : public CatalogueClass<> {
public:
    using CatalogueClass<>::CatalogueClass;
    pf::Size defaultSize() const override { return {40, 100}; }
    // People keep a style of their own.
    QString stickyPhylumName() const override { return stickyTypeName(); }
    double libraryListItemShapeStrokeLineWidth() const override { return 2.0; }
    // A filled, slightly narrower and taller figure with a soft shadow under its lines.
    std::shared_ptr<Shape> libraryListItemShapeWithFrame(const pf::Rect& frame) const override
    {
        auto shape = CatalogueClass<>::libraryListItemShapeWithFrame(
            pf::Rect(frame.x() + 5, frame.y() - 2, frame.width() - 10, frame.height() + 4));
        shape->setStrokeColor(libraryListItemShapeStrokeColor());
        shape->setFillShadowColor(pf::Color(0, 0, 0, 0.15));
        shape->setStrokeShadowHidden(true);
        shape->setFillType(0);
        shape->setFillColor(libraryListItemShapeStrokeColor());
        shape->setStrokeShadowBlur(3);
        shape->setStrokeShadowOffsetX(2);
        shape->setStrokeShadowOffsetY(2);
        shape->setStrokeShadowColor(pf::Color(0, 0, 0, 0.25));
        return shape;
    }
};

class TearawayClass : public CatalogueClass<> {
public:
    using CatalogueClass<>::CatalogueClass;
    // Teeth of 5 points whatever the preview's size.
    std::shared_ptr<Shape> libraryListItemShapeWithFrame(const pf::Rect& frame) const override
    {
        auto shape = CatalogueClass<>::libraryListItemShapeWithFrame(defaultFrameForPointZoomScale(pf::Point(0, 0), 1.0));
        static_cast<Tearaway&>(*shape).setJaggedHeight(5);
        shape->setFrame(frame);
        return shape;
    }
};

class CloudClass : public CatalogueClass<> {
public:
    using CatalogueClass<>::CatalogueClass;
    pf::Image iconImage() const override
    {
        static const pf::Image icon = pf::Image::drawn(pf::Size(32, 32), 2.0, [](pf::GraphicsContext& context) {
            pf::Path cloud;
            appendDesign(cloud, cloudDesign, pf::Rect(3, 6, 26, 20));
            context.beginTransparencyLayer();
            context.drawLinearGradientInPath(pf::Gradient(QVHexColor(0x41AEFA), QVHexColor(0x4086D5)), cloud, 90);
            context.endTransparencyLayer();
            context.setStrokeColor(gray333());
            context.setLineWidth(1);
            context.strokePath(cloud);
        });
        return icon;
    }
};

class BracketClass : public CatalogueClass<> {
public:
    using CatalogueClass<>::CatalogueClass;
    const QStringList& facetClassNames() const override
    {
        static const QStringList names{QStringLiteral("OpacityFacet"), QStringLiteral("FilterFacet"),
                                       QStringLiteral("GeometryFacet"), QStringLiteral("FillFacet"),
                                       QStringLiteral("StrokeFacet")};
        return names;
    }
    pf::Size defaultSize() const override { return {32, 100}; }
    QString stickyPhylumName() const override { return stickyTypeName(); }
    pf::Image iconImage() const override
    {
        static const pf::Image icon = pf::Image::drawn(pf::Size(32, 32), 2.0, [](pf::GraphicsContext& context) {
            pf::Path brace;
            appendDesign(brace, bracketDesign, pf::Rect(11, 1, 9.6, 30));
            context.setFillColor(gray333());
            context.fillPath(brace);
        });
        return icon;
    }
};

} // namespace

// ---- Man ----

const ShapeClass& Man::staticClass()
{
    static const ManClass c(QStringLiteral("Man"), &Shape::staticClass(), &Shape::allocate<Man>,
                            Catalogue{"Person", "Person", "A Person.", "persons humans man men woman women actors uml"});
    return c;
}

void Man::appendPath(pf::Path& path) const
{
    const pf::Rect& f = frame();
    const double x = f.x(), y = f.y(), w = f.width(), h = f.height();
    path.appendOval(pf::Rect(x + 0.3 * w, y, 0.4 * w, 0.4 * h));
    // Body and limbs: one open subpath running out from the hip and the shoulder and back.
    const pf::Point shoulder = rounded(x + 0.5 * w, y + 0.29 * h);
    const pf::Point hip = rounded(x + 0.5 * w, y + 0.55 * h);
    outline::appendPolyline(path, {{x + 0.5 * w, y + 0.4 * h}, hip, {x, y + h}, hip, {x + w, y + h}, hip, shoulder,
                                   {x, y + h / 2}, shoulder, {x + w, y + h / 2}, shoulder});
}

const pf::Path& Man::textClipPath() const
{
    textClip_ = pf::Path();
    // While editing, the editor's whole band; otherwise the text's own bounds, so the lines stop at it.
    pf::Rect area;
    if (isEditingText())
        area = horizontalTextRectForText(hasText() ? *attributedText() : pf::AttributedString());
    else if (std::optional<pf::Path> bounds = textBoundingPath())
        area = bounds->bounds();
    if (QVRectIsZero(area))
        return textClip_;
    textClip_ = outline::rotated(*this, pf::Path::rect(area));
    return textClip_;
}

void Man::drawStrokeInContext(pf::GraphicsContext& context)
{
    context.saveGState();
    if (isEditingText() || hasText())
        if (const pf::Path& text = textClipPath(); !text.isEmpty())
            outline::clipOut(context, text);
    Shape::drawStrokeInContext(context);
    context.restoreGState();
}

bool Man::containsPoint(const pf::Point& point) const
{
    if (rotationAngle() != 0 && rotationAngle() != 180)
        return Shape::containsPoint(point);
    return !isHidden() && QVRectGetNormalizedRect(frame()).contains(point);
}

// ---- Tearaway, DoubleTearaway ----

const ShapeClass& Tearaway::staticClass()
{
    static const TearawayClass c(QStringLiteral("Tearaway"), &Shape::staticClass(), &Shape::allocate<Tearaway>,
                                 Catalogue{"Tearaway", "Tearaway", "A Tearaway.",
                                           "box jaggededge edge jaggies tears cuts uml"});
    return c;
}

void Tearaway::appendPath(pf::Path& path) const
{
    const pf::Rect& f = frame();
    const double j = jaggedHeight();
    appendPolygon(path, {QVRectGetTopLefPoint(f), QVRectGetTopRitPoint(f), QVRectGetBotRitPoint(f),
                         rounded(f.x() + f.width() / 2, f.y() + f.height() - j), QVRectGetBotMidPoint(f),
                         rounded(f.x(), f.y() + f.height() - j)});
}

pf::Rect Tearaway::textRect() const
{
    const pf::Rect& f = frame();
    const pf::Size pad = textPadSize();
    return QVRectRound(pf::Rect(f.x(), f.y(), f.width(), f.height() - jaggedHeight())).insetBy(pad.width, pad.height);
}

const ShapeClass& DoubleTearaway::staticClass()
{
    static const TearawayClass c(QStringLiteral("DoubleTearaway"), &Tearaway::staticClass(),
                                 &Shape::allocate<DoubleTearaway>,
                                 Catalogue{"Double Tearaway", "Double Tearaway", "A Double Tearaway.",
                                           "box jaggededge edge jaggies tears cuts uml"});
    return c;
}

void DoubleTearaway::appendPath(pf::Path& path) const
{
    const pf::Rect& f = frame();
    const double j = jaggedHeight();
    const double x = f.x(), y = f.y(), w = f.width(), h = f.height();
    appendPolygon(path, {QVRectGetTopLefPoint(f), rounded(x + w / 2, y + j), QVRectGetTopMidPoint(f),
                         rounded(x + w, y + j), QVRectGetBotRitPoint(f), rounded(x + w / 2, y + h - j),
                         QVRectGetBotMidPoint(f), rounded(x, y + h - j)});
}

pf::Rect DoubleTearaway::textRect() const
{
    const pf::Rect& f = frame();
    const double j = jaggedHeight();
    const pf::Size pad = textPadSize();
    return QVRectRound(pf::Rect(f.x(), f.y() + j, f.width(), f.height() - 2 * j)).insetBy(pad.width, pad.height);
}

// ---- Cloud, Blob, Fan, Bracket ----

const ShapeClass& Cloud::staticClass()
{
    static const CloudClass c(QStringLiteral("Cloud"), &Shape::staticClass(), &Shape::allocate<Cloud>,
                              Catalogue{"Cloud", "Cloud", "A Cloud.", "clouds internets theclouds remotes uml"});
    return c;
}

void Cloud::appendPath(pf::Path& path) const
{
    appendDesign(path, cloudDesign, frame());
}

const ShapeClass& Blob::staticClass()
{
    static const CatalogueClass<> c(QStringLiteral("Blob"), &Shape::staticClass(), &Shape::allocate<Blob>,
                                    Catalogue{"Blob", "Blob", "A Blob.",
                                              "clouds internets theclouds remotes blob amoeba"});
    return c;
}

void Blob::appendPath(pf::Path& path) const
{
    appendDesign(path, blobDesign, frame());
}

const ShapeClass& Fan::staticClass()
{
    static const CatalogueClass<> c(QStringLiteral("Fan"), &Shape::staticClass(), &Shape::allocate<Fan>,
                                    Catalogue{"Fan", "Fan", "A Fan.", "fanout wifi cone triangle"});
    return c;
}

void Fan::appendPath(pf::Path& path) const
{
    appendDesign(path, fanDesign, frame());
}

const ShapeClass& Bracket::staticClass()
{
    static const BracketClass c(QStringLiteral("Bracket"), &Shape::staticClass(), &Shape::allocate<Bracket>,
                                Catalogue{"Bracket", "Bracket", "A Bracket.",
                                          "brackets braces curlybrackets curlybraces funels funells funnels funnells",
                                          "GroupManipulator"});
    return c;
}

void Bracket::initWithFrame(const pf::Rect& frame)
{
    Shape::initWithFrame(frame);
    setConstrainAspectRatio(true);
}

void Bracket::appendPath(pf::Path& path) const
{
    appendDesign(path, bracketDesign, frame());
}
