// The canvas's context menu as a model for selections and click points, and as the user opens it: a right
// press, the menu key, Shift+F10.
#include "canvas/support/CanvasFixture.h"

#include "manipulators/Manipulator.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Pasteboard.h"

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>

#include <algorithm>

namespace {

// Titles in order; "-" for a separator.
QStringList titlesOf(const pf::Menu& menu)
{
    QStringList titles;
    for (const auto& item : menu.items())
        titles << (item.isSeparator() ? QStringLiteral("-") : item.title());
    return titles;
}

} // namespace

class CanvasContextMenuTest : public CanvasFixture {
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        makeCanvas();
        windowServices.documentShown = &document;
        // Two shapes overlapping at (640, 430); `front` lies above `back`.
        back = addShape("Rectangle", pf::Rect(600, 400, 60, 60));
        front = addShape("Ellipse", pf::Rect(630, 420, 60, 60));
        endTurn();
        QGuiApplication::clipboard()->clear();
    }

    QStringList menuAt(const pf::Point& pagePoint)
    {
        pf::Menu menu;
        canvas->populateContextMenuForPoint(menu, pagePoint);
        const QStringList titles = titlesOf(menu);
        // The separator rule holds in every menu.
        if (!titles.isEmpty()) {
            EXPECT_NE(titles.front(), QStringLiteral("-")) << titles.join(u'|').toStdString();
            EXPECT_NE(titles.back(), QStringLiteral("-")) << titles.join(u'|').toStdString();
        }
        for (qsizetype i = 1; i < titles.size(); ++i)
            EXPECT_FALSE(titles[i] == u"-" && titles[i - 1] == u"-") << titles.join(u'|').toStdString();
        return titles;
    }
    QString selectTitle(const std::shared_ptr<Shape>& shape) const
    {
        return QStringLiteral("Select %1").arg(shape->displayTitle());
    }

    std::shared_ptr<Shape> back, front;
};

