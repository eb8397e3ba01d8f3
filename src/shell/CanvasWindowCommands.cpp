// The document window's status bar, zoom and grid commands, page-size sheet, share menu, export switches
// and validation by tag.
#include "shell/CanvasWindowController.h"

#include "canvas/Canvas.h"
#include "canvas/CanvasViewController.h"
#include "model/Composition.h"
#include "model/Group.h"
#include "model/Metrics.h"
#include "model/UserDefaults.h"
#include "platform/docs/Document.h"
#include "platform/foundation/UndoManager.h"
#include "platform/kit/InputState.h"
#include "platform/kit/Menu.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/Services.h"
#include "platform/kit/ScrollView.h"
#include "platform/text/AttributedString.h"
#include "platform/text/StringDrawing.h"
#include "platform/text/TextAttributes.h"
#include "platform/kit/Window.h"
#include "shell/CanvasWindowToolbar.h"
#include "shell/MetricsWindowController.h"
#include "shell/SharingService.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("CanvasWindowController", text);
}

// The page-size button's text: the system font of the smallest control size.
const pf::TextAttributes& miniControlTextAttributes()
{
    static const pf::TextAttributes attributes = [] {
        pf::TextAttributes a;
        a.font = pf::Font::systemFont(9);
        return a;
    }();
    return attributes;
}

// The extension of an export code, as the document names it, for a window without one.
QString fallbackExtension(std::int64_t type)
{
    switch (type) {
    case 0: return QStringLiteral("tiff");
    case 1: return QStringLiteral("png");
    case 2: return QStringLiteral("jpg");
    case 3: return QStringLiteral("pdf");
    case 4: return QStringLiteral("gif");
    default: return {};
    }
}

} // namespace

// ---- the canvas's queries ----

bool CanvasAbilitiesOf::canRemove() const { return canvas_.canRemove(); }
bool CanvasAbilitiesOf::canShowInfo() const { return canvas_.canShowInfo(); }
bool CanvasAbilitiesOf::canSelectAll() const { return canvas_.canSelectAll(); }
bool CanvasAbilitiesOf::canSelectNone() const { return canvas_.canSelectNone(); }
bool CanvasAbilitiesOf::canDuplicate() const { return canvas_.canDuplicate(); }
bool CanvasAbilitiesOf::canGroup() const { return canvas_.canGroup(); }
bool CanvasAbilitiesOf::canUngroup() const { return canvas_.canUngroup(); }
bool CanvasAbilitiesOf::canLock() const { return canvas_.canLock(); }
bool CanvasAbilitiesOf::canUnlock() const { return canvas_.canUnlock(); }
bool CanvasAbilitiesOf::canBringToFront() const { return canvas_.canBringToFront(); }
bool CanvasAbilitiesOf::canSendToBack() const { return canvas_.canSendToBack(); }
bool CanvasAbilitiesOf::canAlign() const { return canvas_.canAlign(); }
bool CanvasAbilitiesOf::canIntersect() const { return canvas_.canIntersect(); }
bool CanvasAbilitiesOf::canCopyStyle() const { return canvas_.canCopyStyle(); }
bool CanvasAbilitiesOf::canPasteStyle() const { return canvas_.canPasteStyle(); }
bool CanvasAbilitiesOf::canInvert() const { return canvas_.canInvert(); }

void CanvasWindowController::registerCommandActions()
{
    const std::pair<const char*, void (CanvasWindowController::*)()> plain[] = {
        {"zoomCanvasToFit:", &CanvasWindowController::zoomCanvasToFit},
        {"zoomCanvasIn:", &CanvasWindowController::zoomCanvasIn},
        {"zoomCanvasOut:", &CanvasWindowController::zoomCanvasOut},
        {"toggleGridEnabled:", &CanvasWindowController::toggleGridEnabled},
        {"editMetrics:", &CanvasWindowController::editMetrics},
        {"shareOptions:", &CanvasWindowController::shareOptions},
    };
    for (const auto& [name, method] : plain)
        setAction(QString::fromLatin1(name), [this, method](const pf::MenuItem*) { (this->*method)(); });
    const std::pair<const char*, void (CanvasWindowController::*)(const pf::MenuItem*)> withSender[] = {
        {"changeZoomScale:", &CanvasWindowController::changeZoomScale},
        {"zoomCanvasToActualSize:", &CanvasWindowController::zoomCanvasToActualSize},
        {"changeGridTolerance:", &CanvasWindowController::changeGridTolerance},
        {"shareExport:", &CanvasWindowController::shareExport},
        {"shareExportSelection:", &CanvasWindowController::shareExportSelection},
        {"share:", &CanvasWindowController::share},
    };
    for (const auto& [name, method] : withSender)
        setAction(QString::fromLatin1(name), [this, method](const pf::MenuItem* sender) { (this->*method)(sender); });
}

