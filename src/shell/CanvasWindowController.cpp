#include "shell/CanvasWindowController.h"

#include "canvas/Canvas.h"
#include "canvas/CanvasViewController.h"
#include "model/Composition.h"
#include "model/Metrics.h"
#include "model/UserDefaults.h"
#include "platform/docs/Document.h"
#include "platform/foundation/NotFound.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/kit/Menu.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/Services.h"
#include "platform/kit/ViewBuilders.h"
#include "platform/kit/Window.h"
#include "shell/CanvasDocumentWindow.h"
#include "shell/CanvasWindowContainerView.h"
#include "shell/IDEUberView.h"
#include "shell/MetricsWindowController.h"
#include "shell/QVBar.h"
#include "shell/QVHintView.h"
#include "shell/QVViewController.h"
#include "shell/TKTabsListViewController.h"
#include "shell/TabModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

#include <cmath>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("CanvasWindowController", text);
}

// The tab strip's background.
const pf::Color tabsBackground(222.0 / 255.0, 228.0 / 255.0, 234.0 / 255.0, 1);

QVHintView* makeHintView(const QString& text)
{
    auto* view = new QVHintView();
    view->setHintText(text);
    view->setColor(pf::Color(0.93, 0.93, 0.93, 1));
    return view;
}

} // namespace

// A palette until its own controller comes: a hint view under the palette's name. The library's also
// turns the canvas's tool keys into tool modes, as the library list does when a row is chosen.
class PalettePlaceholder : public InspectorPalette, public OutlinePalette, public LibraryPalette {
public:
    explicit PalettePlaceholder(const QString& name) : view_(makeHintView(name)) {}
    ~PalettePlaceholder() override
    {
        // A view no region holds any more is ours.
        if (view_ && !view_->parentWidget())
            delete view_.data();
    }
    pf::View* view() const { return view_; }
    pf::View* libraryView() override { return view_; }

    void setSelectedComposition(Composition*) override {}
    void setSelectedObject(Manipulator*) override {}
    void setNeedsUpdate() override {}
    void setCanvas(Canvas*) override {}

    // Follows the tool keys pressed on the canvas of this window.
    void observeToolKeys(QWidget* window, std::function<Canvas*()> canvas)
    {
        toolKeys_ = pf::NotificationCenter::defaultCenter().addObserver(
            QString::fromLatin1(Canvas::ModeKeyboardShortcutWasTriggeredNotification), window,
            [window, canvas = std::move(canvas)](const pf::Notification& n) {
                const auto it = n.userInfo.find(QStringLiteral("ShapeClassName"));
                const QString name = it == n.userInfo.end() ? QString() : it->second.toString();
                chooseTool(window, name, canvas());
            });
    }

    static void chooseTool(QWidget* window, const QString& name, Canvas* canvas)
    {
        auto& center = pf::NotificationCenter::defaultCenter();
        if (name == QLatin1String("Pointer")) {
            if (canvas)
                canvas->revertToDefaultMouseMode();
        } else if (name == QLatin1String("Bezier")) {
            center.post(QString::fromLatin1(Canvas::BezierModeWasActivatedNotification), window);
        } else if (name == QLatin1String("Brush")) {
            center.post(QString::fromLatin1(Canvas::BrushModeWasActivatedNotification), window);
        } else if (name == QLatin1String("Path")) {
            center.post(QString::fromLatin1(Canvas::PathModeWasActivatedNotification), window);
        } else if (!name.isEmpty()) {
            center.post(QString::fromLatin1(Canvas::ShapeModeWasActivatedNotification), window,
                        {{QStringLiteral("ShapeClassName"), name}});
        }
    }

private:
    QPointer<QVHintView> view_;
    pf::NotificationToken toolKeys_;
};

namespace {

CanvasWindowController::LibraryPaletteFactory& libraryPaletteFactory()
{
    static CanvasWindowController::LibraryPaletteFactory factory;
    return factory;
}

} // namespace

void CanvasWindowController::setLibraryPaletteFactory(LibraryPaletteFactory factory)
{
    libraryPaletteFactory() = std::move(factory);
}

// ---- the interface files ----

