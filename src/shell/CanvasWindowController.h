// The controller of a document's one window: two nested split layouts hold the page tabs, the library,
// the canvas, the outline and the inspector; every tab is a page, added, removed, reordered and
// duplicated undoably; the canvas always shows the selected page; the preference notices move or hide
// the tabs, the inspector and the status bar; the selected page is remembered across launches.
//
// Undo: windowUndoManager() answers nothing until the window has loaded, so nothing done while it loads
// (the document handing its pages over included) is undoable. Main thread only.
#pragma once

#include "canvas/CanvasServices.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/Geometry.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Value.h"
#include "shell/CanvasWindowContainerView.h"
#include "shell/CanvasWindowValidation.h"
#include "shell/IDEUberView.h"
#include "shell/QVStatusBarButton.h"
#include "shell/QVStatusBarPopUpView.h"
#include "shell/TKMainWindowController.h"
#include "shell/WindowDocumentExport.h"

#include <QCheckBox>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class CanvasViewController;
class CanvasWindowToolbar;
class Composition;
class MetricsWindowController;
class QVHintView;
class QWidget;
class PalettePlaceholder;
class QVViewController;

namespace pf {
class Image;
class Menu;
class MenuItem;
class View;
}

// The library palette as its window holds it: the view for the library's region, and the search field
// the "Search Library" command gives the keys (none for a palette without one).
class LibraryPalette {
public:
    virtual ~LibraryPalette() = default;
    virtual pf::View* libraryView() = 0;
    virtual QWidget* librarySearchField() { return nullptr; }
};

class CanvasWindowController : public TKMainWindowController, public CanvasWindow {
public:
    // Makes each window's library palette; the application installs the real one, and without it a
    // placeholder stands in.
    using LibraryPaletteFactory = std::function<std::unique_ptr<LibraryPalette>(CanvasWindowController&)>;
    static void setLibraryPaletteFactory(LibraryPaletteFactory factory);

    static constexpr char NibName[] = "CanvasWindowController";
    static constexpr char CompositionType[] = "composition";
    // The return code of a sheet's OK.
    static constexpr int SheetOK = 1;
    // Preference notices (any sender).
    static constexpr char TabsPlacementDidChangeNotification[] = "TabsPlacementDidChangeNotification";
    static constexpr char InspectorPalettePlacementDidChangeNotification[] =
        "InspectorPalettePlacementDidChangeNotification";
    static constexpr char StatusBarVisibilityDidChangeNotification[] = "StatusBarVisibilityDidChangeNotification";
    // The largest size the centred window takes, and the room kept round it on the screen.
    static constexpr double CenterMaxWidth = 1400, CenterMaxHeight = 800, CenterInset = 100;
    // A stored frame smaller than this on either side is not a window the user left.
    static constexpr double MinimumRestoredExtent = 100;

    CanvasWindowController();
    ~CanvasWindowController() override;

    // Registers the window's interface file ("CanvasWindowController").
    static void registerInterfaceFiles();

    // The palettes lie above the shell: the application installs the maker of each window's inspector, a
    // view controller that is also the canvas's InspectorPalette. Without one the region shows a hint.
    using InspectorMaker = std::function<std::unique_ptr<QVViewController>(CanvasWindowController& window)>;
    static void setInspectorMaker(InspectorMaker maker);
    // The inspector the maker made; null with the placeholder.
    QVViewController* inspectorViewController() const { return inspectorController_.get(); }
    // The same for the outline: a view controller that is also the canvas's OutlinePalette.
    using OutlineMaker = std::function<std::unique_ptr<QVViewController>(CanvasWindowController& window)>;
    static void setOutlineMaker(OutlineMaker maker);
    // The outline the maker made; null with the placeholder.
    QVViewController* outlinePaletteController() const { return outlineController_.get(); }

