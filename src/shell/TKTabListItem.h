// The tab strip's items and their looks. A TKTabListItem stores what the strip tells it (title, selection,
// the page it shows, first/last/squished) and hands geometry and drawing to the strip's current style, a
// TKTabListItemStyle. A style answers a catalogue (extent, title font, which buttons the strip gets and how
// to make them) and lays out and draws one item. "Page" (TabListItemStylePage) draws each tab as a picture
// of its page under its title, and supplies the strip's add and overflow buttons.
//
// The page picture is kept per item as a device-pixel image for the item's size and pixel ratio. A
// "TKTabModelDidChangeNotification" for the item's page only marks the picture stale and asks one
// redisplay, so a burst of notices in one turn draws the page once, and only for items on show. A stale
// picture of the same page and size draws again only the area the page asked to redisplay since it was
// drawn (Composition::displayChangesSince), or nothing when it asked none; the whole page when that area
// is large or unknown. While the
// page keeps changing (a drag sends a notice every step) the picture is drawn again at most once per
// pictureRefreshInterval: a notice within the interval after the last drawing waits for its end, so the
// picture shows the page as it is at most that long after the last change.
#pragma once

#include "platform/foundation/Color.h"
#include "platform/foundation/Dispatch.h"
#include "platform/graphics/Gradient.h"
#include "platform/text/Font.h"
#include "platform/text/TextAttributes.h"
#include "shell/QVListView.h"

#include <QImage>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace pf {
class Object;
}
class Composition;
class TKTabListItem;
class TKTabsListViewController;

// A flat push button of the strip (add or overflow); the action runs on a release inside it.
class TKOverflowButton : public QVView {
public:
    explicit TKOverflowButton(const pf::Rect& frame = {}, QWidget* parent = nullptr);

    bool isPortrait() const { return portrait_; }
    void setPortrait(bool portrait) { portrait_ = portrait; }
    // True: the button adds a tab; false: it opens the overflow menu.
    bool isAdd() const { return isAdd_; }
    void setIsAdd(bool add) { isAdd_ = add; }
    void setAction(std::function<void(const pf::Event&)> action) { action_ = std::move(action); }
    bool isHighlighted() const { return highlighted_; }
    // Runs the action as a click would.
    void performClick(const pf::Event& e);

protected:
    void mouseDown(const pf::Event& e) override;
    void mouseDragged(const pf::Event& e) override;
    void mouseUp(const pf::Event& e) override;
    void viewDidMoveToWindow() override;
    // Main or not, as the window says (main when in none).
    bool drawsAsMain() const;

private:
    bool portrait_ = false;
    bool isAdd_ = false;
    bool highlighted_ = false;
    std::function<void(const pf::Event&)> action_;
    std::vector<pf::NotificationToken> windowObservations_;
};

// The Page style's add and overflow buttons: a grey gradient, a separator towards the list, a glyph.
class PageStyleOverflowButton : public TKOverflowButton {
public:
    using TKOverflowButton::TKOverflowButton;

protected:
    void drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect) override;
};

// A close button for styles that show one: small pictures for the window's state, the pressed one while
// held. Its tag is the tab's index.
class TKTabListItemFlatStyleCloseButton : public TKOverflowButton {
public:
    explicit TKTabListItemFlatStyleCloseButton(const pf::Rect& frame = {}, QWidget* parent = nullptr);

    bool isSelected() const { return selected_; }
    void setSelected(bool selected);
    std::int64_t tag() const { return tag_; }
    void setTag(std::int64_t tag) { tag_ = tag; }
    // The picture shown now: the pressed one while held, else by the window's state and selection.
    const pf::Image& currentImage() const;

protected:
    void drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect) override;

private:
    bool selected_ = false;
    std::int64_t tag_ = 0;
};

// A style: the catalogue (what the strip asks when choosing and sizing) and the item operations. The
// answers here are the base ones: no extent, no buttons, zero rects, nothing drawn.
class TKTabListItemStyle {
public:
    virtual ~TKTabListItemStyle() = default;

    // ---- catalogue ----
    virtual QString name() const { return {}; }
    virtual double tabItemExtentForScrollSize(pf::Size, bool /*portrait*/) const { return 0; }
    virtual std::optional<pf::Font> titleFont() const { return std::nullopt; }
    virtual pf::TextAlignment titleTextAlignment() const { return pf::TextAlignment::Left; }
    virtual bool displaysClippedItems() const { return true; }
    virtual bool wantsSquishedItems() const { return true; }
    virtual bool wantsCloseButton() const { return true; }
    virtual bool wantsAddButton() const { return false; }
    virtual bool wantsOverflowButton() const { return false; }
    // New views the caller owns; null when the style makes none.
    virtual TKTabListItemFlatStyleCloseButton* newCloseTabButtonWithFrame(const pf::Rect&) const { return nullptr; }
    virtual TKOverflowButton* newAddButtonWithFrame(const pf::Rect&) const { return nullptr; }
    virtual TKOverflowButton* newOverflowButtonWithFrame(const pf::Rect&) const { return nullptr; }
    virtual QString defaultEditableKeyPath() const { return QStringLiteral("title"); }
    virtual double tabItemMinimumExtent() const { return 0; }
    virtual double preferredTabItemFixedExtent() const { return 0; }

