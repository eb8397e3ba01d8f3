// The inspector with the program's filter and phone-control panels over a real canvas, with the beep
// counted and helpers that play row drags of an item table.
#pragma once

#include "PanelFixture.h"

#include "controls/UIControl.h"
#include "palettes/FacetItemTable.h"
#include "palettes/FilterFacet.h"
#include "palettes/UIControlFacet.h"
#include "platform/kit/DraggingSource.h"
#include "platform/kit/Services.h"

#include <QAbstractButton>
#include <QImage>
#include <QMimeData>
#include <QTableView>

#include <optional>

class ItemPanelFixture : public PanelFixture {
protected:
    void SetUp() override
    {
        PanelFixture::SetUp();
        FilterFacet::registerFacet();
        UIControlFacet::registerFacets();
        inspector = makeInspector();
    }

    FilterFacet& filters() const { return dynamic_cast<FilterFacet&>(facet("FilterFacet")); }
    UIControlFacet& controlFacet(const char* name) const { return dynamic_cast<UIControlFacet&>(facet(name)); }

    std::shared_ptr<UIControl> addControl(const char* kind, const pf::Rect& frame = pf::Rect(100, 100, 240, 44))
    {
        auto control = std::dynamic_pointer_cast<UIControl>(addShape(kind, frame));
        EXPECT_TRUE(control) << kind;
        return control;
    }

    // The types of the shape's filters, in order.
    static std::vector<unsigned> typesOf(const Shape& shape)
    {
        std::vector<unsigned> types;
        for (const auto& spec : shape.contentFilterSpecs())
            types.push_back(spec->type());
        return types;
    }
    static std::shared_ptr<FilterSpec> spec(unsigned type, double slider, bool enabled = true)
    {
        auto made = FilterSpec::filterSpec();
        made->setType(type);
        made->setSliderValue(slider);
        made->setEnabled(enabled);
        return made;
    }
    static QStringList titlesOf(const UIControl& control)
    {
        QStringList titles;
        for (const auto& item : control.controlItems())
            titles << item->title();
        return titles;
    }
    static ControlItems itemsTitled(const QStringList& titles)
    {
        ControlItems items;
        for (const QString& title : titles) {
            items.push_back(UIControlItem::make());
            items.back()->setTitle(title);
        }
        return items;
    }

    // The shape as exported, at one pixel a point (a shape on a page draws into a picture only then).
    QImage pictureOf(Shape& shape) const
    {
        page->setExporting(true);
        const QImage picture = shape.renderedImage().bestBitmap(1);
        page->setExporting(false);
        return picture;
    }

    // The user edits a cell of the table (a title typed, a pop-up item or a check box chosen).
    static bool edit(ItemTable& table, int row, int column, const QVariant& value, int role = Qt::EditRole)
    {
        auto* model = table.tableView()->model();
        return model->setData(model->index(row, column), value, role);
    }

    // Drags the table's row `from` and drops it on `target` before row `to`, Alt held or not; the
    // destination's answer during the drag and whether the drop took it. A content given replaces what
    // the drag carries.
    struct DropResult {
        pf::DragOperation answer = pf::DragOp::None;
        bool accepted = false;
    };
    static DropResult dragRow(ItemTable& source, std::size_t from, ItemTable& target, std::size_t to, bool alt,
                              std::optional<pf::PasteboardContent> replaced = std::nullopt)
    {
        DropResult result;
        pf::ScopedDraggingLoop loop([&](pf::DraggingSession& session, pf::View&) {
            const auto mime = replaced ? replaced->makeMimeData() : session.makeMimeData();
            const pf::DraggingInfo info{
                pf::Point(), session.operationMask(pf::DraggingContext::WithinApplication, alt ? pf::OptionKeyMask : 0),
                pf::Pasteboard(mime.get())};
            result.answer = target.validateDrop(info, to, ItemTable::DropOperation::Above);
            result.accepted = target.acceptDrop(info, to);
            session.endedAt(pf::Point(), pf::dropActionForOperation(result.answer), pf::DraggingContext::WithinApplication);
        });
        source.controller().setSelectionIndex(from);
        source.beginRowDrag();
        return result;
    }

    int beeps = 0;
    pf::ScopedBeepSink beepSink{[this] { ++beeps; }};
};