namespace {

// The zoom steps of a page, as the zoom pop-up lists them (tag: the step).
std::shared_ptr<pf::Menu> makeZoomMenu()
{
    auto menu = std::make_shared<pf::Menu>();
    for (const auto& [index, percent] : std::initializer_list<std::pair<std::int64_t, int>>{
             {-4, 10}, {-3, 25}, {-2, 50}, {-1, 75}, {0, 100}, {1, 150}, {2, 200}, {3, 300}, {4, 400}, {5, 500},
             {10, 1000}, {20, 2000}, {30, 3000}, {40, 4000}, {50, 5000}})
        menu->addItem(QStringLiteral("%1%").arg(percent), QString()).setTag(index);
    return menu;
}

// Grid spacings in points (tag: the spacing), then the units (tag: minus the unit type).
std::shared_ptr<pf::Menu> makeGridMenu()
{
    auto menu = std::make_shared<pf::Menu>();
    for (int spacing : {2, 4, 5, 8, 10, 16, 20, 32, 50, 64})
        menu->addItem(QString::number(spacing), QString()).setTag(spacing);
    menu->addSeparator();
    for (unsigned unit : {0u, 1u, 2u})
        menu->addItem(Metrics::unitNameForUnitType(unit), QString()).setTag(-std::int64_t(unit));
    return menu;
}

QVStatusBarPopUpView* makeStatusBarPopUp(QVStatusBarPopUpView* view, std::shared_ptr<pf::Menu> menu,
                                         const QString& action, pf::Responder* target)
{
    auto* button = new pf::PopUpButton(pf::Rect(0, 0, 60, 18));
    button->setMenu(std::move(menu));
    button->setAction(action, target);
    view->setPopUpButton(button);
    view->awakeFromNib();
    return view;
}

// The status bar: the page-size button, the zoom pop-up, and the grid pop-up with its checkbox over the
// pop-up's (blank) label. Their values come from the window controller.
QVDraggableBar* makeStatusBar(CanvasWindowController* controller)
{
    auto* bar = new QVDraggableBar(pf::Rect(0, 0, 1000, CanvasWindowContainerView::StatusBarHeight));
    bar->awakeFromNib();
    bar->setAutoresizingMask(pf::View::WidthSizable);

    auto* size = new QVStatusBarButton(pf::Rect(0, 0, 140, 20));
    size->awakeFromNib();
    size->setAction(QStringLiteral("editMetrics:"), controller);
    bar->addSubview(size, size->frame());

    auto* zoom = makeStatusBarPopUp(new QVStatusBarPopUpView(pf::Rect(139, 0, 100, 20)), makeZoomMenu(),
                                    QStringLiteral("changeZoomScale:"), controller);
    zoom->popUpButton()->selectItemWithTag(0);
    bar->addSubview(zoom, zoom->frame());

    auto* grid = makeStatusBarPopUp(new GridStatusBarPopupView(pf::Rect(238, 0, 96, 20)), makeGridMenu(),
                                    QStringLiteral("changeGridTolerance:"), controller);
    grid->popUpButton()->selectItemWithTag(std::int64_t(UserDefaults::instance().gridTolerance()));
    bar->addSubview(grid, grid->frame());
    auto* checkbox = new QCheckBox(QCoreApplication::translate("CanvasWindowController", "Grid"));
    // The status bar's text size (a point is a pixel here).
    QFont font = checkbox->font();
    font.setPixelSize(9);
    checkbox->setFont(font);
    checkbox->setFocusPolicy(Qt::NoFocus);
    grid->addSubview(checkbox, pf::Rect(6, 2, 38, 16));
    grid->setCheckbox(checkbox);

    if (controller) {
        controller->setCanvasSizeButton(size);
        controller->setZoomPopUpView(zoom);
        controller->setGridPopUpView(grid);
        controller->setGridCheckbox(checkbox);
        std::weak_ptr<pf::Responder*> weak = controller->weakReference();
        QObject::connect(checkbox, &QCheckBox::toggled, checkbox, [weak](bool on) {
            const auto handle = weak.lock();
            auto* owner = handle ? dynamic_cast<CanvasWindowController*>(*handle) : nullptr;
            if (!owner)
                return;
            owner->setGridEnabled(on);
            owner->tryToPerform(QStringLiteral("toggleGridEnabled:"), nullptr);
        });
    }
    return bar;
}

} // namespace

namespace {

// The bezier tool's hint: its text and a close button; a click anywhere on it closes it too.
class BezierHintPanel : public QFrame {
public:
    explicit BezierHintPanel(QWidget* parent) : QFrame(parent)
    {
        setObjectName(QStringLiteral("BezierHintPanel"));
        setFrameShape(QFrame::StyledPanel);
        setAutoFillBackground(true);
        auto* layout = new QHBoxLayout(this);
        auto* label = new QLabel(::tr("Click to place points, drag to pull out curves. Click the first point to close "
                                    "the path; press Escape or double-click to end the curve."),
                                 this);
        label->setWordWrap(true);
        layout->addWidget(label, 1);
        auto* close = new QToolButton(this);
        close->setObjectName(QStringLiteral("close"));
        close->setText(QStringLiteral("\u00d7"));
        close->setToolTip(::tr("Close"));
        close->setAutoRaise(true);
        QObject::connect(close, &QToolButton::clicked, this, &QWidget::hide);
        layout->addWidget(close, 0, Qt::AlignTop);
        setFixedSize(280, 80);
    }

protected:
    void mousePressEvent(QMouseEvent* e) override
    {
        hide();
        e->accept();
    }
};

} // namespace

void CanvasWindowController::registerInterfaceFiles()
{
    registerTabStripClasses();
    MetricsWindowController::registerInterfaceFile();
    pf::registerViewBuilder(QString::fromLatin1(NibName), [](pf::Responder* owner) -> pf::View* {
        auto* container = new CanvasWindowContainerView(pf::Rect(0, 0, 1000, 700));
        auto* bar = makeStatusBar(dynamic_cast<CanvasWindowController*>(owner));
        container->addSubview(bar, container->statusBarRectForBounds(container->bounds()));
        container->setStatusBar(bar);

        // The one-time hint of the bezier tool: a panel inside the document window, so it moves and hides
        // with it. A click on it or its close button, or the tool's end, puts it away.
        auto* hint = new BezierHintPanel(container);
        hint->hide();

        // Export options come with export; the accessory is there for it.
        auto* accessory = new pf::View(pf::Rect(0, 0, 400, 60), container);
        accessory->hide();

        if (auto* controller = dynamic_cast<CanvasWindowController*>(owner)) {
            controller->setWindowContainerView(container);
            controller->setStatusBar(bar);
            controller->setHintPanel(hint);
            controller->setExportAccessoryView(accessory);
        }
        return container;
    });
}

// ---- life ----

CanvasWindowController::CanvasWindowController() : TKMainWindowController(QString::fromLatin1(NibName))
{
    gridToleranceTag_ = std::int64_t(UserDefaults::instance().gridTolerance());
    registerActions();
    registerCommandActions();
}

CanvasWindowController::~CanvasWindowController()
{
    // A sheet still up ends as cancelled while the controller is whole.
    if (QDialog* sheet = attachedSheet())
        endSheet(sheet, 0);
    observers_.clear();
    titleBindings_.clear();
    calls_.cancelPreviousPerformRequests();
    for (const auto& model : tabModels())
        if (auto page = std::dynamic_pointer_cast<Composition>(model->representedObject()))
            if (page->compositionDelegate() == canvasViewController_.get())
                page->setCompositionDelegate(nullptr);
    if (canvasViewController_) {
        if (Canvas* canvas = canvasViewController_->canvas())
            canvas->setCanvasWindow(nullptr);
        canvasViewController_->setCanvasWindowController(nullptr);
        canvasViewController_->setInspectorViewController(nullptr);
        canvasViewController_->setOutlineViewController(nullptr);
    }
}

