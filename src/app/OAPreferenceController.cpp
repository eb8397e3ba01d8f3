#include "app/OAPreferenceController.h"

#include "app/OAPreferenceClient.h"
#include "app/OAPreferenceClientRecord.h"
#include "app/OAPreferencesIconView.h"
#include "app/OFPreference.h"
#include "app/SortedArrays.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Resources.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/kit/Services.h"
#include "platform/kit/View.h"
#include "platform/kit/ViewBuilders.h"
#include "platform/kit/Window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QToolBar>

#include <algorithm>
#include <cmath>
#include <set>
#include <stdexcept>

const QString OAPreferenceController::windowNibName = QStringLiteral("OAPreferencesWindow");
const QString OAPreferenceController::frameAutosaveName = QStringLiteral("Preferences");
const QString OAPreferenceController::restoreEverythingContext = QStringLiteral("RestoreEverything");

OAPreferencesToolbar::OAPreferencesToolbar()
{
        setObjectName(QStringLiteral("OAPreferencesWindow"));
        setMovable(false);
        setFloatable(false);
        // No customisation: nothing to hide, move or configure.
        setContextMenuPolicy(Qt::PreventContextMenu);
        setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        setIconSize(QSize(32, 32));
}

namespace {

QString processName()
{
    return QCoreApplication::applicationName();
}

// The key the window's frame is kept under (the autosave name's key, as the desktop framework names it).
QString frameKey()
{
    return QStringLiteral("NSWindow Frame ") + OAPreferenceController::frameAutosaveName;
}

// ---- the registry ----

struct Registry {
    OAPreferenceController::Records records;
    std::map<QString, QString> localizedCategoryNames;
    std::map<QString, float> categoryPriorities;
};

Registry*& activeRegistry()
{
    static Registry* registry = nullptr;
    return registry;
}

Registry& registry()
{
    Registry*& active = activeRegistry();
    if (!active) {
        // Filled once from the information dictionary, in its order, and kept for the process.
        active = new Registry;
        const pf::Value& registrations = pf::mainBundleInfoDictionary()
                                             .objectForKey(u"OFRegistrations")
                                             .objectForKey(u"OAPreferenceController");
        for (const auto& [className, description] : registrations.asDictionary())
            OAPreferenceController::registerItemName(className, description);
    }
    return *active;
}

int compareRecordsByOrdering(const OAPreferenceController::RecordPointer& a, const OAPreferenceController::RecordPointer& b)
{
    return a->compareOrdering(*b);
}

} // namespace

// ---- registration ----

OAPreferenceController::ScopedRegistry::ScopedRegistry() : previous_(activeRegistry())
{
    activeRegistry() = new Registry;
}

OAPreferenceController::ScopedRegistry::~ScopedRegistry()
{
    delete activeRegistry();
    activeRegistry() = static_cast<Registry*>(previous_);
}

