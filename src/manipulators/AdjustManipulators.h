// The selection classes that the shape kinds name for themselves: the kinds with adjustment ratios turn a drag
// of the adjustment handle into new ratios, the others only change what the selection allows.
//
// A ratio kind is one data row: for each of its two ratios a measure of the un-rotated pointer against the
// un-rotated frame and the number of Shift steps in 0..1. One routine serves them all (RatioManipulator).
#pragma once

#include "manipulators/Manipulator.h"

class TitleBox;

// One adjustment ratio: what the pointer measures on the frame, and Shift's steps per unit.
struct AdjustMeasure {
    // The un-clamped ratio of the un-rotated point p on the frame; null: the kind has no such ratio.
    double (*measure)(const pf::Point& p, const pf::Rect& frame) = nullptr;
    double steps = 10;
};

struct AdjustRow {
    const char* className;
    AdjustMeasure x; // "adjustmentRatioX"
    AdjustMeasure y; // "adjustmentRatioY"
};

// A selection whose adjustment handle writes ratios measured as its row says.
class RatioManipulator : public Manipulator {
public:
    // Written through the selection, X first; each ratio kept to 0..1 before Shift's step; a measure that
    // is not finite (a frame without width or height) writes nothing.
    void mouseDragAdjustEventAtPoint(const pf::Event& event, const pf::Point& point) override;
    void drawAdjustmentHandlesInContext(pf::GraphicsContext& context, const HandleOverlay& overlay) const override;
    virtual const AdjustRow& row() const = 0;
    // The point turned back by the selection's angle about its frame's centre.
    pf::Point unrotatedPoint(const pf::Point& point, const pf::Rect& frame) const;
};

// A ratio selection class for one row, registered under the row's name.
template <const AdjustRow& Row, class Base = RatioManipulator>
class RowManipulator : public Base {
public:
    static const ManipulatorClass& staticClass()
    {
        static const ManipulatorClass c(QString::fromLatin1(Row.className), &Manipulator::staticClass(),
                                        &Shape::allocate<RowManipulator>);
        return c;
    }
    const pf::ClassObject& classObject() const override { return staticClass(); }
    const AdjustRow& row() const override { return Row; }
};

extern const AdjustRow roundRectRow, parallelogramRow, titleBoxRow, pieRow, diamondRow, uiControlRow, inputRow,
    starRow, cylinderRow, arrowRow, boxRow, folderRow;

using RoundRectManipulator = RowManipulator<roundRectRow>;
using ParallelogramManipulator = RowManipulator<parallelogramRow>;
using PieManipulator = RowManipulator<pieRow>;
using DiamondManipulator = RowManipulator<diamondRow>;
using InputManipulator = RowManipulator<inputRow>;
using StarManipulator = RowManipulator<starRow>;
using CylinderManipulator = RowManipulator<cylinderRow>;
using ArrowManipulator = RowManipulator<arrowRow>;
using BoxManipulator = RowManipulator<boxRow>;
using FolderManipulator = RowManipulator<folderRow>;

// Title boxes: not turned; a double click edits the compartment under it.
class TitleBoxManipulatorBase : public RatioManipulator {
public:
    bool allowsRotation() const override { return false; }
    pf::Rect rotationHandle() const override { return {}; }
    // The single title box's, else the plain answer.
    pf::TextAlignment editTextAlign() const override;
    // With a single child: the body when the point lies in its body box, else the title; always consumed.
    bool doubleClickedAtPoint(const pf::Point& point) override;

private:
    TitleBox* singleTitleBox() const;
};
using TitleBoxManipulator = RowManipulator<titleBoxRow, TitleBoxManipulatorBase>;

// Phone controls: resize handles only along the axes the control may grow, no rotation and no connection;
// a fixed width or height survives any resize. The adjustment handle is there only for kinds with rounded
// corners (UIButtonManipulator).
class UIControlManipulator : public RatioManipulator {
public:
    static const ManipulatorClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    const AdjustRow& row() const override { return uiControlRow; }

