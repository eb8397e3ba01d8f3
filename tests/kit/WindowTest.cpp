#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Responder.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/View.h"
#include "platform/kit/ViewBuilders.h"
#include "platform/kit/Window.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QEvent>
#include <QLineEdit>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace pf;

namespace {

// Records the move calls it gets, as "name: call target".
class MoveRecorder : public View {
public:
    MoveRecorder(QString name, std::vector<QString>& log) : name_(std::move(name)), log_(log) {}

protected:
    void viewWillMoveToSuperview(QWidget* s) override { log_.push_back(name_ + ": will superview " + label(s)); }
    void viewDidMoveToSuperview() override { log_.push_back(name_ + ": did superview " + label(superview())); }
    void viewWillMoveToWindow(Window* w) override
    {
        log_.push_back(name_ + ": will window " + (w ? w->widget()->objectName() : QStringLiteral("none")));
    }
    void viewDidMoveToWindow() override
    {
        Window* w = enclosingWindow();
        log_.push_back(name_ + ": did window " + (w ? w->widget()->objectName() : QStringLiteral("none")));
    }

private:
    static QString label(const QWidget* w) { return w ? w->objectName() : QStringLiteral("none"); }
    QString name_;
    std::vector<QString>& log_;
};

struct TwoWindows : ::testing::Test {
    QWidget first;
    QWidget second;
    Window* a = nullptr;
    Window* b = nullptr;
    View* contentA = new View;
    View* contentB = new View;

    void SetUp() override
    {
        first.setObjectName("A");
        second.setObjectName("B");
        a = Window::attach(&first);
        b = Window::attach(&second);
        contentA->setObjectName("contentA");
        contentB->setObjectName("contentB");
        a->setContentView(contentA);
        b->setContentView(contentB);
    }
    void TearDown() override
    {
        a->resignMainWindow();
        a->resignKeyWindow();
        b->resignMainWindow();
        b->resignKeyWindow();
    }
};

} // namespace

TEST_F(TwoWindows, MovesReachTheMovedViewAndEveryViewInsideItWhenTheWindowChanges)
{
    std::vector<QString> log;
    auto* outer = new MoveRecorder("outer", log);
    outer->setObjectName("outer");
    auto* inner = new MoveRecorder("inner", log);
    outer->addSubview(inner, Rect(0, 0, 10, 10));
    log.clear();

    contentA->addSubview(outer, Rect(0, 0, 50, 50));
    EXPECT_EQ(log, (std::vector<QString>{"outer: will superview contentA", "outer: will window A", "inner: will window A",
                                          "outer: did window A", "inner: did window A", "outer: did superview contentA"}));
    EXPECT_EQ(inner->enclosingWindow(), a);
    EXPECT_FALSE(outer->isHidden());

    // Within one window only the superview changes.
    log.clear();
    auto* sibling = new View;
    sibling->setObjectName("sibling");
    contentA->addSubview(sibling, Rect(0, 0, 100, 100));
    sibling->addSubview(outer, Rect(0, 0, 50, 50));
    EXPECT_EQ(log, (std::vector<QString>{"outer: will superview sibling", "outer: did superview sibling"}));

    // To the other window.
    log.clear();
    contentB->addSubview(outer, Rect(0, 0, 50, 50));
    EXPECT_EQ(log, (std::vector<QString>{"outer: will superview contentB", "outer: will window B", "inner: will window B",
                                          "outer: did window B", "inner: did window B", "outer: did superview contentB"}));

    // Out of everything: no superview, no window, hidden, and the caller's to delete.
    log.clear();
    outer->removeFromSuperview();
    EXPECT_EQ(log, (std::vector<QString>{"outer: will superview none", "outer: will window none",
                                          "inner: will window none", "outer: did window none", "inner: did window none",
                                          "outer: did superview none"}));
    EXPECT_EQ(outer->superview(), nullptr);
    EXPECT_EQ(inner->enclosingWindow(), nullptr);
    EXPECT_TRUE(outer->isHidden());
    delete outer;
}

TEST_F(TwoWindows, AViewHiddenOnPurposeStaysHiddenWhenMoved)
{
    auto* view = new View;
    contentA->addSubview(view, Rect(0, 0, 5, 5));
    view->hide();
    contentB->addSubview(view, Rect(0, 0, 5, 5));
    EXPECT_TRUE(view->isHidden());
}

TEST_F(TwoWindows, AScrollViewsDocumentHearsItsMove)
{
    std::vector<QString> log;
    auto* scroll = new ScrollView(contentA);
    auto* document = new MoveRecorder("doc", log);
    scroll->setDocumentView(document);
    EXPECT_EQ(log.front(), "doc: will superview qt_scrollarea_viewport");
    EXPECT_EQ(log.back(), "doc: did superview qt_scrollarea_viewport");
    EXPECT_EQ(document->enclosingWindow(), a);
}

