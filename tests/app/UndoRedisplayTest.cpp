// What the canvas repaints when the user undoes and redoes an edit on a page full of shapes, and what the
// page's tab draws again after an edit.
#include "app/AppDelegate.h"
#include "app/AppWindowController.h"
#include "app/DocumentFixture.h"
#include "app/PaintRecorder.h"
#include "app/UserScripts.h"
#include "canvas/Canvas.h"
#include "geometry/QVColor.h"
#include "geometry/QVRect.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "model/Metrics.h"
#include "model/Rectangle.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/UndoManager.h"
#include "platform/kit/Window.h"
#include "shell/TKTabListItem.h"
#include "shell/TKTabsListViewController.h"

#include <QApplication>
#include <QRegion>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// No start-up or shut-down items here.
class NoScripts : public ScriptRunner {
public:
    void run(const QString&, std::function<void(const ScriptResult&)> done) override { done({}); }
};

// A rectangle that counts the times its content is drawn into a page picture (a tab's).
class CountingRectangle : public Rectangle {
public:
    void drawContentInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty) override
    {
        if (composition() && composition()->isDrawingThumbnail())
            ++thumbnailDraws;
        Rectangle::drawContentInContextDirtyRect(context, dirty);
    }
    int thumbnailDraws = 0;
};

// A document window on a page of 15 x 15 squares, the canvas its first responder, undo routed through the
// application as in the program.
class UndoRedisplayTest : public BasicDocumentWindowFixture<DocumentController> {
protected:
    static constexpr int columns = 15;

    void SetUp() override
    {
        BasicDocumentWindowFixture::SetUp();
        application = std::make_unique<Application>(&controller, dir.filePath("data"), std::make_unique<NoScripts>());
        window = newDocumentWindow().second;
        ASSERT_TRUE(window);
        showForInput(*window);
        canvas = window->canvasView();
        page = window->selectedComposition();
        ASSERT_TRUE(page);
        page->setGridEnabled(false);
        for (int i = 0; i < columns * columns; ++i)
            page->addShape(Shape::make<CountingRectangle>(square(i)));
        canvas->selectNone();
        window->windowUndoManager()->removeAllActions();
        settle();
    }
    void TearDown() override
    {
        BasicDocumentWindowFixture::TearDown();
        application.reset();
    }

    static pf::Rect square(int i) { return pf::Rect((i % columns) * 30.0 + 5, (i / columns) * 30.0 + 5, 20, 20); }
    std::shared_ptr<Shape> shapeAt(int i) const { return page->shapeAtPoint(QVRectGetMidMidPoint(square(i))); }