    // ---- the item (rects in the item's points, bounds B) ----
    virtual pf::Rect borderRectForBounds(const TKTabListItem&, const pf::Rect&) const { return {}; }
    virtual pf::Rect titleRectForBounds(const TKTabListItem&, const pf::Rect&) const { return {}; }
    virtual pf::Rect titleTextRectForBounds(const TKTabListItem& item, const pf::Rect& bounds, const QString&,
                                            const pf::TextAttributes&) const
    {
        return titleRectForBounds(item, bounds);
    }
    virtual pf::Rect closeButtonRectForBounds(const TKTabListItem&, const pf::Rect&) const { return {}; }
    virtual pf::Rect thumbnailRectForBounds(const TKTabListItem&, const pf::Rect&) const { return {}; }
    virtual void needsDisplayInListItem(TKTabListItem&) const {}
    virtual void layoutSubviewsInTabListItem(TKTabListItem&) const {}
    virtual void drawTabListItem(TKTabListItem&, pf::GraphicsContext&) const {}
    // "title" inside the title rect, else empty.
    virtual QString editableKeyPathForDoubleClick(const TKTabListItem& item, pf::Point point) const;
    // The title rect for "title", else a zero rect.
    virtual pf::Rect fieldEditorRectForEditableKeyPath(const TKTabListItem& item, const QString& keyPath) const;
};

// The page picture's place in a thumbnail square T for a page of size (w, h): the scale, and the rect P
// (x and y rounded plus 0.5, sizes whole). No scale (0) for a page without area or a square of no size.
struct TKPageThumbnailGeometry {
    double scale = 0;
    pf::Rect pictureRect;
    static TKPageThumbnailGeometry forPage(pf::Size pageSize, const pf::Rect& square);
};

// The page picture as device pixels: the rect P of the geometry (in some view's points) widened to whole
// points, at the pixel ratio; white over P and the page drawn at the scale inside it. A page without area
// gives P's white alone.
struct TKPageThumbnailImage {
    QImage image;      // device pixels, its devicePixelRatio set
    pf::Rect rect;     // where it goes, in the same points as the geometry
    static TKPageThumbnailImage render(Composition& page, const TKPageThumbnailGeometry& geometry, double pixelRatio);
    // Draws again, into this picture of the page made by render with the same geometry and ratio, the whole
    // device pixels that cover the area (page points): white first, then the shapes that meet them, clipped
    // to them, so the pixels come out as a fresh render's. False, with nothing drawn, when those pixels
    // cover more than half the page's, for which a fresh render costs about as much.
    bool redrawArea(Composition& page, const TKPageThumbnailGeometry& geometry, double pixelRatio,
                    const pf::Rect& area);
};

class TabListItemStylePage : public TKTabListItemStyle {
public:
    QString name() const override { return QStringLiteral("Page"); }
    // Portrait: width + 13; landscape: height − 13.
    double tabItemExtentForScrollSize(pf::Size size, bool portrait) const override;
    std::optional<pf::Font> titleFont() const override;
    pf::TextAlignment titleTextAlignment() const override { return pf::TextAlignment::Center; }
    bool wantsSquishedItems() const override { return false; }
    bool wantsCloseButton() const override { return false; }
    bool wantsAddButton() const override { return true; }
    bool wantsOverflowButton() const override { return true; }
    TKOverflowButton* newAddButtonWithFrame(const pf::Rect& frame) const override;
    TKOverflowButton* newOverflowButtonWithFrame(const pf::Rect& frame) const override;
    double tabItemMinimumExtent() const override { return 60; }
    double preferredTabItemFixedExtent() const override { return 21; }

    pf::Rect borderRectForBounds(const TKTabListItem&, const pf::Rect& bounds) const override;
    pf::Rect titleRectForBounds(const TKTabListItem& item, const pf::Rect& bounds) const override;
    // Centred on the whole tab, no wider than the title rect.
    pf::Rect titleTextRectForBounds(const TKTabListItem& item, const pf::Rect& bounds, const QString& text,
                                    const pf::TextAttributes& attributes) const override;
    pf::Rect closeButtonRectForBounds(const TKTabListItem&, const pf::Rect&) const override;
    pf::Rect thumbnailRectForBounds(const TKTabListItem&, const pf::Rect& bounds) const override;
    void layoutSubviewsInTabListItem(TKTabListItem& item) const override;
    void drawTabListItem(TKTabListItem& item, pf::GraphicsContext& context) const override;

