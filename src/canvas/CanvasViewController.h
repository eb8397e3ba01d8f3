// The controller of a document window's canvas: it owns the view (a scroll view with both rulers and the
// canvas as its document view), is the delegate of the page the window shows, names the rulers' unit for
// the page's unit, resolution and zoom, follows the visibility preferences, and refreshes the inspector,
// the outline and the tab's thumbnail.
//
// The window controller makes one per window, hands it the selected tab's page (`setComposition`), gives
// the canvas the same page and makes the controller the page's delegate. Main thread only.
#pragma once

#include "canvas/CanvasServices.h"
#include "model/CompositionDelegate.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/NotificationCenter.h"

#include <QPointer>
#include <QString>

#include <memory>
#include <vector>

class Canvas;
class Composition;

namespace pf {
class RulerView;
class ScrollView;
}

class CanvasViewController : public CompositionDelegate {
public:
    // The name its view's builder is known by.
    static constexpr char NibName[] = "CanvasViewController";
    // Visibility notices of the preferences (any sender).
    static constexpr char SelectionHandlesVisibilityDidChangeNotification[] =
        "SelectionHandlesVisibilityDidChangeNotification";
    static constexpr char RotationHandlesVisibilityDidChangeNotification[] =
        "RotationHandlesVisibilityDidChangeNotification";
    static constexpr char RulerVisibilityDidChangeNotification[] = "RulerVisibilityDidChangeNotification";
    static constexpr char GridVisibilityDidChangeNotification[] = "GridVisibilityDidChangeNotification";
    static constexpr char GuidesVisibilityDidChangeNotification[] = "GuidesVisibilityDidChangeNotification";
    // The picture chooser's delay after an image shape without its picture is added, or, for a shape a
    // tool draws, after the tool is done with it.
    static constexpr double ImageChooserDelay = 0.35;

    // Builds the view: a scroll view, both rulers made (shown by the preference), a canvas as its document
    // view.
    static pf::ScrollView* makeView(QWidget* parent = nullptr);

    // Builds its view and starts observing the visibility and page notices (once, for its life).
    CanvasViewController();
    // Cancels its deferred calls, stops observing, stops being its page's delegate and deletes its view
    // (unless something else already did).
    ~CanvasViewController() override;
    CanvasViewController(const CanvasViewController&) = delete;
    CanvasViewController& operator=(const CanvasViewController&) = delete;

    // ---- fields ----
    pf::ScrollView* view() const { return scrollView_; }
    pf::ScrollView* canvasScrollView() const { return scrollView_; }
    Canvas* canvas() const { return canvas_; }
    const std::shared_ptr<Composition>& composition() const { return composition_; }
    // Sets the rulers up for the page and names its unit; nothing when it is the page already.
    void setComposition(const std::shared_ptr<Composition>& page);
    InspectorPalette* inspectorViewController() const { return inspector_; }
    void setInspectorViewController(InspectorPalette* inspector) { inspector_ = inspector; }
    OutlinePalette* outlineViewController() const { return outline_; }
    void setOutlineViewController(OutlinePalette* outline) { outline_ = outline; }
    // The window controller (also the canvas's window); null without one.
    CanvasWindow* canvasWindowController() const { return window_; }
    void setCanvasWindowController(CanvasWindow* window);
    // The window controller's document; null without one.
    CanvasDocument* document() const;
    bool needsTabThumbnailUpdate() const { return needsTabThumbnailUpdate_; }

    // ---- rulers ----
    // The rulers' unit names: one per unit ("Points", "Inches", "Centimeters", "Steps"), zoom step and
    // resolution, as "Points-2@72" (code -2), "Points@72" (code 0), "Centimeters10@300".
    static QString rulerUnitName(unsigned unitType, int zoomCode, double resolution);
    // Registers the 60 units for a resolution given for sizes of resolutionUnit (each unit named and
    // measured by the resolution in its own measure), and bare "Steps".
    static void registerRulerUnits(double resolution, unsigned resolutionUnit);
    // Registers the units for the page's resolution, turns both rulers on for the canvas in the page's bare
    // unit, and shows them as the preference says.
    void setUpRulerViews();
    virtual void updateRulerVisibility();
    // Names the unit for the page's unit, zoom and resolution on both rulers.
    virtual void updateRulers();

    // ---- palettes and thumbnail ----
    void updatePalettes();
    void updateInspector();
    void updateOutline();
    // Asks for one thumbnail refresh on the next turn, however often asked before then.
    void setNeedsTabThumbnailUpdate();
    void updateTabThumbnailConditionally();
    void updateTabThumbnail();

    // ---- CompositionDelegate ----
    pf::UndoManager* undoManagerForComposition(Composition& page) override;
    pf::Rect visibleRectForComposition(Composition& page) override;
    pf::Rect canvasFrameForComposition(Composition& page) override;
    pf::Rect canvasBoundsForComposition(Composition& page) override;
    void compositionDidMoveUserGuideFromToIsVertical(Composition& page, const pf::Point& from, const pf::Point& to,
                                                     bool vertical) override;
    std::int64_t activeHandleIndexForComposition(Composition& page) override;
    void compositionTitleDidChange(Composition& page) override;
    void compositionWantsSelectNone(Composition& page) override;
    void compositionSelectionWillChange(Composition& page) override;
    void compositionSelectionDidChange(Composition& page) override;
    void compositionWasEditedInRectUpdatePalettes(Composition& page, const pf::Rect& rect,
                                                  bool updatePalettes) override;
    void compositionDidAddShape(Composition& page, const std::shared_ptr<Shape>& shape) override;
    void compositionChangeDone(Composition& page) override;
    bool isCompositionConnectionFlashOn(Composition& page) override;
    pf::Image compositionImageForIdentifier(Composition& page, const QString& identifier) override;
    void compositionIncrementRefCountForImageIdentifier(Composition& page, const QString& identifier) override;
    void compositionDecrementRefCountForImageIdentifier(Composition& page, const QString& identifier) override;
    void disableSuddenTermination(Composition& page) override;
    void enableSuddenTermination(Composition& page) override;
    std::size_t indexOfComposition(Composition& page) override;
    void closeComposition(Composition& page) override;
    pf::Variant documentSpecifierForComposition(Composition& page) override;
    QString titleForComposition(Composition& page) override;

private:
    bool isOwnPage(const pf::Notification& n) const;
    void observe(const char* name, void (CanvasViewController::*handler)(const pf::Notification&));
    void handlesVisibilityDidChange(const pf::Notification& n);
    void rulerVisibilityDidChange(const pf::Notification& n);
    void gridVisibilityDidChange(const pf::Notification& n);
    void guidesVisibilityDidChange(const pf::Notification& n);
    void compositionZoomScaleDidChange(const pf::Notification& n);
    void compositionMetricsUnitTypeDidChange(const pf::Notification& n);
    void canvasToolDidEnd(const pf::Notification& n);
    void askForPictureLater();

    QPointer<pf::ScrollView> scrollView_;
    QPointer<Canvas> canvas_;
    std::shared_ptr<Composition> composition_;
    InspectorPalette* inspector_ = nullptr;
    OutlinePalette* outline_ = nullptr;
    CanvasWindow* window_ = nullptr;
    bool needsTabThumbnailUpdate_ = false;
    // A shape without its picture was added by the running tool: the chooser waits for the tool's end.
    bool pictureAwaitsToolEnd_ = false;
    std::vector<pf::NotificationToken> observers_;
    pf::DelayedCallOwner delayed_;
};