// ---- status bar ----

void CanvasWindowController::updateStatusBar()
{
    updateStatusBarButton();
    const auto page = selectedComposition();
    if (!page)
        return;
    zoomScaleIndex_ = page->zoomScaleIndex();
    gridEnabled_ = page->isGridEnabled();
    if (const Metrics* metrics = page->metrics()) {
        switch (metrics->unitType()) {
        case Metrics::Inches:
        case Metrics::Centimeters:
            gridToleranceTag_ = -std::int64_t(metrics->unitType());
            break;
        case Metrics::Points:
        case Metrics::Steps:
            gridToleranceTag_ = std::int64_t(page->gridTolerance());
            break;
        default:
            break;
        }
    }
    if (zoomPopUpView_) {
        if (pf::PopUpButton* button = zoomPopUpView_->popUpButton())
            button->selectItemWithTag(zoomScaleIndex_);
        zoomPopUpView_->updateValue();
    }
    if (gridPopUpView_) {
        if (pf::PopUpButton* button = gridPopUpView_->popUpButton())
            button->selectItemWithTag(gridToleranceTag_);
        gridPopUpView_->updateValue();
    }
    if (gridCheckbox_ && gridCheckbox_->isChecked() != gridEnabled_) {
        const QSignalBlocker quiet(gridCheckbox_.data());
        gridCheckbox_->setChecked(gridEnabled_);
    }
}

void CanvasWindowController::updateStatusBarButton()
{
    const auto page = selectedComposition();
    const Metrics* metrics = page ? page->metrics() : nullptr;
    statusBarText_ = metrics ? QStringLiteral(" %1: %2").arg(tr("Canvas"), metrics->shortDisplayString()) : QString();
    if (!canvasSizeButton_)
        return;
    canvasSizeButton_->setTitle(statusBarText_);
    const double textWidth = statusBarText_.isEmpty()
        ? 0
        : pf::sizeOfAttributedString(pf::AttributedString(statusBarText_, miniControlTextAttributes())).width;
    pf::Rect frame = canvasSizeButton_->frame();
    frame.size.width = std::round(textWidth + 20);
    canvasSizeButton_->setFrame(frame);
    // The pop-ups follow the button, sharing its right edge line, so a long size never covers them.
    double x = frame.maxX() - 1;
    for (pf::View* view : {static_cast<pf::View*>(zoomPopUpView_.data()), static_cast<pf::View*>(gridPopUpView_.data())}) {
        if (!view)
            continue;
        pf::Rect f = view->frame();
        f.origin.x = x;
        view->setFrame(f);
        x = f.maxX() - 1;
    }
}

// ---- zoom and grid ----

const std::vector<std::int64_t>& CanvasWindowController::zoomSteps()
{
    static const std::vector<std::int64_t> steps{-4, -3, -2, -1, 0, 1, 2, 3, 4, 5, 10, 20, 30, 40, 50};
    return steps;
}

std::optional<std::int64_t> CanvasWindowController::nextZoomStep(std::int64_t index, bool up)
{
    const auto& steps = zoomSteps();
    auto at = std::find(steps.begin(), steps.end(), index);
    // An index that is no step shows 100 %: it moves from there.
    if (at == steps.end())
        at = std::find(steps.begin(), steps.end(), 0);
    if (up)
        return std::next(at) == steps.end() ? std::nullopt : std::optional<std::int64_t>(*std::next(at));
    return at == steps.begin() ? std::nullopt : std::optional<std::int64_t>(*std::prev(at));
}

void CanvasWindowController::changeZoomScale(const pf::MenuItem* sender)
{
    const auto page = selectedComposition();
    if (!page)
        return;
    if (sender)
        zoomScaleIndex_ = sender->tag();
    page->setZoomScaleIndex(zoomScaleIndex_);
}

void CanvasWindowController::zoomCanvasToActualSize(const pf::MenuItem* sender)
{
    zoomScaleIndex_ = 0;
    if (sender) {
        pf::MenuItem actual(*sender);
        actual.setTag(0);
        changeZoomScale(&actual);
    } else {
        changeZoomScale(nullptr);
    }
}

void CanvasWindowController::zoomCanvasToFit()
{
    if (Canvas* canvas = canvasView())
        canvas->zoomToFit();
}