void CanvasWindowController::registerActions()
{
    const std::pair<const char*, void (CanvasWindowController::*)()> actions[] = {
        {"toggleTabsPalette:", &CanvasWindowController::toggleTabsPalette},
        {"toggleLibraryPalette:", &CanvasWindowController::toggleLibraryPalette},
        {"toggleOutlinePalette:", &CanvasWindowController::toggleOutlinePalette},
        {"toggleInspectorPalette:", &CanvasWindowController::toggleInspectorPalette},
        {"searchLibrary:", &CanvasWindowController::searchLibrary},
        {"browseForImage:", &CanvasWindowController::browseForImage},
    };
    for (const auto& [name, method] : actions)
        setAction(QString::fromLatin1(name), [this, method](const pf::MenuItem*) { (this->*method)(); });
}

pf::View* CanvasWindowController::libraryView() const
{
    return libraryViewController_ ? libraryViewController_->libraryView() : nullptr;
}

pf::View* CanvasWindowController::outlineView() const
{
    if (outlineController_)
        return outlineController_->view();
    return outlineViewController_ ? outlineViewController_->view() : nullptr;
}

pf::View* CanvasWindowController::inspectorView() const
{
    if (inspectorController_)
        return inspectorController_->view();
    return inspectorViewController_ ? inspectorViewController_->view() : nullptr;
}

std::shared_ptr<Composition> CanvasWindowController::selectedComposition() const
{
    const auto& model = selectedTabModel();
    return model ? std::dynamic_pointer_cast<Composition>(model->representedObject()) : nullptr;
}

Canvas* CanvasWindowController::canvasView() const
{
    return canvasViewController_ ? canvasViewController_->canvas() : nullptr;
}

Composition* CanvasWindowController::compositionOfTab(std::size_t index) const
{
    const auto model = tabModelAtIndex(index);
    return model ? dynamic_cast<Composition*>(model->representedObject().get()) : nullptr;
}

// ---- the window ----

QWidget* CanvasWindowController::makeWindowWidget()
{
    return new CanvasDocumentWindow(*this);
}

void CanvasWindowController::observe(const char* name, const void* object, void (CanvasWindowController::*handler)())
{
    observers_.push_back(pf::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(name), object, [this, handler](const pf::Notification&) { (this->*handler)(); }));
}

void CanvasWindowController::windowDidLoad()
{
    TKMainWindowController::windowDidLoad();
    UserDefaults& defaults = UserDefaults::instance();
    if (defaults.isVirginLaunch()) {
        defaults.setVirginLaunch(false);
        center();
    }

    observe(TabsPlacementDidChangeNotification, nullptr, &CanvasWindowController::tabsPlacementDidChange);
    observe(InspectorPalettePlacementDidChangeNotification, nullptr,
            &CanvasWindowController::inspectorPlacementDidChange);
    observe(StatusBarVisibilityDidChangeNotification, nullptr, &CanvasWindowController::statusBarVisibilityDidChange);
    auto& center = pf::NotificationCenter::defaultCenter();
    const std::pair<const char*, bool> pageNotices[] = {
        {"CompositionMetricsDidChangeNotification", true},
        {"CompositionZoomScaleDidChangeNotification", false},
        {"CompositionGridEnabledDidChangeNotification", false},
        {"CompositionGridToleranceDidChangeNotification", false},
        {"CompositionMetricsUnitTypeDidChangeNotification", false},
    };
    for (const auto& [name, metrics] : pageNotices)
        observers_.push_back(center.addObserver(QString::fromLatin1(name), nullptr, [this, metrics](const pf::Notification& n) {
            compositionNoticeForSelectedPage(n, metrics);
        }));
    observe(Canvas::BezierModeWasActivatedNotification, windowWidget(),
            &CanvasWindowController::canvasBezierModeWasActivated);
    observe(Canvas::DefaultModeWasActivatedNotification, windowWidget(), &CanvasWindowController::canvasToolDidEnd);

    setUpOuterUberView();
    setUpInnerUberView();
    setUpUberViewSplitSizes();
    setUpTabsListView();
    setUpLibrary();

    canvasViewController_ = std::make_unique<CanvasViewController>();
    canvasViewController_->setCanvasWindowController(this);
    setUpInspector();
    setUpOutline();
    setUpToolbar();
    innerUberView_->setMidView(canvasViewController_->view());
    canvasViewController_->canvas()->setAcceptsMouseMovedEvents(true);

    tabsPlacementDidChange();
    if (defaults.isTabsPaletteVisible() != isTabsPaletteVisible())
        toggleTabsPalette();

    if (auto* owner = dynamic_cast<TabHostOwner*>(pf::WindowController::document()))
        owner->canvasWindowControllerDidLoadWindow();

    inspectorPlacementDidChange();
    if (const auto page = selectedComposition())
        gridEnabled_ = page->isGridEnabled();
    if (gridCheckbox_) {
        const QSignalBlocker quiet(gridCheckbox_.data());
        gridCheckbox_->setChecked(gridEnabled_);
    }
    // The checkbox stands where the grid pop-up's label would be.
    if (gridPopUpView_)
        gridPopUpView_->setLabelText(tr("            "));
    if (zoomPopUpView_)
        zoomPopUpView_->setLabelText(tr("Zoom:"));

    calls_.performAfterDelay(
        [this] {
            if (Canvas* canvas = canvasView())
                canvas->restoreScrollPosition();
        },
        {});
    initialized_ = true;
    restoreSavedState();
    updateStatusBar();
}

