// The document window's own behaviour: the editing commands reach the canvas with their sender wherever
// the keyboard is in the window, Control and Command with a key align vertical centres unless a menu
// takes the key, and the toolbar toggle makes the content lay itself out again.
#include "model/UserDefaults.h"
#include "platform/docs/WindowController.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Services.h"
#include "platform/kit/Window.h"
#include "shell/CanvasDocumentWindow.h"
#include "shell/CanvasWindowContainerView.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

namespace {

// Stands for the canvas: has every forwarded action and records each call with its sender.
class RecordingCanvas : public pf::Responder {
public:
    RecordingCanvas()
    {
        for (const QString& name : CanvasDocumentWindow::forwardedActions())
            setAction(name, [this, name](const pf::MenuItem* sender) { calls.emplace_back(name, sender); });
    }
    bool validateMenuItem(const pf::MenuItem& item) const override { return item.action() != disabledAction; }

    std::vector<std::pair<QString, const pf::MenuItem*>> calls;
    QString disabledAction;
};

class RecordingWindow : public CanvasDocumentWindow {
public:
    RecordingWindow(pf::WindowController& controller, pf::Responder* canvas)
        : CanvasDocumentWindow(controller), canvas_(canvas)
    {
    }
    pf::Responder* canvas() const override { return canvas_; }

private:
    pf::Responder* canvas_;
};

class DocumentWindowActionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto store = std::make_unique<pf::UserDefaultsStore>();
        UserDefaults::registerDefaultValues(*store);
        previous_ = pf::UserDefaultsStore::replaceStandard(std::move(store));
    }
    void TearDown() override { pf::UserDefaultsStore::replaceStandard(std::move(previous_)); }

    // Shows the window with a focused line edit (not a responder) inside, and makes it active.
    QLineEdit* showWithField(QWidget& window)
    {
        auto* field = new QLineEdit(&window);
        window.resize(300, 200);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        field->setFocus();
        return field;
    }

    pf::WindowController controller{QStringLiteral("NoSuchWindow")};
    RecordingCanvas canvas;

private:
    std::unique_ptr<pf::UserDefaultsStore> previous_;
};

TEST_F(DocumentWindowActionsTest, EveryForwardedActionReachesTheCanvasWithItsSender)
{
    RecordingWindow window(controller, &canvas);
    const auto& names = CanvasDocumentWindow::forwardedActions();
    // The path, text and picture commands of the Shape menu are forwarded too, so they work from a palette.
    ASSERT_EQ(names.size(), 55u);
    for (const QString& name : names) {
        pf::MenuItem item(QStringLiteral("item"), name);
        canvas.calls.clear();
        EXPECT_TRUE(window.tryToPerform(name, &item)) << name.toStdString();
        ASSERT_EQ(canvas.calls.size(), 1u) << name.toStdString();
        EXPECT_EQ(canvas.calls[0].first, name);
        EXPECT_EQ(canvas.calls[0].second, &item) << name.toStdString();
    }
}

TEST_F(DocumentWindowActionsTest, AMenuItemReachesTheCanvasThroughTheWindowWhereverTheKeyboardIs)
{
    RecordingWindow window(controller, &canvas);
    showWithField(window);
    canvas.disabledAction = QStringLiteral("ungroup:");

    // No target: the chain runs from the focused field up to the window, which hands the item over.
    pf::MenuItem group(QStringLiteral("Group"), QStringLiteral("group:"));
    group.setTag(647);
    EXPECT_TRUE(group.isEnabledNow());
    EXPECT_TRUE(group.perform());
    ASSERT_EQ(canvas.calls.size(), 1u);
    EXPECT_EQ(canvas.calls[0].second, &group);
    EXPECT_EQ(canvas.calls[0].second->tag(), 647);

    // The canvas's validation is the item's; without a canvas nothing is enabled, and sending beeps.
    EXPECT_FALSE(pf::MenuItem(QString(), QStringLiteral("ungroup:")).isEnabledNow());
    RecordingWindow bare(controller, nullptr);
    int beeps = 0;
    pf::ScopedBeepSink beep([&] { ++beeps; });
    EXPECT_FALSE(bare.validateMenuItem(group));
    bare.tryToPerform(QStringLiteral("group:"), &group);
    EXPECT_EQ(beeps, 1);
}

TEST_F(DocumentWindowActionsTest, ControlCommandWithAnyKeyAlignsVerticalCentresUnlessAMenuTakesTheKey)
{
    RecordingWindow window(controller, &canvas);
    QLineEdit* field = showWithField(window);
    const auto chord = Qt::ControlModifier | Qt::MetaModifier;

    for (Qt::Key key : {Qt::Key_K, Qt::Key_1, Qt::Key_Space}) {
        canvas.calls.clear();
        QTest::keyClick(field, key, chord);
        ASSERT_EQ(canvas.calls.size(), 1u) << key;
        EXPECT_EQ(canvas.calls[0].first, QStringLiteral("alignShapesCenterVertical:"));
        EXPECT_EQ(canvas.calls[0].second, nullptr);
    }
    // The key never reached the field; one of the two held alone is an ordinary key.
    EXPECT_TRUE(field->text().isEmpty());
    canvas.calls.clear();
    QTest::keyClick(field, Qt::Key_Control, Qt::MetaModifier);
    QTest::keyClick(field, Qt::Key_K, Qt::MetaModifier);
    EXPECT_TRUE(canvas.calls.empty());

    // A menu item bound to the same keys wins.
    int triggered = 0;
    auto* action = new QAction(&window);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::META | Qt::Key_K));
    action->setShortcutContext(Qt::WindowShortcut);
    window.addAction(action);
    QObject::connect(action, &QAction::triggered, [&] { ++triggered; });
    QTest::keyClick(field, Qt::Key_K, chord);
    EXPECT_EQ(triggered, 1);
    EXPECT_TRUE(canvas.calls.empty());
}

TEST_F(DocumentWindowActionsTest, TheToolbarToggleNoticeLaysTheContentOutAgain)
{
    RecordingWindow window(controller, &canvas);
    pf::Window* kitWindow = pf::Window::attach(&window);
    auto* container = new CanvasWindowContainerView(pf::Rect(0, 0, 800, 600));
    auto* layout = new pf::View(pf::Rect(0, 0, 10, 10));
    auto* bar = new pf::View(pf::Rect(0, 0, 10, 10));
    container->addSubview(layout, layout->frame());
    container->addSubview(bar, bar->frame());
    container->setUberView(layout);
    container->setStatusBar(bar);
    kitWindow->setContentView(container);
    container->setFrame(pf::Rect(0, 0, 800, 600));
    // Somebody moved them; the notice puts them back.
    layout->setFrame(pf::Rect(0, 0, 10, 10));
    bar->setFrame(pf::Rect(0, 0, 10, 10));

    int notices = 0;
    auto token = pf::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(CanvasDocumentWindow::ToolbarVisibilityDidChangeNotification), kitWindow,
        [&](const pf::Notification&) { ++notices; });
    window.toggleToolbarShown();
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(layout->frame(), pf::Rect(0, 0, 800, 580));
    EXPECT_EQ(bar->frame(), pf::Rect(0, 580, 800, 20));

    // Another window's notice is not this container's.
    layout->setFrame(pf::Rect(0, 0, 10, 10));
    QWidget other;
    pf::NotificationCenter::defaultCenter().post(
        QString::fromLatin1(CanvasDocumentWindow::ToolbarVisibilityDidChangeNotification), pf::Window::attach(&other));
    EXPECT_EQ(layout->frame(), pf::Rect(0, 0, 10, 10));
}

} // namespace
