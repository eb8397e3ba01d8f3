#include "shell/TKMainWindowController.h"

#include "platform/docs/DocumentController.h"
#include "platform/foundation/KeyValue.h"
#include "platform/foundation/NotFound.h"
#include "platform/foundation/UndoManager.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Services.h"
#include "platform/kit/View.h"
#include "platform/kit/Window.h"
#include "shell/IDEMainWindow.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <cxxabi.h>

#include <cstdlib>
#include <typeinfo>

namespace {

std::map<QString, TKMainWindowController*>& registry()
{
    static std::map<QString, TKMainWindowController*> controllers;
    return controllers;
}

std::int64_t& identifierCounter()
{
    static std::int64_t counter = 0;
    return counter;
}

QString tr(const char* text)
{
    return QCoreApplication::translate("TKMainWindowController", text);
}

} // namespace

TKMainWindowController::TKMainWindowController(QString windowNibName)
    : IDEMainWindowController(std::move(windowNibName)), selectedTabIndex_(pf::NotFound)
{
    identifier_ = QString::number(++identifierCounter());
    addWindowController(this);
    registerActions();
}

TKMainWindowController::~TKMainWindowController()
{
    removeWindowController(this);
    identifier_.clear();
    if (tabsList_)
        tabsList_->setDelegate(nullptr);
}

void TKMainWindowController::registerActions()
{
    const std::pair<const char*, void (TKMainWindowController::*)(const pf::MenuItem*)> actions[] = {
        {"newTab:", &TKMainWindowController::newTab},
        {"newBackgroundTab:", &TKMainWindowController::newBackgroundTab},
        {"duplicateTab:", &TKMainWindowController::duplicateTab},
        {"closeTab:", &TKMainWindowController::closeTab},
        {"closeOtherTabs:", &TKMainWindowController::closeOtherTabs},
        {"selectPreviousTab:", &TKMainWindowController::selectPreviousTab},
        {"selectNextTab:", &TKMainWindowController::selectNextTab},
        {"takeTabIndexToCloseFrom:", &TKMainWindowController::takeTabIndexToCloseFrom},
        {"takeTabIndexToDuplicateFrom:", &TKMainWindowController::takeTabIndexToDuplicateFrom},
        {"takeTabIndexToEditTitleFrom:", &TKMainWindowController::takeTabIndexToEditTitleFrom},
        {"takeTabIndexToMoveToNewWindowFrom:", &TKMainWindowController::takeTabIndexToMoveToNewWindowFrom},
        {"orderOutConfirmTabCloseSheet:", &TKMainWindowController::orderOutConfirmTabCloseSheet},
    };
    for (const auto& [name, method] : actions)
        setAction(QString::fromLatin1(name), [this, method](const pf::MenuItem* sender) { (this->*method)(sender); });
}

// ---- the registry ----

TKMainWindowController* TKMainWindowController::windowControllerForIdentifier(const QString& identifier)
{
    const auto found = registry().find(identifier);
    return found == registry().end() ? nullptr : found->second;
}

void TKMainWindowController::addWindowController(TKMainWindowController* controller)
{
    if (controller && !controller->identifier_.isEmpty())
        registry()[controller->identifier_] = controller;
}

void TKMainWindowController::removeWindowController(TKMainWindowController* controller)
{
    if (!controller)
        return;
    const auto found = registry().find(controller->identifier_);
    if (found != registry().end() && found->second == controller)
        registry().erase(found);
}

QString TKMainWindowController::description() const
{
    int status = 0;
    char* demangled = abi::__cxa_demangle(typeid(*this).name(), nullptr, nullptr, &status);
    const QString className = QString::fromLatin1(status == 0 && demangled ? demangled : typeid(*this).name());
    std::free(demangled);
    return QStringLiteral("<%1 0x%2 %3>")
        .arg(className)
        .arg(reinterpret_cast<quintptr>(this), 0, 16)
        .arg(identifier_);
}

void TKMainWindowController::windowWillClose()
{
    IDEMainWindowController::windowWillClose();
    removeWindowController(this);
}

void TKMainWindowController::windowDidLoad()
{
    IDEMainWindowController::windowDidLoad();
    _setUpTabsListView();
}

