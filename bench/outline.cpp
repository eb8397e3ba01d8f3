// The outline palette's update after a change of the canvas's selection, on a page of 1,000 shapes: 800
// rectangles at the top level and 40 groups of 5 (every other group open). The selection alternates between
// two sets of 12 shapes (top-level ones and children of open and closed groups). The peer is a QTreeView
// over a QStandardItemModel rebuilt with the same two columns (a check box and the title), the same open
// groups and the same selected rows, scrolled the same way. Both trees are shown in a palette-sized window;
// the canvas's selection change itself is not timed. Argument 0: only the selection changes; 1: a shape is
// moved as well, so the outline rebuilds its tree. Goal: BM_OutlineUpdate / BM_StandardItemTreeUpdate <= 1
// for both.
#include "canvas/Canvas.h"
#include "controls/ControlKinds.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "model/Group.h"
#include "model/Metrics.h"
#include "model/StickyDefaults.h"
#include "model/UserDefaults.h"
#include "palettes/OutlineViewController.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/kit/ScrollView.h"
#include "support/CanvasPageOwner.h"

#include <QCoreApplication>
#include <QFrame>
#include <QHash>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

constexpr int topLevel = 800;
constexpr int groups = 40;
constexpr int perGroup = 5;

// The page on a canvas, and the two selections.
struct OutlinePage {
    OutlinePage()
    {
        useBuiltInDefaults();
        OutlineViewController::registerInterfaceFile();
        auto metrics = std::make_shared<Metrics>();
        metrics->setWidth(1000);
        metrics->setHeight(1000);
        page = Composition::make(metrics);
        page->setGridEnabled(false);
        window = std::make_unique<QWidget>();
        window->resize(1250, 800);
        auto* scrollView = new pf::ScrollView(window.get());
        scrollView->setFrameShape(QFrame::NoFrame);
        scrollView->setGeometry(0, 0, 1000, 800);
        canvas = new Canvas(pf::Rect(0, 0, 1000, 800));
        scrollView->setDocumentView(canvas);
        owner.canvas = canvas;
        window->show();
        page->setCompositionDelegate(&owner);
        canvas->setComposition(page);
        const ShapeClass* kind = pf::ClassRegistry::shared().lookup<ShapeClass>(QStringLiteral("Rectangle"));
        const auto make = [&](int i) {
            auto shape = StickyDefaults::doWithoutStickySetting(
                [&] { return kind->newShape(pf::Rect((i % 40) * 24.0, (i / 40) * 20.0, 20, 16)); });
            shape->setTitle(QStringLiteral("Shape %1").arg(i));
            shape->setUserSetTitle(true);
            return shape;
        };
        int n = 0;
        for (int g = 0; g < groups; ++g) {
            for (int i = 0; i < topLevel / groups; ++i)
                page->addShape(make(n++));
            Parent::Children children;
            for (int i = 0; i < perGroup; ++i) {
                children.push_back(make(n++));
                page->addShape(children.back());
            }
            auto group = Group::groupWithShapes(children);
            page->insertGroupInParentAtIndex(group, page, pf::NotFound);
            groupList.push_back(group);
        }
        for (int s = 0; s < 2; ++s) {
            Canvas::Shapes chosen;
            for (int i = 0; i < 8; ++i)
                chosen.push_back(page->children()[std::size_t(1 + s * 7 + i * 97)]);
            for (int i = 0; i < 4; ++i) {
                const auto& group = groupList[std::size_t(s + i * 9)];
                chosen.push_back(group->children()[std::size_t(i % perGroup)]);
            }
            selections.push_back(chosen);
        }
        canvas->selectNone();
        QCoreApplication::processEvents();
    }
    ~OutlinePage()
    {
        owner.canvas = nullptr;
        window.reset();
        page->setCompositionDelegate(nullptr);
    }
    // Every other group is open.
    bool isOpen(std::size_t group) const { return group % 2 == 0; }
    // The canvas selects the other set, untimed; with state.range(0) 1 the first shape also moves to the top,
    // so the tree changes too.
    void changeSelection(benchmark::State& state)
    {
        state.PauseTiming();
        if (state.range(0) == 1)
            page->moveShapeAtIndexToIndex(1, page->children().size());
        canvas->replaceSelectionWithShapes(selections[turn++ % 2]);
        state.ResumeTiming();
    }

