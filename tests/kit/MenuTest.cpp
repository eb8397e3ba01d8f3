// Menus: the model, its Qt form, the responder chain and the presentation one event-loop turn later.
#include "platform/kit/Menu.h"

#include "platform/foundation/Dispatch.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/View.h"

#include <QIcon>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A responder that records the actions it performs with their senders' tags and values.
class RecordingResponder : public pf::Responder {
public:
    explicit RecordingResponder(QStringList actions, bool validates = true) : validates_(validates)
    {
        for (const QString& action : actions)
            setAction(action, [this, action](const pf::MenuItem* sender) {
                performed.append(action);
                tags.push_back(sender ? sender->tag() : -1);
                values.push_back(sender ? sender->representedObject() : pf::Variant());
            });
    }
    bool validateMenuItem(const pf::MenuItem&) const override { return validates_; }

    QStringList performed;
    std::vector<std::int64_t> tags;
    std::vector<pf::Variant> values;

private:
    bool validates_;
};

class ResponderView : public pf::View {
public:
    ResponderView()
    {
        setAcceptsFirstResponder(true);
        setAction(QStringLiteral("removeImages:"), [this](const pf::MenuItem*) { ++removes; });
    }
    int removes = 0;
};

// The ruler menu's shape: units with a check on the current one, a separator, a submenu of corners.
std::shared_ptr<pf::Menu> rulerMenu(pf::Responder& canvas)
{
    auto menu = std::make_shared<pf::Menu>();
    const QStringList units = {QStringLiteral("Points"), QStringLiteral("Inches"), QStringLiteral("Centimeters")};
    for (int unit = 0; unit < units.size(); ++unit) {
        pf::MenuItem& item = menu->addItem(units[unit], QStringLiteral("changeRulerUnitType:"), &canvas);
        item.setTag(unit);
        item.setState(unit == 1 ? pf::MenuItemState::On : pf::MenuItemState::Off);
    }
    menu->addSeparator();
    auto corners = std::make_shared<pf::Menu>();
    for (int corner = 0; corner < 3; ++corner) {
        pf::MenuItem& item = corners->addItem(QStringLiteral("Corner %1").arg(corner),
                                              QStringLiteral("changeRulerOriginCorner:"), &canvas);
        item.setTag(corner);
        item.setRepresentedObject(pf::Point(corner, 2 * corner));
    }
    pf::MenuItem origin(QStringLiteral("Ruler Origin"));
    origin.setSubmenu(corners);
    menu->addItem(origin);
    return menu;
}

TEST(MenuTest, TheModelBecomesAQMenuWithTagsChecksSeparatorsAndSubmenus)
{
    RecordingResponder canvas({QStringLiteral("changeRulerUnitType:"), QStringLiteral("changeRulerOriginCorner:")});
    const std::unique_ptr<QMenu> qmenu = pf::MenuPresenter::makeQMenu(rulerMenu(canvas));
    const QList<QAction*> actions = qmenu->actions();
    ASSERT_EQ(actions.size(), 5);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("Points"));
    EXPECT_EQ(actions[1]->data().toLongLong(), 1);
    EXPECT_FALSE(actions[0]->isChecked());
    EXPECT_TRUE(actions[1]->isCheckable());
    EXPECT_TRUE(actions[1]->isChecked());
    EXPECT_TRUE(actions[3]->isSeparator());
    ASSERT_NE(actions[4]->menu(), nullptr);
    EXPECT_EQ(actions[4]->text(), QStringLiteral("Ruler Origin"));
    EXPECT_TRUE(actions[4]->isEnabled()); // a submenu item needs no action
    const QList<QAction*> corners = actions[4]->menu()->actions();
    ASSERT_EQ(corners.size(), 3);

    // Choosing an item performs its action with the item as sender.
    actions[2]->trigger();
    corners[2]->trigger();
    EXPECT_EQ(canvas.performed, (QStringList{QStringLiteral("changeRulerUnitType:"), QStringLiteral("changeRulerOriginCorner:")}));
    EXPECT_EQ(canvas.tags, (std::vector<std::int64_t>{2, 2}));
    EXPECT_EQ(canvas.values[1].get<pf::Point>(), pf::Point(2, 4));
}

TEST(MenuTest, AnItemsPictureBecomesItsIconAtEveryDensity)
{
    RecordingResponder facet({QStringLiteral("arrowTypeAChanged:")});
    auto menu = std::make_shared<pf::Menu>();
    pf::MenuItem& pictured = menu->addItem(QString(), QStringLiteral("arrowTypeAChanged:"), &facet);
    // A picture of 20 x 10 points drawn at two pixels per point.
    pf::Image picture = pf::Image::drawn(pf::Size(20, 10), 2, [](pf::GraphicsContext& context) {
        context.setColor(pf::Color(1, 0, 0, 1));
        context.fillRect(pf::Rect(0, 0, 10, 10));
    });
    pictured.setImage(picture);
    menu->addItem(QStringLiteral("Plain"), QStringLiteral("arrowTypeAChanged:"), &facet);

    const std::unique_ptr<QMenu> qmenu = pf::MenuPresenter::makeQMenu(menu);
    const QList<QAction*> actions = qmenu->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_TRUE(actions[1]->icon().isNull());
    const QIcon icon = actions[0]->icon();
    ASSERT_FALSE(icon.isNull());
    // Asked for at two pixels per point, the icon answers the bitmap itself: red at the left, clear at the right.
    const QImage shown = icon.pixmap(QSize(20, 10), 2.0).toImage();
    ASSERT_EQ(shown.size(), QSize(40, 20));
    EXPECT_EQ(QColor(shown.pixel(5, 10)), QColor(Qt::red));
    EXPECT_EQ(qAlpha(shown.pixel(35, 10)), 0);
}

