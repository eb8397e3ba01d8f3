// The outline palette beside a canvas in one shown window (the palette at the right, 250 points wide), fed
// as the canvas view controller feeds it; drops made as the outline's own drag makes them.
#pragma once

#include "canvas/support/CanvasFixture.h"
#include "model/Group.h"
#include "palettes/OutlineViewController.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/ScrollView.h"

#include <QMimeData>
#include <QTest>

#include <memory>

class OutlineFixture : public CanvasFixture {
protected:
    static constexpr int paletteWidth = 250;

    static void SetUpTestSuite()
    {
        CanvasFixture::SetUpTestSuite();
        OutlineViewController::registerInterfaceFile();
    }

    void SetUp() override
    {
        CanvasFixture::SetUp();
        makeCanvas();
        outline = makeOutline();
    }

    void TearDown() override
    {
        outline.reset();
        dragData_.reset();
        CanvasFixture::TearDown();
    }

    std::unique_ptr<OutlineViewController> makeOutline()
    {
        auto made = std::make_unique<OutlineViewController>();
        window->resize(1000 + paletteWidth, 800);
        pf::View* view = made->view();
        view->setParent(window.get());
        view->setFrame(pf::Rect(1000, 0, paletteWidth, 400));
        view->show();
        made->setCanvas(canvas);
        made->setNeedsUpdate();
        endTurn();
        return made;
    }

    // What the canvas view controller does after a change of the page or the selection.
    void feed(OutlineViewController& palette)
    {
        palette.setCanvas(canvas);
        palette.setNeedsUpdate();
        endTurn();
    }
    void feed() { feed(*outline); }

    CompositionOutlineView& tree() const { return *outline->outlineView(); }

    // The page [page manipulator, s1 … s5] (titled as named), nothing selected, no undo steps.
    std::vector<std::shared_ptr<Shape>> fiveShapes()
    {
        for (const auto& shape : pageShapes())
            page->removeShape(shape);
        std::vector<std::shared_ptr<Shape>> shapes;
        for (int i = 1; i <= 5; ++i) {
            shapes.push_back(addShape("Rectangle", pf::Rect(40.0 * i, 40, 30, 30)));
            shapes.back()->setTitle(QStringLiteral("s%1").arg(i));
            shapes.back()->setUserSetTitle(true);
        }
        canvas->selectNone();
        feed();
        undo.removeAllActions();
        return shapes;
    }

    // The shapes of a parent by title, back to front (the page's selection objects left out).
    static QString order(const Parent& parent)
    {
        QStringList names;
        for (const auto& child : parent.children())
            if (!child->isManipulator())
                names << child->displayTitle();
        return names.join(QLatin1Char(' '));
    }
    QString order() const { return order(*page); }

    // A drop of the rows at the outline position in parent (null: top level), as this outline's own drag
    // carries it (its data written by the outline).
    OutlineDrop drop(const std::vector<Shape*>& rows, Shape* parent, int position, bool copy = false)
    {
        pf::PasteboardContent content({QString::fromLatin1(OutlineViewController::ShapeIndexType)});
        written = outline->writeItemsToPasteboard(rows, content);
        dragData_ = content.makeMimeData();
        return dropOfData(dragData_.get(), parent, position, copy);
    }
    OutlineDrop dropOfData(const QMimeData* data, Shape* parent, int position, bool copy = false)
    {
        OutlineDrop made;
        made.source = outline->outlineView();
        made.data = data;
        made.parent = parent;
        made.childIndex = position;
        made.copy = copy;
        return made;
    }
    // A drag of the raw index list (not written by the outline).
    std::unique_ptr<QMimeData> indexData(const pf::Value& list)
    {
        pf::PasteboardContent content({QString::fromLatin1(OutlineViewController::ShapeIndexType)});
        EXPECT_TRUE(content.setPropertyList(QString::fromLatin1(OutlineViewController::ShapeIndexType), list));
        return content.makeMimeData();
    }

    // The centre of a row in the tree's viewport.
    QPoint rowCentre(const Shape* shape) const
    {
        const QModelIndex title = outline->indexForItem(shape).siblingAtColumn(CompositionOutlineModel::TitleColumn);
        return tree().visualRect(title).center();
    }

    std::unique_ptr<OutlineViewController> outline;
    bool written = false;

private:
    std::unique_ptr<QMimeData> dragData_;
};
