#include "shell/MetricsWindowController.h"

#include "model/UserDefaults.h"
#include "platform/foundation/Localized.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/TextField.h"
#include "platform/kit/View.h"
#include "platform/kit/ViewBuilders.h"
#include "shell/AnchorButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("MetricsWindowController", text);
}

// A pop-up that says when it is about to open (the presets menu is brought up to date then, and the
// resolution list remembers the size it started from).
class OpeningComboBox : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> willPopUp;

    void showPopup() override
    {
        if (willPopUp)
            willPopUp();
        QComboBox::showPopup();
    }
};

// Up and Down step a size field: that is typing a size, so the sheet hears of it before the step.
class StepKeyWatcher : public QObject {
public:
    StepKeyWatcher(QObject* parent, QObject* context, std::function<void()> willStep)
        : QObject(parent), context_(context), willStep_(std::move(willStep))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (context_ && event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Up || key == Qt::Key_Down)
                willStep_();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QPointer<QObject> context_;
    std::function<void()> willStep_;
};

// Same size as a preset: the same unit and the same width and height in it.
bool sameUnitSize(const Metrics& a, const Metrics& b)
{
    return a.unitType() == b.unitType() && a.unitWidth() == b.unitWidth() && a.unitHeight() == b.unitHeight();
}

// A copy of a preset that keeps the user's anchor (and, when keepResolution, the user's resolution with
// the size in points that gives the same size in the unit).
std::shared_ptr<Metrics> presetCopy(const Metrics& preset, const Metrics& user, bool keepResolution)
{
    auto copy = preset.copy();
    copy->setAnchorCorner(user.anchorCorner());
    copy->setAnchorSize(user.anchorSize());
    if (keepResolution && user.resolution() != preset.resolution()) {
        copy->setResolution(user.resolution());
        copy->setWidth(user.width());
        copy->setHeight(user.height());
    }
    return copy;
}

} // namespace

MetricsWindowController::MetricsWindowController() : QVSheetWindowController(QString::fromLatin1(NibName))
{
    changeAllPagesHidden_ = false;
    setAction(QStringLiteral("metricsSelected:"), [this](const pf::MenuItem* sender) { metricsSelected(sender); });
    setAction(QStringLiteral("anchorChanged:"), [this](const pf::MenuItem* sender) { anchorChanged(sender); });
}

MetricsWindowController::~MetricsWindowController() = default;

const std::vector<std::int64_t>& MetricsWindowController::resolutions()
{
    static const std::vector<std::int64_t> list{72, 144, 200, 300, 400, 600};
    return list;
}

// ---- fields ----

void MetricsWindowController::setChangeAllPages(bool all)
{
    changeAllPages_ = all;
    if (changeAllPagesCheckbox_ && changeAllPagesCheckbox_->isChecked() != all) {
        const QSignalBlocker quiet(changeAllPagesCheckbox_.data());
        changeAllPagesCheckbox_->setChecked(all);
    }
}

void MetricsWindowController::setChangeAllPagesHidden(bool hidden)
{
    changeAllPagesHidden_ = hidden;
    if (changeAllPagesCheckbox_)
        changeAllPagesCheckbox_->setVisible(!hidden);
}

const std::vector<std::shared_ptr<Metrics>>& MetricsWindowController::presetMetrics()
{
    if (!presetMetrics_) {
        std::vector<std::shared_ptr<Metrics>> presets;
        const pf::Value infos = UserDefaults::instance().presetMetricsInfos();
        if (infos.isArray())
            for (const pf::Value& info : infos.asArray())
                if (info.isDictionary())
                    presets.push_back(Metrics::fromPlist(info));
        presetMetrics_ = std::move(presets);
    }
    return *presetMetrics_;
}

void MetricsWindowController::setPresetMetrics(std::vector<std::shared_ptr<Metrics>> presets)
{
    presetMetrics_ = std::move(presets);
}

void MetricsWindowController::setSelectedMetrics(std::shared_ptr<Metrics> metrics)
{
    selectedMetrics_ = std::move(metrics);
    bindControls();
}

void MetricsWindowController::setSizeFields(pf::TextField* width, pf::TextField* height)
{
    widthField_ = width;
    heightField_ = height;
}