void OAPreferenceController::registerItemName(const QString& className, const pf::Value& description)
{
    Registry& r = registry();
    const QString prefsTable = QStringLiteral("Preferences");
    const pf::Value& categoryValue = description.objectForKey(u"category");
    const QString categoryName =
        overrideNameForCategoryName(categoryValue.isString() ? categoryValue.asString() : QStringLiteral("UNKNOWN"));
    const QString localizedName = pf::localized(categoryName, prefsTable);
    if (!localizedName.isEmpty() && localizedName != categoryName)
        r.localizedCategoryNames[categoryName] = localizedName;
    if (const pf::Value& priority = description.objectForKey(u"categoryPriority"); priority.isNumber())
        r.categoryPriorities[categoryName] = priority.floatValue();

    auto record = std::make_shared<OAPreferenceClientRecord>(categoryName);
    const pf::Value& defaults = description.objectForKey(u"defaultsDictionary");
    if (defaults.isDictionary()) {
        pf::UserDefaultsStore::standard().registerDefaults(defaults.asDictionary());
        record->setDefaultsDictionary(defaults.asDictionary());
    }

    const auto stringFor = [&description](const char* key) { return description.objectForKey(QString::fromLatin1(key)).asString(); };
    const QString rawTitle = stringFor("title");
    const QString titleKey = rawTitle.isEmpty() ? QStringLiteral("Localized Title for Preference Class %1").arg(className) : rawTitle;
    const QString title = pf::localized(titleKey, prefsTable);
    const QString icon = stringFor("icon").isEmpty() ? className : stringFor("icon");
    const QString nib = stringFor("nib").isEmpty() ? className : stringFor("nib");
    const QString rawShortTitle = stringFor("shortTitle");
    QString shortTitle;
    if (!rawShortTitle.isEmpty())
        shortTitle = pf::localized(rawShortTitle, prefsTable);
    else if (auto entry = pf::localizedEntry(QStringLiteral("Localized Short Title for Preference Class %1").arg(className), prefsTable))
        shortTitle = *entry;
    QString identifier = stringFor("identifier");
    if (identifier.isEmpty())
        identifier = rawShortTitle.isEmpty() ? titleKey : rawShortTitle;

    // A hidden pane shows only once the user has asked for it.
    const pf::Value& hidden = description.objectForKey(u"hidden");
    if ((hidden.isString() || hidden.isNumber() || hidden.isBool()) && hidden.boolValue()
        && !pf::UserDefaultsStore::standard().boolForKey(identifier + QStringLiteral(".visible")))
        return;

    record->setIdentifier(identifier);
    record->setClassName(className);
    record->setTitle(title);
    if (!shortTitle.isNull())
        record->setShortTitle(shortTitle);
    record->setIconName(icon);
    record->setIconBundleClassName(stringFor("iconBundleClassName"));
    record->setNibName(nib);
    record->setHelpURL(stringFor("helpURL"));
    record->setOrdering(description.objectForKey(u"ordering").doubleValue());
    QStringList defaultsArray;
    for (const pf::Value& key : description.objectForKey(u"defaultsArray").asArray())
        if (key.isString())
            defaultsArray.push_back(key.asString());
    record->setDefaultsArray(defaultsArray);
    r.records.push_back(std::move(record));
}

const OAPreferenceController::Records& OAPreferenceController::allClientRecords()
{
    return registry().records;
}

namespace {

// The last record of the list whose value matches: a later registration of the same name wins.
template <class Get>
OAPreferenceController::RecordPointer lastMatch(const OAPreferenceController::Records& records, const QString& value, Get get)
{
    for (auto it = records.rbegin(); it != records.rend(); ++it)
        if (get(**it) == value)
            return *it;
    return nullptr;
}

} // namespace

OAPreferenceController::RecordPointer OAPreferenceController::clientRecordWithShortTitle(const QString& shortTitle)
{
    return lastMatch(allClientRecords(), shortTitle, [](const OAPreferenceClientRecord& r) { return r.shortTitle(); });
}

OAPreferenceController::RecordPointer OAPreferenceController::clientRecordWithIdentifier(const QString& identifier)
{
    return lastMatch(allClientRecords(), identifier, [](const OAPreferenceClientRecord& r) { return r.identifier(); });
}

QString OAPreferenceController::localizedCategoryName(const QString& name)
{
    const auto& names = registry().localizedCategoryNames;
    const auto it = names.find(name);
    return it == names.end() ? name : it->second;
}

float OAPreferenceController::priorityForCategoryName(const QString& name)
{
    const auto& priorities = registry().categoryPriorities;
    const auto it = priorities.find(name);
    return it == priorities.end() ? 0.0f : it->second;
}

OAPreferenceController& OAPreferenceController::sharedPreferenceController()
{
    static OAPreferenceController* shared = new OAPreferenceController;
    return *shared;
}

// ---- the controller ----

OAPreferenceController::OAPreferenceController() : OAPreferenceController(allClientRecords(), {}) {}

OAPreferenceController::OAPreferenceController(Records records, const QString& defaultKeySuffix)
    : pf::WindowController(windowNibName), clientRecords_(std::move(records)), defaultKeySuffix_(defaultKeySuffix)
{
    if (!pf::hasViewBuilder(windowNibName))
        registerInterfaceFiles();
    for (const RecordPointer& record : clientRecords_) {
        Records& category = categories_[record->categoryName()];
        insertObjectInArraySorted(category, record, compareRecordsByOrdering);
    }
    defaultsToken_ = pf::NotificationCenter::defaultCenter().addObserver(
        pf::UserDefaultsStore::didChangeNotification, nullptr, [this](const pf::Notification&) {
            if (isWindowVisible())
                delayedCalls_.performAfterDelay([this] { validateRestoreDefaultsButton(); }, {},
                                                QStringLiteral("validateRestoreDefaultsButton"));
        });
}