    // The drawing values.
    static const pf::TextAttributes& selectedTitleAttributes();
    static const pf::TextAttributes& normalTitleAttributes();
    static const pf::Color& selectedBorderColor();
    static const pf::Color& focusBorderColor();
    static const pf::Color& normalBorderColor();
};

class TKTabListItem : public QVListItem {
public:
    static const QString reuseIdentifierName; // "TKTabListItem"
    static constexpr char modelDidChangeNotification[] = "TKTabModelDidChangeNotification";
    // The shortest time between two drawings of the page while it changes.
    static constexpr pf::Nanoseconds pictureRefreshInterval = std::chrono::milliseconds(250);

    TKTabListItem();
    ~TKTabListItem() override;

    bool isSelected() const { return selected_; }
    void setSelected(bool selected) { selected_ = selected; }
    bool showsCloseButton() const { return showsCloseButton_; }
    void setShowsCloseButton(bool shows) { showsCloseButton_ = shows; }
    bool showsProgressIndicator() const { return showsProgressIndicator_; }
    void setShowsProgressIndicator(bool shows) { showsProgressIndicator_ = shows; }
    bool isSquished() const { return squished_; }
    void setSquished(bool squished) { squished_ = squished; }
    bool isFirst() const { return first_; }
    void setFirst(bool first) { first_ = first; }
    bool isLast() const { return last_; }
    void setLast(bool last) { last_ = last; }
    const QString& title() const { return title_; }
    void setTitle(const QString& title) { title_ = title; }
    const std::shared_ptr<pf::Object>& representedObject() const { return representedObject_; }
    // A different page makes the kept picture stale.
    void setRepresentedObject(std::shared_ptr<pf::Object> object);
    // Not owned: null once the controller has gone (idle items may outlive it in the reuse queue).
    TKTabsListViewController* tabsListViewController() const;
    void setTabsListViewController(TKTabsListViewController* controller);

    // The controller's style; null without one.
    const TKTabListItemStyle* style() const;
    // Made on first request when the style wants one; null otherwise.
    TKTabListItemFlatStyleCloseButton* closeButton();

    pf::Rect borderRectForBounds(const pf::Rect& bounds) const;
    pf::Rect titleRectForBounds(const pf::Rect& bounds) const;
    pf::Rect closeButtonRectForBounds(const pf::Rect& bounds) const;
    pf::Rect thumbnailRectForBounds(const pf::Rect& bounds) const;
    QString editableKeyPathForDoubleClick(pf::Point point) const;
    pf::Rect fieldEditorRectForEditableKeyPath(const QString& keyPath) const;

    // Redisplays; with needsDisplay also tells the style.
    void setNeedsDisplay(bool needsDisplay);
    // The kept page picture for this geometry and the widget's pixel ratio, drawn again when stale.
    const TKPageThumbnailImage& pageThumbnail(Composition& page, const TKPageThumbnailGeometry& geometry);
    bool isThumbnailStale() const { return thumbnailStale_; }
    // A change of the page waits for the end of the refresh interval.
    bool isThumbnailRefreshPending() const { return refreshPending_; }
    // How many times this item drew its page, whole or the changed area alone.
    int pageDrawCount() const { return pageDraws_; }
    // How many of those drew the whole page.
    int wholePageDrawCount() const { return wholePageDraws_; }
    // "<TKTabListItem 0x… title>"
    QString description() const;

protected:
    void layoutSubviews() override;
    void drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect) override;
    void viewDidMoveToWindow() override;

private:
    void tabModelDidChange(const pf::Notification& n);
    void tabModelTitleDidChange(const pf::Notification& n);
    void pictureIsStale();

    bool selected_ = false;
    bool showsCloseButton_ = false;
    bool showsProgressIndicator_ = false;
    bool squished_ = false;
    bool first_ = false;
    bool last_ = false;
    QString title_;
    std::shared_ptr<pf::Object> representedObject_;
    QPointer<TKTabListItemFlatStyleCloseButton> closeButton_;
    TKTabsListViewController* controller_ = nullptr;
    std::weak_ptr<pf::Responder*> controllerAlive_;

    TKPageThumbnailImage thumbnail_;
    pf::Rect thumbnailGeometryRect_;
    double thumbnailPixelRatio_ = 0;
    bool thumbnailStale_ = true;
    // What the kept picture was drawn from: the page, its size and its count of redisplay requests, so that
    // a refresh after edits draws only their area.
    const Composition* thumbnailPage_ = nullptr;
    pf::Size thumbnailPageSize_;
    std::uint64_t thumbnailChangeCount_ = 0;
    int pageDraws_ = 0;
    int wholePageDraws_ = 0;
    // When the page was last drawn (on the delayed calls' clock); none before the first drawing.
    std::optional<std::int64_t> lastPageDraw_;
    bool refreshPending_ = false;
    pf::DelayedCallOwner refreshes_;
    std::vector<pf::NotificationToken> observations_;
};
