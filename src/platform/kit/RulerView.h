// The rulers along the top and the left of a scroll view, as a drawing program shows them: ticks of one
// measurement unit and its multiples and fractions, labels counted from an origin in the client view, the
// line that follows a dragged guide, and the mouse handed to the client view (which pulls guides out).
//
// Units are registered process-wide by name: points per unit (which may include a zoom scale, so one name
// per unit and zoom) and the cycles by which the tick levels step up and down from the unit. A ruler draws
// in its own coordinates: along the axis, location 0 is its own top or left edge.
#pragma once

#include "platform/foundation/Event.h"
#include "platform/foundation/Geometry.h"
#include "platform/kit/View.h"

#include <QPointer>
#include <QString>

#include <optional>
#include <vector>

namespace pf {

class RulerView;

// The view a ruler measures, told of the mouse in the ruler. A press starts tracking: the drags and the
// release of its button follow wherever the pointer goes (the ruler holds the mouse), with points in the
// client view's own coordinates. A release that never comes (the window lost the pointer) arrives as a
// release at the last point.
class RulerClient {
public:
    virtual ~RulerClient() = default;
    virtual void rulerViewHandleMouseDown(RulerView& ruler, const Event& event) = 0;
    virtual void rulerViewHandleMouseDragged(RulerView& ruler, const Event& event, const Point& clientPoint) = 0;
    virtual void rulerViewHandleMouseUp(RulerView& ruler, const Event& event, const Point& clientPoint) = 0;
};

struct RulerUnit {
    QString name;
    QString abbreviation;
    // Client-view points per unit.
    double pointsPerUnit = 1;
    // Factors from one tick level to the next coarser (each above 1) and the next finer (each below 1),
    // used in turn.
    std::vector<double> stepUpCycle;
    std::vector<double> stepDownCycle;
};

enum class RulerOrientation { Horizontal, Vertical };

class RulerView : public View {
public:
    // The unit used when none or an unknown one is named.
    static constexpr char DefaultUnitName[] = "Points";

    RulerView(RulerOrientation orientation, QWidget* parent = nullptr);
    ~RulerView() override;

    // ---- the unit registry (main thread) ----
    // Adds the unit, or replaces the one of that name. A factor that is not finite and positive, or a cycle
    // step on the wrong side of 1, registers nothing (logged). "Points", "Inches", "Centimeters" and "Picas"
    // exist from the start.
    static bool registerUnitWithName(const QString& name, const QString& abbreviation, double unitToPointsFactor,
                                     const std::vector<double>& stepUpCycle,
                                     const std::vector<double>& stepDownCycle);
    static std::optional<RulerUnit> unitNamed(const QString& name);

    // ---- state ----
    RulerOrientation orientation() const { return orientation_; }
    bool isHorizontal() const { return orientation_ == RulerOrientation::Horizontal; }
    // An unknown name keeps the ruler in points (logged).
    void setMeasurementUnits(const QString& name);
    const QString& measurementUnits() const { return unit_.name; }
    const RulerUnit& unit() const { return unit_; }
    // Where zero lies, in the client view's coordinates along the ruler's axis.
    void setOriginOffset(double offset);
    double originOffset() const { return originOffset_; }
    // The ruler's depth across its axis, in points.
    double ruleThickness() const { return ruleThickness_; }
    void setRuleThickness(double thickness);
    void setClientView(View* client);
    View* clientView() const { return client_; }

    // The line that follows a dragged guide, at a location in ruler coordinates; a negative location (as
    // the new one) removes it.
    void moveRulerlineFromLocation(double oldLocation, double newLocation);
    std::optional<double> rulerlineLocation() const { return rulerline_; }

    // ---- measurement ----
    // Ruler location <-> client-view coordinate along the axis.
    double clientCoordinateForLocation(double location) const;
    double locationForClientCoordinate(double coordinate) const;

    struct Tick {
        // The tick's left (top) edge on a whole device pixel, in ruler coordinates; one device pixel wide.
        double location = 0;
        double length = 0;
        // 0 the finest level drawn, up by one per coarser level.
        int level = 0;
    };
    struct Label {
        // The tick the label belongs to (ruler coordinates) and the extent its text takes along the axis.
        double location = 0;
        double start = 0;
        double end = 0;
        QString text;
    };
    struct Marks {
        std::vector<Tick> ticks;
        std::vector<Label> labels;
        // Client points between ticks of the finest level drawn, and between labels.
        double tickSpacing = 0;
        double labelSpacing = 0;
    };
    // Ticks at every level at least MinimumTickSpacing apart, labels at the finest level whose spacing
    // holds its widest label with room, for the ruler locations [from, to].
    Marks marksInRange(double from, double to, double devicePixelRatio) const;
    static constexpr double MinimumTickSpacing = 5.0;
    static constexpr double LabelRoom = 6.0;

protected:
    void drawRect(GraphicsContext& context, const Rect& dirtyRect) override;
    void mouseDown(const Event& e) override;
    void mouseDragged(const Event& e) override;
    void mouseUp(const Event& e) override;
    void rightMouseDown(const Event& e) override;
    void rightMouseDragged(const Event& e) override;
    void rightMouseUp(const Event& e) override;
    bool event(QEvent* e) override;

private:
    RulerClient* client() const;
    Point clientPoint(const Point& rulerPoint) const;
    void track(const Event& e, bool release);
    // A strip across the ruler at the location, for redisplay.
    Rect stripAt(double location) const;
    double along(const Point& p) const { return isHorizontal() ? p.x : p.y; }
    double length() const { return isHorizontal() ? frame().size.width : frame().size.height; }

    RulerOrientation orientation_;
    RulerUnit unit_;
    double originOffset_ = 0;
    double ruleThickness_ = 16.0;
    QPointer<View> client_;
    std::optional<double> rulerline_;
    // The press being tracked: its last event and point.
    std::optional<Event> tracking_;
};

} // namespace pf