    // ---- fields ----
    bool gridEnabled() const { return gridEnabled_; }
    bool isInitialized() const { return initialized_; }
    std::int64_t gridToleranceTag() const { return gridToleranceTag_; }
    IDEUberView* outerUberView() const { return outerUberView_; }
    IDEUberView* innerUberView() const { return innerUberView_; }
    CanvasViewController* canvasViewController() const { return canvasViewController_.get(); }
    CanvasWindowContainerView* windowContainerView() const { return windowContainerView_; }
    void setWindowContainerView(CanvasWindowContainerView* view) { windowContainerView_ = view; }
    pf::View* statusBar() const { return statusBar_; }
    void setStatusBar(pf::View* bar) { statusBar_ = bar; }
    // The status bar's controls (outlets of the interface file).
    QVStatusBarButton* canvasSizeButton() const { return canvasSizeButton_; }
    void setCanvasSizeButton(QVStatusBarButton* button) { canvasSizeButton_ = button; }
    QVStatusBarPopUpView* zoomPopUpView() const { return zoomPopUpView_; }
    void setZoomPopUpView(QVStatusBarPopUpView* view) { zoomPopUpView_ = view; }
    QVStatusBarPopUpView* gridPopUpView() const { return gridPopUpView_; }
    void setGridPopUpView(QVStatusBarPopUpView* view) { gridPopUpView_ = view; }
    QCheckBox* gridCheckbox() const { return gridCheckbox_; }
    void setGridCheckbox(QCheckBox* checkbox) { gridCheckbox_ = checkbox; }
    // What the grid checkbox shows, set by it before it sends toggleGridEnabled:.
    void setGridEnabled(bool enabled) { gridEnabled_ = enabled; }
    QWidget* hintPanel() const { return hintPanel_; }
    void setHintPanel(QWidget* panel) { hintPanel_ = panel; }
    pf::View* exportAccessoryView() const { return exportAccessoryView_; }
    void setExportAccessoryView(pf::View* view) { exportAccessoryView_ = view; }
    pf::View* libraryView() const;
    pf::View* outlineView() const;
    pf::View* inspectorView() const;
    // The view that stands for the tab strip in the layout.
    pf::View* tabsView() const { return tabsView_; }
    std::shared_ptr<Composition> selectedComposition() const;
    Canvas* canvasView() const;

    // ---- the window ----
    // A CanvasDocumentWindow, which hands the editing commands to the canvas.
    QWidget* makeWindowWidget() override;
    void windowDidLoad() override;
    void windowWillClose() override;
    void windowDidBecomeMain() override;
    void windowDidEnterFullScreen() override;
    void windowDidExitFullScreen() override;
    // While an older version shows, the palettes that were open are hidden (their settings stay).
    void windowWillEnterVersionBrowser() override;
    void windowDidExitVersionBrowser() override;
    pf::UndoManager* windowUndoManager() override;
    // Sizes the window to its screen less 100 points a side, at most 1400 by 800, centred on the screen's
    // visible area; a window without a screen keeps its frame.
    void center();
    // The frame center() gives on a screen with this visible area; nothing without a usable area.
    static std::optional<pf::Rect> centeredFrame(const pf::Rect& visibleFrame);

    // ---- layout ----
    void tabsPlacementDidChange();
    void inspectorPlacementDidChange();
    bool isTabsPaletteVisible() const;
    bool isLibraryPaletteVisible() const;
    bool isOutlinePaletteVisible() const;
    bool isInspectorPaletteVisible() const;
    void toggleTabsPalette();
    void toggleLibraryPalette();
    void toggleOutlinePalette();
    void toggleInspectorPalette();
    void searchLibrary();
    // Nudges the canvas's frame so it lays the page out again.
    void jiggleCanvasFrame();

    // ---- pages as tabs ----
    QString defaultType() const override { return QString::fromLatin1(CompositionType); }
    std::shared_ptr<TKTabModel> makeTabModel() const override;
    void addTabModel(const std::shared_ptr<TKTabModel>& model, std::size_t index) override;
    using TKMainWindowController::addTabModel;
    void removeTabModelAtIndex(std::size_t index) override;
    void swapTabModelsAtIndex(std::size_t first, std::size_t second) override;
    void duplicateTabModelAtIndex(std::size_t index) override;
    void didAddTabModelAtIndex(std::size_t index) override;
    void willRemoveTabModelAtIndex(std::size_t index) override;
    void didRemoveTabModel() override;
    void didSwapTabModelsAtIndex(std::size_t first, std::size_t second) override;
    std::shared_ptr<pf::Object> newRepresentedObjectWithContentsOfURLString(const QString& URLString,
                                                                            const QString& type,
                                                                            QString* error) override;
    QString newTitleForRepresentedObjectAtIndex(std::size_t index) const override;
    QString nameForTabModels() const override;
    QString editTitleForTabModels() const;
    std::shared_ptr<pf::Menu> contextMenuForTabModelAtIndex(std::size_t index) override;
    void selectedTabIndexWillChange() override;
    void selectedTabIndexDidChange() override;
    CompositionDelegate* compositionDelegate() override;
    const void* canvas() const override;

