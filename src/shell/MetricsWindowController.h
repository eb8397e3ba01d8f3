// The page-size sheet: a menu of preset sizes grouped by kind, width and height in the chosen unit, a
// resolution list (not offered: the sheet is laid out without it), a grid of nine anchor buttons that
// says which part of the page stays put, and "change all pages". The window controller opens it with a
// copy of the page's metrics and applies selectedMetrics when it ends with OK (return code 1).
//
// selectedMetrics is always the sheet's own object, never a preset: choosing or matching a preset takes
// a copy, so editing afterwards changes no preset and the user's anchor and resolution stay.
#pragma once

#include "model/Metrics.h"
#include "platform/kit/Menu.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/TextField.h"
#include "shell/AnchorButton.h"
#include "shell/QVSheetWindowController.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPointer>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class MetricsWindowController : public QVSheetWindowController {
public:
    static constexpr char NibName[] = "MetricsWindowController";
    // The height of the resolution row, left out while resolutions are not offered.
    static constexpr double ResolutionRowHeight = 31;

    MetricsWindowController();
    ~MetricsWindowController() override;

    // Registers the sheet's interface file ("MetricsWindowController").
    static void registerInterfaceFile();
    // 72, 144, 200, 300, 400, 600.
    static const std::vector<std::int64_t>& resolutions();

    void windowDidLoad() override;
    bool resolutionEnabled() const { return false; }

    // ---- fields ----
    bool changeAllPages() const { return changeAllPages_; }
    void setChangeAllPages(bool all);
    bool changeAllPagesHidden() const { return changeAllPagesHidden_; }
    void setChangeAllPagesHidden(bool hidden);
    // The presets from the settings, made on first use.
    const std::vector<std::shared_ptr<Metrics>>& presetMetrics();
    void setPresetMetrics(std::vector<std::shared_ptr<Metrics>> presets);
    const std::shared_ptr<Metrics>& selectedMetrics() const { return selectedMetrics_; }
    // The size fields and the units follow the new object.
    void setSelectedMetrics(std::shared_ptr<Metrics> metrics);
    const std::shared_ptr<Metrics>& priorMetrics() const { return priorMetrics_; }

    // Outlets.
    pf::PopUpButton* presetsPopUpButton() const { return presetsPopUpButton_; }
    void setPresetsPopUpButton(pf::PopUpButton* button) { presetsPopUpButton_ = button; }
    QComboBox* presetsMenuView() const { return presetsMenuView_; }
    void setPresetsMenuView(QComboBox* view) { presetsMenuView_ = view; }
    QComboBox* resolutionComboBox() const { return resolutionComboBox_; }
    void setResolutionComboBox(QComboBox* box) { resolutionComboBox_ = box; }
    QComboBox* unitsPopUp() const { return unitsPopUp_; }
    void setUnitsPopUp(QComboBox* box) { unitsPopUp_ = box; }
    QWidget* bottomContainerView() const { return bottomContainerView_; }
    void setBottomContainerView(QWidget* view) { bottomContainerView_ = view; }
    pf::TextField* widthField() const { return widthField_; }
    pf::TextField* heightField() const { return heightField_; }
    void setSizeFields(pf::TextField* width, pf::TextField* height);
    QCheckBox* changeAllPagesCheckbox() const { return changeAllPagesCheckbox_; }
    void setChangeAllPagesCheckbox(QCheckBox* box) { changeAllPagesCheckbox_ = box; }
    // The anchor button at a grid place (0–8); null when not connected.
    AnchorButton* anchorButton(std::int64_t corner) const;
    void setAnchorButton(std::int64_t corner, AnchorButton* button);

    // ---- actions ----
    void metricsSelected(const pf::MenuItem* sender);
    void resolutionChanged();
    void unitsChanged();
    void anchorChanged(const pf::MenuItem* sender);
    void ok(std::int64_t tag);
    void cancel(std::int64_t tag);

    // ---- presets menu ----
    // The presets as items (tag: the preset's index), a separator wherever the group changes.
    void menuNeedsUpdate(pf::Menu& menu);
    void menuWillOpen() { updateSelectedMenuItem(); }
    void updateMenu();
    void updateSelectedMenuItem();
    // The index of the preset that the selected metrics are (a copy of); none when there is none.
    std::optional<std::size_t> indexOfSelectedPreset();

    // ---- resolution list ----
    int numberOfItemsInComboBox() const { return int(resolutions().size()); }
    std::int64_t comboBoxObjectValueForItemAtIndex(int index) const;
    void comboBoxWillPopUp();

    // ---- typing ----
    void controlTextDidChange();
    void controlTextDidEndEditing();
    void updateButtons();
    void checkForMatchWithPresets();

private:
    // Shows the selected metrics in the fields and the units; a field being typed in keeps its text.
    void bindControls();
    void syncPresetsMenuView();

    bool changeAllPages_ = false;
    bool changeAllPagesHidden_ = false;
    bool syncing_ = false;
    QPointer<pf::PopUpButton> presetsPopUpButton_;
    QPointer<QComboBox> presetsMenuView_;
    QPointer<QComboBox> resolutionComboBox_;
    QPointer<QComboBox> unitsPopUp_;
    QPointer<QWidget> bottomContainerView_;
    QPointer<pf::TextField> widthField_;
    QPointer<pf::TextField> heightField_;
    QPointer<QCheckBox> changeAllPagesCheckbox_;
    std::array<QPointer<AnchorButton>, 9> anchorButtons_;
    std::optional<std::vector<std::shared_ptr<Metrics>>> presetMetrics_;
    std::shared_ptr<Metrics> selectedMetrics_;
    std::shared_ptr<Metrics> priorMetrics_;
};