void CanvasWindowController::zoomCanvasIn()
{
    if (const auto page = selectedComposition())
        zoomScaleIndex_ = page->zoomScaleIndex();
    const auto next = nextZoomStep(zoomScaleIndex_, true);
    if (!next) {
        pf::beep();
        return;
    }
    zoomScaleIndex_ = *next;
    changeZoomScale(nullptr);
}

void CanvasWindowController::zoomCanvasOut()
{
    if (const auto page = selectedComposition())
        zoomScaleIndex_ = page->zoomScaleIndex();
    const auto next = nextZoomStep(zoomScaleIndex_, false);
    if (!next) {
        pf::beep();
        return;
    }
    zoomScaleIndex_ = *next;
    changeZoomScale(nullptr);
}

void CanvasWindowController::toggleGridEnabled()
{
    if (const auto page = selectedComposition())
        page->setGridEnabled(gridEnabled_);
}

void CanvasWindowController::changeGridTolerance(const pf::MenuItem* sender)
{
    const auto page = selectedComposition();
    if (!page)
        return;
    if (sender)
        gridToleranceTag_ = sender->tag();
    const std::shared_ptr<Metrics>& metrics = page->sharedMetrics();
    if (gridToleranceTag_ >= 1) {
        page->setGridTolerance(double(gridToleranceTag_));
        if (metrics)
            metrics->setUnitType(Metrics::Points);
    } else if (metrics && !Metrics::unitNameForUnitType(unsigned(-gridToleranceTag_)).isNull()) {
        metrics->setUnitType(unsigned(-gridToleranceTag_));
    }
    auto& center = pf::NotificationCenter::defaultCenter();
    center.post(QString::fromLatin1(Composition::GridToleranceDidChangeNotification), page.get());
    center.post(QString::fromLatin1(Canvas::MetricsUnitTypeDidChangeNotification), page.get());
    page->setNeedsDisplay();
}

// ---- page size ----

void CanvasWindowController::editMetrics()
{
    const auto page = selectedComposition();
    // One sheet at a time.
    if (!page || metricsWindowController_ || attachedSheet()) {
        pf::beep();
        return;
    }
    auto sheet = std::make_unique<MetricsWindowController>();
    sheet->setSheetParentWindow(this);
    sheet->setSelectedMetrics(page->metrics() ? page->metrics()->copy() : Metrics::defaultMetrics());
    MetricsWindowController* shown = sheet.get();
    metricsWindowController_ = std::move(sheet);
    if (!shown->beginSheet([this, shown](int code) { editMetricsSheetDidEnd(*shown, code); }))
        metricsWindowController_.reset();
}

void CanvasWindowController::editMetricsSheetDidEnd(MetricsWindowController& sheet, int returnCode)
{
    sheet.setSheetParentWindow(nullptr);
    const std::shared_ptr<Metrics> chosen = sheet.selectedMetrics();
    if (returnCode == SheetOK && chosen) {
        pf::UndoManager* undo = windowUndoManager();
        const auto group = undo ? std::optional(undo->beginUndoGrouping()) : std::nullopt;
        const auto anchor = QVRectCorner(chosen->anchorCorner());
        std::vector<std::shared_ptr<Composition>> pages;
        if (sheet.changeAllPages()) {
            for (const auto& model : tabModels())
                if (auto page = std::dynamic_pointer_cast<Composition>(model->representedObject()))
                    pages.push_back(std::move(page));
        } else if (auto page = selectedComposition()) {
            pages.push_back(std::move(page));
        }
        for (const auto& page : pages) {
            const pf::Size oldSize = page->frame().size;
            // Each page its own metrics: changing one page later leaves the others alone.
            page->setMetrics(chosen->copy());
            page->shiftContentsWithOldSizeNewSizeAnchorCorner(oldSize, page->frame().size, anchor);
        }
        if (canvasViewController_) {
            canvasViewController_->setUpRulerViews();
            canvasViewController_->updateRulers();
        }
        if (group) {
            // The shifts name their steps after the shapes they moved; the step is the size change.
            undo->setActionName(tr("Change Canvas Size"));
            undo->endUndoGrouping(*group);
        }
    }
    if (QDialog* dialog = sheet.isWindowLoaded() ? sheet.window() : nullptr)
        dialog->hide();
    // The sheet may be running the call that ended it: it goes on the next turn.
    if (metricsWindowController_.get() == &sheet) {
        std::shared_ptr<MetricsWindowController> doomed(std::move(metricsWindowController_));
        pf::performOnMainThread([doomed] {});
    }
}

// ---- sharing and export ----