void TKMainWindowController::_setUpTabsListView()
{
    if (tabsList_)
        return;
    tabsList_ = TKTabsList::factory() ? TKTabsList::factory()() : nullptr;
    if (tabsList_)
        tabsList_->setDelegate(this);
    const auto held = std::move(models_);
    models_.clear();
    if (held.empty()) {
        hasSetUpTabsList_ = true;
        return;
    }
    const std::size_t remembered = selectedTabIndex_ == pf::NotFound ? 0 : selectedTabIndex_;
    for (const auto& model : held)
        addTabModel(model);
    setSelectedTabIndex(remembered);
    hasSetUpTabsList_ = true;
}

// ---- tabs ----

std::shared_ptr<TKTabModel> TKMainWindowController::tabModelAtIndex(std::size_t index) const
{
    return isValidIndex(index) ? models_[index] : nullptr;
}

std::size_t TKMainWindowController::indexOfTabModel(const TKTabModel* model) const
{
    for (std::size_t i = 0; i < models_.size(); ++i)
        if (models_[i].get() == model)
            return i;
    return pf::NotFound;
}

std::size_t TKMainWindowController::indexOfTabModelWithRepresentedObject(const pf::Object* object) const
{
    for (std::size_t i = 0; i < models_.size(); ++i)
        if (object && models_[i]->representedObject().get() == object)
            return i;
    return pf::NotFound;
}

void TKMainWindowController::addTabModel(const std::shared_ptr<TKTabModel>& model)
{
    addTabModel(model, models_.size());
}

void TKMainWindowController::addTabModel(const std::shared_ptr<TKTabModel>& model, std::size_t index)
{
    if (!model || index > models_.size()) {
        pf::beep();
        return;
    }
    willAddTabModelAtIndex(index);
    model->setIndex(index);
    models_.insert(models_.begin() + std::ptrdiff_t(index), model);
    setSelectedTabIndex(index);
    didAddTabModelAtIndex(index);
}

void TKMainWindowController::removeTabModelAtIndex(std::size_t index)
{
    if (!isValidIndex(index)) {
        pf::beep();
        return;
    }
    willRemoveTabModelAtIndex(index);
    const std::size_t count = models_.size();
    // The tab that moves into the place, or the one before when the last went.
    const std::size_t next = count == 1 ? pf::NotFound : index == count - 1 ? index - 1 : index;
    models_.erase(models_.begin() + std::ptrdiff_t(index));
    if (next == pf::NotFound)
        clearSelection();
    else
        setSelectedTabIndex(next);
    didRemoveTabModel();
}

void TKMainWindowController::removeTabModel(const std::shared_ptr<TKTabModel>& model)
{
    removeTabModelAtIndex(indexOfTabModel(model.get()));
}

void TKMainWindowController::swapTabModelsAtIndex(std::size_t first, std::size_t second)
{
    if (!isValidIndex(first) || !isValidIndex(second)) {
        pf::beep();
        return;
    }
    willSwapTabModelsAtIndex(first, second);
    models_[first]->setIndex(second);
    models_[second]->setIndex(first);
    std::swap(models_[first], models_[second]);
    setSelectedTabIndex(selectedTabIndex_);
    didSwapTabModelsAtIndex(first, second);
}

void TKMainWindowController::duplicateTabModelAtIndex(std::size_t index)
{
    if (!isValidIndex(index)) {
        pf::beep();
        return;
    }
    const auto& source = models_[index];
    auto copy = source->copy();
    if (index == models_.size() - 1)
        copy->setTitle(newTitleForRepresentedObjectAtIndex(models_.size()));
    else
        copy->setTitle(tr("%1 (copy)").arg(source->title()));
    // The copy belongs to this window's document like its source (scripts reach it through it).
    copy->setDocument(document());
    addTabModel(copy, index + 1);
}

void TKMainWindowController::addTabModelAtIndex(std::size_t index)
{
    if (index > models_.size()) {
        pf::beep();
        return;
    }
    QString error;
    auto model = newTabModelWithContentsOfURLString(QString(), defaultType(), &error);
    if (!model) {
        pf::beep();
        pf::logMessage(error);
        return;
    }
    addTabModel(model, index);
}

std::shared_ptr<TKTabModel> TKMainWindowController::addTabWithRepresentedObject(std::shared_ptr<pf::Object> object,
                                                                                const QString& type, QString* error)
{
    auto model = newTabModelWithRepresentedObject(std::move(object), type.isNull() ? defaultType() : type, error);
    if (model)
        addTabModel(model);
    return model;
}

