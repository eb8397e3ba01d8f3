#include "canvas/support/CanvasFixture.h"

#include "controls/ControlKinds.h"
#include "manipulators/Manipulator.h"
#include "model/Group.h"
#include "model/Metrics.h"
#include "model/StickyDefaults.h"
#include "model/UserDefaults.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/kit/InputState.h"
#include "platform/kit/ScrollView.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>

#include <chrono>

QByteArray pngBytes(const QColor& colour)
{
    QImage image(4, 3, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// ---- page owner ----

pf::Rect CanvasPageOwner::visibleRectForComposition(Composition&)
{
    return canvas ? canvas->convertRectToComposition(canvas->visibleRect()) : pf::Rect();
}

pf::Rect CanvasPageOwner::canvasFrameForComposition(Composition&)
{
    return canvas ? canvas->frame() : pf::Rect();
}

pf::Rect CanvasPageOwner::canvasBoundsForComposition(Composition&)
{
    return canvas ? canvas->bounds() : pf::Rect();
}

std::int64_t CanvasPageOwner::activeHandleIndexForComposition(Composition&)
{
    return canvas ? canvas->activeHandle() : -1;
}

void CanvasPageOwner::compositionWantsSelectNone(Composition&)
{
    if (canvas)
        canvas->selectNone();
}

void CanvasPageOwner::compositionWasEditedInRectUpdatePalettes(Composition& page, const pf::Rect& rect, bool palettes)
{
    if (!canvas || canvas->composition().get() != &page)
        return;
    ++edits;
    canvas->compositionWasEditedInRect(rect);
    if (palettes) {
        ++paletteUpdates;
        if (onPaletteUpdate)
            onPaletteUpdate();
    }
}

void CanvasPageOwner::compositionDidAddShape(Composition&, const std::shared_ptr<Shape>& shape)
{
    if (shape->isImage() && shape->isMissingImage())
        calls << QStringLiteral("browseForImage");
    if (canvas)
        canvas->replaceSelectionWithShape(shape);
    if (document)
        document->updateChangeCount();
}

void CanvasPageOwner::compositionChangeDone(Composition&)
{
    if (document)
        document->updateChangeCount();
}

pf::Image CanvasPageOwner::compositionImageForIdentifier(Composition&, const QString& identifier)
{
    return document ? document->imageForIdentifier(identifier) : pf::Image();
}

void CanvasPageOwner::compositionIncrementRefCountForImageIdentifier(Composition&, const QString& identifier)
{
    if (document)
        document->incrementRefCountForImageIdentifier(identifier);
}

void CanvasPageOwner::compositionDecrementRefCountForImageIdentifier(Composition&, const QString& identifier)
{
    if (document)
        document->decrementRefCountForImageIdentifier(identifier);
}

void CanvasPageOwner::disableSuddenTermination(Composition&)
{
    if (document)
        document->disableSuddenTermination();
}

void CanvasPageOwner::enableSuddenTermination(Composition&)
{
    if (document)
        document->enableSuddenTermination();
}

pf::Variant CanvasPageOwner::documentSpecifierForComposition(Composition&)
{
    return document ? document->objectSpecifier() : pf::Variant();
}

// ---- fixture ----

void CanvasFixture::SetUpTestSuite()
{
    registerControlKinds(pf::ClassRegistry::shared());
    registerManipulatorClasses(pf::ClassRegistry::shared());
}

void CanvasFixture::SetUp()
{
    // The built-in settings, and nothing the user wrote.
    auto store = std::make_unique<pf::UserDefaultsStore>();
    UserDefaults::registerDefaultValues(*store);
    previousDefaults_ = pf::UserDefaultsStore::replaceStandard(std::move(store));
    clock = std::make_unique<pf::VirtualClock>();
    pf::InputState::shared().reset();
    owner.undo = &undo;
    owner.document = &document;
    windowServices.documentShown = &document;
    makeCanvas();
}

void CanvasFixture::TearDown()
{
    library.reset();
    owner.canvas = nullptr;
    window.reset(); // the canvas goes with its window
    canvas = nullptr;
    if (page)
        page->setCompositionDelegate(nullptr);
    endTurn();
    rectangle.reset();
    ellipse.reset();
    line.reset();
    group.reset();
    page.reset();
    clock.reset();
    pf::UserDefaultsStore::replaceStandard(std::move(previousDefaults_));
}

void CanvasFixture::makeCanvas(double pageWidth, double pageHeight)
{
    library.reset();
    owner.canvas = nullptr;
    window.reset();
    if (page)
        page->setCompositionDelegate(nullptr);

    auto metrics = std::make_shared<Metrics>();
    metrics->setWidth(pageWidth);
    metrics->setHeight(pageHeight);
    metrics->setUnitType(Metrics::Points);
    page = Composition::make(metrics);
    page->setGridEnabled(false);

    window = std::make_unique<QWidget>();
    window->resize(1000, 800);
    scrollView = new pf::ScrollView(window.get());
    scrollView->setFrameShape(QFrame::NoFrame);
    scrollView->setGeometry(0, 0, 1000, 800);
    canvas = new Canvas(pf::Rect(0, 0, 1000, 800));
    scrollView->setDocumentView(canvas);
    canvas->setCanvasWindow(&windowServices);
    owner.canvas = canvas;
    library = std::make_unique<FakeLibrary>(window.get());
    document.observeCanvas(static_cast<const void*>(canvas));
    window->show();

    page->setCompositionDelegate(&owner);
    canvas->setComposition(page);
    canvas->setFrame(canvas->frame());

    rectangle = addShape("Rectangle", pf::Rect(100, 100, 100, 60));
    ellipse = addShape("Ellipse", pf::Rect(300, 100, 80, 80));
    line = addShape("Line", pf::Rect(100, 300, 150, 50));
    auto first = addShape("Rectangle", pf::Rect(400, 300, 40, 40));
    auto second = addShape("Rectangle", pf::Rect(460, 320, 40, 40));
    auto grouped = Group::groupWithShapes({first, second});
    page->insertGroupInParentAtIndex(grouped, page, pf::NotFound);
    group = grouped;
    canvas->selectNone();
    endTurn();
    undo.removeAllActions();
    owner.takeCalls();
    document.changeCount = 0;
}

void CanvasFixture::endTurn()
{
    QCoreApplication::sendPostedEvents();
    pf::drainMainQueue();
}

void CanvasFixture::advance(double seconds)
{
    clock->advance(std::chrono::duration_cast<pf::Nanoseconds>(std::chrono::duration<double>(seconds)));
    endTurn();
}

pf::Point CanvasFixture::viewPoint(const pf::Point& page) const
{
    return canvas->convertPointFromComposition(page);
}

void CanvasFixture::sendMouse(QEvent::Type type, const pf::Point& view, Qt::MouseButton button,
                              Qt::MouseButtons held, Qt::KeyboardModifiers modifiers)
{
    const QPointF local = view.toQt(); // the canvas's own points are its widget's
    QMouseEvent e(type, local, canvas->mapToGlobal(local), button, held, modifiers);
    e.setTimestamp(milliseconds_);
    QCoreApplication::sendEvent(canvas, &e);
}

void CanvasFixture::press(const pf::Point& page, Qt::KeyboardModifiers modifiers, Qt::MouseButton button, bool nextClick)
{
    milliseconds_ += nextClick ? 50 : 5000;
    held_ |= button;
    sendMouse(QEvent::MouseButtonPress, viewPoint(page), button, held_, modifiers);
}

void CanvasFixture::dragTo(const pf::Point& page, Qt::KeyboardModifiers modifiers)
{
    milliseconds_ += 16;
    sendMouse(QEvent::MouseMove, viewPoint(page), Qt::NoButton, held_, modifiers);
}

void CanvasFixture::release(const pf::Point& page, Qt::KeyboardModifiers modifiers, Qt::MouseButton button)
{
    milliseconds_ += 16;
    held_ &= ~button;
    sendMouse(QEvent::MouseButtonRelease, viewPoint(page), button, held_, modifiers);
}

void CanvasFixture::hover(const pf::Point& page, Qt::KeyboardModifiers modifiers)
{
    milliseconds_ += 16;
    sendMouse(QEvent::MouseMove, viewPoint(page), Qt::NoButton, Qt::NoButton, modifiers);
}

void CanvasFixture::click(const pf::Point& page, Qt::KeyboardModifiers modifiers, bool nextClick)
{
    press(page, modifiers, Qt::LeftButton, nextClick);
    release(page, modifiers);
}

void CanvasFixture::drag(const pf::Point& from, const pf::Point& to, Qt::KeyboardModifiers modifiers, int steps)
{
    press(from, modifiers);
    for (int i = 1; i <= steps; ++i)
        dragTo(from + (to - from) * (double(i) / steps), modifiers);
    release(to, modifiers);
}

void CanvasFixture::keyDown(int key, Qt::KeyboardModifiers modifiers, const QString& text, bool repeat)
{
    QKeyEvent e(QEvent::KeyPress, key, modifiers, text, repeat);
    QCoreApplication::sendEvent(canvas, &e);
}

void CanvasFixture::keyUp(int key, Qt::KeyboardModifiers modifiers)
{
    QKeyEvent e(QEvent::KeyRelease, key, modifiers);
    QCoreApplication::sendEvent(canvas, &e);
}

void CanvasFixture::modifiersChange(Qt::KeyboardModifiers modifiers)
{
    // A modifier key's own press: the view reports the new flags.
    const int key = modifiers & Qt::ShiftModifier     ? Qt::Key_Shift
                    : modifiers & Qt::AltModifier     ? Qt::Key_Alt
                    : modifiers & Qt::MetaModifier    ? Qt::Key_Meta
                    : modifiers & Qt::ControlModifier ? Qt::Key_Control
                                                      : Qt::Key_Shift;
    QKeyEvent e(modifiers ? QEvent::KeyPress : QEvent::KeyRelease, key, modifiers);
    QCoreApplication::sendEvent(canvas, &e);
}

std::shared_ptr<Shape> CanvasFixture::addShape(const char* kind, const pf::Rect& frame)
{
    const ShapeClass* k = pf::ClassRegistry::shared().lookup<ShapeClass>(QString::fromLatin1(kind));
    EXPECT_NE(k, nullptr) << kind;
    if (!k)
        return nullptr;
    std::shared_ptr<Shape> shape = StickyDefaults::doWithoutStickySetting([&] { return k->newShape(frame); });
    page->addShape(shape);
    return shape;
}