TEST_F(TwoWindows, OneWindowIsMainAndOneIsKeyWithNotificationsForEachChange)
{
    std::vector<QString> log;
    auto record = [&](const Notification& n) {
        log.push_back((n.object == a ? QStringLiteral("A ") : QStringLiteral("B ")) + n.name);
    };
    std::vector<NotificationToken> tokens;
    for (const QString& name : {Window::didBecomeMainNotification, Window::didResignMainNotification,
                                Window::didBecomeKeyNotification, Window::didResignKeyNotification})
        tokens.push_back(NotificationCenter::defaultCenter().addObserver(name, nullptr, record));

    a->becomeMainWindow();
    a->becomeMainWindow(); // already main: nothing
    b->becomeMainWindow();
    EXPECT_EQ(log, (std::vector<QString>{"A NSWindowDidBecomeMainNotification", "A NSWindowDidResignMainNotification",
                                          "B NSWindowDidBecomeMainNotification"}));
    EXPECT_FALSE(a->isMainWindow());
    EXPECT_EQ(Window::mainWindow(), b);

    // Qt's activation makes a window key and main; a panel that cannot be main leaves main where it is.
    log.clear();
    b->setCanBecomeMainWindow(false);
    b->resignMainWindow();
    a->becomeMainWindow();
    log.clear();
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&second, &activate);
    EXPECT_TRUE(b->isKeyWindow());
    EXPECT_FALSE(b->isMainWindow());
    EXPECT_TRUE(a->isMainWindow());
    EXPECT_EQ(log, (std::vector<QString>{"B NSWindowDidBecomeKeyNotification"}));

    b->setCanBecomeMainWindow(true);
    log.clear();
    QEvent deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(&second, &deactivate);
    QCoreApplication::sendEvent(&first, &activate);
    EXPECT_EQ(log, (std::vector<QString>{"B NSWindowDidResignKeyNotification", "A NSWindowDidBecomeKeyNotification"}));
    EXPECT_EQ(Window::keyWindow(), a);

    // The application loses its last active window: main goes too.
    log.clear();
    QCoreApplication::sendEvent(&first, &deactivate);
    EXPECT_EQ(log, (std::vector<QString>{"A NSWindowDidResignKeyNotification", "A NSWindowDidResignMainNotification"}));
    EXPECT_EQ(Window::mainWindow(), nullptr);
}

TEST_F(TwoWindows, AWindowGoneLeavesNoMainWindowBehind)
{
    {
        QWidget temporary;
        Window::attach(&temporary)->becomeMainWindow();
        EXPECT_NE(Window::mainWindow(), nullptr);
    }
    EXPECT_EQ(Window::mainWindow(), nullptr);
}

TEST_F(TwoWindows, FirstResponderIsTheFocusWidgetOfItsOwnWindow)
{
    auto* field = new QLineEdit(contentA);
    auto* other = new QLineEdit(contentB);
    EXPECT_TRUE(a->makeFirstResponder(field));
    EXPECT_EQ(a->firstResponder(), field);
    EXPECT_FALSE(a->makeFirstResponder(other));
    auto* plain = new View;
    contentA->addSubview(plain, Rect(0, 0, 5, 5));
    EXPECT_FALSE(a->makeFirstResponder(plain)); // takes no focus
    plain->setAcceptsFirstResponder(true);
    EXPECT_TRUE(a->makeFirstResponder(plain));
    EXPECT_EQ(a->firstResponder(), plain);
    EXPECT_TRUE(a->makeFirstResponder(nullptr));
    EXPECT_EQ(a->firstResponder(), nullptr);
}

TEST_F(TwoWindows, TheContentViewFillsTheWindowAndFollowsItsSize)
{
    first.show();
    first.resize(320, 200);
    EXPECT_EQ(contentA->frame(), Rect(0, 0, 320, 200));
    EXPECT_EQ(Window::attach(&first), a);
    EXPECT_EQ(Window::of(contentA), a);
    EXPECT_EQ(Window::of(nullptr), nullptr);
}

namespace {
class Owner : public Responder {
public:
    View* outlet = nullptr;
};
} // namespace

TEST(ViewBuilders, ABuilderMakesTheViewAndConnectsItsOwnerAMissingOneMakesNothing)
{
    const QString name = QStringLiteral("TestPanel");
    EXPECT_FALSE(hasViewBuilder(name));
    EXPECT_EQ(loadViewNamed(name, nullptr), nullptr);
    {
        const ScopedViewBuilder builder(name, [](Responder* owner) {
            auto* top = new View(Rect(0, 0, 40, 30));
            auto* inner = new View;
            top->addSubview(inner, Rect(5, 5, 10, 10));
            if (auto* o = dynamic_cast<Owner*>(owner))
                o->outlet = inner;
            return top;
        });
        Owner owner;
        const std::unique_ptr<View> view(loadViewNamed(name, &owner));
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->frame(), Rect(0, 0, 40, 30));
        EXPECT_EQ(owner.outlet->superview(), view.get());
    }
    EXPECT_FALSE(hasViewBuilder(name));
}

namespace {

// The application's commands act from every window: the window whose menu holds the command, a window
// attached before the command was made and one attached after, each pressing the key once.
TEST(WindowApplicationActions, KeysActFromEveryWindowOnce)
{
    QWidget documentWindow;
    QWidget earlier;
    Window::attach(&documentWindow);
    Window::attach(&earlier);
    auto* bar = new QMenuBar;
    QMenu* file = bar->addMenu(QStringLiteral("File"));
    Window::of(&documentWindow)->setMenuBar(bar);

    QAction quit(QStringLiteral("Quit"));
    quit.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit.setShortcutContext(Qt::WindowShortcut);
    file->addAction(&quit);
    Window::addApplicationAction(&quit);
    Window::addApplicationAction(&quit); // a second add changes nothing
    int triggered = 0;
    QObject::connect(&quit, &QAction::triggered, [&triggered] { ++triggered; });

    QWidget later;
    Window::attach(&later);
    int expected = 0;
    for (QWidget* window : {&documentWindow, &earlier, &later}) {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
        EXPECT_EQ(triggered, ++expected) << window->objectName().toStdString();
        window->hide();
    }
}

} // namespace