bool TKMainWindowController::addTabWithContentsOfURLString(const QString& URLString, const QString& type,
                                                           QString* error)
{
    QString local;
    QString* place = error ? error : &local;
    place->clear();
    if (auto model = newTabModelWithContentsOfURLString(URLString, type.isNull() ? defaultType() : type, place))
        addTabModel(model);
    return place->isEmpty();
}

std::shared_ptr<TKTabModel> TKMainWindowController::makeTabModelOfType(const QString& type, QString* error) const
{
    auto model = makeTabModel();
    if (!model) {
        if (error && error->isEmpty())
            *error = tr("This window cannot make tabs of the type \"%1\".").arg(type);
        return nullptr;
    }
    model->setType(type);
    model->setDocument(document());
    return model;
}

std::shared_ptr<TKTabModel> TKMainWindowController::newTabModelWithContentsOfURLString(const QString& URLString,
                                                                                       const QString& type,
                                                                                       QString* error)
{
    auto model = makeTabModelOfType(type, error);
    if (!model)
        return nullptr;
    model->setURLString(URLString);
    QString problem;
    auto object = newRepresentedObjectWithContentsOfURLString(URLString, type, &problem);
    if (!object && !problem.isEmpty()) {
        // A tab that would show nothing is not made.
        if (error)
            *error = problem;
        return nullptr;
    }
    model->setRepresentedObject(std::move(object));
    return model;
}

std::shared_ptr<TKTabModel> TKMainWindowController::newTabModelWithRepresentedObject(std::shared_ptr<pf::Object> object,
                                                                                     const QString& type,
                                                                                     QString* error)
{
    auto model = makeTabModelOfType(type, error);
    if (!model)
        return nullptr;
    model->setRepresentedObject(std::move(object));
    return model;
}

std::shared_ptr<pf::Object> TKMainWindowController::newRepresentedObjectWithContentsOfURLString(const QString&,
                                                                                                const QString&,
                                                                                                QString*)
{
    return nullptr;
}

QString TKMainWindowController::newTitleForRepresentedObjectAtIndex(std::size_t) const
{
    return {};
}

QString TKMainWindowController::localizedDisplayNameForTab() const
{
    return tr("Tab");
}

QString TKMainWindowController::localizedDisplayNameForTabPlural() const
{
    return tr("Tabs");
}

std::shared_ptr<pf::Menu> TKMainWindowController::contextMenuForTabModelAtIndex(std::size_t index)
{
    if (!isValidIndex(index))
        return nullptr;
    auto menu = std::make_shared<pf::Menu>();
    pf::MenuItem& item = menu->addItem(tr("Close"), QStringLiteral("takeTabIndexToCloseFrom:"), this);
    item.setRepresentedObject(pf::Variant(models_[index]->representedObject()));
    item.setState(pf::MenuItemState::Off);
    item.setTag(std::int64_t(index));
    return menu;
}

// ---- selection ----

void TKMainWindowController::setSelectedTabIndex(std::size_t index)
{
    if (identifier_.isEmpty() || models_.empty())
        return;
    if (index >= models_.size())
        index = 0;
    pf::ChangeNotice notice(*this, QStringLiteral("selectedTabIndex"));
    if (selectedTabIndex_ != pf::NotFound)
        selectedTabIndexWillChange();
    if (selectedTabModel_)
        selectedTabModel_->setSelected(false);
    selectedTabIndex_ = index;
    selectedTabModel_ = models_[index];
    selectedTabModel_->setSelected(true);
    selectedTabIndexDidChange();
    if (tabsList_) {
        tabsList_->updateAllTabModels();
        tabsList_->scrollRectToVisible(index == 0 ? pf::Rect{{0, 0}, {10, 10}} : tabsList_->frameForItemAtIndex(index));
    }
}

void TKMainWindowController::clearSelection()
{
    // The last tab went: no page stays selected that no tab holds.
    pf::ChangeNotice notice(*this, QStringLiteral("selectedTabIndex"));
    if (selectedTabIndex_ != pf::NotFound)
        selectedTabIndexWillChange();
    if (selectedTabModel_)
        selectedTabModel_->setSelected(false);
    selectedTabIndex_ = pf::NotFound;
    selectedTabModel_.reset();
    selectedTabIndexDidChange();
    if (tabsList_)
        tabsList_->updateAllTabModels();
}

// ---- actions ----

std::size_t TKMainWindowController::indexFromSender(const pf::MenuItem* sender) const
{
    if (!sender)
        return selectedTabIndex_;
    return sender->tag() < 0 ? pf::NotFound : std::size_t(sender->tag());
}