    // Turns of the event loop with the clock on: the tool's end, the palettes, the paints.
    void settle()
    {
        for (int i = 0; i < 3; ++i) {
            clock.advance(std::chrono::milliseconds(200));
            pf::drainMainQueue();
            QApplication::processEvents();
        }
    }
    void mouse(QEvent::Type type, const pf::Point& pagePoint, Qt::KeyboardModifiers modifiers = {})
    {
        const QPointF local = canvas->convertPointFromComposition(pagePoint).toQt();
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(type, local, canvas->mapToGlobal(local), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      held, modifiers);
        e.setTimestamp(milliseconds += 5000);
        QCoreApplication::sendEvent(canvas, &e);
    }
    void drag(const pf::Point& from, const pf::Point& to)
    {
        mouse(QEvent::MouseButtonPress, from);
        for (int i = 1; i <= 4; ++i)
            mouse(QEvent::MouseMove, from + (to - from) * (i / 4.0));
        mouse(QEvent::MouseButtonRelease, to);
        settle();
    }
    void click(const pf::Point& at, Qt::KeyboardModifiers modifiers = {})
    {
        mouse(QEvent::MouseButtonPress, at, modifiers);
        mouse(QEvent::MouseButtonRelease, at, modifiers);
        settle();
    }
    void doubleClick(const pf::Point& at)
    {
        for (int i = 0; i < 2; ++i) {
            mouse(QEvent::MouseButtonPress, at);
            mouse(QEvent::MouseButtonRelease, at);
            milliseconds -= 2 * 5000 - 50;
        }
        settle();
    }
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(canvas, k, modifiers);
        settle();
    }

    // The canvas as the window shows it: only what was asked to be repainted has been painted again.
    QImage shown() const
    {
        QWidget* top = canvas->window();
        const pf::Rect visible = canvas->visibleRect();
        const QPoint at = canvas->mapTo(top, visible.origin.toQt().toPoint());
        return top->screen()
            ->grabWindow(top->winId(), at.x(), at.y(), int(visible.width()), int(visible.height()))
            .toImage();
    }
    // The same after the whole canvas has been painted again.
    QImage redrawnWhole() const
    {
        canvas->repaint();
        return shown();
    }
    // How far a single shape's selection reaches past the shape on screen (handles keep their size at
    // every zoom): the rotation handle and its bar, the connection handle.
    int handleReach()
    {
        const auto shape = shapeAt(0);
        canvas->replaceSelectionWithShape(shape);
        const pf::Rect outer = canvas->convertRectFromComposition(canvas->manipulator()->dirtyRect());
        const pf::Rect inner = canvas->convertRectFromComposition(shape->dirtyRect());
        canvas->selectNone();
        settle();
        return int(std::ceil(std::max({inner.minX() - outer.minX(), inner.minY() - outer.minY(),
                                       outer.maxX() - inner.maxX(), outer.maxY() - inner.maxY()}))) + 1;
    }
    // In the canvas's pixels: where these shapes are drawn now (those on the page), and where their
    // selection's handles would be.
    QRegion areaOf(const std::vector<std::shared_ptr<Shape>>& shapes, int reach) const
    {
        QRegion area;
        for (const auto& shape : shapes)
            if (shape->composition())
                area += canvas->convertRectFromComposition(shape->dirtyRect())
                            .integral()
                            .toQt()
                            .toRect()
                            .adjusted(-reach, -reach, reach, reach);
        return area;
    }

    pf::VirtualClock clock;
    std::unique_ptr<Application> application;
    AppWindowController* window = nullptr;
    Canvas* canvas = nullptr;
    std::shared_ptr<Composition> page;
    unsigned long milliseconds = 1000;
};