AnchorButton* MetricsWindowController::anchorButton(std::int64_t corner) const
{
    return corner >= 0 && corner < 9 ? anchorButtons_[std::size_t(corner)].data() : nullptr;
}

void MetricsWindowController::setAnchorButton(std::int64_t corner, AnchorButton* button)
{
    if (corner >= 0 && corner < 9)
        anchorButtons_[std::size_t(corner)] = button;
}

void MetricsWindowController::bindControls()
{
    for (pf::TextField* field : {widthField_.data(), heightField_.data()}) {
        if (!field)
            continue;
        const QString key = field == widthField_ ? QStringLiteral("unitWidthNumber") : QStringLiteral("unitHeightNumber");
        if (!selectedMetrics_) {
            field->unbindValue();
            field->clear();
            continue;
        }
        // What the user is typing stays, to be written into the new object when editing ends.
        const bool typing = field->isModified();
        const QString text = field->text();
        const int cursor = field->cursorPosition();
        field->bindValue(selectedMetrics_, key);
        if (typing) {
            field->setText(text);
            field->setCursorPosition(cursor);
            field->setModified(true);
        }
    }
    if (unitsPopUp_ && selectedMetrics_) {
        const QSignalBlocker quiet(unitsPopUp_.data());
        unitsPopUp_->setCurrentIndex(unitsPopUp_->findData(qlonglong(selectedMetrics_->unitType())));
    }
    if (resolutionComboBox_ && selectedMetrics_) {
        const QSignalBlocker quiet(resolutionComboBox_.data());
        resolutionComboBox_->setEditText(QString::number(selectedMetrics_->resolution()));
    }
}

// ---- the window ----

void MetricsWindowController::windowDidLoad()
{
    if (auto* box = dynamic_cast<OpeningComboBox*>(resolutionComboBox_.data()))
        box->willPopUp = [this] { comboBoxWillPopUp(); };
    if (auto* box = dynamic_cast<OpeningComboBox*>(presetsMenuView_.data()))
        box->willPopUp = [this] {
            updateMenu();
            menuWillOpen();
        };
    updateMenu();
    updateButtons();
    bindControls();
    setChangeAllPagesHidden(changeAllPagesHidden_);
    if (!resolutionEnabled()) {
        // The resolution row goes, and everything under it moves up into its place.
        if (resolutionComboBox_ && resolutionComboBox_->parentWidget())
            resolutionComboBox_->parentWidget()->hide();
        if (auto* bottom = dynamic_cast<pf::View*>(bottomContainerView_.data())) {
            pf::Rect frame = bottom->frame();
            frame.origin.y -= ResolutionRowHeight;
            bottom->setFrame(frame);
        }
        if (pf::View* content = contentView()) {
            pf::Rect frame = content->frame();
            frame.size.height -= ResolutionRowHeight;
            content->setFrame(frame);
            window()->resize(int(frame.width()), int(frame.height()));
        }
    }
}

// ---- actions ----

void MetricsWindowController::metricsSelected(const pf::MenuItem* sender)
{
    const auto& presets = presetMetrics();
    if (!sender || sender->tag() < 0 || std::size_t(sender->tag()) >= presets.size())
        return;
    const Metrics& preset = *presets[std::size_t(sender->tag())];
    // The user's anchor stays whatever size is chosen.
    setSelectedMetrics(selectedMetrics_ ? presetCopy(preset, *selectedMetrics_, false) : preset.copy());
    updateButtons();
}

void MetricsWindowController::anchorChanged(const pf::MenuItem* sender)
{
    if (!sender || !selectedMetrics_)
        return;
    selectedMetrics_->setAnchorCorner(sender->tag());
    updateButtons();
}

void MetricsWindowController::updateButtons()
{
    const std::int64_t corner = selectedMetrics_ ? selectedMetrics_->anchorCorner() : 0;
    for (const auto& button : anchorButtons_)
        if (button)
            button->setAnchorCorner(corner);
}

void MetricsWindowController::unitsChanged()
{
    if (selectedMetrics_)
        setSelectedMetrics(selectedMetrics_->copy());
}

void MetricsWindowController::comboBoxWillPopUp()
{
    priorMetrics_ = selectedMetrics_ ? selectedMetrics_->copy() : nullptr;
}

