// One grid of pane icons for the preferences overview: cells 82 points wide and 74 high, a 32-point icon
// above a two-line label, as many icons a row as the width holds (at least one), filled row by row. A click
// that is released on the icon it pressed shows that icon's pane; dragging the pointer more than 4 points
// from the press, or releasing outside the icon, does nothing.
#pragma once

#include "platform/kit/View.h"

#include <QPointer>

#include <cstddef>
#include <vector>

class OAPreferenceClientRecord;
class OAPreferenceController;

class OAPreferencesIconView : public pf::View {
public:
    static constexpr double cellWidth = 82;
    static constexpr double cellHeight = 74;
    static constexpr double iconSize = 32;
    static constexpr double labelHeight = 35;
    // The cells start this far from the left edge.
    static constexpr double leftMargin = 4;
    static constexpr std::size_t none = std::size_t(-1);

    explicit OAPreferencesIconView(const pf::Rect& frame, QWidget* parent = nullptr);

    void setPreferenceController(OAPreferenceController* controller);
    OAPreferenceController* preferenceController() const { return controller_; }
    // Sets the icons and fits the height to them.
    void setPreferenceClientRecords(std::vector<const OAPreferenceClientRecord*> records);
    const std::vector<const OAPreferenceClientRecord*>& preferenceClientRecords() const { return records_; }
    void setSelectedClientRecord(const OAPreferenceClientRecord* record);

    // Icons a row: the whole cells in the width, at least one.
    std::size_t iconsWide() const;
    // The cell of an icon in this view's points; the zero rect past the last icon.
    pf::Rect cellRect(std::size_t index) const;
    // The icon under a point, or none.
    std::size_t iconIndexAtPoint(pf::Point p) const;
    std::size_t pressedIconIndex() const { return pressed_; }

protected:
    void mouseDown(const pf::Event& e) override;
    void mouseDragged(const pf::Event& e) override;
    void mouseUp(const pf::Event& e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    void sizeToFit();
    void setPressed(std::size_t index);
    void endTracking();

    OAPreferenceController* controller_ = nullptr;
    std::vector<const OAPreferenceClientRecord*> records_;
    const OAPreferenceClientRecord* selected_ = nullptr;
    std::size_t pressed_ = none;
    // The icon being clicked while a press is tracked, and where the press was.
    std::size_t tracked_ = none;
    pf::Point pressPoint_;
};
