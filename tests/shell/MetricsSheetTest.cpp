// The page-size sheet: the presets menu and its groups, typing a size (the custom entry, the match when
// editing ends, the user's anchor kept), the resolution list, the anchor grid, OK and Cancel through the
// parent window, a sheet with no presets, and the sheet's picture.
#include "shell/MetricsWindowController.h"

#include "model/UserDefaults.h"
#include "platform/docs/WindowController.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/kit/ViewBuilders.h"
#include "shell/AnchorButton.h"

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

std::shared_ptr<Metrics> preset(const QString& name, double width, double height, std::int64_t group,
                                unsigned unit = Metrics::Points)
{
    auto m = std::make_shared<Metrics>();
    m->setName(name);
    m->setWidth(width);
    m->setHeight(height);
    m->setGroup(group);
    m->setUnitType(unit);
    return m;
}

class MetricsSheetTest : public testing::Test {
protected:
    void SetUp() override
    {
        auto store = std::make_unique<pf::UserDefaultsStore>();
        UserDefaults::registerDefaultValues(*store);
        previous_ = pf::UserDefaultsStore::replaceStandard(std::move(store));
        MetricsWindowController::registerInterfaceFile();
        custom = preset(pf::localized("Custom"), 800, 600, 0);
        phone = preset("Phone", 320, 480, 1);
        pad = preset("Pad", 768, 1024, 1);
        poster = preset("Poster", 1000, 2000, 2);
        sheet.setPresetMetrics({custom, phone, pad, poster});
    }
    void TearDown() override
    {
        pf::drainMainQueue();
        pf::UserDefaultsStore::replaceStandard(std::move(previous_));
    }

    // The user's size, of no preset, anchored at the bottom right.
    std::shared_ptr<Metrics> usersSize()
    {
        auto m = preset(pf::localized("Custom"), 500, 400, 0);
        m->setAnchorCorner(8);
        return m;
    }

    static void type(pf::TextField& field, const QString& text)
    {
        field.selectAll();
        QTest::keyClicks(&field, text);
    }

    QStringList menuTitles()
    {
        QStringList out;
        for (const pf::MenuItem& item : sheet.presetsPopUpButton()->menu()->items())
            out << (item.isSeparator() ? QStringLiteral("-") : item.title());
        return out;
    }

    std::shared_ptr<Metrics> custom, phone, pad, poster;
    MetricsWindowController sheet;

private:
    std::unique_ptr<pf::UserDefaultsStore> previous_;
};

TEST_F(MetricsSheetTest, PresetsAreGroupedBySeparators)
{
    sheet.setSelectedMetrics(phone->copy());
    sheet.window();
    EXPECT_EQ(menuTitles(), QStringList({pf::localized("Custom"), "-", "Phone", "Pad", "-", "Poster"}));
    pf::Menu menu;
    sheet.setPresetMetrics({preset("A", 1, 1, 0), preset("B", 2, 2, 0), preset("C", 3, 3, 1), preset("D", 4, 4, 2)});
    sheet.menuNeedsUpdate(menu);
    QStringList titles;
    for (const pf::MenuItem& item : menu.items())
        titles << (item.isSeparator() ? QStringLiteral("-") : item.title() + QString::number(item.tag()));
    EXPECT_EQ(titles, QStringList({"A0", "B1", "-", "C2", "-", "D3"}));
    // Starting from group 1: a separator first.
    sheet.setPresetMetrics({preset("C", 3, 3, 1), preset("D", 4, 4, 1)});
    sheet.menuNeedsUpdate(menu);
    ASSERT_EQ(menu.numberOfItems(), 3);
    EXPECT_TRUE(menu.itemAt(0).isSeparator());
    // The shown pop-up lists the same rows and shows the selected one.
    sheet.setPresetMetrics({custom, phone, pad, poster});
    sheet.updateMenu();
    ASSERT_NE(sheet.presetsMenuView(), nullptr);
    EXPECT_EQ(sheet.presetsMenuView()->count(), 6);
    EXPECT_EQ(sheet.presetsMenuView()->currentText(), "Phone");
}