std::int64_t MetricsWindowController::comboBoxObjectValueForItemAtIndex(int index) const
{
    return index >= 0 && std::size_t(index) < resolutions().size() ? resolutions()[std::size_t(index)] : 0;
}

void MetricsWindowController::resolutionChanged()
{
    if (!selectedMetrics_)
        return;
    auto copy = selectedMetrics_->copy();
    // A named size is the same size at the new resolution; any other keeps its points.
    if (priorMetrics_ && priorMetrics_->isNamePreset()) {
        const double from = priorMetrics_->resolution();
        const double to = copy->resolution();
        copy->setWidth(Metrics::convertPointsFromResolutionToResolution(priorMetrics_->width(), from, to));
        copy->setHeight(Metrics::convertPointsFromResolutionToResolution(priorMetrics_->height(), from, to));
        copy->setResolution(to);
    }
    setSelectedMetrics(std::move(copy));
    updateButtons();
    priorMetrics_ = nullptr;
}

void MetricsWindowController::ok(std::int64_t tag)
{
    // A size still being typed counts.
    for (pf::TextField* field : {widthField_.data(), heightField_.data()})
        if (field)
            field->commitEditing();
    checkForMatchWithPresets();
    if (selectedMetrics_) {
        auto result = selectedMetrics_->copy();
        setSelectedMetrics(nullptr);
        setSelectedMetrics(result);
        UserDefaults::instance().setLastSelectedMetrics(result);
    }
    endSheet(int(tag));
}

void MetricsWindowController::cancel(std::int64_t tag)
{
    endSheet(int(tag));
}

// ---- presets menu ----

void MetricsWindowController::menuNeedsUpdate(pf::Menu& menu)
{
    menu.removeAllItems();
    std::int64_t group = 0;
    const auto& presets = presetMetrics();
    for (std::size_t i = 0; i < presets.size(); ++i) {
        const Metrics& preset = *presets[i];
        if (preset.group() != group) {
            group = preset.group();
            menu.addSeparator();
        }
        pf::MenuItem& item = menu.addItem(preset.isCustom() ? preset.name() : preset.displayString(),
                                          QStringLiteral("metricsSelected:"), this);
        item.setTag(std::int64_t(i));
        item.setRepresentedObject(pf::Variant(presets[i]));
        item.setState(pf::MenuItemState::Off);
    }
}

void MetricsWindowController::updateMenu()
{
    if (!presetsPopUpButton_)
        return;
    auto menu = presetsPopUpButton_->menu() ? presetsPopUpButton_->menu() : std::make_shared<pf::Menu>();
    menuNeedsUpdate(*menu);
    presetsPopUpButton_->setMenu(menu);
    updateSelectedMenuItem();
}

std::optional<std::size_t> MetricsWindowController::indexOfSelectedPreset()
{
    if (!selectedMetrics_)
        return std::nullopt;
    const auto& presets = presetMetrics();
    for (std::size_t i = 0; i < presets.size(); ++i) {
        const Metrics& preset = *presets[i];
        // A copy of the preset, whatever anchor (or resolution) the user gave it.
        if (preset.name() == selectedMetrics_->name() && preset.group() == selectedMetrics_->group()
            && sameUnitSize(preset, *selectedMetrics_))
            return i;
    }
    return std::nullopt;
}

void MetricsWindowController::updateSelectedMenuItem()
{
    if (!presetsPopUpButton_ || !presetsPopUpButton_->menu())
        return;
    const std::int64_t tag = std::int64_t(indexOfSelectedPreset().value_or(0));
    const std::shared_ptr<pf::Menu>& menu = presetsPopUpButton_->menu();
    for (int i = 0; i < menu->numberOfItems(); ++i)
        menu->itemAt(i).setState(pf::MenuItemState::Off);
    presetsPopUpButton_->selectItemWithTag(tag);
    presetsPopUpButton_->synchronizeTitleAndSelectedItem();
    if (const int index = presetsPopUpButton_->indexOfSelectedItem(); index >= 0)
        menu->itemAt(index).setState(pf::MenuItemState::On);
    syncPresetsMenuView();
}