void CanvasWindowController::windowWillClose()
{
    // Work left for later turns dies with the window.
    calls_.cancelPreviousPerformRequests();
    saveRestorableState();
    TKMainWindowController::windowWillClose();
}

void CanvasWindowController::windowDidBecomeMain()
{
    if (Canvas* canvas = canvasView())
        if (pf::Window* w = window())
            w->makeFirstResponder(canvas);
}

void CanvasWindowController::redisplayCanvasNextTurn()
{
    calls_.performAfterDelay(
        [this] {
            if (Canvas* canvas = canvasView())
                canvas->setNeedsDisplay();
        },
        {});
}

void CanvasWindowController::windowDidEnterFullScreen()
{
    TKMainWindowController::windowDidEnterFullScreen();
    redisplayCanvasNextTurn();
}

void CanvasWindowController::windowDidExitFullScreen()
{
    TKMainWindowController::windowDidExitFullScreen();
    redisplayCanvasNextTurn();
}

void CanvasWindowController::windowWillEnterVersionBrowser()
{
    if (!isInVersionBrowser()) {
        preVersionLibraryPaletteVisible_ = isLibraryPaletteVisible();
        preVersionOutlinePaletteVisible_ = isOutlinePaletteVisible();
        preVersionInspectorPaletteVisible_ = isInspectorPaletteVisible();
        if (preVersionLibraryPaletteVisible_)
            setLibraryOpen(false);
        if (preVersionOutlinePaletteVisible_)
            setOutlineOpen(false);
        if (preVersionInspectorPaletteVisible_)
            setInspectorOpen(false);
    }
    TKMainWindowController::windowWillEnterVersionBrowser();
}

void CanvasWindowController::windowDidExitVersionBrowser()
{
    if (isInVersionBrowser()) {
        if (preVersionLibraryPaletteVisible_ && !isLibraryPaletteVisible())
            setLibraryOpen(true);
        if (preVersionOutlinePaletteVisible_ && !isOutlinePaletteVisible())
            setOutlineOpen(true);
        if (preVersionInspectorPaletteVisible_ && !isInspectorPaletteVisible())
            setInspectorOpen(true);
    }
    TKMainWindowController::windowDidExitVersionBrowser();
}

pf::UndoManager* CanvasWindowController::windowUndoManager()
{
    return initialized_ ? TKMainWindowController::windowUndoManager() : nullptr;
}

std::optional<pf::Rect> CanvasWindowController::centeredFrame(const pf::Rect& visible)
{
    const double width = visible.size.width - 2 * CenterInset;
    const double height = visible.size.height - 2 * CenterInset;
    // No screen, or one too small to keep the margins: the window stays as it is.
    if (!(width > 0) || !(height > 0) || !std::isfinite(width) || !std::isfinite(height))
        return std::nullopt;
    const pf::Size size(std::min(width, CenterMaxWidth), std::min(height, CenterMaxHeight));
    const pf::Point mid(visible.origin.x + visible.size.width / 2, visible.origin.y + visible.size.height / 2);
    return pf::Rect(mid.x - size.width / 2, mid.y - size.height / 2, size.width, size.height);
}

void CanvasWindowController::center()
{
    QWidget* widget = windowWidget();
    QScreen* screen = widget ? widget->screen() : nullptr;
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    if (const auto frame = centeredFrame(pf::Rect(area.x(), area.y(), area.width(), area.height())))
        setWindowFrame(*frame);
}

// ---- layout ----

double CanvasWindowController::paletteColumnWidth()
{
    return 222 + pf::ScrollView::verticalScrollerWidth();
}

void CanvasWindowController::setUpOuterUberView()
{
    const pf::Rect bounds = windowContainerView_ ? windowContainerView_->bounds() : pf::Rect(0, 0, 1000, 680);
    const pf::Rect frame = windowContainerView_ ? windowContainerView_->uberViewRectForBounds(bounds) : bounds;
    outerUberView_ = new IDEUberView(frame, 2);
    outerUberView_->setAutosaveName(QStringLiteral("outer"));
    outerUberView_->setAutoresizingMask(pf::View::WidthSizable | pf::View::HeightSizable);
    if (windowContainerView_) {
        windowContainerView_->setUberView(outerUberView_);
        windowContainerView_->addSubview(outerUberView_, frame);
    }
}

void CanvasWindowController::setUpInnerUberView()
{
    const pf::Rect bounds = windowContainerView_ ? windowContainerView_->bounds() : pf::Rect(0, 0, 1000, 680);
    innerUberView_ = new IDEUberView(bounds, 2);
    innerUberView_->setAutosaveName(QStringLiteral("inner"));
    innerUberView_->setAutoresizingMask(pf::View::WidthSizable | pf::View::HeightSizable);
    outerUberView_->setMidView(innerUberView_);
}

void CanvasWindowController::setUpUberViewSplitSizes()
{
    // The palette columns hold 222 points of panels beside the palettes' vertical scroller.
    const double palettes = paletteColumnWidth();
    innerUberView_->leftWidthBounds = {170, 52, 170, 63};
    innerUberView_->rightWidthBounds = {palettes, 10, palettes, 0};
    innerUberView_->rightTopHeightBounds = {200, 50, 500, 0};
    innerUberView_->topHeightBounds = {67, 51, 97, 51};
    outerUberView_->leftWidthBounds = {78, 78, 130, 104};
    outerUberView_->rightWidthBounds = {palettes, 10, palettes, 0};
    outerUberView_->rightTopHeightBounds = {200, 50, 500, 0};
}

