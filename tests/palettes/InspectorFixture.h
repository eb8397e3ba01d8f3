// An inspector fed by a real canvas: the canvas fixture's page and selection, the inspector's palette view
// loaded, and test builders for the facets' interface files (a plain panel 40 points high; the fill,
// stroke and text panels hold their colour button).
#pragma once

#include "canvas/Canvas.h"
#include "manipulators/Manipulator.h"
#include "palettes/ColorButton.h"
#include "palettes/Facet.h"
#include "palettes/FacetRegistry.h"
#include "palettes/InspectorColorPanel.h"
#include "palettes/InspectorListItem.h"
#include "palettes/InspectorSetUp.h"
#include "palettes/InspectorViewController.h"
#include "platform/kit/ViewBuilders.h"
#include "platform/kit/Window.h"
#include "canvas/support/CanvasFixture.h"

#include <QStringList>
#include <QWidget>

#include <memory>
#include <vector>

class InspectorFixture : public CanvasFixture {
protected:
    static constexpr double panelHeight = 40;

    void SetUp() override
    {
        CanvasFixture::SetUp();
        registerInspector();
        previousPanel_ = InspectorColorPanel::replaceShared(std::make_unique<InspectorColorPanel>());
        for (const QString& name : FacetRegistry::allClassNames()) {
            const FacetClassInfo* info = FacetRegistry::classInfo(name);
            if (info->nibName.isEmpty() || seen_.contains(info->nibName))
                continue;
            seen_ << info->nibName;
            builders_.push_back(std::make_unique<pf::ScopedViewBuilder>(info->nibName, panelBuilder(info->nibName)));
        }
        inspector = makeInspector();
    }

    void TearDown() override
    {
        inspector.reset();
        paletteWindows_.clear();
        builders_.clear();
        InspectorColorPanel::replaceShared(std::move(previousPanel_));
        CanvasFixture::TearDown();
    }

    // The fill, stroke and text panels hold a colour button, bound as a panel binds it: its colour to the
    // selection's common colour, enabled while no selected shape is locked.
    static pf::ViewBuilder panelBuilder(const QString& nibName)
    {
        return [nibName](pf::Responder* owner) -> pf::View* {
            auto* view = new pf::View(pf::Rect(0, 0, 220, panelHeight));
            auto* facet = dynamic_cast<Facet*>(owner);
            const auto addButton = [&](int tag, const char* outlet) {
                auto* button = new ColorButton(pf::Rect(10, 8, 44, 24), view);
                button->setTag(tag);
                button->setAction([facet](ColorButton& b) { facet->showColorPanel(b); });
                facet->setOutlet(QString::fromLatin1(outlet), button);
                facet->bindings().bind(*facet, QStringLiteral("selectedObject.") + Facet::colorKeyForTag(tag),
                                       [button](const pf::Variant& v) {
                                           button->setColor(v.get<pf::OptionalColor>().value_or(std::nullopt));
                                       });
                facet->bindings().bindEnabled(*button, *facet, QStringLiteral("selectionCompletelyUnlocked"));
            };
            if (nibName == QLatin1String("FillFacet"))
                addButton(901, "fillColorButton");
            else if (nibName == QLatin1String("StrokeFacet"))
                addButton(904, "strokeColorButton");
            else if (nibName == QLatin1String("TextFacet"))
                addButton(907, "textColorButton");
            return view;
        };
    }

    std::unique_ptr<InspectorViewController> makeInspector()
    {
        auto made = std::make_unique<InspectorViewController>();
        made->setCanvasProvider([this] { return canvas; });
        // Shown in a window of its own, so that the list lays its rows out.
        auto* top = new QWidget();
        pf::Window::attach(top);
        top->resize(250, 600);
        paletteWindows_.emplace_back(top);
        pf::View* view = made->view();
        view->setParent(top);
        view->setFrame(pf::Rect(0, 0, 250, 600));
        view->show();
        top->show();
        drainTurn();
        return made;
    }

    // Hands the inspector the canvas's selection, as the canvas view controller does, and runs the update.
    void feed(InspectorViewController& palette)
    {
        palette.setSelectedComposition(page.get());
        palette.setSelectedObject(canvas->manipulator().get());
        palette.setNeedsUpdate();
        drainTurn();
    }
    void feed() { feed(*inspector); }

    void select(const std::vector<std::shared_ptr<Shape>>& shapes)
    {
        canvas->replaceSelectionWithShapes(Canvas::Shapes(shapes.begin(), shapes.end()));
        feed();
    }

    static void drainTurn()
    {
        pf::drainMainQueue();
        pf::drainMainQueue();
    }

    QStringList shownFacetNames() const
    {
        QStringList names;
        if (inspector->facets())
            for (const auto& facet : *inspector->facets())
                names << facet->facetName();
        return names;
    }

    Facet& facet(const char* name) const { return *inspector->facetNamed(QString::fromLatin1(name)); }
    ColorButton* button(const char* facetName, int tag) const { return facet(facetName).colorButtonForTag(tag); }

    // The row now showing a facet, or null.
    InspectorListItem* rowOf(const Facet& shown) const
    {
        for (QVListItem* item : inspector->listView()->items())
            if (auto* row = dynamic_cast<InspectorListItem*>(item); row && row->facet() == &shown)
                return row;
        return nullptr;
    }

    std::unique_ptr<InspectorViewController> inspector;

private:
    QStringList seen_;
    std::vector<std::unique_ptr<pf::ScopedViewBuilder>> builders_;
    std::vector<std::unique_ptr<QWidget>> paletteWindows_;
    std::unique_ptr<InspectorColorPanel> previousPanel_;
};