    // ---- restorable state ----
    // {"CanvasWindowController": {"selectedIndex": n, "frame": "{{x, y}, {w, h}}"}}.
    pf::Value encodeRestorableState() const;
    // Selects the stored index when it names a tab and puts the window at the stored frame when a screen
    // shows it; anything else is ignored.
    void restoreState(const pf::Value& state);
    // Writes the state into the settings under the document's file, and reads it back.
    void saveRestorableState() const;
    void restoreSavedState();
    bool restorableStateIsInvalid() const { return restorableStateInvalid_; }

    // ---- the canvas's window ----
    CanvasDocument* document() override;
    bool isFullScreen() const override { return IDEMainWindowController::isFullScreen(); }
    void invalidateRestorableState() override { restorableStateInvalid_ = true; }
    void browseForImage() override;
    void updateSelectedTabThumbnail() override;
    pf::UndoManager* undoManager() override { return windowUndoManager(); }
    void reloadTabList() override { reloadTabs(); }
    std::size_t indexOfTabModelWithRepresentedObject(const Composition& page) override;
    using TKMainWindowController::indexOfTabModelWithRepresentedObject;
    QString tabTitleAtIndex(std::size_t index) override;
    // The image chosen in the open panel goes into the selection (its absolute local path).
    void insertImageFromPath(const QString& path);
    // The last image file chosen, as the canvas is given it.
    const QString& lastBrowsedImagePath() const { return lastBrowsedImagePath_; }

    // ---- status bar (CanvasWindowCommands.cpp) ----
    // The page's zoom, grid switch and grid unit or spacing into the status bar's controls.
    void updateStatusBar();
    // " Canvas: <size>" (nothing without metrics) on the page-size button, which takes the text's width
    // plus 20 points.
    void updateStatusBarButton();
    const QString& statusBarText() const { return statusBarText_; }
    std::int64_t zoomScaleIndex() const { return zoomScaleIndex_; }
    void setZoomScaleIndex(std::int64_t index) { zoomScaleIndex_ = index; }
    void setGridToleranceTag(std::int64_t tag) { gridToleranceTag_ = tag; }

    // ---- zoom and grid commands ----
    // The zoom steps in order.
    static const std::vector<std::int64_t>& zoomSteps();
    // The step after (or before) an index along the steps; an index between the steps counts as the step
    // that shows its scale. None past the ends.
    static std::optional<std::int64_t> nextZoomStep(std::int64_t index, bool up);
    // sender: a menu item gives its tag; none takes zoomScaleIndex().
    void changeZoomScale(const pf::MenuItem* sender);
    void zoomCanvasToActualSize(const pf::MenuItem* sender);
    void zoomCanvasToFit();
    void zoomCanvasIn();
    void zoomCanvasOut();
    void toggleGridEnabled();
    // sender: a menu item gives its tag as the grid tag; none takes gridToleranceTag().
    void changeGridTolerance(const pf::MenuItem* sender);

    // ---- page size ----
    // Shows the page-size sheet over the window with a copy of the page's metrics.
    void editMetrics();
    // OK (1): the sheet's size on the page (or every page), each shifted by its own old and new size, as
    // one undo step. Any code: the sheet goes.
    void editMetricsSheetDidEnd(MetricsWindowController& sheet, int returnCode);
    // The sheet while it is up.
    MetricsWindowController* metricsWindowController() const { return metricsWindowController_.get(); }

    // ---- sharing and export ----
    // The share control's menu, built on the next turn and shown at the pointer.
    void shareOptions();
    // The share menu for the page, with or without a selection: the export formats, then the services that
    // take the picture.
    std::shared_ptr<pf::Menu> makeShareMenu(bool hasSelection, const pf::Image& pageImage);
    void shareExport(const pf::MenuItem* sender);
    void shareExportSelection(const pf::MenuItem* sender);
    void share(const pf::MenuItem* sender);
    // The export accessory's switches.
    bool SVGExportEnabled() const { return false; }
    bool PDFExportEnabled();