void CanvasWindowController::setUpTabsListView()
{
    auto* strip = dynamic_cast<TKTabsListViewController*>(tabsListViewController());
    if (!strip) {
        // Without the real strip (tests that install none) the region shows what it is for.
        auto* view = makeHintView(nameForTabModels());
        view->setColor(tabsBackground);
        tabsView_ = view;
        return;
    }
    strip->useStyleNamed(QStringLiteral("Page"));
    if (TKTabsListView* list = strip->listView()) {
        list->setBackgroundColor(tabsBackground);
        list->setNonMainBackgroundColor(tabsBackground);
    }
    if (pf::ScrollView* scroll = strip->scrollView())
        scroll->setBackgroundColor(tabsBackground);
    strip->setAllowsTabTitleEditing(true);
    tabsView_ = strip->view();
}

void CanvasWindowController::setUpLibrary()
{
    if (const LibraryPaletteFactory& factory = libraryPaletteFactory())
        libraryViewController_ = factory(*this);
    if (!libraryViewController_) {
        auto placeholder = std::make_unique<PalettePlaceholder>(tr("Library"));
        placeholder->observeToolKeys(windowWidget(), [this] { return canvasView(); });
        libraryViewController_ = std::move(placeholder);
    }
    innerUberView_->openLeftTopView(nullptr);
    innerUberView_->setLeftTopView(libraryViewController_->libraryView());
    if (!UserDefaults::instance().isLibraryPaletteVisible())
        toggleLibraryPalette();
}

namespace {

CanvasWindowController::InspectorMaker& inspectorMaker()
{
    static CanvasWindowController::InspectorMaker maker;
    return maker;
}

} // namespace

void CanvasWindowController::setInspectorMaker(InspectorMaker maker)
{
    inspectorMaker() = std::move(maker);
}

void CanvasWindowController::setUpInspector()
{
    if (inspectorMaker()) {
        inspectorController_ = inspectorMaker()(*this);
        if (auto* palette = dynamic_cast<InspectorPalette*>(inspectorController_.get())) {
            canvasViewController_->setInspectorViewController(palette);
            return;
        }
        inspectorController_.reset();
    }
    inspectorViewController_ = std::make_unique<PalettePlaceholder>(tr("Inspector"));
    canvasViewController_->setInspectorViewController(inspectorViewController_.get());
}

namespace {

CanvasWindowController::OutlineMaker& outlineMaker()
{
    static CanvasWindowController::OutlineMaker maker;
    return maker;
}

} // namespace

void CanvasWindowController::setOutlineMaker(OutlineMaker maker)
{
    outlineMaker() = std::move(maker);
}

void CanvasWindowController::setUpOutline()
{
    if (outlineMaker()) {
        outlineController_ = outlineMaker()(*this);
        if (auto* palette = dynamic_cast<OutlinePalette*>(outlineController_.get())) {
            canvasViewController_->setOutlineViewController(palette);
            return;
        }
        outlineController_.reset();
    }
    outlineViewController_ = std::make_unique<PalettePlaceholder>(tr("Outline"));
    canvasViewController_->setOutlineViewController(outlineViewController_.get());
}

void CanvasWindowController::tabsPlacementDidChange()
{
    if (!innerUberView_ || !outerUberView_)
        return;
    innerUberView_->setTopView(nullptr);
    outerUberView_->setLeftTopView(nullptr);
    innerUberView_->closeTopView(nullptr);
    outerUberView_->closeLeftTopView(nullptr);
    if (UserDefaults::instance().tabsPlacedOnTop()) {
        innerUberView_->openTopView(nullptr);
        innerUberView_->setTopView(tabsView_);
    } else {
        outerUberView_->openLeftTopView(nullptr);
        outerUberView_->setLeftTopView(tabsView_);
    }
    // A strip above the canvas runs across; one at the left runs down.
    if (auto* strip = dynamic_cast<TKTabsListViewController*>(tabsListViewController()))
        if (TKTabsListView* list = strip->listView())
            list->setOrientation(UserDefaults::instance().tabsPlacedOnTop() ? QVListView::Landscape
                                                                           : QVListView::Portrait);
    if (TKTabsList* strip = tabsListViewController())
        strip->updateAllTabModels();
}

void CanvasWindowController::inspectorPlacementDidChange()
{
    if (!innerUberView_ || !outerUberView_)
        return;
    innerUberView_->setRightTopView(nullptr);
    outerUberView_->setRightTopView(nullptr);
    outerUberView_->setRightBottomView(nullptr);
    innerUberView_->closeRightTopView(nullptr);
    outerUberView_->closeRightTopView(nullptr);
    outerUberView_->closeRightBottomView(nullptr);
    // Each region is filled while open, then closed: the settings below decide what shows.
    if (UserDefaults::instance().inspectorPlacedBesideOutline()) {
        innerUberView_->openRightTopView(nullptr);
        innerUberView_->setRightTopView(inspectorView());
        innerUberView_->closeRightTopView(nullptr);
    } else {
        outerUberView_->openRightBottomView(nullptr);
        outerUberView_->setRightBottomView(inspectorView());
        outerUberView_->closeRightBottomView(nullptr);
    }
    outerUberView_->openRightTopView(nullptr);
    outerUberView_->setRightTopView(outlineView());
    outerUberView_->closeRightTopView(nullptr);

    UserDefaults& defaults = UserDefaults::instance();
    if (defaults.isLibraryPaletteVisible() != isLibraryPaletteVisible())
        toggleLibraryPalette();
    if (defaults.isOutlinePaletteVisible() != isOutlinePaletteVisible())
        toggleOutlinePalette();
    if (defaults.isInspectorPaletteVisible() != isInspectorPaletteVisible())
        toggleInspectorPalette();
}

bool CanvasWindowController::isTabsPaletteVisible() const
{
    if (!innerUberView_ || !outerUberView_)
        return false;
    return UserDefaults::instance().tabsPlacedOnTop() ? innerUberView_->isTopViewOpen()
                                                      : outerUberView_->isLeftTopViewOpen();
}

bool CanvasWindowController::isLibraryPaletteVisible() const
{
    return innerUberView_ && innerUberView_->isLeftTopViewOpen();
}