TEST_F(MetricsSheetTest, TypingAPresetsSizeSelectsItWhenEditingEndsKeepingTheUsersAnchor)
{
    auto users = usersSize();
    users->setResolution(144);
    sheet.setSelectedMetrics(users);
    sheet.window();
    // A size of no preset shows the first item.
    EXPECT_EQ(sheet.presetsPopUpButton()->selectedTag(), 0);

    type(*sheet.widthField(), "320");
    // Typing makes the custom entry of the current values, not yet the typed one.
    EXPECT_TRUE(sheet.selectedMetrics()->isCustom());
    QTest::keyClick(sheet.widthField(), Qt::Key_Return);
    EXPECT_EQ(sheet.selectedMetrics()->width(), 320);
    type(*sheet.heightField(), "480");
    QTest::keyClick(sheet.heightField(), Qt::Key_Return);

    const auto& chosen = sheet.selectedMetrics();
    EXPECT_EQ(chosen->name(), "Phone");
    EXPECT_EQ(sheet.presetsPopUpButton()->selectedTag(), 1);
    EXPECT_EQ(chosen->anchorCorner(), 8) << "the user's anchor stays";
    EXPECT_EQ(chosen->resolution(), 144) << "and so does the resolution";
    EXPECT_EQ(chosen->width(), 320);
    EXPECT_NE(chosen, phone) << "a copy, never the preset itself";
    // Editing on changes the sheet's size, not the preset.
    chosen->setWidth(321);
    EXPECT_EQ(phone->width(), 320);
    EXPECT_EQ(phone->anchorCorner(), 0);

    // A size of no preset: the custom entry again, the first item selected.
    type(*sheet.widthField(), "333");
    QTest::keyClick(sheet.widthField(), Qt::Key_Return);
    EXPECT_TRUE(sheet.selectedMetrics()->isCustom());
    EXPECT_EQ(sheet.selectedMetrics()->width(), 333);
    EXPECT_EQ(sheet.presetsPopUpButton()->selectedTag(), 0);
    EXPECT_EQ(sheet.presetsMenuView()->currentIndex(), 0);

    // Up steps the field: that is typing too, and leaves the preset alone.
    sheet.setSelectedMetrics(phone->copy());
    QTest::keyClick(sheet.widthField(), Qt::Key_Up);
    EXPECT_EQ(sheet.selectedMetrics()->width(), 321);
    EXPECT_TRUE(sheet.selectedMetrics()->isCustom());
    EXPECT_EQ(phone->width(), 320);
}

TEST_F(MetricsSheetTest, ChoosingAPresetTakesACopyAndKeepsTheAnchor)
{
    sheet.setSelectedMetrics(usersSize());
    sheet.window();
    pf::MenuItem item("Pad", "metricsSelected:");
    item.setTag(2);
    sheet.metricsSelected(&item);
    EXPECT_EQ(sheet.selectedMetrics()->name(), "Pad");
    EXPECT_NE(sheet.selectedMetrics(), pad);
    EXPECT_EQ(sheet.selectedMetrics()->anchorCorner(), 8);
    EXPECT_EQ(sheet.widthField()->text(), "768");
    // Another unit: the fields show the same size in it.
    const auto before = sheet.selectedMetrics();
    QComboBox* units = sheet.unitsPopUp();
    const int inches = units->findData(qlonglong(Metrics::Inches));
    units->setCurrentIndex(inches);
    emit units->activated(inches);
    EXPECT_NE(sheet.selectedMetrics(), before);
    EXPECT_EQ(sheet.selectedMetrics()->unitType(), Metrics::Inches);
    EXPECT_EQ(sheet.widthField()->text(), "10.67");
    // A tag beyond the presets changes nothing.
    item.setTag(9);
    sheet.metricsSelected(&item);
    EXPECT_EQ(sheet.selectedMetrics()->name(), "Pad");
}