OAPreferenceController::~OAPreferenceController()
{
    delayedCalls_.cancelPreviousPerformRequests();
    // The panes' views may sit in the window: they go first, with their panes.
    currentClient_ = nullptr;
    clientByRecordIdentifier_.clear();
}

QStringList OAPreferenceController::categoryNames() const
{
    QStringList names;
    for (const auto& [name, records] : categories_)
        names.push_back(name);
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const float pa = priorityForCategoryName(a), pb = priorityForCategoryName(b);
        if (pa != pb)
            return pa > pb;
        return QString::compare(localizedCategoryName(a), localizedCategoryName(b), Qt::CaseInsensitive) < 0;
    });
    return names;
}

OAPreferenceController::Records OAPreferenceController::sortedClientRecords() const
{
    Records sorted;
    for (const QString& name : categoryNames()) {
        const Records& records = categories_.at(name);
        sorted.insert(sorted.end(), records.begin(), records.end());
    }
    return sorted;
}

OAPreferenceController::RecordPointer OAPreferenceController::recordWithShortTitle(const QString& shortTitle) const
{
    return lastMatch(clientRecords_, shortTitle, [](const OAPreferenceClientRecord& r) { return r.shortTitle(); });
}

OAPreferenceController::RecordPointer OAPreferenceController::recordWithIdentifier(const QString& identifier) const
{
    return lastMatch(clientRecords_, identifier, [](const OAPreferenceClientRecord& r) { return r.identifier(); });
}

OAPreferenceClient* OAPreferenceController::clientWithShortTitle(const QString& shortTitle)
{
    return clientForRecord(recordWithShortTitle(shortTitle).get());
}

OAPreferenceClient* OAPreferenceController::clientWithIdentifier(const QString& identifier)
{
    return clientForRecord(recordWithIdentifier(identifier).get());
}

OAPreferenceClient* OAPreferenceController::clientForRecord(const OAPreferenceClientRecord* record)
{
    if (!record)
        return nullptr;
    auto& slot = clientByRecordIdentifier_[record->identifier()];
    if (!slot)
        slot = record->newClientInstanceInController(this);
    return slot.get();
}

void OAPreferenceController::setCurrentClientByClassName(const QString& className)
{
    for (auto it = clientRecords_.rbegin(); it != clientRecords_.rend(); ++it)
        if ((*it)->className() == className) {
            setCurrentClientRecord(it->get());
            return;
        }
}

void OAPreferenceController::setCurrentClientFromToolbarItem(const QString& identifier)
{
    if (RecordPointer record = recordWithIdentifier(identifier))
        setCurrentClientRecord(record.get());
}

void OAPreferenceController::iconViewButtonHitAtIndex(const OAPreferencesIconView& view, std::size_t index)
{
    const auto& records = view.preferenceClientRecords();
    if (index < records.size())
        setCurrentClientRecord(records[index]);
}

// ---- the window ----

struct OAPreferenceController::Outlets {
    pf::View* preferenceBox = nullptr;
    pf::View* globalControlsView = nullptr;
    QAbstractButton* resetButton = nullptr;
};

