// Menus as data: the editor fills a Menu with items (title, picture, action, target or the responder chain,
// tag, represented value, check state, submenu, separators) and the presenter shows it as a QMenu. Code that
// builds menus is tested on the model; no test runs a menu.
#pragma once

#include "platform/foundation/Event.h"
#include "platform/foundation/Variant.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Responder.h"
#include "platform/kit/Sink.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QIcon;
class QMenu;
class QWidget;

namespace pf {

class Menu;

enum class MenuItemState { Off = 0, On = 1, Mixed = -1 };

class MenuItem {
public:
    static MenuItem separator();
    // No target: the action goes along the responder chain.
    explicit MenuItem(QString title = {}, QString action = {}, Responder* target = nullptr);

    bool isSeparator() const { return separator_; }
    const QString& title() const { return title_; }
    void setTitle(const QString& title) { title_ = title; }
    // Shown before the title (or alone, for an item without one); null for none.
    const Image& image() const { return image_; }
    void setImage(Image image) { image_ = std::move(image); }
    const QString& action() const { return action_; }
    void setAction(const QString& action) { action_ = action; }
    // Null when the item has none, or its target is gone.
    Responder* target() const;
    bool hasTarget() const { return hasTarget_; }
    void setTarget(Responder* target);
    std::int64_t tag() const { return tag_; }
    void setTag(std::int64_t tag) { tag_ = tag; }
    const Variant& representedObject() const { return represented_; }
    void setRepresentedObject(Variant value) { represented_ = std::move(value); }
    MenuItemState state() const { return state_; }
    void setState(MenuItemState state) { state_ = state; }
    const std::shared_ptr<Menu>& submenu() const { return submenu_; }
    void setSubmenu(std::shared_ptr<Menu> submenu) { submenu_ = std::move(submenu); }
    // Off turns the item off whatever its target answers.
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }

    // The responder that would perform the action now: the target, else the chain's first that has it.
    Responder* resolvedTarget() const;
    // Enabled, and: a submenu, or an action whose responder exists and validates the item.
    bool isEnabledNow() const;
    // Sends the action; false when nobody performs it.
    bool perform() const;

private:
    QString title_;
    Image image_;
    QString action_;
    std::weak_ptr<Responder*> target_;
    bool hasTarget_ = false;
    std::int64_t tag_ = 0;
    Variant represented_;
    MenuItemState state_ = MenuItemState::Off;
    std::shared_ptr<Menu> submenu_;
    bool separator_ = false;
    bool enabled_ = true;
};

class Menu {
public:
    explicit Menu(QString title = {}) : title_(std::move(title)) {}

    const QString& title() const { return title_; }
    const std::vector<MenuItem>& items() const { return items_; }
    int numberOfItems() const { return int(items_.size()); }
    MenuItem& itemAt(int index) { return items_.at(std::size_t(index)); }
    const MenuItem& itemAt(int index) const { return items_.at(std::size_t(index)); }
    // The first item with the tag; null when none has it.
    const MenuItem* itemWithTag(std::int64_t tag) const;

    MenuItem& addItem(MenuItem item);
    MenuItem& addItem(const QString& title, const QString& action, Responder* target = nullptr);
    void addSeparator() { items_.push_back(MenuItem::separator()); }
    void removeAllItems() { items_.clear(); }

private:
    QString title_;
    std::vector<MenuItem> items_;
};

// Shows menus. The Qt menu holds the model alive; choosing an action performs the model's item.
class MenuPresenter {
public:
    // The Qt form of the menu, built now: titles, pictures, separators, check states, enabled states, submenus;
    // each action's data() is its item's tag.
    static std::unique_ptr<QMenu> makeQMenu(std::shared_ptr<const Menu> menu, QWidget* parent = nullptr);
    // An item's picture as Qt shows it, at the densest of its bitmaps; a null icon for none.
    static QIcon iconForItem(const MenuItem& item);

    // Shows the menu at the event's screen location one event-loop turn later (after the mouse-down that
    // asked for it has returned), unless the view is gone by then.
    static void popUpContextMenu(std::shared_ptr<Menu> menu, const Event& event, QWidget* view);

    // Runs a built menu at a screen point; tests install one that records instead of running.
    using Runner = std::function<void(QMenu&, Point screenLocation)>;
    using ScopedRunner = ScopedSink<Runner>;
};

template <>
MenuPresenter::Runner& sinkOf<MenuPresenter::Runner>();

} // namespace pf