    CanvasPageOwner owner;
    std::shared_ptr<Composition> page;
    std::unique_ptr<QWidget> window;
    Canvas* canvas = nullptr;
    std::vector<std::shared_ptr<Group>> groupList;
    std::vector<Canvas::Shapes> selections;
    std::size_t turn = 0;
};

void BM_OutlineUpdate(benchmark::State& state)
{
    OutlinePage page;
    OutlineViewController outline;
    pf::View* view = outline.view();
    view->setParent(page.window.get());
    view->setFrame(pf::Rect(1000, 0, 250, 800));
    view->show();
    outline.setCanvas(page.canvas);
    outline.update();
    for (std::size_t g = 0; g < page.groupList.size(); ++g)
        outline.setItemExpanded(page.groupList[g].get(), page.isOpen(g));
    QCoreApplication::processEvents();
    for (auto _ : state) {
        page.changeSelection(state);
        outline.update();
        benchmark::DoNotOptimize(outline.selectionIndexes());
    }
}

// The peer: the same tree rebuilt into a QStandardItemModel, the same groups opened, the same rows selected.
void BM_StandardItemTreeUpdate(benchmark::State& state)
{
    OutlinePage page;
    QTreeView tree(page.window.get());
    QStandardItemModel model(0, 2);
    tree.setModel(&model);
    tree.setHeaderHidden(true);
    tree.setUniformRowHeights(true);
    tree.setSelectionMode(QAbstractItemView::ExtendedSelection);
    tree.setSelectionBehavior(QAbstractItemView::SelectRows);
    tree.setTreePosition(1);
    tree.header()->setStretchLastSection(true);
    tree.header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    tree.setGeometry(1000, 0, 250, 800);
    tree.show();
    QSet<const Shape*> open;
    for (std::size_t g = 0; g < page.groupList.size(); ++g)
        if (page.isOpen(g))
            open.insert(page.groupList[g].get());
    QCoreApplication::processEvents();
    for (auto _ : state) {
        page.changeSelection(state);
        model.setRowCount(0); // every row rebuilt; the two columns stay
        QHash<const Shape*, QStandardItem*> itemOf;
        std::vector<QStandardItem*> openItems;
        const auto row = [&](const Shape& shape) {
            auto* check = new QStandardItem();
            check->setCheckable(true);
            check->setCheckState(shape.isHidden() ? Qt::Unchecked : Qt::Checked);
            auto* title = new QStandardItem(shape.displayTitle());
            itemOf.insert(&shape, check);
            return QList<QStandardItem*>{check, title};
        };
        for (const auto& child : page.page->children()) {
            if (!child->isSelectable())
                continue;
            QList<QStandardItem*> items = row(*child);
            if (const auto* group = dynamic_cast<const Group*>(child.get())) {
                for (const auto& grandchild : group->children())
                    items.front()->appendRow(row(*grandchild));
                if (open.contains(group))
                    openItems.push_back(items.front());
            }
            model.appendRow(items);
        }
        for (QStandardItem* item : openItems)
            tree.setExpanded(item->index(), true);
        QItemSelection selection;
        std::vector<QModelIndex> rows;
        for (const auto& shape : page.canvas->selectedShapes()) {
            QStandardItem* item = itemOf.value(shape.get());
            if (!item)
                continue;
            const QModelIndex index = item->index();
            if (index.parent().isValid() && !tree.isExpanded(index.parent()))
                continue;
            rows.push_back(index);
            selection.select(index, index.siblingAtColumn(1));
        }
        tree.selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        if (!rows.empty()) {
            tree.scrollTo(rows.back());
            tree.scrollTo(rows.front());
        }
        benchmark::DoNotOptimize(rows.data());
    }
}

} // namespace

BENCHMARK(BM_OutlineUpdate)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StandardItemTreeUpdate)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