WindowDocumentExport* CanvasWindowController::exportDocument()
{
    return dynamic_cast<WindowDocumentExport*>(TKMainWindowController::document());
}

std::shared_ptr<pf::Menu> CanvasWindowController::makeShareMenu(bool hasSelection, const pf::Image& pageImage)
{
    auto menu = std::make_shared<pf::Menu>();
    auto formats = std::make_shared<pf::Menu>();
    const WindowDocumentExport* document = exportDocument();
    const std::vector<std::int64_t> types = hasSelection ? std::vector<std::int64_t>{1, 2, 4, 0}
                                                         : std::vector<std::int64_t>{1, 2, 3, 4, 0};
    for (std::int64_t type : types) {
        const QString extension =
            document ? document->pathExtensionForExportTypeCode(type) : fallbackExtension(type);
        pf::MenuItem& item = formats->addItem(extension.toUpper(),
                                              hasSelection ? QStringLiteral("shareExportSelection:")
                                                           : QStringLiteral("shareExport:"),
                                              this);
        item.setTag(type);
    }
    pf::MenuItem& exportItem = menu->addItem(hasSelection ? tr("Export Selection…") : tr("Export…"), QString());
    exportItem.setSubmenu(formats);

    // No service is registered on the desktop; a separator only when some service follows.
    const auto services = SharingService::sharingServicesForItems({pageImage});
    if (!services.empty())
        menu->addSeparator();
    std::int64_t tag = 0;
    for (const auto& service : services) {
        const QString title = service->menuItemTitle().isEmpty() ? service->title() : service->menuItemTitle();
        pf::MenuItem& item = menu->addItem(title, QStringLiteral("share:"), this);
        item.setTag(tag++);
        item.setRepresentedObject(pf::Variant(std::static_pointer_cast<pf::Object>(service)));
    }
    return menu;
}

void CanvasWindowController::shareOptions()
{
    const auto page = selectedComposition();
    if (!page)
        return;
    const pf::Image image = page->renderedImage();
    // The menu comes at the pointer as the press that asked for it left it.
    pf::Event event;
    if (const auto& current = pf::InputState::shared().currentEvent())
        event = *current;
    event.screenLocation = pf::InputState::shared().mouseLocation();
    calls_.performAfterDelay(
        [this, image, event] {
            Canvas* canvas = canvasView();
            QWidget* view = windowContainerView_ ? static_cast<QWidget*>(windowContainerView_.data()) : windowWidget();
            if (!view)
                return;
            pf::MenuPresenter::popUpContextMenu(makeShareMenu(canvas && canvas->hasSelection(), image), event, view);
        },
        {});
}

void CanvasWindowController::shareExport(const pf::MenuItem* sender)
{
    if (!sender)
        return;
    UserDefaults::instance().setExportType(std::uint64_t(std::max<std::int64_t>(0, sender->tag())));
    if (WindowDocumentExport* document = exportDocument())
        document->exportDocument();
}

void CanvasWindowController::shareExportSelection(const pf::MenuItem* sender)
{
    if (!sender)
        return;
    UserDefaults::instance().setExportType(std::uint64_t(std::max<std::int64_t>(0, sender->tag())));
    if (WindowDocumentExport* document = exportDocument())
        document->exportSelection();
}

void CanvasWindowController::share(const pf::MenuItem* sender)
{
    const auto service = sender ? std::dynamic_pointer_cast<SharingService>(sender->representedObject().toObject())
                                : nullptr;
    const auto page = selectedComposition();
    if (!service || !page)
        return;
    Canvas* canvas = canvasView();
    const pf::Image image = canvas && canvas->hasSelection() ? canvas->groupForSelection()->renderedImage()
                                                             : page->renderedImage();
    service->performWithItems({image});
}

bool CanvasWindowController::PDFExportEnabled()
{
    const WindowDocumentExport* document = exportDocument();
    return !document || !document->exportsSelectionOnly() || document->isPDFExportEnabled();
}

// ---- validation ----

const CanvasAbilities* CanvasWindowController::canvasAbilities() const
{
    const Canvas* canvas = canvasView();
    if (!canvas) {
        canvasAbilities_.reset();
        return nullptr;
    }
    canvasAbilities_ = std::make_unique<CanvasAbilitiesOf>(*canvas);
    return canvasAbilities_.get();
}