bool CanvasWindowController::isOutlinePaletteVisible() const
{
    return outerUberView_ && outerUberView_->isRightTopViewOpen();
}

bool CanvasWindowController::isInspectorPaletteVisible() const
{
    if (!innerUberView_ || !outerUberView_)
        return false;
    return UserDefaults::instance().inspectorPlacedBesideOutline() ? innerUberView_->isRightTopViewOpen()
                                                                   : outerUberView_->isRightBottomViewOpen();
}

void CanvasWindowController::toggleTabsPalette()
{
    if (!innerUberView_ || !outerUberView_)
        return;
    const bool onTop = UserDefaults::instance().tabsPlacedOnTop();
    IDEUberView* layout = onTop ? innerUberView_.data() : outerUberView_.data();
    const bool open = isTabsPaletteVisible();
    if (open) {
        onTop ? layout->closeTopView(nullptr) : layout->closeLeftTopView(nullptr);
    } else {
        onTop ? layout->openTopView(nullptr) : layout->openLeftTopView(nullptr);
        if (TKTabsList* strip = tabsListViewController())
            strip->updateAllTabModels();
    }
    UserDefaults::instance().setTabsPaletteVisible(!open);
}

void CanvasWindowController::setLibraryOpen(bool open)
{
    if (innerUberView_)
        open ? innerUberView_->openLeftTopView(nullptr) : innerUberView_->closeLeftTopView(nullptr);
}

void CanvasWindowController::setOutlineOpen(bool open)
{
    if (outerUberView_)
        open ? outerUberView_->openRightTopView(nullptr) : outerUberView_->closeRightTopView(nullptr);
}

void CanvasWindowController::setInspectorOpen(bool open)
{
    if (!innerUberView_ || !outerUberView_)
        return;
    if (UserDefaults::instance().inspectorPlacedBesideOutline())
        open ? innerUberView_->openRightTopView(nullptr) : innerUberView_->closeRightTopView(nullptr);
    else
        open ? outerUberView_->openRightBottomView(nullptr) : outerUberView_->closeRightBottomView(nullptr);
}

void CanvasWindowController::toggleLibraryPalette()
{
    if (!innerUberView_)
        return;
    const bool open = isLibraryPaletteVisible();
    setLibraryOpen(!open);
    UserDefaults::instance().setLibraryPaletteVisible(!open);
}

void CanvasWindowController::toggleOutlinePalette()
{
    if (!outerUberView_)
        return;
    const bool open = isOutlinePaletteVisible();
    setOutlineOpen(!open);
    UserDefaults::instance().setOutlinePaletteVisible(!open);
}

void CanvasWindowController::toggleInspectorPalette()
{
    if (!innerUberView_ || !outerUberView_)
        return;
    const bool open = isInspectorPaletteVisible();
    setInspectorOpen(!open);
    UserDefaults::instance().setInspectorPaletteVisible(!open);
}

void CanvasWindowController::searchLibrary()
{
    if (!isLibraryPaletteVisible())
        toggleLibraryPalette();
    QWidget* field = libraryViewController_ ? libraryViewController_->librarySearchField() : nullptr;
    // Asked again while searching, the command folds the library away; otherwise it opens to its widest.
    const bool searching = field && field->window()->focusWidget() == field;
    if (innerUberView_)
        innerUberView_->setLeftViewWidth(searching ? 0 : 3.4028234663852886e38);
    calls_.performAfterDelay(
        [this, field = QPointer<QWidget>(field)] {
            if (QWidget* widget = windowWidget())
                widget->activateWindow();
            if (field)
                field->setFocus(Qt::ShortcutFocusReason);
        },
        {});
}

void CanvasWindowController::jiggleCanvasFrame()
{
    Canvas* canvas = canvasView();
    if (!canvas)
        return;
    canvas->setFrame(canvas->frame());
    canvas->setNeedsDisplay();
    canvas->scrollToCenter();
}

void CanvasWindowController::statusBarVisibilityDidChange()
{
    if (windowContainerView_)
        windowContainerView_->setNeedsLayout();
}

void CanvasWindowController::compositionNoticeForSelectedPage(const pf::Notification& n, bool metrics)
{
    const auto page = selectedComposition();
    if (!page || n.object != page.get())
        return;
    gridEnabled_ = page->isGridEnabled();
    if (metrics) {
        reloadTabs();
        jiggleCanvasFrame();
    }
    updateStatusBar();
}

// ---- pages as tabs ----

std::shared_ptr<TKTabModel> CanvasWindowController::makeTabModel() const
{
    return std::make_shared<TabModel>();
}

void CanvasWindowController::addTabModel(const std::shared_ptr<TKTabModel>& model, std::size_t index)
{
    if (index != pf::NotFound && index <= numberOfTabs())
        if (pf::UndoManager* undo = windowUndoManager()) {
            undo->registerUndo(this, [index](CanvasWindowController& c) { c.removeTabModelAtIndex(index); });
            nameUndoStep(*undo, tr("Add %1").arg(nameForTabModels()));
        }
    TKMainWindowController::addTabModel(model, index);
}

void CanvasWindowController::removeTabModelAtIndex(std::size_t index)
{
    if (index < numberOfTabs())
        if (pf::UndoManager* undo = windowUndoManager()) {
            auto model = tabModelAtIndex(index);
            undo->registerUndo(this, [model, index](CanvasWindowController& c) { c.addTabModel(model, index); });
            nameUndoStep(*undo, tr("Remove %1").arg(nameForTabModels()));
        }
    TKMainWindowController::removeTabModelAtIndex(index);
}