pf::View* OAPreferenceController::buildWindow(pf::Responder* owner)
{
    auto* controller = dynamic_cast<OAPreferenceController*>(owner);
    auto* content = new pf::View(pf::Rect(0, 0, 420, 80));
    auto* box = new pf::View(pf::Rect(0, 0, 420, 80));
    content->addSubview(box, box->frame());
    // The strip under the pane: the reset button at its right (hidden: the resets are reached otherwise).
    auto* global = new pf::View(pf::Rect(0, 0, 420, 20));
    auto* reset = new QPushButton(preferenceFrameworkText("Reset"));
    reset->setToolTip(preferenceFrameworkText("Return settings in this pane to default values"));
    global->addSubview(reset, pf::Rect(420 - 20 - 100, 0, 100, 20));
    reset->hide();
    if (controller) {
        controller->preferenceBox_ = box;
        controller->globalControlsView_ = global;
        controller->resetButton_ = reset;
        QObject::connect(reset, &QPushButton::clicked, reset, [controller] {
            controller->restoreDefaults(QGuiApplication::keyboardModifiers() & Qt::AltModifier ? pf::OptionKeyMask : 0);
        });
    }
    // Held apart until a pane is shown over it; owned by the box from then on.
    global->setParent(box);
    global->hide();
    return content;
}

void OAPreferenceController::registerInterfaceFiles()
{
    pf::registerViewBuilder(windowNibName, &OAPreferenceController::buildWindow);
}

void OAPreferenceController::windowDidLoad()
{
    if (!preferenceBox_ || !globalControlsView_)
        throw std::runtime_error(QStringLiteral("Unable to load nib %1").arg(windowNibName).toStdString());
    QWidget* widget = windowWidget();
    idealWidth_ = float(globalControlsView_->frame().size.width);

    // Centred, then where the user left it.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        widget->move(available.center() - QPoint(widget->width() / 2, widget->height() / 2));
    }
    const QString savedFrame = pf::UserDefaultsStore::standard().stringForKey(frameKey());
    if (!savedFrame.isEmpty()) {
        // Only a frame that a screen still shows (a hand-edited or stale one leaves the window centred).
        const pf::Rect frame = pf::rectFromString(savedFrame);
        const bool usable = std::isfinite(frame.origin.x) && std::isfinite(frame.origin.y) && frame.size.width > 0
                            && frame.size.height > 0 && std::abs(frame.origin.x) < 1e6 && std::abs(frame.origin.y) < 1e6;
        const QPoint origin = usable ? QPoint(int(std::lround(frame.origin.x)), int(std::lround(frame.origin.y))) : QPoint();
        if (usable && QGuiApplication::screenAt(origin + QPoint(20, 10)))
            widget->move(origin);
    }

    // Ctrl+W closes the window, as a tab would be closed.
    auto* closeTab = new QAction(widget);
    closeTab->setShortcut(QKeySequence::Close);
    QObject::connect(closeTab, &QAction::triggered, closeTab, [this] { performClose(); });
    widget->addAction(closeTab);

    std::set<QString> categoryCount;
    for (const RecordPointer& record : clientRecords_)
        categoryCount.insert(record->categoryName());
    viewStyle_ = clientRecords_.size() == 1 ? 0 : (clientRecords_.size() <= 10 && categoryCount.size() < 2) ? 1 : 2;

    const OAPreferenceClientRecord* remembered = currentRecord_;
    currentRecord_ = nullptr;
    currentClient_ = nullptr;
    const OAPreferenceClientRecord* toShow = remembered;
    if (viewStyle_ != 0) {
        std::stable_sort(clientRecords_.begin(), clientRecords_.end(),
                         [](const RecordPointer& a, const RecordPointer& b) { return a->compareOrdering(*b) < 0; });
        setupMultipleToolbar();
        if (!toShow && !clientRecords_.empty())
            toShow = clientRecords_.front().get();
    } else if (!toShow && !clientRecords_.empty()) {
        toShow = clientRecords_.back().get();
    }
    if (toShow) {
        setCurrentClientRecord(toShow);
    } else {
        resetWindowTitle();
        setContentSize(idealWidth_, globalControlsView_->frame().size.height);
    }
}

void OAPreferenceController::setupMultipleToolbar()
{
    pf::Window* window = this->window();
    if (!window)
        return;
    auto* toolbar = new OAPreferencesToolbar;
    auto* group = new QActionGroup(toolbar);
    // The overview (shown by other means) leaves no button selected.
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const RecordPointer& record : clientRecords_) {
        auto* action = new QAction(record->shortTitle(), group);
        action->setObjectName(record->identifier());
        action->setData(record->identifier());
        action->setCheckable(true);
        if (const pf::Image* icon = record->iconImage())
            action->setIcon(QIcon(QPixmap::fromImage(icon->bestBitmap(2))));
        const QString identifier = record->identifier();
        QObject::connect(action, &QAction::triggered, action, [this, identifier] { setCurrentClientFromToolbarItem(identifier); });
        toolbar->addAction(action);
    }
    toolbar_ = toolbar;
    toolbarGroup_ = group;
    window->setMenuBar(toolbar);
}