    virtual bool hasRoundedCorners() const { return false; }
    bool allowsConnection() const override { return false; }
    bool allowsSizeToFitText() const override { return false; }
    pf::Rect adjustHandle() const override;
    void drawAdjustmentHandlesInContext(pf::GraphicsContext& context, const HandleOverlay& overlay) const override;
    pf::Rect topLefHandle() const override;
    pf::Rect topMidHandle() const override;
    pf::Rect topRitHandle() const override;
    pf::Rect midLefHandle() const override;
    pf::Rect midMidHandle() const override { return {}; }
    pf::Rect midRitHandle() const override;
    pf::Rect botLefHandle() const override;
    pf::Rect botMidHandle() const override;
    pf::Rect botRitHandle() const override;
    pf::Rect rotationHandle() const override { return {}; }
    pf::Rect connectionHandle() const override { return {}; }
    // Yes with several children; else the single control's answer.
    bool isHorizontallyFlexible() const;
    bool isVerticallyFlexible() const;
    // A single control's non-zero fixed width and height replace the new ones.
    void setFrame(const pf::Rect& frame) override;
    // "controlItems" and "highlightBorderEnabled" are the first control's: the item editor edits one
    // control's items, never a blend of several. Other keys go through the proxy.
    pf::Variant valueForKeyPath(const QString& keyPath) const override;
    void setValueForKeyPath(const pf::Variant& value, const QString& keyPath) override;
};

// The other control families add nothing but the button's rounded corners.
template <const char* Name, bool Rounded = false>
class UIControlManipulatorOf : public UIControlManipulator {
public:
    static const ManipulatorClass& staticClass()
    {
        static const ManipulatorClass c(QString::fromLatin1(Name), &UIControlManipulator::staticClass(),
                                        &Shape::allocate<UIControlManipulatorOf>);
        return c;
    }
    const pf::ClassObject& classObject() const override { return staticClass(); }
    bool hasRoundedCorners() const override { return Rounded; }
};
inline constexpr char uiButtonManipulatorName[] = "UIButtonManipulator";
inline constexpr char uiSegmentedControlManipulatorName[] = "UISegmentedControlManipulator";
inline constexpr char uiToolbarManipulatorName[] = "UIToolbarManipulator";
inline constexpr char uiAlertDialogManipulatorName[] = "UIAlertDialogManipulator";
using UIButtonManipulator = UIControlManipulatorOf<uiButtonManipulatorName, true>;
using UISegmentedControlManipulator = UIControlManipulatorOf<uiSegmentedControlManipulatorName>;
using UIToolbarManipulator = UIControlManipulatorOf<uiToolbarManipulatorName>;
using UIAlertDialogManipulator = UIControlManipulatorOf<uiAlertDialogManipulatorName>;

// Callouts: the handle is the tail's tip itself, written as a whole page point into the two ratios.
class CalloutManipulator : public Manipulator {
public:
    static const ManipulatorClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    void mouseDragAdjustEventAtPoint(const pf::Event& event, const pf::Point& point) override;
    void drawAdjustmentHandlesInContext(pf::GraphicsContext& context, const HandleOverlay& overlay) const override;
    // The tail may reach far outside the frame.
    pf::Rect calcDirtyRect() const override;
};

// Loupes: the magnified spot is a target handle (4) of 24 page points at every zoom, dragged unrounded
// and unsnapped; no rotation, no connection.
class LoupeManipulator : public CalloutManipulator {
public:
    static const ManipulatorClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    static constexpr double targetSide = 24.0;

    bool allowsRotation() const override { return false; }
    bool allowsConnection() const override { return false; }
    pf::Rect rotationHandle() const override { return {}; }
    pf::Rect midMidHandle() const override;
    void drawAdjustmentHandlesInContext(pf::GraphicsContext& context, const HandleOverlay& overlay) const override;
    void mouseDragAdjust1EventAtPoint(const pf::Event& event, const pf::Point& point) override;
    pf::Rect calcDirtyRect() const override;
};

// Resizable text keeps its aspect ratio whatever it is told, and hides its handles while it is edited.
class ResizeTextManipulator : public Manipulator {
public:
    static const ManipulatorClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    bool constrainsAspectRatio() const override { return true; }
    void setValueForKeyPath(const pf::Variant& value, const QString& keyPath) override;
    bool showsSelectionHandles() const override;
};

// Redactions neither turn nor connect; groups and brackets do not connect.
class RedactManipulator : public Manipulator {
public:
    static const ManipulatorClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    bool allowsConnection() const override { return false; }
    bool allowsRotation() const override { return false; }
};

class GroupManipulator : public Manipulator {
public:
    static const ManipulatorClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    bool allowsConnection() const override { return false; }
};

void registerAdjustManipulatorClasses(pf::ClassRegistry& registry);