TEST(MenuTest, ItemsAreEnabledOnlyWhenSomeoneWillPerformThem)
{
    RecordingResponder refusing({QStringLiteral("paste:")}, false);
    RecordingResponder canvas({QStringLiteral("copy:")});
    pf::Menu menu;
    menu.addItem(QStringLiteral("Copy"), QStringLiteral("copy:"), &canvas);
    menu.addItem(QStringLiteral("Paste"), QStringLiteral("paste:"), &refusing);    // validation says no
    menu.addItem(QStringLiteral("Cut"), QStringLiteral("cut:"), &canvas);         // target lacks the action
    menu.addItem(QStringLiteral("Remove Images"), QStringLiteral("removeImages:")); // nobody in the chain
    menu.addItem(QStringLiteral("Title only"), QString());
    pf::MenuItem off(QStringLiteral("Turned off"), QStringLiteral("copy:"), &canvas);
    off.setEnabled(false);
    menu.addItem(off);
    std::vector<bool> enabled;
    for (const pf::MenuItem& item : menu.items())
        enabled.push_back(item.isEnabledNow());
    EXPECT_EQ(enabled, (std::vector<bool>{true, false, false, false, false, false}));
    EXPECT_EQ(menu.itemWithTag(0), &menu.itemAt(0));
}

TEST(MenuTest, ItemsWithoutTargetGoAlongTheResponderChain)
{
    QWidget window;
    auto* view = new ResponderView;
    view->setParent(&window);
    RecordingResponder controller({QStringLiteral("browseForImage:"), QStringLiteral("removeImages:")});
    const pf::ApplicationResponder registered(controller);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    view->setFocus();

    pf::Menu menu;
    menu.addItem(QStringLiteral("Insert Image…"), QStringLiteral("browseForImage:"));
    menu.addItem(QStringLiteral("Remove Image"), QStringLiteral("removeImages:"));
    // The focused view comes before the application's responders.
    EXPECT_EQ(menu.itemAt(1).resolvedTarget(), view);
    EXPECT_TRUE(menu.itemAt(0).perform());
    EXPECT_TRUE(menu.itemAt(1).perform());
    EXPECT_EQ(controller.performed, QStringList{QStringLiteral("browseForImage:")});
    EXPECT_EQ(view->removes, 1);
}

TEST(MenuTest, AnItemWhoseTargetIsGoneDoesNothing)
{
    pf::Menu menu;
    {
        RecordingResponder canvas({QStringLiteral("copy:")});
        menu.addItem(QStringLiteral("Copy"), QStringLiteral("copy:"), &canvas);
    }
    EXPECT_TRUE(menu.itemAt(0).hasTarget());
    EXPECT_EQ(menu.itemAt(0).target(), nullptr);
    EXPECT_FALSE(menu.itemAt(0).isEnabledNow());
    EXPECT_FALSE(menu.itemAt(0).perform());
}

TEST(MenuTest, AContextMenuIsShownOneTurnLaterAtTheEventsScreenPoint)
{
    std::vector<std::pair<QStringList, pf::Point>> shown;
    const pf::MenuPresenter::ScopedRunner runner([&](QMenu& qmenu, pf::Point at) {
        QStringList titles;
        for (QAction* action : qmenu.actions())
            titles.append(action->text());
        shown.emplace_back(titles, at);
    });
    RecordingResponder canvas({QStringLiteral("paste:")});
    auto menu = std::make_shared<pf::Menu>();
    menu->addItem(QStringLiteral("Paste"), QStringLiteral("paste:"), &canvas);
    pf::Event click;
    click.type = pf::EventType::RightMouseDown;
    click.screenLocation = pf::Point(120, 80);

    auto view = std::make_unique<QWidget>();
    pf::MenuPresenter::popUpContextMenu(menu, click, view.get());
    EXPECT_TRUE(shown.empty()); // not inside the mouse-down
    pf::drainMainQueue();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].first, QStringList{QStringLiteral("Paste")});
    EXPECT_EQ(shown[0].second, pf::Point(120, 80));

    // A view gone before the turn comes shows nothing.
    pf::MenuPresenter::popUpContextMenu(menu, click, view.get());
    view.reset();
    pf::drainMainQueue();
    EXPECT_EQ(shown.size(), 1u);
}

} // namespace
