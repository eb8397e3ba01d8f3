// The library's rows and search bar as drawn: where icons and samples land, the separators round the
// selection, the veil of a window that is not main, the search bar's line; whole-palette pictures; and
// the palette driving a real canvas.
#include "LibraryFixture.h"

#include "model/ShapeClass.h"
#include "model/UserDefaults.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "support/ReferencePicture.h"

#include <QDir>
#include <QImage>

#include <algorithm>

namespace {

class LibraryRowsTest : public LibraryFixture {
protected:
    QImage rowPicture(std::size_t row)
    {
        rowCentre(row);
        QVListItem* item = list().itemAtIndex(row);
        EXPECT_NE(item, nullptr) << row;
        return item ? item->grab().toImage().convertToFormat(QImage::Format_ARGB32) : QImage();
    }
    static int grey(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)); }

    // The box of the pixels inside the icon well that are not the well's colour.
    static QRect markedBox(const QImage& row)
    {
        const QColor well = row.pixelColor(6, 26);
        QRect box;
        // The well less its rounded corners: room of 2 pixels round the icon's square on every side.
        for (int y = 8; y < 44; ++y)
            for (int x = 8; x < 44; ++x) {
                const QColor p = row.pixelColor(x, y);
                if (std::abs(p.red() - well.red()) + std::abs(p.green() - well.green())
                        + std::abs(p.blue() - well.blue())
                    > 24)
                    box |= QRect(x, y, 1, 1);
            }
        return box;
    }

    void resizePalette(double width, double height)
    {
        window->resize(std::max(1000, int(width) + 100), std::max(800, int(height)));
        controller->view()->setFrame(pf::Rect(0, 0, width, height));
        endTurn();
        endTurn();
    }
    QImage palettePicture() { return controller->view()->grab().toImage(); }
    static QString picturePath(const char* state)
    {
        return QStringLiteral(QUORVEL_TEST_DATA "/palettes/library-%1.png").arg(QLatin1String(state));
    }
};

TEST_F(LibraryRowsTest, IconsFillTheirSquareAndSamplesTheirsHalfAPointOff)
{
    const struct {
        const char* kind;
        QRect within;
        int least;
    } cases[] = {
        // A 64-pixel picture shown in 32 points.
        {"Image", QRect(10, 10, 32, 32), 20},
        {"UIStatusBar", QRect(10, 10, 32, 32), 20},
        // The live sample in (12, 12, 28, 28), moved by half a point, with its antialiased edge.
        {"Ellipse", QRect(11, 11, 31, 31), 20},
        {"Star", QRect(11, 11, 31, 31), 20},
    };
    for (const auto& c : cases) {
        const QRect box = markedBox(rowPicture(rowOf(c.kind)));
        EXPECT_TRUE(c.within.contains(box)) << c.kind << " " << box.x() << "," << box.y() << " " << box.width()
                                            << "x" << box.height();
        EXPECT_GE(std::max(box.width(), box.height()), c.least) << c.kind;
    }
}

TEST_F(LibraryRowsTest, TheSelectionIsFramedByTheDarkerSeparatorAndADragPictureHasNone)
{
    controller->setSelectedIndex(5);
    endTurn();
    const int dark = int(std::lround(0.75 * 255)), light = int(std::lround(0.9 * 255));
    EXPECT_NEAR(grey(rowPicture(4), 100, 51), dark, 2);
    EXPECT_NEAR(grey(rowPicture(5), 100, 51), dark, 2);
    EXPECT_NEAR(grey(rowPicture(6), 100, 51), light, 2);
    EXPECT_NEAR(grey(rowPicture(3), 100, 51), light, 2);
    // The drag picture of the row above the selection: the white row down to its last pixel.
    const QImage dragged = list().itemAtIndex(4)->draggingImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(grey(dragged, 100, dragged.height() - 1), 255);
}

TEST_F(LibraryRowsTest, AWindowThatIsNotMainVeilsTheRowsAndLightensTheSearchLine)
{
    const int well = int(std::lround(0.9 * 255));
    const QImage searchMain = controller->searchView()->grab().toImage();
    EXPECT_NEAR(grey(rowPicture(3), 6, 26), well, 1);
    EXPECT_EQ(searchMain.pixelColor(50, 0).rgb() & 0xffffff, 0x9e9e9eu);

    pf::Window::of(window.get())->resignMainWindow();
    endTurn();
    EXPECT_NEAR(grey(rowPicture(3), 6, 26), int(std::lround(0.75 * well + 0.25 * 255)), 1);
    EXPECT_EQ(grey(rowPicture(3), 100, 20), 255);
    const QImage searchOther = controller->searchView()->grab().toImage();
    EXPECT_EQ(searchOther.pixelColor(50, 0).rgb() & 0xffffff, 0xbbbbbbu);
}