TEST_F(MetricsSheetTest, TheAnchorGridShowsTheChosenCornerOnEveryButton)
{
    sheet.setSelectedMetrics(usersSize());
    sheet.window();
    for (int corner = 0; corner < 9; ++corner) {
        ASSERT_NE(sheet.anchorButton(corner), nullptr);
        EXPECT_EQ(sheet.anchorButton(corner)->tag(), corner);
        EXPECT_EQ(sheet.anchorButton(corner)->anchorCorner(), 8);
    }
    AnchorButton* topMid = sheet.anchorButton(1);
    const QPointF middle(12, 12);
    for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(t, middle, topMid->mapToGlobal(middle), Qt::LeftButton,
                      t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, {});
        QApplication::sendEvent(topMid, &e);
    }
    EXPECT_EQ(sheet.selectedMetrics()->anchorCorner(), 1);
    for (int corner = 0; corner < 9; ++corner)
        EXPECT_EQ(sheet.anchorButton(corner)->anchorCorner(), 1);
}

TEST_F(MetricsSheetTest, ANamedSizeIsConvertedWhenTheResolutionChanges)
{
    sheet.setSelectedMetrics(phone->copy());
    sheet.window();
    sheet.comboBoxWillPopUp();
    sheet.selectedMetrics()->setResolution(144);
    sheet.resolutionChanged();
    EXPECT_EQ(sheet.selectedMetrics()->width(), 640);
    EXPECT_EQ(sheet.selectedMetrics()->height(), 960);
    EXPECT_EQ(sheet.selectedMetrics()->resolution(), 144);
    EXPECT_EQ(sheet.priorMetrics(), nullptr);

    // A custom size keeps its points.
    sheet.setSelectedMetrics(usersSize());
    sheet.comboBoxWillPopUp();
    sheet.selectedMetrics()->setResolution(300);
    sheet.resolutionChanged();
    EXPECT_EQ(sheet.selectedMetrics()->width(), 500);

    EXPECT_EQ(sheet.numberOfItemsInComboBox(), 6);
    EXPECT_EQ(sheet.comboBoxObjectValueForItemAtIndex(0), 72);
    EXPECT_EQ(sheet.comboBoxObjectValueForItemAtIndex(5), 600);
}

TEST_F(MetricsSheetTest, WithoutResolutionsTheSheetIs31PointsLower)
{
    sheet.setSelectedMetrics(usersSize());
    QDialog* dialog = sheet.window();
    EXPECT_FALSE(sheet.resolutionEnabled());
    EXPECT_EQ(dialog->height(), 270 - 31);
    EXPECT_FALSE(sheet.resolutionComboBox()->isVisibleTo(dialog));
    EXPECT_FALSE(sheet.changeAllPagesHidden());
    EXPECT_TRUE(sheet.changeAllPagesCheckbox()->isVisibleTo(dialog));
}

TEST_F(MetricsSheetTest, WithNoPresetsTypingMakesACustomSizeOfTheCurrentValues)
{
    sheet.setPresetMetrics({});
    auto users = usersSize();
    users->setName("Letter");
    sheet.setSelectedMetrics(users);
    sheet.window();
    EXPECT_EQ(sheet.presetsPopUpButton()->numberOfItems(), 0);
    type(*sheet.widthField(), "250");
    EXPECT_TRUE(sheet.selectedMetrics()->isCustom());
    EXPECT_EQ(sheet.selectedMetrics()->height(), 400);
    QTest::keyClick(sheet.widthField(), Qt::Key_Return);
    EXPECT_EQ(sheet.selectedMetrics()->width(), 250);
    EXPECT_EQ(sheet.selectedMetrics()->anchorCorner(), 8);
    sheet.ok(1);
    EXPECT_EQ(UserDefaults::instance().lastSelectedMetrics()->width(), 250);
}

