// The edit commands' tests over the selections that tell them apart, the commands found through the
// responder chain and the menu, and the small commands.
#include "canvas/support/CanvasFixture.h"

#include "manipulators/Manipulator.h"
#include "model/Group.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Services.h"

#include <QLineEdit>
#include <QTest>

#include <set>

class CanvasEditCommandsTest : public CanvasFixture {
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        makeCanvas();
    }

    int beeps = 0;
    pf::ScopedBeepSink beepSink{[this] { ++beeps; }};
};

TEST_F(CanvasEditCommandsTest, EachTestAnswersForTheSelectionsThatTellItApart)
{
    using Test = bool (Canvas::*)() const;
    const std::pair<const char*, Test> tests[] = {
        {"remove", &Canvas::canRemove},     {"cut", &Canvas::canCut},
        {"copy", &Canvas::canCopy},         {"duplicate", &Canvas::canDuplicate},
        {"group", &Canvas::canGroup},       {"ungroup", &Canvas::canUngroup},
        {"hide", &Canvas::canHide},         {"unhide", &Canvas::canUnhide},
        {"lock", &Canvas::canLock},         {"unlock", &Canvas::canUnlock},
        {"align", &Canvas::canAlign},       {"invert", &Canvas::canInvert},
        {"intersect", &Canvas::canIntersect}, {"front", &Canvas::canBringToFront},
        {"flip", &Canvas::canFlip},         {"combine", &Canvas::canCombineShapes},
        {"convert", &Canvas::canConvertToBezier}, {"copyStyle", &Canvas::canCopyStyle},
        {"selectNone", &Canvas::canSelectNone},
    };
    const auto child = std::dynamic_pointer_cast<Group>(group)->children().front();
    auto* field = new QLineEdit(window.get());
    field->hide();

    struct Case {
        const char* what;
        std::function<void()> prepare;
        Canvas::Shapes selection;
        // One digit per test, in the order above.
        const char* expected;
    };
    const Case cases[] = {
        // Nothing selected converts nothing: Convert to Bezier is off.
        {"none", {}, {}, "0000000000000000000"},
        {"one", {}, {rectangle}, "1111001010010100111"},
        {"two", {}, {rectangle, ellipse}, "1111101010101100101"},
        // A plain line (a connector) has no outline to convert.
        {"three", {}, {rectangle, ellipse, line}, "1111101010100100001"},
        {"one locked of two", [&] { rectangle->setLocked(true); }, {rectangle, ellipse}, "0000100011000100001"},
        {"hidden", [&] { rectangle->setHidden(true); }, {rectangle}, "1111000110010100111"},
        {"inside a group", {}, {child}, "0011001010000000011"},
        {"a group", {}, {group}, "1111011010010100001"},
        {"text field has the keys",
         [&] {
             field->show();
             window->activateWindow();
             ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
             field->setFocus();
         },
         {rectangle}, "0000001010010100011"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        rectangle->setLocked(false);
        rectangle->setHidden(false);
        field->hide();
        canvas->selectNone();
        if (c.prepare)
            c.prepare();
        if (!c.selection.empty())
            canvas->replaceSelectionWithShapes(c.selection);
        QString answers;
        for (const auto& [name, test] : tests)
            answers += (canvas->*test)() ? u'1' : u'0';
        EXPECT_EQ(answers.toStdString(), c.expected);
    }
}

TEST_F(CanvasEditCommandsTest, SelectAllTakesTheUnlockedTopLevelShapes)
{
    ellipse->setLocked(true);
    canvas->selectAll();
    const auto selected = canvas->selectedShapes();
    EXPECT_EQ(std::set<std::shared_ptr<Shape>>(selected.begin(), selected.end()),
              (std::set<std::shared_ptr<Shape>>{rectangle, line, group}));

    // Nothing to select: the command is off, although the page holds its own selection object.
    canvas->selectNone();
    for (const auto& shape : {rectangle, line, group})
        shape->setLocked(true);
    EXPECT_FALSE(canvas->canSelectAll());
    canvas->selectAll();
    EXPECT_FALSE(canvas->hasSelection());
}

TEST_F(CanvasEditCommandsTest, MenuItemsFindTheCanvasAndFollowItsTests)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    canvas->setFocus();

    pf::Menu menu;
    menu.addItem(QStringLiteral("Delete"), QStringLiteral("remove:"));
    menu.addItem(QStringLiteral("Duplicate"), QStringLiteral("duplicate:"));
    menu.addItem(QStringLiteral("Group"), QStringLiteral("group:"));
    menu.addItem(QStringLiteral("Select All"), QStringLiteral("selectAll:"));
    EXPECT_EQ(menu.itemAt(0).resolvedTarget(), canvas);
    EXPECT_FALSE(menu.itemAt(0).isEnabledNow());
    EXPECT_FALSE(menu.itemAt(1).isEnabledNow());
    EXPECT_TRUE(menu.itemAt(3).isEnabledNow());

    canvas->replaceSelectionWithShape(rectangle);
    EXPECT_TRUE(menu.itemAt(0).isEnabledNow());
    EXPECT_FALSE(menu.itemAt(2).isEnabledNow());
    EXPECT_TRUE(menu.itemAt(1).perform());
    endTurn();
    ASSERT_EQ(canvas->selectedShapes().size(), 1u);
    EXPECT_NE(canvas->selectedShapes().front(), rectangle);

    // Delete of a locked shape beeps and leaves it.
    rectangle->setLocked(true);
    canvas->replaceSelectionWithShape(rectangle);
    EXPECT_TRUE(menu.itemAt(0).perform());
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(rectangle->composition());
    rectangle->setLocked(false);
    canvas->replaceSelectionWithShape(rectangle);
    EXPECT_TRUE(menu.itemAt(0).perform());
    EXPECT_FALSE(rectangle->composition());
}

TEST_F(CanvasEditCommandsTest, SelectShapeAndRemoveImages)
{
    canvas->replaceSelectionWithShapes({rectangle, ellipse});
    pf::MenuItem item(QStringLiteral("Line"), QStringLiteral("selectShape:"), canvas);
    item.setRepresentedObject(pf::Variant(line));
    EXPECT_TRUE(item.perform());
    EXPECT_EQ(canvas->selectedShapes(), Canvas::Shapes{line});

    rectangle->setImageIdentifier(QStringLiteral("picture"));
    canvas->replaceSelectionWithShape(rectangle);
    canvas->removeImages();
    EXPECT_TRUE(rectangle->imageIdentifier().isNull());
}