void MetricsWindowController::syncPresetsMenuView()
{
    if (!presetsMenuView_ || !presetsPopUpButton_ || syncing_)
        return;
    syncing_ = true;
    const QSignalBlocker quiet(presetsMenuView_.data());
    presetsMenuView_->clear();
    // The shown pop-up lists the menu's items one for one, separators included.
    if (const auto& menu = presetsPopUpButton_->menu())
        for (const pf::MenuItem& item : menu->items()) {
            if (item.isSeparator())
                presetsMenuView_->insertSeparator(presetsMenuView_->count());
            else
                presetsMenuView_->addItem(item.title(), qlonglong(item.tag()));
        }
    presetsMenuView_->setCurrentIndex(presetsPopUpButton_->indexOfSelectedItem());
    syncing_ = false;
}

// ---- typing ----

void MetricsWindowController::controlTextDidChange()
{
    if (!selectedMetrics_)
        return;
    const Metrics& current = *selectedMetrics_;
    // Typing makes a custom size of the current values; with no presets there is no entry to start from.
    const auto& presets = presetMetrics();
    std::shared_ptr<Metrics> custom;
    if (presets.empty()) {
        custom = current.copy();
        custom->setName(pf::localized(QStringLiteral("Custom")));
    } else {
        custom = presets.front()->copy();
        custom->setResolution(current.resolution());
        custom->setUnitType(current.unitType());
        custom->setAnchorCorner(current.anchorCorner());
        custom->setAnchorSize(current.anchorSize());
        custom->setWidth(current.width());
        custom->setHeight(current.height());
    }
    setSelectedMetrics(std::move(custom));
    updateMenu();
}

void MetricsWindowController::controlTextDidEndEditing()
{
    checkForMatchWithPresets();
}

void MetricsWindowController::checkForMatchWithPresets()
{
    if (!selectedMetrics_)
        return;
    for (const auto& preset : presetMetrics())
        // The custom entry is no size of its own, whatever size it was stored with.
        if (!preset->isCustom() && sameUnitSize(*preset, *selectedMetrics_)) {
            // Already this preset (a copy of it): nothing to do.
            if (preset->name() == selectedMetrics_->name() && preset->group() == selectedMetrics_->group())
                break;
            setSelectedMetrics(presetCopy(*preset, *selectedMetrics_, true));
            updateMenu();
            return;
        }
}

// ---- the interface file ----