    // ---- validation by tag ----
    // The canvas's queries for an item's tag; handled is false for a tag not in the table (answer YES).
    // During a full-screen transition every item is disabled. The lock item (757) also shows Lock or
    // Unlock.
    bool validateUIItem(std::int64_t tag, bool& handled, ValidatedLockItem* lockItem = nullptr) const;
    bool validateToolbarItem(ValidatedToolbarItem& item) const;
    // Items with an action: the tag table, then the palette items retitled and always enabled.
    bool validateMenuItem(const pf::MenuItem& item) const override;
    // The title of a palette item (1211–1214), or nothing for another tag.
    std::optional<QString> paletteItemTitle(std::int64_t tag) const;
    // The queries of the canvas on show; null without one.
    virtual const CanvasAbilities* canvasAbilities() const;
    // The size mode the window's toolbar items take: the toolbar's (0 default, 1 regular, 2 small).
    virtual int toolbarSizeMode() const;
    // The window's toolbar, validated by validateToolbarItem:; null before the window loads.
    CanvasWindowToolbar* canvasToolbar() const;

    // ---- notices ----
    void canvasBezierModeWasActivated();
    // The canvas went back to its default tool: the bezier hint goes with the tool.
    void canvasToolDidEnd();
    // Where the bezier hint panel of this size goes, in window points: below the scroll view's top-right
    // corner, clear of the ruler when rulers show.
    pf::Rect hintPanelFrameInWindow(const pf::Size& panelSize) const;
    // The preferred and widest width of the palette columns (outline, inspector): room for the panels'
    // 222 points beside the vertical scroller, which takes its width from them.
    static double paletteColumnWidth();

private:
    // Names the step being registered, except while an undo or a redo registers its inverse.
    static void nameUndoStep(pf::UndoManager& undo, const QString& name);
    void observe(const char* name, const void* object, void (CanvasWindowController::*handler)());
    void setUpOuterUberView();
    void setUpInnerUberView();
    void setUpUberViewSplitSizes();
    void restoreWindowFrame(const pf::Value& stored);
    void setUpTabsListView();
    void setUpLibrary();
    void setUpInspector();
    void setUpOutline();
    void setUpToolbar();
    void statusBarVisibilityDidChange();
    void redisplayCanvasNextTurn();
    // Opens or closes a palette's region without touching its setting.
    void setLibraryOpen(bool open);
    void setOutlineOpen(bool open);
    void setInspectorOpen(bool open);
    void compositionNoticeForSelectedPage(const pf::Notification& n, bool metrics);
    void registerActions();
    void registerCommandActions();
    WindowDocumentExport* exportDocument();
    Composition* compositionOfTab(std::size_t index) const;

    bool gridEnabled_ = false;
    bool preVersionLibraryPaletteVisible_ = false;
    bool preVersionOutlinePaletteVisible_ = false;
    bool preVersionInspectorPaletteVisible_ = false;
    bool initialized_ = false;
    bool restorableStateInvalid_ = false;
    std::int64_t gridToleranceTag_ = 0;
    std::int64_t zoomScaleIndex_ = 0;
    QString statusBarText_;
    QString lastBrowsedImagePath_;
    QPointer<CanvasWindowContainerView> windowContainerView_;
    QPointer<pf::View> statusBar_;
    QPointer<QVStatusBarButton> canvasSizeButton_;
    QPointer<QVStatusBarPopUpView> zoomPopUpView_;
    QPointer<QVStatusBarPopUpView> gridPopUpView_;
    QPointer<QCheckBox> gridCheckbox_;
    QPointer<QWidget> hintPanel_;
    QPointer<pf::View> exportAccessoryView_;
    QPointer<IDEUberView> outerUberView_;
    QPointer<IDEUberView> innerUberView_;
    QPointer<pf::View> tabsView_;
    std::unique_ptr<CanvasViewController> canvasViewController_;
    std::unique_ptr<LibraryPalette> libraryViewController_;
    std::unique_ptr<PalettePlaceholder> inspectorViewController_;
    std::unique_ptr<QVViewController> inspectorController_;
    std::unique_ptr<PalettePlaceholder> outlineViewController_;
    std::unique_ptr<MetricsWindowController> metricsWindowController_;
    mutable std::unique_ptr<CanvasAbilitiesOf> canvasAbilities_;
    std::unique_ptr<QVViewController> outlineController_;
    std::vector<pf::NotificationToken> observers_;
    // Each tab's title follows its page's.
    std::map<const TKTabModel*, pf::ObservationToken> titleBindings_;
    pf::DelayedCallOwner calls_;
};