void CanvasWindowController::swapTabModelsAtIndex(std::size_t first, std::size_t second)
{
    if (first < numberOfTabs() && second < numberOfTabs())
        if (pf::UndoManager* undo = windowUndoManager()) {
            undo->registerUndo(this, [first, second](CanvasWindowController& c) { c.swapTabModelsAtIndex(second, first); });
            nameUndoStep(*undo, tr("Reorder %1").arg(nameForTabModels()));
        }
    TKMainWindowController::swapTabModelsAtIndex(first, second);
}

void CanvasWindowController::duplicateTabModelAtIndex(std::size_t index)
{
    if (Canvas* canvas = canvasView())
        canvas->selectNone();
    Composition* source = compositionOfTab(index);
    if (source)
        source->setDuplicating(true);
    TKMainWindowController::duplicateTabModelAtIndex(index);
    if (source)
        source->setDuplicating(false);
    if (pf::UndoManager* undo = windowUndoManager())
        nameUndoStep(*undo, tr("Duplicate %1").arg(nameForTabModels()));
}

void CanvasWindowController::nameUndoStep(pf::UndoManager& undo, const QString& name)
{
    // While undoing or redoing, the inverse keeps the name of the step it reverses: undoing an added page
    // offers to redo the addition, not a removal.
    if (!undo.isUndoing() && !undo.isRedoing())
        undo.setActionName(name);
}

void CanvasWindowController::didAddTabModelAtIndex(std::size_t index)
{
    if (windowContainerView_)
        windowContainerView_->setNeedsLayout();
    const auto model = tabModelAtIndex(index);
    Composition* page = compositionOfTab(index);
    if (model && page && model->type() == QLatin1String(CompositionType)) {
        // The tab shows its page's title, and follows it.
        model->setTitle(page->title());
        std::weak_ptr<TKTabModel> weak = model;
        titleBindings_[model.get()] =
            page->addObserver(QStringLiteral("title"), [weak](pf::Object& object, const QString&, pf::ChangePhase phase) {
                if (auto tab = weak.lock(); tab && phase == pf::ChangePhase::Did)
                    tab->setTitle(static_cast<Composition&>(object).title());
            });
    }
    // A page that joins takes this window's delegate.
    if (page && canvasViewController_)
        page->setCompositionDelegate(canvasViewController_.get());
    invalidateRestorableState();
}

void CanvasWindowController::willRemoveTabModelAtIndex(std::size_t index)
{
    if (const auto model = tabModelAtIndex(index))
        titleBindings_.erase(model.get());
    if (Composition* page = compositionOfTab(index))
        page->setCompositionDelegate(nullptr);
}

void CanvasWindowController::didRemoveTabModel()
{
    if (windowContainerView_)
        windowContainerView_->setNeedsLayout();
    invalidateRestorableState();
}

void CanvasWindowController::didSwapTabModelsAtIndex(std::size_t, std::size_t)
{
    invalidateRestorableState();
}

std::shared_ptr<pf::Object> CanvasWindowController::newRepresentedObjectWithContentsOfURLString(const QString&,
                                                                                                const QString&,
                                                                                                QString*)
{
    auto page = Composition::make();
    page->setTitle(newTitleForRepresentedObjectAtIndex(numberOfTabs()));
    page->setCompositionDelegate(canvasViewController_.get());
    return page;
}

QString CanvasWindowController::newTitleForRepresentedObjectAtIndex(std::size_t index) const
{
    return tr("Page %1").arg(index + 1);
}

QString CanvasWindowController::nameForTabModels() const
{
    return tr("Page");
}

QString CanvasWindowController::editTitleForTabModels() const
{
    return tr("Edit Title");
}

std::shared_ptr<pf::Menu> CanvasWindowController::contextMenuForTabModelAtIndex(std::size_t index)
{
    const auto model = tabModelAtIndex(index);
    if (!model)
        return nullptr;
    auto menu = std::make_shared<pf::Menu>();
    const pf::Variant page(model->representedObject());
    const auto add = [&](const QString& title, const char* action) {
        pf::MenuItem& item = menu->addItem(title, QString::fromLatin1(action), this);
        item.setRepresentedObject(page);
        item.setTag(std::int64_t(index));
        item.setState(pf::MenuItemState::Off);
    };
    add(tr("Remove %1").arg(nameForTabModels()), "takeTabIndexToCloseFrom:");
    menu->addSeparator();
    add(editTitleForTabModels(), "takeTabIndexToEditTitleFrom:");
    add(tr("Duplicate %1").arg(nameForTabModels()), "takeTabIndexToDuplicateFrom:");
    return menu;
}

void CanvasWindowController::selectedTabIndexWillChange()
{
    Canvas* canvas = canvasView();
    const auto page = selectedComposition();
    if (!canvas || !page || canvas->composition() != page)
        return;
    const pf::Rect visible = canvas->convertRectToComposition(canvas->visibleRect());
    page->setScrollCenterPoint(pf::Point(visible.origin.x + visible.size.width / 2,
                                         visible.origin.y + visible.size.height / 2));
    canvas->selectNone();
}

void CanvasWindowController::selectedTabIndexDidChange()
{
    const auto page = selectedComposition();
    if (!page || !canvasViewController_)
        return;
    canvasViewController_->setComposition(page);
    if (Canvas* canvas = canvasView())
        canvas->setComposition(page);
    page->setCompositionDelegate(canvasViewController_.get());
    jiggleCanvasFrame();
    canvasViewController_->updatePalettes();
    gridEnabled_ = page->isGridEnabled();
    updateStatusBar();
    invalidateRestorableState();
}

CompositionDelegate* CanvasWindowController::compositionDelegate()
{
    return canvasViewController_.get();
}

const void* CanvasWindowController::canvas() const
{
    return canvasView();
}

// ---- restorable state ----

namespace {

// The settings key of a document file's window state.
QString restorableStateKey(const QString& filePath)
{
    return QStringLiteral("RestorableState ") + QFileInfo(filePath).absoluteFilePath();
}

} // namespace

