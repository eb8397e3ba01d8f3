// One row of the inspector: a 15-point header with the disclosure triangle and the facet's title, and the
// facet's content view below it. Rows are laid out at least 220 points wide, so a narrow palette clips
// them rather than squeezing the panels.
#pragma once

#include "shell/QVListView.h"

#include <QPointer>

#include <memory>

namespace pf {
class Object;
}

class Facet;

class InspectorListItem : public QVListItem {
public:
    static constexpr double defaultHeight = 16.0;
    static constexpr double minimumWidth = 220.0;
    static const QString& reuseIdentifierName();

    InspectorListItem();
    InspectorListItem(const pf::Rect& frame, const QString& reuseIdentifier);
    ~InspectorListItem() override;

    // Null once the facet has gone (a row may outlive its inspector inside a view still shown).
    Facet* facet() const { return facetLife_.expired() ? nullptr : facet_; }
    // Takes the facet's content view in (from any other row), giving the old facet's back.
    void setFacet(Facet* facet);
    bool isLast() const { return last_; }
    void setLast(bool last) { last_ = last; }
    // Toggles the facet of the row; the tag is the row index.
    class DisclosureButton;
    DisclosureButton* disclosureButton() const { return disclosureButton_; }

    void prepareForReuse() override;

    // The bounds with the width raised to the minimum.
    pf::Rect layoutBounds() const;
    // Geometry for bounds of width W and height H (y down).
    static pf::Rect headerRectForBounds(const pf::Rect& bounds);
    pf::Rect titleRectForBounds(const pf::Rect& bounds) const;
    static pf::Rect disclosureButtonRectForBounds(const pf::Rect& bounds);
    static pf::Rect contentRectForBounds(const pf::Rect& bounds);

    // "<InspectorListItem n facet>"
    QString description() const;
    std::int64_t instanceCount() const { return instanceCount_; }

protected:
    void drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect) override;
    void layoutSubviews() override;

private:
    std::int64_t instanceCount_ = 0;
    bool last_ = false;
    Facet* facet_ = nullptr;
    std::weak_ptr<pf::Object> facetLife_;
    DisclosureButton* disclosureButton_ = nullptr;
};

// The triangle: off points right (collapsed), on points down.
class InspectorListItem::DisclosureButton : public pf::View {
public:
    explicit DisclosureButton(const pf::Rect& frame, QWidget* parent = nullptr);
    bool state() const { return state_; }
    void setState(bool on);
    std::size_t tag() const { return tag_; }
    void setTag(std::size_t tag) { tag_ = tag; }
    // Sent on a click with the button; the state has not changed (the owner decides).
    void setAction(std::function<void(DisclosureButton&)> action) { action_ = std::move(action); }
    void performClick();

protected:
    void drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect) override;
    void mouseDown(const pf::Event& e) override;

private:
    bool state_ = false;
    std::size_t tag_ = 0;
    std::function<void(DisclosureButton&)> action_;
};