QToolBar* OAPreferenceController::preferencesToolbar() const
{
    return toolbar_;
}

double OAPreferenceController::toolbarHeight() const
{
    if (!toolbar_ || toolbar_->isHidden())
        return 0;
    return std::trunc(double(toolbar_->sizeHint().height()));
}

bool OAPreferenceController::isWindowVisible() const
{
    return windowWidget() && windowWidget()->isVisible();
}

void OAPreferenceController::setTitle(const QString& title)
{
    if (QWidget* widget = windowWidget())
        widget->setWindowTitle(title);
}

void OAPreferenceController::resetWindowTitle()
{
    QString name;
    if (viewStyle_ != 0 && currentClient_)
        name = currentClient_->title();
    if (name.isEmpty())
        name = processName();
    setTitle(preferenceFrameworkText("%@ Preferences").replace(QStringLiteral("%@"), name));
    // The toolbar shows the current pane's button selected; none while the overview shows.
    if (toolbarGroup_)
        for (QAction* action : toolbarGroup_->actions())
            action->setChecked(currentRecord_ && action->data().toString() == currentRecord_->identifier());
}

void OAPreferenceController::setContentSize(double width, double height)
{
    QWidget* widget = windowWidget();
    if (!widget)
        return;
    // Qt keeps a top-level widget's top-left corner as it resizes: the top edge stays.
    const QSize size(int(std::lround(width)), std::max(1, int(std::lround(height))));
    widget->setFixedSize(size);
    if (preferenceBox_) {
        const pf::Rect content(0, 0, width, height - toolbarHeight());
        preferenceBox_->setFrame(content);
    }
}

void OAPreferenceController::setCurrentClientRecord(const OAPreferenceClientRecord* record)
{
    if (record == currentRecord_ || !window())
        return;
    pf::Window* window = this->window();
    const bool visible = isWindowVisible();
    window->makeFirstResponder(nullptr);
    if (visible && currentClient_)
        currentClient_->resignCurrentPreferenceClient();

    currentRecord_ = record;
    currentClient_ = clientForRecord(record);
    resetWindowTitle();

    if (shownView_) {
        shownView_->removeFromSuperview();
        // The overview is the controller's; a pane's box is its pane's.
        if (shownView_ == showAllIconsView_)
            shownView_->setParent(preferenceBox_);
        shownView_->hide();
    }
    shownView_ = nullptr;
    if (visible && currentClient_)
        currentClient_->willBecomeCurrentPreferenceClient();

    pf::View* controlBox = currentClient_ ? currentClient_->controlBox() : nullptr;
    const pf::Size boxSize = controlBox ? controlBox->frame().size : pf::Size();
    const double globalHeight = globalControlsView_->frame().size.height;
    const double height = std::trunc(std::trunc(boxSize.height + globalHeight) + toolbarHeight());
    const double width = std::max(boxSize.width, double(idealWidth_));
    setContentSize(width, height);

    if (visible)
        validateRestoreDefaultsButton();
    if (currentClient_)
        currentClient_->updateUI();

    const double contentWidth = preferenceBox_->frame().size.width;
    pf::View::moveWidget(globalControlsView_, preferenceBox_);
    globalControlsView_->setFrame(pf::Rect(0, boxSize.height, contentWidth, globalHeight));
    globalControlsView_->show();
    if (controlBox) {
        const float x = std::floor(float((contentWidth - boxSize.width) * 0.5));
        preferenceBox_->addSubview(controlBox, pf::Rect(pf::Point(double(x), 0), boxSize));
        controlBox->show();
        shownView_ = controlBox;
    }

    if (currentClient_) {
        if (QWidget* first = currentClient_->initialFirstResponder()) {
            if (first->focusPolicy() != Qt::NoFocus)
                window->makeFirstResponder(first);
            else if (QWidget* next = first->nextInFocusChain(); next && next != first)
                window->makeFirstResponder(next);
        }
        if (QWidget* last = currentClient_->lastKeyView(); last && resetButton_)
            QWidget::setTabOrder(last, resetButton_);
    }

    if (visible && currentClient_)
        currentClient_->didBecomeCurrentPreferenceClient();
}