pf::Value CanvasWindowController::encodeRestorableState() const
{
    pf::Value inner = pf::Value::dictionary();
    if (selectedTabIndex() != pf::NotFound)
        inner.set(QStringLiteral("selectedIndex"), std::int64_t(selectedTabIndex()));
    // The window comes back where the user left it.
    inner.set(QStringLiteral("frame"), pf::toString(windowFrame()));
    pf::Value state = pf::Value::dictionary();
    state.set(QString::fromLatin1(NibName), inner);
    return state;
}

void CanvasWindowController::restoreState(const pf::Value& state)
{
    if (!state.isDictionary())
        return;
    const pf::Value& inner = state.objectForKey(QString::fromLatin1(NibName));
    if (!inner.isDictionary())
        return;
    restoreWindowFrame(inner.objectForKey(QStringLiteral("frame")));
    const pf::Value& index = inner.objectForKey(QStringLiteral("selectedIndex"));
    if (!index.isNumber())
        return;
    // A stored index beyond the tabs (the file changed meanwhile) is ignored.
    const std::int64_t i = index.integerValue();
    if (i >= 0 && std::uint64_t(i) < numberOfTabs())
        setSelectedTabIndex(std::size_t(i));
}

void CanvasWindowController::restoreWindowFrame(const pf::Value& stored)
{
    if (!stored.isString())
        return;
    const pf::Rect frame = pf::rectFromString(stored.asString());
    // A frame no screen shows any more (a screen was removed) leaves the window where it is.
    if (!(frame.width() >= MinimumRestoredExtent) || !(frame.height() >= MinimumRestoredExtent))
        return;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->availableGeometry();
        if (frame.intersects(pf::Rect(area.x(), area.y(), area.width(), area.height()))) {
            setWindowFrame(frame);
            return;
        }
    }
}

void CanvasWindowController::saveRestorableState() const
{
    const pf::Document* doc = TKMainWindowController::document();
    if (!doc || doc->isUntitled() || !isWindowLoaded())
        return;
    pf::UserDefaultsStore& store = pf::UserDefaultsStore::standard();
    store.setObjectForKey(encodeRestorableState(), restorableStateKey(doc->filePath()));
    store.synchronize();
}

void CanvasWindowController::restoreSavedState()
{
    const pf::Document* doc = TKMainWindowController::document();
    if (!doc || doc->isUntitled())
        return;
    restoreState(pf::UserDefaultsStore::standard().objectForKey(restorableStateKey(doc->filePath())));
    restorableStateInvalid_ = false;
}

// ---- the canvas's window ----

CanvasDocument* CanvasWindowController::document()
{
    return dynamic_cast<CanvasDocument*>(TKMainWindowController::document());
}

void CanvasWindowController::browseForImage()
{
    const QStringList files = pf::sinkOf<pf::OpenPanelSink>()(
        {QStringLiteral("png"), QStringLiteral("tif"), QStringLiteral("tiff"), QStringLiteral("jpg"),
         QStringLiteral("jpeg"), QStringLiteral("gif"), QStringLiteral("pdf")});
    if (files.isEmpty())
        return;
    insertImageFromPath(files.first());
}

void CanvasWindowController::insertImageFromPath(const QString& path)
{
    // The file itself, wherever the panel started: an absolute, clean local path.
    QString local = path;
    if (local.startsWith(QLatin1String("~/")))
        local = QDir::homePath() + local.mid(1);
    const QString absolute = QDir::cleanPath(QFileInfo(local).absoluteFilePath());
    UserDefaults::instance().setImageBrowseURL(QUrl::fromLocalFile(absolute));
    lastBrowsedImagePath_ = absolute;
    if (Canvas* canvas = canvasView())
        canvas->insertImageIntoSelectionForFileAtPath(absolute);
}

void CanvasWindowController::updateSelectedTabThumbnail()
{
    if (const auto& model = selectedTabModel())
        pf::NotificationCenter::defaultCenter().post(QStringLiteral("TKTabModelDidChangeNotification"), model.get());
}

std::size_t CanvasWindowController::indexOfTabModelWithRepresentedObject(const Composition& page)
{
    return TKMainWindowController::indexOfTabModelWithRepresentedObject(&page);
}

QString CanvasWindowController::tabTitleAtIndex(std::size_t index)
{
    const auto model = tabModelAtIndex(index);
    return model ? model->title() : QString();
}

// ---- the bezier hint ----

pf::Rect CanvasWindowController::hintPanelFrameInWindow(const pf::Size& panelSize) const
{
    pf::ScrollView* scroll = canvasViewController_ ? canvasViewController_->canvasScrollView() : nullptr;
    QWidget* top = windowWidget();
    if (!scroll || !top)
        return {};
    const QPoint corner = scroll->mapTo(top, QPoint(scroll->width(), 0));
    const double ruler = UserDefaults::instance().rulersVisible() ? 20 : 0;
    // y grows downward here: below the corner, clear of the horizontal ruler.
    return {corner.x() - panelSize.width - 10, corner.y() + 10 + ruler, panelSize.width, panelSize.height};
}

void CanvasWindowController::canvasBezierModeWasActivated()
{
    UserDefaults& defaults = UserDefaults::instance();
    if (defaults.hasShownBezierModeHint() || !hintPanel_)
        return;
    defaults.setHasShownBezierModeHint(true);
    const pf::Rect frame = hintPanelFrameInWindow(pf::Size(hintPanel_->width(), hintPanel_->height()));
    if (QWidget* top = windowWidget()) {
        QWidget* parent = hintPanel_->parentWidget();
        const QPoint origin(int(frame.origin.x), int(frame.origin.y));
        hintPanel_->move(parent ? parent->mapFrom(top, origin) : origin);
    }
    hintPanel_->show();
    hintPanel_->raise();
}

void CanvasWindowController::canvasToolDidEnd()
{
    if (hintPanel_)
        hintPanel_->hide();
}
