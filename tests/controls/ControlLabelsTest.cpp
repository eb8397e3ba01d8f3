// Labels that are the shape's text (the status bar's clock, the navigation bar's title, the alert's message,
// a button's label): where the text pass draws their glyphs on the page.
#include "PhoneControlTestSupport.h"

#include "controls/UIButton.h"

namespace {

// The page bounds of every glyph run the shape's text pass draws.
pf::Rect drawnTextBounds(Shape& shape)
{
    pf::RecordingContext context;
    shape.drawTextInContext(context);
    pf::Rect bounds = pf::Rect::null();
    for (const auto* run : callsNamed(context, "glyphs")) {
        pf::Path box = pf::Path::rect(run->rect.offsetBy(run->origin.x, run->origin.y));
        box.transform(run->state.ctm);
        bounds = bounds.united(box.bounds());
    }
    return bounds;
}

TEST_F(PhoneControlTest, LabelsDrawWhereTheirKindPutsThem)
{
    // The plain status bar's clock is centred on the bar.
    auto plain = make<UIStatusBar>(pf::Rect(0, 0, 320, 20));
    pf::Rect clock = drawnTextBounds(*plain);
    ASSERT_FALSE(clock.isNull());
    EXPECT_NEAR(clock.midX(), 160, 1);
    EXPECT_GE(clock.minY(), 0);
    EXPECT_LE(clock.maxY(), 20);

    // With the sensor array it sits left of the array, in the 60 points from x 18.
    auto notch = make<UIStatusBar>(pf::Rect(0, 0, 375, 20));
    notch->setSensorArrayType(UIStatusBar::SensorArrayNotch);
    clock = drawnTextBounds(*notch);
    ASSERT_FALSE(clock.isNull());
    EXPECT_GE(clock.minX(), 18);
    EXPECT_LE(clock.maxX(), UIStatusBar::leftSensorArrayRectForFrame(notch->frame()).minX());
    EXPECT_LE(clock.maxY(), 44);

    // The navigation bar's title lies in the bar.
    auto navigation = make<UINavigationBar>(pf::Rect(0, 20, 320, 44));
    const pf::Rect title = drawnTextBounds(*navigation);
    ASSERT_FALSE(title.isNull());
    EXPECT_TRUE(navigation->frame().contains(title)) << pf::toString(title).toStdString();

    // The alert's message lies above the button row.
    auto alert = make<UIAlertDialog>(pf::Rect(0, 0, 220, 150));
    alert->setAttributedText(pf::AttributedString(QStringLiteral("Message"), alert->textAttributes()));
    const pf::Rect message = drawnTextBounds(*alert);
    ASSERT_FALSE(message.isNull());
    EXPECT_TRUE(alert->textRect().contains(message)) << pf::toString(message).toStdString();
    EXPECT_LT(message.maxY(), UIAlertDialog::itemsRectForFrame(alert->frame()).minY());

    // A button's label lies in the bounding rect its icon is placed against: right of the icon, past the
    // margin, on a band centred with the icon.
    auto button = make<UIButton>(pf::Rect(10, 20, 120, 44));
    const pf::Rect label = drawnTextBounds(*button);
    const pf::Rect icon = button->iconRectForFrame(button->frame());
    ASSERT_FALSE(label.isNull());
    // (Ink bounds may pass the line's ascent by a fraction of a point.)
    EXPECT_TRUE(button->textBoundingRect().insetBy(-1, -1).contains(label)) << pf::toString(label).toStdString();
    EXPECT_GE(label.minX(), icon.maxX() + button->iconMargin());
    EXPECT_NEAR(button->textBoundingRect().midY(), icon.midY(), 0.5);
}

} // namespace