void OAPreferenceController::showPreferencesPanel()
{
    if (!window())
        return;
    QWidget* widget = windowWidget();
    const bool wasVisible = widget->isVisible();
    if (!wasVisible) {
        resetWindowTitle();
        if (currentClient_)
            currentClient_->willBecomeCurrentPreferenceClient();
    }
    validateRestoreDefaultsButton();
    if (currentClient_)
        currentClient_->updateUI();
    showWindow();
    widget->raise();
    widget->activateWindow();
    if (pf::Window* window = this->window())
        window->becomeKeyWindow();
    if (!wasVisible && currentClient_)
        currentClient_->didBecomeCurrentPreferenceClient();
}

void OAPreferenceController::validateRestoreDefaultsButton()
{
    if (resetButton_)
        resetButton_->hide();
}

void OAPreferenceController::showNextClient()
{
    const Records sorted = sortedClientRecords();
    if (sorted.empty())
        return;
    const auto it = std::find_if(sorted.begin(), sorted.end(), [this](const RecordPointer& r) { return r.get() == currentRecord_; });
    const bool wraps = it == sorted.end() || std::next(it) == sorted.end();
    setCurrentClientRecord(wraps ? sorted.front().get() : std::next(it)->get());
}

void OAPreferenceController::showPreviousClient()
{
    const Records sorted = sortedClientRecords();
    if (sorted.empty())
        return;
    const auto it = std::find_if(sorted.begin(), sorted.end(), [this](const RecordPointer& r) { return r.get() == currentRecord_; });
    const bool wraps = it == sorted.end() || it == sorted.begin();
    setCurrentClientRecord(wraps ? sorted.back().get() : std::prev(it)->get());
}

void OAPreferenceController::restoreDefaults(pf::ModifierFlags modifiers)
{
    const bool option = (modifiers & pf::OptionKeyMask) != 0;
    const bool shift = (modifiers & pf::ShiftKeyMask) != 0;
    if (!option) {
        if (currentClient_)
            currentClient_->restoreDefaults();
        return;
    }
    const QString process = processName();
    pf::Alert alert;
    if (shift) {
        alert.messageText = preferenceFrameworkText("Reset all preferences and other settings to their original values?");
        alert.informativeText = preferenceFrameworkText("Choosing Reset will restore all settings (including options not in this Preferences "
                                     "window, such as window sizes and toolbars) to the state they were in when %@ was "
                                     "first installed.")
                                    .replace(QStringLiteral("%@"), process);
    } else {
        alert.messageText = preferenceFrameworkText("Reset all preferences to their original values?");
        alert.informativeText = preferenceFrameworkText("Choosing Reset will restore all settings in all preference panes to the state they "
                                     "were in when %@ was first installed.")
                                    .replace(QStringLiteral("%@"), process);
    }
    alert.buttons = {preferenceFrameworkText("Reset"), preferenceFrameworkText("Cancel")};
    pf::beginAlertSheet(windowWidget(), alert, [this, shift](int button) { restoreDefaultsSheetDidEnd(button, shift); });
}

void OAPreferenceController::restoreDefaultsSheetDidEnd(int button, bool everything)
{
    if (button != 0)
        return;
    if (everything) {
        auto& store = pf::UserDefaultsStore::standard();
        store.removePersistentDomain();
        store.synchronize();
    } else {
        for (const RecordPointer& record : clientRecords_) {
            for (const auto& [key, value] : record->defaultsDictionary())
                OFPreference::preferenceForKey(key).restoreDefaultValue();
            for (const QString& key : record->defaultsArray())
                OFPreference::preferenceForKey(key).restoreDefaultValue();
        }
    }
    if (currentClient_)
        currentClient_->valuesHaveChanged();
}

