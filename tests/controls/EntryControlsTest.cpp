// Navigation bar, text field and keyboard: the bar's line and placement, the field's fixed height, the
// keyboard's pictures by name and its sizes by device.
#include "PhoneControlTestSupport.h"

#include "geometry/QVImageAdditions.h"

#include <limits>

namespace {

TEST_F(PhoneControlTest, NavigationBarDrawsItsBottomLineUnlessUnstroked)
{
    auto bar = make<UINavigationBar>(pf::Rect(0.4, 10, 320, 44));
    ASSERT_TRUE(bar->attributedText());
    EXPECT_EQ(bar->attributedText()->string(), QStringLiteral("Title"));
    EXPECT_EQ(bar->strokeColor(), QVHexColor(0xCCCCCC));
    auto strokes = only(controlCalls(*bar), "stroke");
    ASSERT_EQ(strokes.size(), 1u);
    // On the rounded frame; width 1 draws unshifted.
    EXPECT_EQ(lineEnds(strokes[0]), std::make_pair(pf::Point(0, 54), pf::Point(320, 54)));
    EXPECT_EQ(strokes[0].line.width, 1);

    // The shape's own stroke layer draws nothing; the control draws the only line.
    pf::RecordingContext context;
    bar->setFillType(5);
    bar->drawInContextDirtyRect(context, pf::Rect(-1e4, -1e4, 2e4, 2e4));
    EXPECT_EQ(only(context.calls(), "stroke").size(), 1u);

    bar->setStrokeType(3);
    EXPECT_TRUE(controlCalls(*bar).empty());
    // Copies place their frame on whole points; a made frame is kept as given.
    bar->setFrame(bar->frame());
    expectRoundTrip(*bar);
}

TEST_F(PhoneControlTest, NavigationBarGoesBelowTheStatusBarAcrossThePage)
{
    pf::Value plist = UINavigationBar::staticClass().plist();
    plist.set(QStringLiteral("frame"), pf::toString(pf::Rect(50, 300, 100, 44)));
    const pf::Value placed = UINavigationBar::staticClass().plistByEnsuringFrameToPlistInRect(plist, pf::Rect(0, 0, 375, 812));
    EXPECT_EQ(pf::rectFromString(placed.stringForKey("frame")), pf::Rect(0, 20, 375, 44));
}

TEST_F(PhoneControlTest, TextFieldStays30High)
{
    auto field = make<UITextField>(pf::Rect(0, 0, 90, 30));
    field->setFrame(pf::Rect(5, 5, 200, 80));
    EXPECT_EQ(field->frame(), pf::Rect(5, 5, 200, 30));
    EXPECT_TRUE(field->isHorizontallyFlexible());
    EXPECT_FALSE(field->isVerticallyFlexible());
    EXPECT_TRUE(field->path().sameElements(pf::Path::roundedRect(pf::Rect(5, 5, 200, 30), 7, 7)));
    EXPECT_EQ(field->fillColor(), pf::Color::white());
    EXPECT_EQ(field->strokeColor(), pf::Color(0.7, 0.7, 0.7, 1));
    EXPECT_FALSE(field->hasText());
    expectRoundTrip(*field);
    EXPECT_FALSE(field->isEqualToShape(*make<UINavigationBar>(field->frame())));
}

TEST_F(PhoneControlTest, EveryKeyboardPictureExistsUnderItsName)
{
    const char* devices[] = {"phone", "pad"};
    const char* orientations[] = {"portrait", "landscape"};
    const char* themes[] = {"light", "dark"};
    const char* kinds[] = {"standard", "numeric", "numberpad", "emoji"};
    auto keyboard = make<UIKeyboard>(pf::Rect(0, 0, 320, 215));
    for (int d = 0; d < 2; ++d)
        for (int o = 0; o < 2; ++o)
            for (int t = 0; t < 2; ++t)
                for (int k = 0; k < 4; ++k) {
                    const QString name = QStringLiteral("uikeyboard_%1_%2_%3_%4")
                                             .arg(QLatin1String(devices[d]), QLatin1String(orientations[o]),
                                                  QLatin1String(themes[t]), QLatin1String(kinds[k]));
                    keyboard->setDeviceType(d);
                    keyboard->setDeviceOrientation(o);
                    keyboard->setThemeType(t);
                    keyboard->setKeyboardType(k);
                    EXPECT_EQ(keyboard->controlImageIdentifier(), name);
                    ASSERT_TRUE(keyboard->controlImage().isValid()) << name.toStdString();
                    EXPECT_EQ(keyboard->controlImage().size(), UIKeyboard::sizeFor(d, o)) << name.toStdString();
                }
}

TEST_F(PhoneControlTest, KeyboardTakesTheDeviceSizeAboutItsCentre)
{
    auto keyboard = make<UIKeyboard>(pf::Rect(0, 0, 320, 215));
    EXPECT_TRUE(keyboard->constrainAspectRatio());
    keyboard->setDeviceOrientation(1);
    EXPECT_EQ(keyboard->frame(), pf::Rect(0, 0, 320, 215)) << "the size changes only when the device change is told";
    keyboard->deviceDidChange();
    // About the centre (160, 107.5), on whole points.
    EXPECT_EQ(keyboard->frame(), pf::Rect(-80, 27, 480, 162));
    EXPECT_EQ(keyboard->controlImageIdentifier(), QStringLiteral("uikeyboard_phone_landscape_light_standard"));
    keyboard->setDeviceType(1);
    keyboard->deviceDidChange();
    EXPECT_EQ(keyboard->frame().size, pf::Size(1024, 352));
    EXPECT_EQ(keyboard->center(), pf::Point(160, 108));

    // The picture fills the frame on half points.
    const auto images = only(controlCalls(*keyboard), "image");
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].rect, QVRectRoundPlusHalf(keyboard->frame()));
}