void TKMainWindowController::newTab(const pf::MenuItem*)
{
    addTabModelAtIndex(models_.size());
}

void TKMainWindowController::newBackgroundTab(const pf::MenuItem*)
{
    addTabModelAtIndex(models_.size());
}

void TKMainWindowController::duplicateTab(const pf::MenuItem*)
{
    duplicateTabModelAtIndex(selectedTabIndex_);
}

void TKMainWindowController::closeTab(const pf::MenuItem*)
{
    pf::Window* own = window();
    if (own && own->isKeyWindow())
        closeTabAtIndex(selectedTabIndex_);
    else if (auto* controller = pf::DocumentController::shared())
        controller->closeTab();
}

bool TKMainWindowController::validateMenuItem(const pf::MenuItem& item) const
{
    static const QStringList needOthers = {QStringLiteral("selectNextTab:"), QStringLiteral("selectPreviousTab:"),
                                           QStringLiteral("closeOtherTabs:"),
                                           QStringLiteral("takeTabIndexToMoveToNewWindowFrom:")};
    return models_.size() > 1 || !needOthers.contains(item.action());
}

void TKMainWindowController::closeOtherTabs(const pf::MenuItem*)
{
    const auto keep = selectedTabModel_;
    if (!keep)
        return;
    for (std::size_t i = models_.size(); i-- > 0;)
        if (i < models_.size() && models_[i] != keep)
            removeTabModelAtIndex(i);
}

void TKMainWindowController::selectPreviousTab(const pf::MenuItem*)
{
    if (models_.empty())
        return;
    const std::size_t at = selectedTabIndex_;
    setSelectedTabIndex(at == 0 || at >= models_.size() ? models_.size() - 1 : at - 1);
}

void TKMainWindowController::selectNextTab(const pf::MenuItem*)
{
    if (models_.empty())
        return;
    const std::size_t at = selectedTabIndex_;
    setSelectedTabIndex(at >= models_.size() ? 0 : (at + 1) % models_.size());
}

void TKMainWindowController::takeTabIndexToCloseFrom(const pf::MenuItem* sender)
{
    closeTabAtIndex(indexFromSender(sender));
}

void TKMainWindowController::takeTabIndexToDuplicateFrom(const pf::MenuItem* sender)
{
    duplicateTabModelAtIndex(indexFromSender(sender));
}

void TKMainWindowController::takeTabIndexToEditTitleFrom(const pf::MenuItem* sender)
{
    const std::size_t index = indexFromSender(sender);
    if (!isValidIndex(index)) {
        pf::beep();
        return;
    }
    if (!tabsList_)
        return;
    const QString keyPath = tabsList_->defaultEditableKeyPath();
    if (!keyPath.isEmpty())
        tabsList_->beginEditingListItemAtIndex(index, keyPath);
}

void TKMainWindowController::takeTabIndexToMoveToNewWindowFrom(const pf::MenuItem* sender)
{
    const std::size_t index = indexFromSender(sender);
    // A window keeps at least one tab: its only one does not move.
    if (!isValidIndex(index) || models_.size() < 2) {
        pf::beep();
        return;
    }
    auto* documents = pf::DocumentController::shared();
    if (!documents) {
        pf::beep();
        return;
    }
    QString error;
    const auto newDocument = documents->newDocument(&error);
    if (!newDocument) {
        pf::beep();
        if (!error.isEmpty())
            pf::logMessage(error);
        return;
    }
    auto* owner = dynamic_cast<TabHostOwner*>(newDocument.get());
    auto* front = owner ? dynamic_cast<TKMainWindowController*>(owner->firstTabHost()) : nullptr;
    if (!front || front == this)
        return;

    // The new window gets a copy: the page and its pictures then belong to the new document alone, and
    // nothing there can be undone back; this window loses its tab as an ordinary (undoable) removal.
    const auto source = models_[index];
    auto moved = source->copy();
    // The title again, now that the copied content is there to take it.
    moved->setTitle(source->title());
    moved->setDocument(newDocument.get());
    owner->adoptRepresentedObjectFromDocument(moved->representedObject(), document());
    pf::UndoManager* frontUndo = front->windowUndoManager();
    if (frontUndo)
        frontUndo->disableUndoRegistration();
    const auto blank = front->selectedTabModel();
    front->addTabModel(moved, front->numberOfTabs());
    if (blank)
        front->removeTabModel(blank);
    front->setSelectedTabIndex(front->indexOfTabModel(moved.get()));
    if (frontUndo)
        frontUndo->enableUndoRegistration();
    removeTabModelAtIndex(index);
}

