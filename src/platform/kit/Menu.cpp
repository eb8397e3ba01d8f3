#include "platform/kit/Menu.h"

#include "platform/foundation/Dispatch.h"

#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QPointer>

namespace pf {

template <>
MenuPresenter::Runner& sinkOf<MenuPresenter::Runner>()
{
    static MenuPresenter::Runner run = [](QMenu& menu, Point at) { menu.exec(at.toQt().toPoint()); };
    return run;
}

namespace {

void fill(QMenu& qmenu, const std::shared_ptr<const Menu>& menu)
{
    for (std::size_t i = 0; i < menu->items().size(); ++i) {
        const MenuItem& item = menu->items()[i];
        if (item.isSeparator()) {
            qmenu.addSeparator();
            continue;
        }
        QAction* action = nullptr;
        if (item.submenu()) {
            QMenu* sub = qmenu.addMenu(item.title());
            fill(*sub, item.submenu());
            action = sub->menuAction();
        } else {
            action = qmenu.addAction(item.title());
            // The menu is captured, not the item: the Qt menu then keeps the whole model alive.
            QObject::connect(action, &QAction::triggered, action, [menu, i] { menu->items()[i].perform(); });
        }
        if (!item.image().isNull())
            action->setIcon(MenuPresenter::iconForItem(item));
        action->setData(QVariant::fromValue<qint64>(item.tag()));
        if (item.state() != MenuItemState::Off) {
            action->setCheckable(true);
            action->setChecked(true);
        }
        action->setEnabled(item.isEnabledNow());
    }
}

} // namespace

MenuItem MenuItem::separator()
{
    MenuItem item;
    item.separator_ = true;
    return item;
}

MenuItem::MenuItem(QString title, QString action, Responder* target) : title_(std::move(title)), action_(std::move(action))
{
    setTarget(target);
}

Responder* MenuItem::target() const
{
    const auto handle = target_.lock();
    return handle ? *handle : nullptr;
}

void MenuItem::setTarget(Responder* target)
{
    hasTarget_ = target != nullptr;
    target_ = target ? target->weakReference() : std::weak_ptr<Responder*>();
}

Responder* MenuItem::resolvedTarget() const
{
    if (action_.isEmpty())
        return nullptr;
    if (hasTarget_) {
        Responder* t = target();
        return t && t->respondsToAction(action_) ? t : nullptr;
    }
    return targetForAction(action_);
}

bool MenuItem::isEnabledNow() const
{
    if (!enabled_ || separator_)
        return false;
    if (submenu_)
        return true;
    const Responder* responder = resolvedTarget();
    return responder && responder->validateMenuItem(*this);
}

bool MenuItem::perform() const
{
    // Without a target the item sends its action as any control does: the application routes it first.
    if (!hasTarget_ && !action_.isEmpty() && routeAction(action_, this))
        return true;
    Responder* responder = resolvedTarget();
    return responder && responder->tryToPerform(action_, this);
}

const MenuItem* Menu::itemWithTag(std::int64_t tag) const
{
    for (const MenuItem& item : items_)
        if (!item.isSeparator() && item.tag() == tag)
            return &item;
    return nullptr;
}

MenuItem& Menu::addItem(MenuItem item)
{
    items_.push_back(std::move(item));
    return items_.back();
}

MenuItem& Menu::addItem(const QString& title, const QString& action, Responder* target)
{
    return addItem(MenuItem(title, action, target));
}

QIcon MenuPresenter::iconForItem(const MenuItem& item)
{
    const Image& image = item.image();
    if (!image.isValid())
        return {};
    QIcon icon;
    if (image.bitmapCount() == 0) {
        icon.addPixmap(QPixmap::fromImage(image.rendered(1)));
        return icon;
    }
    for (int i = 0; i < image.bitmapCount(); ++i) {
        QImage bitmap = image.bitmap(i);
        bitmap.setDevicePixelRatio(image.bitmapScale(i));
        icon.addPixmap(QPixmap::fromImage(bitmap));
    }
    return icon;
}

std::unique_ptr<QMenu> MenuPresenter::makeQMenu(std::shared_ptr<const Menu> menu, QWidget* parent)
{
    auto qmenu = std::make_unique<QMenu>(menu->title(), parent);
    fill(*qmenu, menu);
    return qmenu;
}

void MenuPresenter::popUpContextMenu(std::shared_ptr<Menu> menu, const Event& event, QWidget* view)
{
    QPointer<QWidget> guard(view);
    const Point at = event.screenLocation;
    performOnMainThread([menu = std::move(menu), guard, at] {
        if (!guard)
            return;
        // No parent: the view may go while the menu runs, and the menu must not go with it.
        const std::unique_ptr<QMenu> qmenu = makeQMenu(menu);
        sinkOf<MenuPresenter::Runner>()(*qmenu, at);
    });
}

} // namespace pf