TEST_F(PhoneControlTest, KeyboardNumbersOutOfRangeNameTheDefaultPicture)
{
    auto keyboard = make<UIKeyboard>(pf::Rect(0, 0, 320, 215));
    keyboard->setKeyboardType(2);
    keyboard->setThemeType(1);
    auto read = std::static_pointer_cast<UIKeyboard>(expectRoundTrip(*keyboard));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->controlImageIdentifier(), QStringLiteral("uikeyboard_phone_portrait_dark_numberpad"));

    pf::Value plist = keyboard->asPlist();
    for (const pf::Value& stored : {pf::Value(4), pf::Value(-1), pf::Value(std::numeric_limits<double>::quiet_NaN())}) {
        plist.set(QStringLiteral("keyboardType"), stored);
        read = std::dynamic_pointer_cast<UIKeyboard>(Shape::fromPlist(plist));
        ASSERT_TRUE(read);
        EXPECT_EQ(read->keyboardType(), 0);
    }
    // Key-value coding may set any number: the picture and size tables still read their defaults.
    keyboard->setValueForKey(pf::Variant(std::int64_t(9)), "keyboardType");
    keyboard->setValueForKey(pf::Variant(std::int64_t(-3)), "deviceType");
    EXPECT_EQ(keyboard->controlImageIdentifier(), QStringLiteral("uikeyboard_phone_portrait_dark_standard"));
    keyboard->deviceDidChange();
    EXPECT_EQ(keyboard->frame().size, pf::Size(320, 215));

    page.undo.removeAllActions();
    keyboard->setKeyboardType(1);
    EXPECT_EQ(page.undo.undoActionName(), QStringLiteral("Keyboard Type"));
}

TEST_F(PhoneControlTest, KeyboardWithoutItsPictureDrawsOnlyItsStroke)
{
    class Bare : public UIKeyboard {
    public:
        void updateControlImageIdentifier() override { setControlImageIdentifier(QStringLiteral("no-such-keyboard")); }
    };
    auto keyboard = Shape::make<Bare>(pf::Rect(0, 0, 320, 215));
    pf::RecordingContext context;
    keyboard->drawInContextDirtyRect(context, pf::Rect(-1e4, -1e4, 2e4, 2e4));
    ASSERT_EQ(context.calls().size(), 1u);
    EXPECT_EQ(context.calls()[0].operation, "stroke");
}

} // namespace