// Undo and redo of each common edit repaint the area of the shapes they change and of the selection,
// before and after, not the whole view, and the canvas then shows exactly what a whole redraw shows.
TEST_F(UndoRedisplayTest, UndoAndRedoRepaintOnlyWhatTheyChange)
{
    struct Case {
        const char* name;
        // Makes the edit as the user does, and answers the shapes it changed or moved over.
        std::function<std::vector<std::shared_ptr<Shape>>()> edit;
    };
    const auto pageShapes = [this] {
        std::vector<std::shared_ptr<Shape>> shapes;
        for (const auto& child : page->children())
            if (child->isSavable())
                shapes.push_back(child);
        return shapes;
    };
    const Case cases[] = {
        {"drawing a rectangle",
         [&] {
             const auto before = pageShapes();
             key(Qt::Key_R);
             drag(pf::Point(480, 100), pf::Point(560, 160));
             const auto after = pageShapes();
             EXPECT_EQ(after.size(), before.size() + 1);
             return std::vector{after.back()};
         }},
        {"a move",
         [&] {
             const auto shape = shapeAt(16);
             drag(QVRectGetMidMidPoint(square(16)), QVRectGetMidMidPoint(square(16)) + pf::Point(37, 23));
             EXPECT_NE(shape->frame(), square(16));
             return std::vector{shape};
         }},
        {"a resize",
         [&] {
             const auto shape = shapeAt(48);
             click(QVRectGetMidMidPoint(square(48)));
             drag(QVRectGetBotRitPoint(square(48)), QVRectGetBotRitPoint(square(48)) + pf::Point(25, 15));
             EXPECT_NE(shape->frame().size, square(48).size);
             return std::vector{shape};
         }},
        {"a fill colour",
         [&] {
             const auto shape = shapeAt(80);
             click(QVRectGetMidMidPoint(square(80)));
             canvas->manipulator()->setValueForKeyPath(pf::Color(0.9, 0.2, 0.1, 1), QStringLiteral("fillColor"));
             settle();
             EXPECT_EQ(shape->fillColor(), pf::Color(0.9, 0.2, 0.1, 1));
             return std::vector{shape};
         }},
        {"a delete",
         [&] {
             const auto first = shapeAt(100), second = shapeAt(102);
             click(QVRectGetMidMidPoint(square(100)));
             click(QVRectGetMidMidPoint(square(102)), Qt::ShiftModifier);
             key(Qt::Key_Delete);
             EXPECT_EQ(first->composition(), nullptr);
             return std::vector{first, second};
         }},
        {"typing a text",
         [&] {
             const auto shape = shapeAt(110);
             doubleClick(QVRectGetMidMidPoint(square(110)));
             EXPECT_TRUE(canvas->isEditingText());
             QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Hi"));
             settle();
             return std::vector{shape};
         }},
        {"a paste of many shapes",
         [&] {
             // A rubber band round three rows of three, copied and pasted.
             drag(pf::Point(152, 152), pf::Point(238, 238));
             const auto sources = canvas->selectedShapes();
             EXPECT_EQ(sources.size(), 9u);
             key(Qt::Key_C, Qt::ControlModifier);
             const auto before = pageShapes();
             key(Qt::Key_V, Qt::ControlModifier);
             const auto after = pageShapes();
             EXPECT_EQ(after.size(), before.size() + 9);
             // The copies are made on their sources and then placed where the band began.
             auto changed = std::vector(after.end() - 9, after.end());
             changed.insert(changed.end(), sources.begin(), sources.end());
             return changed;
         }},
    };
    // The page as undo must give it back: each shape with its frame, fill and text.
    const auto state = [&] {
        QStringList shapes;
        for (const auto& shape : pageShapes())
            shapes << shape->identifier() + pf::toString(shape->frame()) + QVStringFromColor(shape->fillColor())
                    + (shape->attributedText() ? shape->attributedText()->string() : QString());
        return shapes;
    };
    const int reach = handleReach();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QStringList before = state();
        const auto changed = c.edit();
        // Where the shapes are after the edit.
        const QRegion edited = areaOf(changed, reach);
        const QStringList after = state();
        ASSERT_NE(after, before);
        redrawnWhole();
        // Where the shapes are after each step joins it: redo passes back over where undo put them.
        QRegion area = edited;
        for (const bool redo : {false, true}) {
            SCOPED_TRACE(redo ? "redo" : "undo");
            const QImage earlier = shown();
            PaintRecorder recorder(canvas);
            key(Qt::Key_Z, redo ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
            EXPECT_EQ(state(), redo ? after : before);
            area += areaOf(changed, reach);
            EXPECT_FALSE(recorder.painted.isEmpty());
            EXPECT_EQ(recorder.painted.subtracted(area), QRegion())
                << "painted " << recorder.painted.boundingRect().width() << " x "
                << recorder.painted.boundingRect().height() << " pixels";
            const QImage partly = shown();
            EXPECT_TRUE(partly != earlier) << "the step shows";
            EXPECT_TRUE(partly == redrawnWhole()) << "the canvas differs from a whole redraw";
        }
        canvas->selectNone();
        settle();
    }
}