void OAPreferenceController::saveFrame()
{
    // The outer frame's origin, which move() takes back.
    if (QWidget* widget = windowWidget()) {
        const pf::Rect frame(widget->x(), widget->y(), widget->width(), widget->height());
        pf::UserDefaultsStore::standard().setObjectForKey(pf::Value(pf::toString(frame)), frameKey());
    }
}

void OAPreferenceController::windowWillClose()
{
    // Taking the keyboard from the field being edited ends the edit, which stores it.
    if (pf::Window* window = this->window())
        window->makeFirstResponder(nullptr);
    if (currentClient_)
        currentClient_->resignCurrentPreferenceClient();
    saveFrame();
    OFPreferenceWrapper::sharedPreferenceWrapper().synchronize();
}

void OAPreferenceController::windowDidResignKey()
{
    if (pf::Window* window = this->window())
        window->makeFirstResponder(nullptr);
}

// ---- the overview ----

void OAPreferenceController::createShowAllItemsView()
{
    if (!window())
        return;
    delete showAllIconsView_.data();
    iconViews_.clear();
    const double boxWidth = preferenceBox_->frame().size.width;
    auto* overview = new pf::View(pf::Rect(0, 0, boxWidth, 12));

    // Laid out from the bottom up (the last category lowest), then turned into top-down frames.
    struct Placed {
        QWidget* widget;
        pf::Rect frame; // y from the bottom
    };
    std::vector<Placed> placed;
    const QStringList categories = categoryNames();
    double y = 12;
    double top = 12;
    for (qsizetype i = categories.size() - 1; i >= 0; --i) {
        const QString& category = categories[i];
        auto* grid = new OAPreferencesIconView(preferenceBox_->bounds());
        grid->setPreferenceController(this);
        std::vector<const OAPreferenceClientRecord*> records;
        for (const RecordPointer& record : categories_.at(category))
            records.push_back(record.get());
        grid->setPreferenceClientRecords(std::move(records));
        const double gridHeight = grid->frame().size.height;
        placed.push_back({grid, pf::Rect(0, y, boxWidth, gridHeight)});
        iconViews_.push_back(grid);
        const double yLabel = std::trunc(y + gridHeight);

        auto* label = new QLabel(localizedCategoryName(category));
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        const double labelHeight = label->sizeHint().height();
        placed.push_back({label, pf::Rect(12, yLabel + 4, boxWidth - 12, labelHeight)});
        const double yAbove = std::trunc(yLabel + labelHeight + 7);
        top = yAbove + 5;
        if (i != 0) {
            auto* separator = new QFrame;
            separator->setFrameShape(QFrame::HLine);
            separator->setFrameShadow(QFrame::Sunken);
            placed.push_back({separator, pf::Rect(15, yAbove + 4, boxWidth - 30, 1)});
            y = yAbove + 16;
        }
    }
    const double height = categories.isEmpty() ? 12 : top;
    overview->setFrameSize(pf::Size(boxWidth, height));
    for (const Placed& p : placed)
        overview->addSubview(p.widget, pf::Rect(p.frame.origin.x, height - p.frame.origin.y - p.frame.size.height,
                                                p.frame.size.width, p.frame.size.height));
    overview->setParent(preferenceBox_);
    overview->hide();
    showAllIconsView_ = overview;
}

void OAPreferenceController::showAllIcons()
{
    if (!window())
        return;
    if (!showAllIconsView_)
        createShowAllItemsView();
    if (shownView_ && shownView_ == showAllIconsView_)
        return;
    this->window()->makeFirstResponder(nullptr);
    currentRecord_ = nullptr;
    currentClient_ = nullptr;
    if (shownView_)
        shownView_->removeFromSuperview();
    shownView_ = nullptr;
    globalControlsView_->hide();
    resetWindowTitle();
    const double height = std::trunc(std::trunc(showAllIconsView_->frame().size.height) + toolbarHeight());
    setContentSize(idealWidth_, height);
    preferenceBox_->addSubview(showAllIconsView_, pf::Rect(pf::Point(), showAllIconsView_->frame().size));
    showAllIconsView_->show();
    shownView_ = showAllIconsView_;
}

bool OARevealSystemPreferencesPane(const QString&, const QString&)
{
    return false;
}
