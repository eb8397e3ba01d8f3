// The library palette's behaviour: its rows and tool rows, the selection as the window's drawing tool, the
// search field's editing and keys, adding kinds to the front page, and what a drag of a row carries.
#include "LibraryFixture.h"

#include "canvas/MouseStrategy.h"
#include "model/ShapeClass.h"
#include "palettes/LibraryCatalogue.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/kit/DraggingSource.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/PasteboardRecords.h"
#include "shell/ZOVDragEffectManager.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>

namespace {

class LibraryPaletteTest : public LibraryFixture {
protected:
    std::size_t countOfKind(const char* className) const
    {
        std::size_t n = 0;
        for (const auto& child : page->children())
            n += child->classObject().className() == QLatin1String(className);
        return n;
    }
    void postToolKey(const QString& className)
    {
        pf::NotificationCenter::defaultCenter().post(
            QString::fromLatin1(Canvas::ModeKeyboardShortcutWasTriggeredNotification), window.get(),
            {{QStringLiteral("ShapeClassName"), className}});
    }
};

TEST_F(LibraryPaletteTest, ListsEveryKindAndKnowsTheToolRowsOfTheFilteredList)
{
    EXPECT_EQ(controller->filteredShapeInfos(), controller->allShapeInfos());
    EXPECT_EQ(list().items().empty(), false);
    for (const QString& tool : library::toolClassNames())
        EXPECT_EQ(controller->shapeClassIndexTab().at(tool),
                  std::size_t(library::catalogueClassNames().indexOf(tool)))
            << tool.toStdString();
    EXPECT_EQ(controller->bezierIndex(), 0u);
    EXPECT_EQ(controller->brushIndex(), 1u);
    EXPECT_EQ(controller->pathIndex(), rowOf("Path"));

    type(QStringLiteral("ellipse"));
    EXPECT_EQ(controller->shapeClassIndexTab().at(QStringLiteral("Ellipse")), rowOf("Ellipse"));
    EXPECT_EQ(controller->shapeClassIndexTab().at(QStringLiteral("Rectangle")), pf::NotFound);
    EXPECT_EQ(controller->bezierIndex(), pf::NotFound);
}

TEST_F(LibraryPaletteTest, AWheelNotchOverTheListMovesItByAboutARow)
{
    pf::ScrollView& scroll = *list().scrollView();
    scroll.scrollPoint(pf::Point());
    endTurn();
    const double row = list().frameForItemAtIndex(0).height();
    ASSERT_GT(row, 0);
    ASSERT_GT(list().frame().height(), scroll.contentSize().height + 3 * row) << "room to scroll";
    // Notches over the middle of what shows of the list, as the platform sends them.
    const auto roll = [&](int notches) {
        const QPointF local(list().width() / 2.0, scroll.scrollOrigin().y + scroll.contentSize().height / 2);
        QWheelEvent wheel(local, list().mapToGlobal(local), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QSpontaneKeyEvent::setSpontaneous(&wheel);
        qApp->notify(&list(), &wheel);
        endTurn();
    };
    roll(-1);
    const double moved = scroll.scrollOrigin().y;
    EXPECT_GE(moved, row * 0.75) << "row " << row;
    EXPECT_LE(moved, row * 2) << "row " << row;
    roll(-2);
    EXPECT_DOUBLE_EQ(scroll.scrollOrigin().y, 3 * moved) << "each notch the same step";
    roll(3);
    EXPECT_EQ(scroll.scrollOrigin().y, 0);
}

TEST_F(LibraryPaletteTest, ARowChosenStartsItsToolOnTheWindowsCanvas)
{
    const struct {
        const char* row;
        QString notice;
    } cases[] = {
        {"Pointer", u"CanvasShapeModeWasActivatedNotification Pointer"_qs},
        {"Ellipse", u"CanvasShapeModeWasActivatedNotification Ellipse"_qs},
        {"Line", u"CanvasShapeModeWasActivatedNotification Line"_qs},
        {"Bezier", u"CanvasBezierModeWasActivatedNotification"_qs},
        {"Brush", u"CanvasBrushModeWasActivatedNotification"_qs},
        {"Path", u"CanvasPathModeWasActivatedNotification"_qs},
    };
    for (const auto& c : cases) {
        posted.clear();
        clickRow(rowOf(c.row));
        endTurn();
        EXPECT_EQ(posted, QStringList{c.notice}) << c.row;
        EXPECT_EQ(selectedClass(), QLatin1String(c.row));
    }
    // The canvas runs the shape tool of a chosen kind.
    clickRow(rowOf("Ellipse"));
    endTurn();
    EXPECT_NE(canvas->mouseStrategy(), nullptr);
}

TEST_F(LibraryPaletteTest, ClickingTheChosenRowPutsItsToolDown)
{
    clickRow(rowOf("Ellipse"));
    endTurn();
    ASSERT_NE(canvas->mouseStrategy(), nullptr);
    posted.clear();

    clickRow(rowOf("Ellipse"));
    endTurn();
    EXPECT_EQ(controller->selectedIndex(), pf::NotFound);
    EXPECT_TRUE(front.calls.contains(u"revert"_qs));
    EXPECT_EQ(canvas->mouseStrategy(), nullptr);
    EXPECT_TRUE(posted.isEmpty());
}

TEST_F(LibraryPaletteTest, TypingMovesTheSelectionWithoutStartingTools)
{
    type(QStringLiteral("arrow"));
    EXPECT_TRUE(controller->isFiltering());
    // Editing begins on the first row.
    EXPECT_EQ(controller->selectedIndex(), 0u);
    for (int i = 0; i < 10 && selectedClass() != u"DoubleArrow"; ++i)
        key(Qt::Key_Down);
    ASSERT_EQ(selectedClass(), u"DoubleArrow");
    const std::size_t before = controller->selectedIndex();
    // Still listed, elsewhere: kept.
    type(QStringLiteral(" d"));
    EXPECT_EQ(selectedClass(), u"DoubleArrow");
    EXPECT_NE(controller->selectedIndex(), before);
    key(Qt::Key_Backspace);
    key(Qt::Key_Backspace);
    EXPECT_EQ(selectedClass(), u"DoubleArrow");
    // Gone: the first row, while editing.
    type(QStringLiteral(" big"));
    EXPECT_EQ(controller->selectedIndex(), 0u);
    EXPECT_NE(selectedClass(), u"DoubleArrow");
    EXPECT_TRUE(posted.isEmpty());
    EXPECT_EQ(canvas->mouseStrategy(), nullptr);

    // Editing over: the selection goes on the next turn.
    field().endEditing();
    EXPECT_FALSE(controller->isFiltering());
    EXPECT_EQ(controller->selectedIndex(), 0u);
    endTurn();
    EXPECT_EQ(controller->selectedIndex(), pf::NotFound);
    // The query stays, and so do its rows.
    EXPECT_EQ(controller->filteredShapeInfos().size(), library::filterEntries(controller->allShapeInfos(),
                                                                               u"arrow big"_qs)
                                                           .size());
}

TEST_F(LibraryPaletteTest, ThePenAndBrushRowsOutliveTheEndOfTheSearch)
{
    const struct {
        const char* query;
        bool kept;
    } cases[] = {{"bezier", true}, {"brush", true}, {"ellipse", false}};
    for (const auto& c : cases) {
        field().clear();
        type(QString::fromLatin1(c.query));
        ASSERT_EQ(controller->selectedIndex(), 0u) << c.query;
        field().endEditing();
        endTurn();
        EXPECT_EQ(controller->selectedIndex() != pf::NotFound, c.kept) << c.query;
        controller->setSelectedIndex(pf::NotFound);
    }
}

TEST_F(LibraryPaletteTest, AKeptRowThatMovesWhenTheSearchIsClearedAsksForItsOwnTool)
{
    type(QStringLiteral("brush"));
    ASSERT_EQ(rowOf("Brush"), 0u);
    field().endEditing();
    endTurn();
    ASSERT_EQ(selectedClass(), u"Brush");
    posted.clear();
    // The clear button empties the field: the brush row moves down to its place in the whole list.
    field().clear();
    EXPECT_EQ(controller->selectedIndex(), 1u);
    EXPECT_EQ(posted, QStringList{u"CanvasBrushModeWasActivatedNotification"_qs});
}

TEST_F(LibraryPaletteTest, UpAndDownStopAtTheEndsAndAreNotHandledWithoutRows)
{
    type(QStringLiteral("arrow"));
    const std::size_t rows = controller->filteredShapeInfos().size();
    ASSERT_GE(rows, 2u);
    EXPECT_TRUE(controller->changeSelectionByMovingUp(true));
    EXPECT_EQ(controller->selectedIndex(), 0u);
    for (std::size_t i = 0; i < rows + 2; ++i)
        EXPECT_TRUE(controller->changeSelectionByMovingUp(false));
    EXPECT_EQ(controller->selectedIndex(), rows - 1);

    type(QStringLiteral("zzzz"));
    EXPECT_TRUE(controller->filteredShapeInfos().empty());
    EXPECT_FALSE(controller->changeSelectionByMovingUp(false));
    EXPECT_FALSE(controller->changeSelectionByMovingUp(true));
    EXPECT_EQ(controller->selectedIndex(), pf::NotFound);
    // The field keeps the key it does not handle.
    key(Qt::Key_Down);
    EXPECT_EQ(controller->selectedIndex(), pf::NotFound);
}

TEST_F(LibraryPaletteTest, TheCanvasToolKeysAndEndsDriveTheSelection)
{
    postToolKey(QStringLiteral("Ellipse"));
    EXPECT_EQ(selectedClass(), u"Ellipse");
    EXPECT_EQ(posted, QStringList{u"CanvasShapeModeWasActivatedNotification Ellipse"_qs});

    // A name outside the tool table chooses no row.
    postToolKey(QStringLiteral("Star"));
    EXPECT_EQ(controller->selectedIndex(), pf::NotFound);

    // A finished tool clears the selection.
    postToolKey(QStringLiteral("Rectangle"));
    ASSERT_EQ(selectedClass(), u"Rectangle");
    pf::NotificationCenter::defaultCenter().post(QString::fromLatin1(Canvas::DidClearListSelectionNotification),
                                                 window.get());
    EXPECT_EQ(controller->selectedIndex(), pf::NotFound);

    // A tool key for a kind the query hides clears the selection.
    postToolKey(QStringLiteral("Line"));
    type(QStringLiteral("line"));
    field().endEditing();
    endTurn();
    postToolKey(QStringLiteral("Line"));
    ASSERT_NE(controller->selectedIndex(), pf::NotFound);
    postToolKey(QStringLiteral("Ellipse"));
    EXPECT_EQ(controller->selectedIndex(), pf::NotFound);
}

TEST_F(LibraryPaletteTest, ARowClickedJustAfterTypingKeepsItsTool)
{
    // "ellipse" lists the ellipse first, where typing has put the selection already. The field may lose
    // the keys to the list before the press arrives.
    const struct {
        const char* query;
        bool keysLeaveFirst;
    } cases[] = {{"ell", false}, {"ellipse", false}, {"ellipse", true}};
    for (const auto& c : cases) {
        field().clear();
        controller->setSelectedIndex(pf::NotFound);
        posted.clear();
        type(QString::fromLatin1(c.query));
        ASSERT_TRUE(controller->isFiltering());
        if (c.keysLeaveFirst)
            field().endEditing();
        clickRow(rowOf("Ellipse"));
        EXPECT_FALSE(controller->isFiltering());
        endTurn();
        endTurn();
        EXPECT_EQ(selectedClass(), u"Ellipse") << c.query << c.keysLeaveFirst;
        EXPECT_NE(canvas->mouseStrategy(), nullptr) << c.query << c.keysLeaveFirst;
        EXPECT_EQ(posted, QStringList{u"CanvasShapeModeWasActivatedNotification Ellipse"_qs})
            << c.query << c.keysLeaveFirst;
    }
    EXPECT_EQ(rowOf("Ellipse"), 0u);
    // Chosen, the row goes with the next click.
    clickRow(rowOf("Ellipse"));
    EXPECT_EQ(controller->selectedIndex(), pf::NotFound);
}

TEST_F(LibraryPaletteTest, ReturnAddsTheChosenKindToTheFrontPage)
{
    const std::size_t stars = countOfKind("Star");
    type(QStringLiteral("star"));
    key(Qt::Key_Return);
    endTurn();
    ASSERT_EQ(front.added.size(), 1u);
    EXPECT_EQ(front.added.front().stringForKey(u"className"), u"Star");
    EXPECT_EQ(countOfKind("Star"), stars + 1);
    ASSERT_EQ(canvas->selectedShapes().size(), 1u);
    EXPECT_EQ(canvas->selectedShapes().front()->classObject().className(), u"Star");
    EXPECT_TRUE(front.calls.contains(u"focus"_qs));
    EXPECT_EQ(window->focusWidget(), canvas);
    // The pending clear was dropped with the add.
    EXPECT_EQ(selectedClass(), u"Star");
}

TEST_F(LibraryPaletteTest, TheSearchActionIgnoresDeletesEscapesAndReleasesOutsideTheList)
{
    type(QStringLiteral("star"));
    const QPoint listOrigin = list().mapToGlobal(QPoint(0, 0));
    auto event = [](pf::EventType type, std::uint16_t keyCode, pf::Point screen) {
        pf::Event e;
        e.type = type;
        e.keyCode = keyCode;
        e.screenLocation = screen;
        return e;
    };
    const pf::Point inside(listOrigin.x() + 20, listOrigin.y() + 20);
    const pf::Point outside(listOrigin.x() + 400, listOrigin.y() + 20);
    const struct {
        pf::Event event;
        bool adds;
    } cases[] = {
        {event(pf::EventType::KeyDown, pf::KeyCode::Delete, {}), false},
        {event(pf::EventType::KeyDown, pf::KeyCode::Escape, {}), false},
        {event(pf::EventType::LeftMouseUp, pf::KeyCode::Unknown, outside), false},
        {event(pf::EventType::LeftMouseUp, pf::KeyCode::Unknown, inside), true},
        {event(pf::EventType::KeyDown, pf::KeyCode::Return, {}), true},
    };
    for (const auto& c : cases) {
        front.added.clear();
        controller->addFirstFilteredShapeInfo(c.event);
        EXPECT_EQ(front.added.size(), c.adds ? 1u : 0u) << int(c.event.type) << " " << c.event.keyCode;
    }
    // No rows, or no front window: nothing.
    front.added.clear();
    type(QStringLiteral("zzz"));
    controller->addFirstFilteredShapeInfo();
    controller->setFrontWindowProvider([] { return nullptr; });
    controller->addShapeFromInfo(controller->allShapeInfos().front());
    EXPECT_TRUE(front.added.empty());
}

TEST_F(LibraryPaletteTest, ADoubleClickAddsTheRowsKind)
{
    doubleClickRow(rowOf("Ellipse"));
    endTurn();
    ASSERT_EQ(front.added.size(), 1u);
    EXPECT_EQ(front.added.front(), controller->filteredShapeInfos()[rowOf("Ellipse")]);
}

TEST_F(LibraryPaletteTest, ANarrowPaletteHasNoSearchBar)
{
    const struct {
        double width;
        bool bar;
    } cases[] = {{170, true}, {90, true}, {89, false}, {80, false}};
    for (const auto& c : cases) {
        controller->view()->setFrame(pf::Rect(0, 0, c.width, 600));
        EXPECT_EQ(controller->searchView()->isHidden(), !c.bar) << c.width;
        const QRect scroll = controller->scrollView()->geometry();
        const int top = c.bar ? int(LibraryViewController::searchBarHeight) : 0;
        EXPECT_EQ(scroll, QRect(0, top, int(c.width), 600 - top)) << c.width;
        EXPECT_EQ(controller->searchField()->geometry().x(), 12);
        EXPECT_EQ(controller->searchField()->geometry().width(), int(c.width) - 24);
    }
}

TEST_F(LibraryPaletteTest, ADragCarriesTheRowsRecordAndClearsTheSelectionFirst)
{
    const std::size_t arrow = rowOf("Arrow");
    std::optional<pf::Value> carried;
    std::size_t selectionDuringDrag = 0;
    pf::DragOperation inside = pf::DragOp::None, outside = pf::DragOperation(~0u);
    bool started = false;
    int rowsShownSelected = 0;
    pf::ScopedDraggingLoop loop([&](pf::DraggingSession& session, pf::View&) {
        const auto mime = session.makeMimeData();
        const pf::Pasteboard board(mime.get());
        carried = board.propertyListForType(pf::PasteboardType::shapeInfo);
        selectionDuringDrag = controller->selectedIndex();
        for (QVListItem* item : list().items())
            rowsShownSelected += static_cast<LibraryListItem*>(item)->isSelected();
        inside = session.operationMask(pf::DraggingContext::WithinApplication, 0);
        outside = session.operationMask(pf::DraggingContext::OutsideApplication, 0);
        started = ZOVDragEffectManager::sharedDragEffectManager().outsideImageSize().width > 0;
    });
    pressRow(arrow);
    const pf::Point from = rowCentre(arrow);
    kittest::sendMouse(list(), QEvent::MouseMove, (from + pf::Point(60, 10)).toQt(), Qt::NoButton, Qt::LeftButton,
                       200000);
    kittest::sendMouse(list(), QEvent::MouseButtonRelease, (from + pf::Point(60, 10)).toQt(), Qt::LeftButton, {},
                       200010);
    endTurn();

    ASSERT_TRUE(carried.has_value());
    EXPECT_EQ(*carried, controller->filteredShapeInfos()[arrow]);
    // What a drop on a page reads.
    QString why;
    EXPECT_TRUE(pf::readShapeInfo(*carried, &why).has_value()) << why.toStdString();
    EXPECT_EQ(controller->draggingShapeInfo(), controller->filteredShapeInfos()[arrow]);
    EXPECT_EQ(selectionDuringDrag, pf::NotFound);
    EXPECT_EQ(rowsShownSelected, 0);
    EXPECT_EQ(canvas->mouseStrategy(), nullptr);
    EXPECT_EQ(inside, pf::DragOp::Copy);
    EXPECT_EQ(outside, pf::DragOp::None);
    EXPECT_TRUE(started);
    ASSERT_NE(controller->dragPromiseShape(), nullptr);
    EXPECT_EQ(controller->dragPromiseShape()->classObject().className(), u"Arrow");
}

TEST_F(LibraryPaletteTest, TheArrowRowDroppedOnThePageLandsAtTheDropPoint)
{
    const std::size_t arrow = rowOf("Arrow");
    const pf::Point target(300, 250);
    bool dropped = false;
    pf::ScopedDraggingLoop loop([&](pf::DraggingSession& session, pf::View&) {
        // Qt's drag loop delivering the release over the page.
        const auto mime = session.makeMimeData();
        const QPointF at = canvas->convertPointFromComposition(target).toQt();
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, mime.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(canvas, &enter);
        QDragMoveEvent move(at.toPoint(), Qt::CopyAction, mime.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(canvas, &move);
        QDropEvent drop(at, Qt::CopyAction, mime.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(canvas, &drop);
        dropped = drop.isAccepted();
    });
    pressRow(arrow);
    const pf::Point from = rowCentre(arrow);
    kittest::sendMouse(list(), QEvent::MouseMove, (from + pf::Point(60, 10)).toQt(), Qt::NoButton, Qt::LeftButton,
                       200000);
    kittest::sendMouse(list(), QEvent::MouseButtonRelease, (from + pf::Point(60, 10)).toQt(), Qt::LeftButton, {},
                       200010);
    endTurn();

    ASSERT_TRUE(dropped);
    const auto selected = canvas->selectedShapes();
    ASSERT_EQ(selected.size(), 1u);
    EXPECT_EQ(selected[0]->classObject().className(), u"Arrow");
    const ShapeClass* kind = pf::ClassRegistry::shared().lookup<ShapeClass>(QStringLiteral("Arrow"));
    ASSERT_NE(kind, nullptr);
    EXPECT_EQ(selected[0]->frame(), kind->defaultFrameForPointZoomScale(target, 1));
}

TEST_F(LibraryPaletteTest, TheDragRecordIsNothingForNoRowOrOneOutsideTheList)
{
    EXPECT_TRUE(controller->pasteboardPropertyListForItemsAtIndexes({}).isNull());
    EXPECT_TRUE(controller->pasteboardPropertyListForItemsAtIndexes({58}).isNull());
    EXPECT_EQ(controller->pasteboardPropertyListForItemsAtIndexes({3}), controller->filteredShapeInfos()[3]);
    // A drag picture for each kind, a stock one where the kind draws none.
    for (std::size_t i = 0; i < controller->filteredShapeInfos().size(); ++i)
        EXPECT_FALSE(controller->outsideDraggingImageForItemsAtIndexes({i}).isNull()) << i;
}

} // namespace
