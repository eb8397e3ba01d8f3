// Copy, equality and the class catalogue.
#include "ShapeTestSupport.h"

namespace {

class TestManipulator : public Shape {
public:
    static const ShapeClass& staticClass()
    {
        static const ShapeClass c(QStringLiteral("Manipulator"), &Shape::staticClass(), &Shape::allocate<TestManipulator>);
        return c;
    }
    const pf::ClassObject& classObject() const override { return staticClass(); }
    bool isManipulator() const override { return true; }
};

} // namespace

TEST_F(ShapeTest, CopyTitles)
{
    struct Case {
        const char* name;
        bool userSet;
        QString title;
        bool duplicating;
        QString expected;
    };
    const Case cases[] = {
        {"typed title", true, "Box", false, "Box copy"},
        {"typed title while the page duplicates", true, "Box", true, "Box"},
        {"typed nil title", true, QString(), false, QString()},
        {"untitled: the kind's short title", false, "Renamed", false, "Test Box"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto box = boxOnPage();
        box->setTitle(c.title);
        box->setUserSetTitle(c.userSet);
        page.duplicating = c.duplicating;
        auto copy = box->copy();
        EXPECT_EQ(copy->title(), c.expected);
        EXPECT_EQ(copy->title().isNull(), c.expected.isNull());
        EXPECT_NE(copy->identifier(), box->identifier());
        EXPECT_EQ(copy->identifier().size(), 36);
    }
}

TEST_F(ShapeTest, CopySharesValuesAndCopiesFilters)
{
    auto box = boxOnPage();
    box->setFrame({10, 20, 30, 40});
    box->setFillType(1);
    box->setFillGradientElements({{pf::Color(1, 0, 0, 1), 0}, {pf::Color(0, 0, 1, 1), 1}});
    box->setStrokeLineWidth(3);
    box->setRotationAngle(15);
    box->setAttributedText(pf::AttributedString("hello"));
    box->clearTextAttributes(); // as text from the editor has them
    box->setImageIdentifier("IMG");
    auto spec = std::make_shared<FilterSpec>();
    spec->setSliderValue(0.5);
    box->setContentFilterSpecs({spec});
    clearUserValues();

    auto copy = box->copy();
    EXPECT_TRUE(copy->isEqual(*box));
    EXPECT_EQ(copy->frame(), box->frame());
    EXPECT_EQ(copy->rotationAngle(), 15);
    EXPECT_EQ(copy->attributedText()->string(), "hello");
    EXPECT_EQ(copy->imageIdentifier(), "IMG");
    EXPECT_EQ(page.refCounts["IMG"], 1); // the setter's: the copy counts once a page registers it
    EXPECT_EQ(copy->composition(), nullptr);
    EXPECT_TRUE(userValues().empty()); // copying never changes the sticky style

    // Editing the copy's filter in place leaves the original alone.
    ASSERT_EQ(copy->contentFilterSpecs().size(), 1u);
    EXPECT_NE(copy->contentFilterSpecs()[0], spec);
    copy->contentFilterSpecs()[0]->setSliderValue(0.9);
    EXPECT_EQ(spec->sliderValue(), 0.5);
}

TEST_F(ShapeTest, Equality)
{
    auto a = Shape::make<TestBox>({0, 0, 50, 50});
    a->setFillColor(pf::Color(1, 0, 0, 1));
    const auto equalAfter = [&](const std::function<void(Shape&)>& change) {
        auto b = a->copy();
        change(*b);
        return b->isEqual(*a) && a->isEqual(*b);
    };
    EXPECT_TRUE(equalAfter([](Shape& s) { s.setIdentifier("OTHER"); }));
    EXPECT_TRUE(equalAfter([](Shape& s) { s.setRotationHandleRadius(140); }));
    EXPECT_TRUE(equalAfter([](Shape& s) { s.setContentFilterSpecs({std::make_shared<FilterSpec>()}); }));
    EXPECT_TRUE(equalAfter([](Shape& s) { s.setConstrainAspectRatio(true); }));
    EXPECT_TRUE(equalAfter([](Shape& s) { s.setFillColor(std::nullopt); }));
    EXPECT_TRUE(equalAfter([](Shape& s) { s.setTitle(QString()); }));
    EXPECT_FALSE(equalAfter([](Shape& s) { s.setFillColor(pf::Color(0, 1, 0, 1)); }));
    EXPECT_FALSE(equalAfter([](Shape& s) { s.setOpacity(0.5); }));
    EXPECT_FALSE(equalAfter([](Shape& s) { s.setFrame({0, 0, 51, 50}); }));
    EXPECT_FALSE(equalAfter([](Shape& s) { s.setTextShadowOffsetY(1); }));
    // A non-finite number is refused by the setter, so nothing changes.
    EXPECT_TRUE(equalAfter([](Shape& s) { s.setOpacity(std::nan("")); }));

    auto plain = Shape::make<Shape>({0, 0, 50, 50});
    plain->setFillColor(pf::Color(1, 0, 0, 1));
    plain->setTitle(a->title());
    EXPECT_FALSE(plain->isEqual(*a)); // another class
    EXPECT_TRUE(a->isEqual(*a));
}

TEST_F(ShapeTest, DisplayTitleSnapabilityAndDefaultStops)
{
    auto box = Shape::make<TestBox>({0, 0, 50, 50});
    box->setAttributedText(pf::AttributedString("two\nlines"));
    EXPECT_EQ(box->displayTitle(), "Test Box (two lines)");
    box->setUserSetTitle(true);
    EXPECT_EQ(box->displayTitle(), "Test Box");

    auto bare = Shape::make<TestBox>({0, 0, 50, 50});
    bare->setStrokeType(3);
    bare->setFillType(5);
    EXPECT_FALSE(bare->isSnapable());
    bare->setImageIdentifier("I");
    EXPECT_TRUE(bare->isSnapable());
    bare->setHidden(true);
    EXPECT_FALSE(bare->isSnapable());

    auto gradient = Shape::make<TestBox>({0, 0, 50, 50});
    gradient->setFillColor(pf::Color(0, 1, 0, 1));
    gradient->setFillType(1);
    EXPECT_EQ(gradient->fillGradientElements(),
              (GradientElements{{pf::Color(0, 1, 0, 1), 0.0}, {pf::Color(0, 1, 0, 1), 1.0}}));
    EXPECT_EQ(gradient->gradient().stops().size(), 2u);
    gradient->setBackupFillColor(pf::Color(0, 0, 1, 1));
    gradient->setFillType(0); // drops the gradient: the backup colour wins
    EXPECT_EQ(gradient->gradient().stops()[0].color, pf::Color(0, 0, 1, 1));

    gradient->setStrokeType(1);
    gradient->setStrokeLineWidth(16);
    ASSERT_TRUE(gradient->strokeLineDash());
    EXPECT_EQ(gradient->strokeLineDash()->onLength(), 10.0);
    gradient->setStrokeType(0);
    EXPECT_FALSE(gradient->strokeLineDash());
}

TEST_F(ShapeTest, Catalogue)
{
    const ShapeClass& k = Shape::staticClass();
    EXPECT_TRUE(k.title().isNull());
    EXPECT_EQ(k.extraSearchString(), "");
    EXPECT_EQ(k.facetClassNames(), (QStringList{"OpacityFacet", "FilterFacet", "GeometryFacet", "FillFacet",
                                                "StrokeFacet", "ImageFacet", "TextFacet"}));
    EXPECT_EQ(k.manipulatorClassName(), "Manipulator");
    EXPECT_TRUE(k.toolTipClassName().isNull());
    EXPECT_TRUE(k.nibName().isNull());
    EXPECT_EQ(k.stickyPhylumName(), "Shape");
    EXPECT_EQ(TestBox::staticClass().stickyTypeName(), "TestBox");
    EXPECT_EQ(TestBox::staticClass().defaultFrameForPointZoomScale({100, 100}, 2.0), pf::Rect(90, 95, 20, 10));
    EXPECT_EQ(k.userPhylumKeyForKey("fillColor"), "User-Shape-fillColor");
    EXPECT_EQ(TestBox::staticClass().typeKeyForKey("fillColor"), "TestBox-fillColor");
    EXPECT_EQ(k.defaultKeyForKey("fillColor"), "Default-fillColor");

    auto box = Shape::make<TestBox>({0, 0, 50, 50});
    EXPECT_TRUE(box->valueForKey("userProperties").isNull());
    box->setValueForKey(3, "imageAnchorCorner");
    EXPECT_TRUE(box->valueForKey("imageAnchorCorner").isNull());
    box->setValueForKey(0.25, "opacity");
    EXPECT_EQ(box->opacity(), 0.25);
    auto spec = std::make_shared<FilterSpec>();
    box->setValueForKey(pf::VariantArray{pf::Variant(spec)}, "contentFilterSpecs");
    EXPECT_EQ(box->contentFilterSpecs(), FilterSpecs{spec});
    EXPECT_EQ(box->valueForKey("contentFilterSpecs"), pf::Variant(pf::VariantArray{pf::Variant(spec)}));

    auto preview = TestBox::staticClass().libraryListItemShapeWithFrame({0, 0, 33, 33});
    EXPECT_EQ(preview->frame(), pf::Rect(0, 0, 32, 32));
    EXPECT_EQ(preview->fillType(), 1u);
    EXPECT_EQ(preview->fillGradientElements().size(), 2u);
    EXPECT_EQ(preview->strokeColor(), QVHexColor(0x333333));
}

TEST_F(ShapeTest, ManipulatorIsMadeOnlyOnceItsClassIsRegistered)
{
    auto box = Shape::make<TestBox>({1, 2, 30, 40});
    if (!pf::ClassRegistry::shared().lookup("Manipulator")) {
        EXPECT_EQ(box->makeManipulator(), nullptr);
    }
    pf::ClassRegistry::shared().add(TestManipulator::staticClass());
    auto manipulator = box->makeManipulator();
    ASSERT_NE(manipulator, nullptr);
    EXPECT_TRUE(manipulator->isManipulator());
    EXPECT_EQ(manipulator->frame(), pf::Rect(1, 2, 30, 40));
}