// The page's tab after each common edit, once the refresh interval has passed: it shows exactly what a
// fresh drawing of the page shows, though it drew again only the shapes about the edit.
TEST_F(UndoRedisplayTest, ThePagesTabDrawsOnlyAboutAnEditAndMatchesAFreshDrawing)
{
    if (!window->isTabsPaletteVisible())
        window->toggleTabsPalette();
    // A page larger than the canvas shows, as a page of many shapes is: the end of a mouse drag asks the
    // whole visible area to be drawn again.
    auto metrics = std::make_shared<Metrics>();
    metrics->setWidth(3072);
    metrics->setHeight(2304);
    page->setMetrics(metrics);
    // Overlapping shapes with strokes and a shadow across the squares, so that the redrawn pixels cut
    // through drawings that stay.
    for (int i = 0; i < 6; ++i) {
        auto shape = Shape::make<CountingRectangle>(pf::Rect(40.0 + 50 * i, 70.0 + 20 * i, 90, 50));
        shape->setFillColor(pf::Color(0.2 * i, 0.5, 1 - 0.15 * i, 0.7));
        shape->setStrokeColor(pf::Color(0, 0, 0, 1));
        shape->setStrokeLineWidth(1.0 + i);
        if (i == 2) {
            shape->setFillShadowHidden(false);
            shape->setFillShadowColor(pf::Color(0, 0, 0, 0.4));
            shape->setFillShadowBlur(6);
            shape->setFillShadowOffsetX(4);
            shape->setFillShadowOffsetY(4);
        }
        page->addShape(shape);
    }
    auto* strip = dynamic_cast<TKTabsListViewController*>(window->tabsListViewController());
    ASSERT_NE(strip, nullptr);
    auto* tab = dynamic_cast<TKTabListItem*>(strip->listView()->itemAtIndex(0));
    ASSERT_NE(tab, nullptr);
    ASSERT_EQ(tab->representedObject(), page);

    const auto geometry = [&] {
        return TKPageThumbnailGeometry::forPage(page->frame().size, tab->thumbnailRectForBounds(tab->bounds()));
    };
    // The tab as painted, and the picture it keeps beside a fresh drawing of the page.
    const auto shownTab = [&](TKTabListItem& item) {
        QImage image(item.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        item.render(&image);
        return image;
    };
    const auto freshTab = [&] {
        TKTabListItem item;
        standInFor(item, *tab, strip);
        return shownTab(item);
    };
    // Shapes far from every edit, in the page's other corner.
    std::vector<std::shared_ptr<CountingRectangle>> far;
    for (int i = 0; i < 4; ++i) {
        far.push_back(Shape::make<CountingRectangle>(pf::Rect(2500.0 + 120 * i, 1900.0 + 80 * i, 100, 60)));
        page->addShape(far.back());
    }
    const auto farDraws = [&] {
        int draws = 0;
        for (const auto& shape : far)
            draws += shape->thumbnailDraws;
        return draws;
    };
    canvas->selectNone();
    window->windowUndoManager()->removeAllActions();
    settle();
    shownTab(*tab);

    struct Case {
        const char* name;
        std::function<void()> select;
        std::function<void()> edit;
    };
    const auto nothing = [] {};
    const Case cases[] = {
        {"a drag", nothing,
         [&] { drag(QVRectGetMidMidPoint(square(16)), QVRectGetMidMidPoint(square(16)) + pf::Point(37, 23)); }},
        {"a nudge", [&] { click(QVRectGetMidMidPoint(square(200))); }, [&] { key(Qt::Key_Right, Qt::ShiftModifier); }},
        {"an undo", nothing, [&] { key(Qt::Key_Z, Qt::ControlModifier); }},
        {"a fill colour", [&] { click(pf::Point(250, 165)); }, // the fifth overlapping shape, over squares
         [&] {
             canvas->manipulator()->setValueForKeyPath(pf::Color(0.9, 0.2, 0.1, 1), QStringLiteral("fillColor"));
             settle();
         }},
        {"a delete", [&] { click(QVRectGetMidMidPoint(square(130))); }, [&] { key(Qt::Key_Delete); }},
        {"a paste", [&] { click(QVRectGetMidMidPoint(square(220))); },
         [&] {
             key(Qt::Key_C, Qt::ControlModifier);
             key(Qt::Key_V, Qt::ControlModifier);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.select();
        clock.advance(TKTabListItem::pictureRefreshInterval);
        pf::drainMainQueue();
        const QImage before = shownTab(*tab);
        const int farBefore = farDraws();
        const int whole = tab->wholePageDrawCount();
        const int all = tab->pageDrawCount();
        c.edit();
        clock.advance(TKTabListItem::pictureRefreshInterval);
        pf::drainMainQueue();
        const QImage after = shownTab(*tab);
        // Drawn again only about the edit: neither the whole page nor the shapes far from it.
        EXPECT_EQ(farDraws(), farBefore);
        EXPECT_GT(tab->pageDrawCount(), all);
        EXPECT_EQ(tab->wholePageDrawCount(), whole);

        EXPECT_FALSE(tab->isThumbnailRefreshPending());
        EXPECT_NE(after, before) << "the edit shows in the tab";
        EXPECT_EQ(after, freshTab()) << "the tab differs from a fresh drawing";
        // The kept picture itself, pixel for pixel, as a whole render makes it.
        const TKPageThumbnailImage kept = tab->pageThumbnail(*page, geometry());
        EXPECT_EQ(kept.image, TKPageThumbnailImage::render(*page, geometry(), kept.image.devicePixelRatio()).image);
    }
}

} // namespace