bool CanvasWindowController::validateUIItem(std::int64_t tag, bool& handled, ValidatedLockItem* lockItem) const
{
    handled = true;
    // Nothing is usable while the window changes to or from full screen.
    if (isFullScreenTransitioning())
        return false;
    using Query = bool (CanvasAbilities::*)() const;
    static const std::pair<std::int64_t, Query> table[] = {
        {147, &CanvasAbilities::canRemove},      {247, &CanvasAbilities::canShowInfo},
        {347, &CanvasAbilities::canSelectAll},   {447, &CanvasAbilities::canSelectNone},
        {547, &CanvasAbilities::canDuplicate},   {647, &CanvasAbilities::canGroup},
        {747, &CanvasAbilities::canUngroup},     {767, &CanvasAbilities::canUnlock},
        {847, &CanvasAbilities::canBringToFront}, {947, &CanvasAbilities::canSendToBack},
        {1047, &CanvasAbilities::canAlign},      {1147, &CanvasAbilities::canAlign},
        {1247, &CanvasAbilities::canAlign},      {1347, &CanvasAbilities::canAlign},
        {1447, &CanvasAbilities::canAlign},      {1547, &CanvasAbilities::canAlign},
        {1647, &CanvasAbilities::canIntersect},  {1747, &CanvasAbilities::canIntersect},
        {1847, &CanvasAbilities::canIntersect},  {1947, &CanvasAbilities::canIntersect},
        {2047, &CanvasAbilities::canCopyStyle},  {2147, &CanvasAbilities::canPasteStyle},
        {2247, &CanvasAbilities::canInvert},
    };
    const CanvasAbilities* canvas = canvasAbilities();
    if (tag == validationTag::Lock) {
        const bool lock = canvas && canvas->canLock();
        const bool unlock = !lock && canvas && canvas->canUnlock();
        if (lockItem) {
            lockItem->setSizeMode(toolbarSizeMode());
            lockItem->setShowsUnlock(unlock);
            lockItem->myUpdate();
        }
        return lock || unlock;
    }
    for (const auto& [entry, query] : table)
        if (entry == tag)
            return canvas && (canvas->*query)();
    handled = false;
    return true;
}

void CanvasWindowController::setUpToolbar()
{
    pf::Window* window = pf::Window::of(windowWidget());
    if (!window)
        return;
    std::unique_ptr<CanvasWindowToolbar> toolbar = CanvasWindowToolbar::makeDefault();
    // The toolbar belongs to the window's widget, which may outlive its controller.
    toolbar->setValidator([this, alive = weakReference()](ValidatedToolbarItem& item) {
        return !alive.expired() && validateToolbarItem(item);
    });
    window->setToolbar(toolbar.release());
}

CanvasWindowToolbar* CanvasWindowController::canvasToolbar() const
{
    const pf::Window* window = pf::Window::of(windowWidget());
    return window ? dynamic_cast<CanvasWindowToolbar*>(window->toolbar()) : nullptr;
}

int CanvasWindowController::toolbarSizeMode() const
{
    const CanvasWindowToolbar* toolbar = canvasToolbar();
    return toolbar ? toolbar->sizeMode() : 0;
}

bool CanvasWindowController::validateToolbarItem(ValidatedToolbarItem& item) const
{
    bool handled = false;
    auto* lock = item.tag() == validationTag::Lock ? dynamic_cast<ValidatedLockItem*>(&item) : nullptr;
    return validateUIItem(item.tag(), handled, lock);
}

std::optional<QString> CanvasWindowController::paletteItemTitle(std::int64_t tag) const
{
    switch (tag) {
    case validationTag::LibraryPalette:
        return isLibraryPaletteVisible() ? tr("Hide Library Palette") : tr("Show Library Palette");
    case validationTag::TabsPalette:
        return (isTabsPaletteVisible() ? tr("Hide %1 Palette") : tr("Show %1 Palette")).arg(nameForTabModels());
    case validationTag::OutlinePalette:
        return isOutlinePaletteVisible() ? tr("Hide Outline Palette") : tr("Show Outline Palette");
    case validationTag::InspectorPalette:
        return isInspectorPaletteVisible() ? tr("Hide Inspector Palette") : tr("Show Inspector Palette");
    default:
        return std::nullopt;
    }
}

bool CanvasWindowController::validateMenuItem(const pf::MenuItem& item) const
{
    if (!TKMainWindowController::validateMenuItem(item))
        return false;
    // The palette items are always there to show or hide a palette.
    if (paletteItemTitle(item.tag()))
        return true;
    // An item without an action (a submenu's holder) shares its tag with nothing.
    if (item.action().isEmpty())
        return true;
    bool handled = false;
    const bool answer = validateUIItem(item.tag(), handled);
    return !handled || answer;
}