TEST_F(MetricsSheetTest, OkAndCancelEndTheSheetThroughItsWindowWithTheirCodes)
{
    pf::ScopedViewBuilder builder("SheetParent", [](pf::Responder*) { return new pf::View(pf::Rect(0, 0, 300, 200)); });
    pf::WindowController parent("SheetParent");
    sheet.setSheetParentWindow(&parent);
    sheet.setSelectedMetrics(usersSize());
    std::vector<int> codes;
    ASSERT_TRUE(sheet.beginSheet([&](int code) { codes.push_back(code); }));
    EXPECT_EQ(parent.attachedSheet(), sheet.window());
    EXPECT_EQ(sheet.window()->windowModality(), Qt::WindowModal);

    // OK: the size matched and stored, code 1.
    type(*sheet.widthField(), "768");
    QTest::keyClick(sheet.widthField(), Qt::Key_Tab);
    sheet.selectedMetrics()->setHeight(1024);
    sheet.ok(1);
    EXPECT_EQ(codes, std::vector<int>{1});
    EXPECT_EQ(sheet.selectedMetrics()->name(), "Pad");
    const auto stored = UserDefaults::instance().lastSelectedMetrics();
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->name(), "Pad");
    EXPECT_EQ(stored->anchorCorner(), 8);
    EXPECT_EQ(parent.attachedSheet(), nullptr);

    // Cancel (and Escape) answer 0.
    ASSERT_TRUE(sheet.beginSheet([&](int code) { codes.push_back(code); }));
    sheet.cancel(0);
    ASSERT_TRUE(sheet.beginSheet([&](int code) { codes.push_back(code); }));
    QTest::keyClick(sheet.window(), Qt::Key_Escape);
    EXPECT_EQ(codes, (std::vector<int>{1, 0, 0}));

    // A sheet whose window is gone just hides.
    sheet.setSheetParentWindow(nullptr);
    EXPECT_FALSE(sheet.beginSheet([](int) {}));
    sheet.endSheet(1);
}

TEST_F(MetricsSheetTest, ReturnInAFieldAppliesTheTypedSizeAsTheNamedPresetOfThatSize)
{
    // The shipped presets, whose custom entry has the size of a named one.
    MetricsWindowController shipped;
    pf::ScopedViewBuilder builder("SheetParent", [](pf::Responder*) { return new pf::View(pf::Rect(0, 0, 300, 200)); });
    pf::WindowController parent("SheetParent");
    shipped.setSheetParentWindow(&parent);
    shipped.setSelectedMetrics(usersSize());
    std::vector<int> codes;
    ASSERT_TRUE(shipped.beginSheet([&](int code) { codes.push_back(code); }));
    pf::drainMainQueue();

    shipped.widthField()->setFocus();
    type(*shipped.widthField(), "1024");
    QTest::keyClick(shipped.widthField(), Qt::Key_Tab);
    type(*shipped.heightField(), "768");
    // Return is the default button's key: the sheet ends with OK and the typed size.
    QTest::keyClick(shipped.heightField(), Qt::Key_Return);
    EXPECT_EQ(codes, std::vector<int>{1});
    const auto stored = UserDefaults::instance().lastSelectedMetrics();
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->width(), 1024);
    EXPECT_EQ(stored->height(), 768);
    EXPECT_TRUE(stored->name().startsWith("Desktop")) << stored->name().toStdString();
    EXPECT_EQ(stored->anchorCorner(), 8) << "the user's anchor stays";
    EXPECT_EQ(shipped.presetsMenuView()->currentText(), stored->name());

    // Escape in a field cancels, whatever was typed.
    ASSERT_TRUE(shipped.beginSheet([&](int code) { codes.push_back(code); }));
    pf::drainMainQueue();
    type(*shipped.widthField(), "500");
    QTest::keyClick(shipped.widthField(), Qt::Key_Escape);
    EXPECT_EQ(codes, (std::vector<int>{1, 0}));
    EXPECT_EQ(UserDefaults::instance().lastSelectedMetrics()->width(), 1024);
}

TEST_F(MetricsSheetTest, ThePicture)
{
    sheet.setSelectedMetrics(usersSize());
    QDialog* dialog = sheet.window();
    dialog->show();
    pf::drainMainQueue();
    const QImage picture = dialog->grab().toImage();
    EXPECT_EQ(picture.height(), dialog->height());
    // Kept for looking at; fonts differ between machines, so no reference.
    picture.save(QDir::temp().filePath("metrics-sheet.png"));
    dialog->hide();
}

} // namespace
