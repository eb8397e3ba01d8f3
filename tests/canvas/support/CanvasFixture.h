// A page of shapes of several kinds on an offscreen canvas in a shown window, with the services faked: a
// window, its document, the library palette, the inspector and outline; an undo manager grouping by turn
// of the main queue (endTurn closes the turn); a manual clock; and a page owner answering as the canvas's
// view controller does for the undo manager, visible rect, active handle, edits and added shapes, recording
// the rest. Tests of the canvas and of every area above it derive from it.
#pragma once

#include "canvas/Canvas.h"
#include "canvas/support/CanvasFakes.h"
#include "model/Composition.h"
#include "model/CompositionDelegate.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/UserDefaultsStore.h"

#include <QByteArray>
#include <QColor>
#include <QStringList>
#include <QEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace pf {
class ScrollView;
}

// A small PNG of one colour, as a picture file or pasteboard data holds it.
QByteArray pngBytes(const QColor& colour);

class CanvasPageOwner : public CompositionDelegate {
public:
    pf::UndoManager* undoManagerForComposition(Composition&) override { return undo; }
    pf::Rect visibleRectForComposition(Composition& page) override;
    pf::Rect canvasFrameForComposition(Composition&) override;
    pf::Rect canvasBoundsForComposition(Composition&) override;
    void compositionDidMoveUserGuideFromToIsVertical(Composition&, const pf::Point&, const pf::Point&, bool) override
    {
        calls << QStringLiteral("guideMoved");
    }
    std::int64_t activeHandleIndexForComposition(Composition&) override;
    void compositionTitleDidChange(Composition&) override { calls << QStringLiteral("titleDidChange"); }
    void compositionWantsSelectNone(Composition&) override;
    void compositionSelectionWillChange(Composition&) override { calls << QStringLiteral("selectionWillChange"); }
    void compositionSelectionDidChange(Composition&) override
    {
        calls << QStringLiteral("selectionDidChange");
        if (onPaletteUpdate)
            onPaletteUpdate();
    }
    void compositionWasEditedInRectUpdatePalettes(Composition& page, const pf::Rect& rect, bool palettes) override;
    void compositionDidAddShape(Composition& page, const std::shared_ptr<Shape>& shape) override;
    void compositionChangeDone(Composition&) override;
    bool isCompositionConnectionFlashOn(Composition&) override { return false; }
    pf::Image compositionImageForIdentifier(Composition&, const QString& identifier) override;
    void compositionIncrementRefCountForImageIdentifier(Composition&, const QString& identifier) override;
    void compositionDecrementRefCountForImageIdentifier(Composition&, const QString& identifier) override;
    void disableSuddenTermination(Composition&) override;
    void enableSuddenTermination(Composition&) override;
    std::size_t indexOfComposition(Composition&) override { return 0; }
    void closeComposition(Composition&) override { calls << QStringLiteral("close"); }
    pf::Variant documentSpecifierForComposition(Composition&) override;
    QString titleForComposition(Composition&) override { return {}; }

    QStringList takeCalls()
    {
        QStringList taken = calls;
        calls.clear();
        return taken;
    }

    Canvas* canvas = nullptr;
    CanvasDocument* document = nullptr;
    pf::UndoManager* undo = nullptr;
    QStringList calls;
    int edits = 0;
    int paletteUpdates = 0;
    // Run at each palette update and selection change, as the view controller feeds its palettes.
    std::function<void()> onPaletteUpdate;
};

class CanvasFixture : public testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // A page of the size with the shapes below (a Rectangle, an Ellipse, a Line, a group of two
    // Rectangles), bound to a fresh canvas of 1000 x 800 view points in a shown window.
    void makeCanvas(double pageWidth = 800, double pageHeight = 600);
    // The end of an event-loop turn: Qt's posted events (layout of the scroll view), then the main queue
    // (closing the turn's undo group).
    static void endTurn();
    // Moves the manual clock on and runs what fell due.
    void advance(double seconds);
    // A shape of a registered kind, added to the page.
    std::shared_ptr<Shape> addShape(const char* kind, const pf::Rect& frame);

    // ---- input as a user makes it: Qt events at page points (converted at the current zoom) ----
    pf::Point viewPoint(const pf::Point& page) const;
    // A press; a press soon after the last one at the same place counts as the next click of a series.
    void press(const pf::Point& page, Qt::KeyboardModifiers modifiers = {}, Qt::MouseButton button = Qt::LeftButton,
               bool nextClick = false);
    void dragTo(const pf::Point& page, Qt::KeyboardModifiers modifiers = {});
    void release(const pf::Point& page, Qt::KeyboardModifiers modifiers = {}, Qt::MouseButton button = Qt::LeftButton);
    void hover(const pf::Point& page, Qt::KeyboardModifiers modifiers = {});
    void click(const pf::Point& page, Qt::KeyboardModifiers modifiers = {}, bool nextClick = false);
    // Press, steps of motion to the end (the last one exactly there), release.
    void drag(const pf::Point& from, const pf::Point& to, Qt::KeyboardModifiers modifiers = {}, int steps = 4);
    void keyDown(int key, Qt::KeyboardModifiers modifiers = {}, const QString& text = {}, bool repeat = false);
    void keyUp(int key, Qt::KeyboardModifiers modifiers = {});
    // The modifiers alone change (a modifier key pressed or released).
    void modifiersChange(Qt::KeyboardModifiers modifiers);
    // The page's own shapes, back to front, without the selection objects.
    Canvas::Shapes pageShapes() const
    {
        Canvas::Shapes shapes;
        for (const auto& child : page->children())
            if (!child->isManipulator())
                shapes.push_back(child);
        return shapes;
    }

    std::unique_ptr<pf::VirtualClock> clock;
    pf::UndoManager undo;
    FakeCanvasDocument document;
    FakeCanvasWindow windowServices;
    FakeInspector inspector;
    FakeOutline outline;
    CanvasPageOwner owner;
    std::unique_ptr<QWidget> window;
    pf::ScrollView* scrollView = nullptr;
    Canvas* canvas = nullptr;
    std::unique_ptr<FakeLibrary> library;
    std::shared_ptr<Composition> page;
    std::shared_ptr<Shape> rectangle, ellipse, line, group;

private:
    void sendMouse(QEvent::Type type, const pf::Point& view, Qt::MouseButton button, Qt::MouseButtons held,
                   Qt::KeyboardModifiers modifiers);

    std::unique_ptr<pf::UserDefaultsStore> previousDefaults_;
    quint64 milliseconds_ = 1000;
    Qt::MouseButtons held_;
};