void TKMainWindowController::closeTabAtIndex(std::size_t index)
{
    if (!isValidIndex(index)) {
        pf::beep();
        return;
    }
    if (userMustConfirmTabClose_) {
        setSelectedTabIndex(index);
        runConfirmTabCloseSheet(nullptr);
        return;
    }
    removeTabOrCloseWindow(index);
}

void TKMainWindowController::removeTabOrCloseWindow(std::size_t index)
{
    if (!isValidIndex(index)) {
        pf::beep();
        return;
    }
    if (models_.size() > 1) {
        removeTabModelAtIndex(index);
        return;
    }
    // Closing the window may close the document, which releases this controller: it stays for the call.
    const auto keep = weak_from_this().lock();
    performClose();
}

// ---- the confirmation sheet ----

QDialog* TKMainWindowController::ensureConfirmTabCloseSheet()
{
    if (confirmTabCloseSheet_ || !windowWidget())
        return confirmTabCloseSheet_;
    // The window's interface file gave none: a plain question with the same answers (0 keeps, 1 closes).
    auto* sheet = new QDialog(windowWidget());
    auto* layout = new QVBoxLayout(sheet);
    layout->addWidget(new QLabel(tr("Do you want to close this tab?"), sheet));
    auto* buttons = new QDialogButtonBox(sheet);
    QPushButton* close = buttons->addButton(tr("Close"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    close->setDefault(true);
    layout->addWidget(buttons);
    QObject::connect(close, &QPushButton::clicked, sheet, [this, sheet] { endSheet(sheet, 1); });
    QObject::connect(cancel, &QPushButton::clicked, sheet, [this, sheet] { endSheet(sheet, 0); });
    confirmTabCloseSheet_ = sheet;
    return sheet;
}

void TKMainWindowController::runConfirmTabCloseSheet(const pf::MenuItem* sender)
{
    QDialog* sheet = ensureConfirmTabCloseSheet();
    if (!sheet)
        return;
    std::optional<std::int64_t> context;
    if (sender)
        context = sender->tag();
    beginSheet(sheet, [this, context](int code) { confirmTabCloseSheetDidEnd(code, context); });
}

void TKMainWindowController::orderOutConfirmTabCloseSheet(const pf::MenuItem* sender)
{
    endSheet(confirmTabCloseSheet_, sender ? int(sender->tag()) : 0);
}

void TKMainWindowController::confirmTabCloseSheetDidEnd(int returnCode, std::optional<std::int64_t> contextTag)
{
    if (returnCode != 1)
        return;
    const std::size_t index = contextTag ? (*contextTag < 0 ? pf::NotFound : std::size_t(*contextTag)) : selectedTabIndex_;
    removeTabOrCloseWindow(index);
}

// ---- the tab strip ----

void TKMainWindowController::reloadTabs()
{
    if (tabsList_)
        tabsList_->updateAllTabModels();
}

std::size_t TKMainWindowController::numberOfTabsInTabsViewController(TKTabsList&)
{
    return models_.size();
}

std::shared_ptr<TKTabModel> TKMainWindowController::tabsViewControllerTabModelAtIndex(TKTabsList&, std::size_t index)
{
    return tabModelAtIndex(index);
}

std::shared_ptr<pf::Menu> TKMainWindowController::tabsViewControllerContextMenuForTabModelAtIndex(TKTabsList&,
                                                                                                  std::size_t index)
{
    return contextMenuForTabModelAtIndex(index);
}

void TKMainWindowController::tabsViewControllerDidSelectTabModelAtIndex(TKTabsList&, std::size_t index)
{
    setSelectedTabIndex(index);
}

void TKMainWindowController::tabsViewControllerDidCloseTabModelAtIndex(TKTabsList&, std::size_t index)
{
    removeTabOrCloseWindow(index);
}

void TKMainWindowController::tabsViewControllerWantsNewTab(TKTabsList&)
{
    newTab();
}

void TKMainWindowController::synchronizeWindowTitleWithDocumentName()
{
    IDEMainWindowController::synchronizeWindowTitleWithDocumentName();
}

QWidget* TKMainWindowController::makeWindowWidget()
{
    return new TKMainWindow(*this);
}