TEST_F(LibraryRowsTest, SamplesNeitherTakeNorLeaveTheUsersLastStyle)
{
    UserDefaults::instance().setStickyPropertiesEnabled(true);
    const ShapeClass* star = pf::ClassRegistry::shared().lookup<ShapeClass>(u"Star"_qs);
    ASSERT_NE(star, nullptr);
    // The style the user gave the last shape.
    star->setStickyDoubleForKey(7, QStringLiteral("strokeLineWidth"));
    star->setStickyDoubleForKey(0.3, QStringLiteral("opacity"));
    auto& store = pf::UserDefaultsStore::standard();
    const pf::Value before = store.objectForKey(u"User-Shape-strokeLineWidth");
    ASSERT_FALSE(before.isNull());

    rowCentre(rowOf("Star"));
    const auto sample = controller->allVectorShapes().find(QStringLiteral("Star"));
    ASSERT_NE(sample, controller->allVectorShapes().end());
    EXPECT_EQ(sample->second->strokeLineWidth(), star->libraryListItemShapeStrokeLineWidth());
    EXPECT_EQ(sample->second->opacity(), 1.0);
    EXPECT_EQ(store.objectForKey(u"User-Shape-strokeLineWidth"), before);
    EXPECT_TRUE(store.objectForKey(u"User-Shape-fillGradientElements").isNull());
}

// Counts the paints of a widget.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

TEST_F(LibraryRowsTest, RowsAndBarRedrawWhenTheWindowGainsOrLosesMainState)
{
    rowCentre(3);
    QVListItem* row = list().itemAtIndex(3);
    ASSERT_NE(row, nullptr);
    for (const bool main : {false, true}) {
        QCoreApplication::processEvents();
        PaintCounter rowPaints(row), barPaints(controller->searchView());
        if (main)
            pf::Window::of(window.get())->becomeMainWindow();
        else
            pf::Window::of(window.get())->resignMainWindow();
        QCoreApplication::processEvents();
        EXPECT_GT(rowPaints.paints, 0) << main;
        EXPECT_GT(barPaints.paints, 0) << main;
    }
}

TEST_F(LibraryRowsTest, ThePaletteLooksAsItsPicturesShowIt)
{
    const double everyRow = LibraryViewController::searchBarHeight + 58 * LibraryListItem::defaultHeight;
    resizePalette(paletteWidth, everyRow);
    expectMatchesReferencePicture(palettePicture(), picturePath("all"));

    resizePalette(paletteWidth, 400);
    type(QStringLiteral("arrow"));
    key(Qt::Key_Down);
    endTurn();
    expectMatchesReferencePicture(palettePicture(), picturePath("arrow-typed"));

    field().clear();
    field().endEditing();
    endTurn();
    pf::Window::of(window.get())->resignMainWindow();
    endTurn();
    expectMatchesReferencePicture(palettePicture(), picturePath("not-main"));

    pf::Window::of(window.get())->becomeMainWindow();
    resizePalette(80, 400);
    expectMatchesReferencePicture(palettePicture(), picturePath("narrow"));
}

TEST_F(LibraryRowsTest, AnEllipseChosenInTheLibraryIsDrawnOnTheCanvasAndTheRowLetGo)
{
    const auto ellipses = [&] {
        std::size_t n = 0;
        for (const auto& child : page->children())
            n += child->classObject().className() == u"Ellipse";
        return n;
    };
    const std::size_t before = ellipses();
    clickRow(rowOf("Ellipse"));
    endTurn();
    ASSERT_EQ(selectedClass(), u"Ellipse");
    drag(pf::Point(500, 420), pf::Point(600, 500));
    // The tool finishes a moment after the release.
    advance(1.0);
    endTurn();
    EXPECT_EQ(ellipses(), before + 1);
    EXPECT_EQ(controller->selectedIndex(), pf::NotFound);
    EXPECT_EQ(canvas->mouseStrategy(), nullptr);
}

} // namespace