void MetricsWindowController::registerInterfaceFile()
{
    pf::registerViewBuilder(QString::fromLatin1(NibName), [](pf::Responder* owner) -> pf::View* {
        auto* controller = dynamic_cast<MetricsWindowController*>(owner);
        constexpr double width = 380;
        auto* content = new pf::View(pf::Rect(0, 0, width, 270));
        content->setAutoFillBackground(true);
        const auto label = [](QWidget* parent, const QString& text, const pf::Rect& frame) {
            auto* l = new QLabel(text, parent);
            l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            l->setGeometry(frame.toQt().toRect());
            return l;
        };

        // Presets: the menu as data (hidden) and the pop-up that shows it.
        label(content, tr("Size:"), pf::Rect(10, 20, 90, 24));
        auto* presets = new pf::PopUpButton(pf::Rect(0, 0, 10, 10), content);
        presets->hide();
        auto* presetsView = new OpeningComboBox(content);
        presetsView->setGeometry(108, 20, 250, 24);

        // Width, height and unit.
        label(content, tr("Width:"), pf::Rect(10, 56, 90, 24));
        auto* widthField = new pf::TextField(content);
        widthField->setGeometry(108, 56, 80, 24);
        label(content, tr("Height:"), pf::Rect(10, 88, 90, 24));
        auto* heightField = new pf::TextField(content);
        heightField->setGeometry(108, 88, 80, 24);
        auto formatter = std::make_shared<pf::NumberFormatter>();
        for (pf::TextField* field : {widthField, heightField}) {
            field->setTag(pf::IncrementFieldEditor::Tag);
            field->setFormatter(formatter);
            field->setAlignment(Qt::AlignRight);
        }
        auto* units = new QComboBox(content);
        units->setGeometry(200, 72, 158, 24);
        for (unsigned unit : {unsigned(Metrics::Points), unsigned(Metrics::Inches), unsigned(Metrics::Centimeters)})
            units->addItem(Metrics::unitNameForUnitType(unit), qlonglong(unit));

        // The resolution row.
        auto* resolutionRow = new QWidget(content);
        resolutionRow->setGeometry(0, 120, int(width), int(ResolutionRowHeight));
        label(resolutionRow, tr("Resolution:"), pf::Rect(10, 3, 90, 24));
        auto* resolution = new OpeningComboBox(resolutionRow);
        resolution->setEditable(true);
        resolution->setGeometry(108, 3, 80, 24);
        for (std::int64_t value : resolutions())
            resolution->addItem(QString::number(value), qlonglong(value));

        // Below: the anchor grid, change all pages, Cancel and OK.
        auto* bottom = new pf::View(pf::Rect(0, 120 + ResolutionRowHeight, width, 270 - 120 - ResolutionRowHeight), content);
        label(bottom, tr("Anchor:"), pf::Rect(10, 4, 90, 24));
        std::array<AnchorButton*, 9> anchors{};
        for (int corner = 0; corner < 9; ++corner) {
            const pf::Rect frame(108 + 24 * (corner % 3), 4 + 24 * (corner / 3), 24, 24);
            auto* button = new AnchorButton(frame, bottom);
            button->setTag(corner);
            anchors[std::size_t(corner)] = button;
        }
        auto* all = new QCheckBox(tr("Change all pages"), bottom);
        all->setGeometry(200, 28, 170, 24);
        auto* cancel = new QPushButton(tr("Cancel"), bottom);
        cancel->setGeometry(int(width) - 200, 84, 90, 28);
        auto* ok = new QPushButton(tr("OK"), bottom);
        ok->setGeometry(int(width) - 100, 84, 90, 28);
        // Made before the dialog holds them, the buttons cannot name the dialog's default: it takes the
        // first button that may be one when shown, and Return must mean OK, never Cancel.
        cancel->setAutoDefault(false);
        ok->setAutoDefault(true);
        ok->setDefault(true);

        if (!controller)
            return content;
        controller->setPresetsPopUpButton(presets);
        controller->setPresetsMenuView(presetsView);
        controller->setSizeFields(widthField, heightField);
        controller->setUnitsPopUp(units);
        controller->setResolutionComboBox(resolution);
        controller->setBottomContainerView(bottom);
        controller->setChangeAllPagesCheckbox(all);
        presets->setAction(QStringLiteral("metricsSelected:"), controller);
        for (int corner = 0; corner < 9; ++corner) {
            controller->setAnchorButton(corner, anchors[std::size_t(corner)]);
            anchors[std::size_t(corner)]->setAction(QStringLiteral("anchorChanged:"), controller);
        }
        // The dialog's widgets may outlive the controller by a turn: its connections end with it.
        QObject* context = controller->connectionContext();
        QObject::connect(presetsView, QOverload<int>::of(&QComboBox::activated), context,
                         [controller, presets](int index) { presets->chooseItemAtIndex(index); controller->updateMenu(); });
        QObject::connect(units, QOverload<int>::of(&QComboBox::activated), context, [controller, units](int index) {
            if (const auto& metrics = controller->selectedMetrics())
                metrics->setUnitType(unsigned(units->itemData(index).toLongLong()));
            controller->unitsChanged();
        });
        const auto takeResolution = [controller, resolution] {
            bool valid = false;
            const double value = resolution->currentText().trimmed().toDouble(&valid);
            const auto& metrics = controller->selectedMetrics();
            if (!metrics || !valid || !(value > 0) || value == metrics->resolution())
                return;
            metrics->setResolution(value);
            controller->resolutionChanged();
        };
        QObject::connect(resolution, QOverload<int>::of(&QComboBox::activated), context, takeResolution);
        for (pf::TextField* field : {widthField, heightField}) {
            QObject::connect(field, &QLineEdit::textEdited, context, [controller] { controller->controlTextDidChange(); });
            QObject::connect(field, &QLineEdit::editingFinished, context,
                             [controller] { controller->controlTextDidEndEditing(); });
            field->installEventFilter(
                new StepKeyWatcher(field, context, [controller] { controller->controlTextDidChange(); }));
        }
        QObject::connect(all, &QCheckBox::toggled, context, [controller](bool on) { controller->setChangeAllPages(on); });
        QObject::connect(cancel, &QPushButton::clicked, context, [controller] { controller->cancel(0); });
        QObject::connect(ok, &QPushButton::clicked, context, [controller] { controller->ok(1); });
        return content;
    });
}
