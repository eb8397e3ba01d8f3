// The views of the library palette: one row per shape kind (its icon in a rounded well, its title, a
// one-point separator at the bottom) and the bar that holds the search field. Kinds with an icon picture
// show it (LibraryListItem); kinds without one show a small live sample of the kind
// (LibraryVectorListItem). All of them dim or recolour themselves while their window is not the main one.
#pragma once

#include "platform/foundation/Color.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Image.h"
#include "platform/text/AttributedString.h"
#include "shell/QVListView.h"
#include "shell/QVView.h"

#include <memory>
#include <optional>

class Shape;

class LibraryListItem : public QVListItem {
public:
    static constexpr double defaultHeight = 52.0;
    static QString reuseIdentifier() { return QStringLiteral("LibraryListItem"); }

    LibraryListItem();
    ~LibraryListItem() override;

    // Whether the palette gives the row a live sample shape; icon rows draw none.
    virtual bool wantsShape() const { return false; }

    // The kind shown. Setting the record already held changes nothing; otherwise the title to draw
    // follows it (none for an empty record).
    const pf::Value& shapeInfo() const { return shapeInfo_; }
    void setShapeInfo(const pf::Value& info);
    const std::optional<pf::AttributedString>& displayString() const { return displayString_; }
    void setDisplayString(std::optional<pf::AttributedString> text) { displayString_ = std::move(text); }
    const std::shared_ptr<Shape>& shape() const { return shape_; }
    void setShape(std::shared_ptr<Shape> shape) { shape_ = std::move(shape); }
    bool isBeforeSelected() const { return beforeSelected_; }
    void setBeforeSelected(bool before) { beforeSelected_ = before; }
    bool isSelected() const { return selected_; }
    void setSelected(bool selected) { selected_ = selected; }

    // The named picture of the record ("iconImageName"), loaded from the resources once and shared by
    // every row; without a name, the kind's own drawn icon. Null when there is none (a name without a
    // picture is not remembered, so a picture added later is found).
    pf::Image iconImage() const;

    // Fixed places in the row, whatever its size except for the title's.
    static pf::Rect iconBackgroundRectForBounds(const pf::Rect& bounds);
    static pf::Rect iconRectForBounds(const pf::Rect& bounds);
    static pf::Rect displayStringRectForBounds(const pf::Rect& bounds);

    // The colours, made once. The selected row and well take the desktop's button and highlight colours.
    static const pf::TextAttributes& titleAttributes();
    static pf::Color rowBackgroundColor();
    static pf::Color selectedRowBackgroundColor();
    static pf::Color separatorColor();
    static pf::Color separatorAtSelectionColor();
    static pf::Color iconWellColor();
    static pf::Color selectedIconWellColor();

protected:
    explicit LibraryListItem(const QString& reuseIdentifier);

    void drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect) override;
    // Draws the icon into the well.
    virtual void drawIcon(pf::GraphicsContext& context, const pf::Rect& dirtyRect);
    void viewDidMoveToWindow() override;

private:
    pf::Value shapeInfo_;
    std::optional<pf::AttributedString> displayString_;
    std::shared_ptr<Shape> shape_;
    bool beforeSelected_ = false;
    bool selected_ = false;
    std::vector<pf::NotificationToken> windowObservations_;
};

// A row whose icon is a live sample of its kind.
class LibraryVectorListItem : public LibraryListItem {
public:
    static QString reuseIdentifier() { return QStringLiteral("LibraryVectorListItem"); }

    LibraryVectorListItem();

    bool wantsShape() const override { return true; }
    // Where the sample goes: the icon's rectangle less 2 points a side.
    static pf::Rect shapeRectForIconRect(const pf::Rect& iconRect);

protected:
    // The sample, half a point off so that its whole-point strokes land on whole pixels.
    void drawIcon(pf::GraphicsContext& context, const pf::Rect& dirtyRect) override;
};

// The bar above the list that holds the search field: its colour with a line along the top, darker while
// the window is the main one.
class LibrarySearchView : public QVColorView {
public:
    using QVColorView::QVColorView;

    static pf::Color activeLineColor();
    static pf::Color inactiveLineColor();

protected:
    void drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect) override;
    void viewDidMoveToWindow() override;

private:
    std::vector<pf::NotificationToken> windowObservations_;
};