TEST_F(CanvasContextMenuTest, MenusForSelectionsAndClickPoints)
{
    const pf::Point overlap(640, 430);
    // Shapes on the clipboard, nothing selected, near the two: Paste, then both front to back.
    canvas->replaceSelectionWithShape(rectangle);
    canvas->copy();
    canvas->selectNone();
    EXPECT_EQ(menuAt(overlap), (QStringList{QStringLiteral("Paste"), QStringLiteral("-"), selectTitle(front),
                                            selectTitle(back)}));
    // Nothing to paste: the Select items alone; nowhere near anything: nothing at all.
    QGuiApplication::clipboard()->clear();
    EXPECT_EQ(menuAt(pf::Point(610, 405)), QStringList{selectTitle(back)});
    EXPECT_TRUE(menuAt(pf::Point(750, 560)).isEmpty());

    // A selected shape gets no Select item; the other one still does, after a separator.
    canvas->replaceSelectionWithShape(front);
    const QStringList one = menuAt(overlap);
    EXPECT_FALSE(one.contains(selectTitle(front)));
    ASSERT_GE(one.size(), 2);
    EXPECT_EQ(one.mid(one.size() - 2), (QStringList{QStringLiteral("-"), selectTitle(back)}));
    EXPECT_EQ(one.mid(0, 4), (QStringList{QStringLiteral("Cut"), QStringLiteral("Copy"), QStringLiteral("Duplicate"),
                                          QStringLiteral("-")}));

    struct Case {
        const char* what;
        Canvas::Shapes selection;
        std::function<void()> prepare;
        QStringList present;
        QStringList absent;
        // Titles that must follow each other directly, in the menu's order.
        QStringList run;
    };
    const Case cases[] = {
        {"a group and a shape", {group, rectangle}, {}, {"Group"}, {"Ungroup"}, {}},
        {"a group alone", {group}, {}, {"Ungroup"}, {"Group"}, {}},
        {"hidden and shown", {rectangle, ellipse}, [&] { ellipse->setHidden(true); }, {}, {"Unlock"},
         {"Hide", "Unhide", "Lock"}},
        {"locked and unlocked", {rectangle, ellipse}, [&] {
             ellipse->setHidden(false);
             ellipse->setLocked(true);
         },
         {}, {"Hide", "Unhide"}, {"Lock", "-", "Unlock"}},
        {"two pictures", {back, front}, [&] {
             ellipse->setLocked(false);
             back->setImageIdentifier(QStringLiteral("a.png"));
             front->setImageIdentifier(QStringLiteral("b.png"));
         },
         {"Replace Images\u2026", "Remove Images"}, {"Insert Image\u2026", "Replace Image\u2026"}, {}},
        {"one picture", {back}, {}, {"Replace Image\u2026", "Remove Image"}, {"Replace Images\u2026"}, {}},
        {"no picture", {rectangle}, {}, {"Insert Image\u2026"}, {"Remove Image", "Remove Images"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.prepare)
            c.prepare();
        canvas->replaceSelectionWithShapes(c.selection);
        const QStringList titles = menuAt(pf::Point(750, 560));
        for (const QString& title : c.present)
            EXPECT_TRUE(titles.contains(title)) << titles.join(u'|').toStdString();
        for (const QString& title : c.absent)
            EXPECT_FALSE(titles.contains(title)) << titles.join(u'|').toStdString();
        if (!c.run.isEmpty()) {
            const qsizetype at = titles.indexOf(c.run.front());
            ASSERT_GE(at, 0) << titles.join(u'|').toStdString();
            EXPECT_EQ(titles.mid(at, c.run.size()), c.run) << titles.join(u'|').toStdString();
        }
    }
}

TEST_F(CanvasContextMenuTest, EveryItemIsOneTheCanvasOrTheWindowPerforms)
{
    canvas->replaceSelectionWithShapes({rectangle, ellipse});
    pf::Menu menu;
    canvas->populateContextMenuForPoint(menu, pf::Point(640, 430));
    for (const auto& item : menu.items()) {
        if (item.isSeparator())
            continue;
        SCOPED_TRACE(item.title().toStdString());
        EXPECT_EQ(item.target(), canvas);
        EXPECT_TRUE(canvas->respondsToAction(item.action()));
        EXPECT_TRUE(item.isEnabledNow());
    }
    // The picture chooser is the canvas's window's, whoever has the keys.
    const auto chooser = std::find_if(menu.items().begin(), menu.items().end(),
                                      [](const pf::MenuItem& item) { return item.action() == u"browseForImage:"; });
    ASSERT_NE(chooser, menu.items().end());
    windowServices.calls.clear();
    EXPECT_TRUE(chooser->perform());
    EXPECT_EQ(windowServices.calls.count(QStringLiteral("browseForImage")), 1);
}

TEST_F(CanvasContextMenuTest, ARightPressPresentsTheMenuATurnLaterAndItsSelectItemSelectsThatShape)
{
    std::vector<QStringList> shown;
    QAction* chosen = nullptr;
    pf::MenuPresenter::ScopedRunner runner([&](QMenu& qmenu, pf::Point) {
        QStringList titles;
        for (QAction* action : qmenu.actions()) {
            titles << (action->isSeparator() ? QStringLiteral("-") : action->text());
            if (action->text() == selectTitle(back))
                chosen = action;
        }
        shown.push_back(titles);
        if (chosen)
            chosen->trigger();
    });
    canvas->replaceSelectionWithShape(rectangle);
    press(pf::Point(640, 430), {}, Qt::RightButton);
    release(pf::Point(640, 430), {}, Qt::RightButton);
    EXPECT_TRUE(shown.empty());
    endTurn();
    endTurn();
    ASSERT_EQ(shown.size(), 1u);
    // The press selected the front shape; the one behind is offered.
    EXPECT_TRUE(shown[0].contains(selectTitle(back)));
    EXPECT_FALSE(shown[0].contains(selectTitle(front)));
    EXPECT_EQ(canvas->selectedShapes(), Canvas::Shapes{back});

    // The menu key and Shift+F10, with the pointer away from the canvas: at the selection's centre, the
    // same menu as a right press there.
    chosen = nullptr;
    shown.clear();
    QCursor::setPos(-5000, -5000);
    const pf::Point centre(ellipse->frame().midX(), ellipse->frame().midY());
    press(centre, {}, Qt::RightButton);
    release(centre, {}, Qt::RightButton);
    ASSERT_EQ(canvas->selectedShapes(), Canvas::Shapes{ellipse});
    endTurn();
    endTurn();
    canvas->setFocus();
    keyDown(Qt::Key_Menu);
    endTurn();
    endTurn();
    keyDown(Qt::Key_F10, Qt::ShiftModifier);
    endTurn();
    endTurn();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[1], shown[0]);
    EXPECT_EQ(shown[2], shown[0]);
}
