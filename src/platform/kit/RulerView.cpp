#include "platform/kit/RulerView.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/Services.h"
#include "platform/text/AttributedString.h"
#include "platform/text/Font.h"
#include "platform/text/StringDrawing.h"

#include <QEvent>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>

namespace pf {

namespace {

std::map<QString, RulerUnit>& registry()
{
    static std::map<QString, RulerUnit> units = [] {
        std::map<QString, RulerUnit> u;
        const auto add = [&u](const char* name, const char* abbreviation, double factor, std::vector<double> up,
                              std::vector<double> down) {
            u[QString::fromLatin1(name)] =
                RulerUnit{QString::fromLatin1(name), QString::fromLatin1(abbreviation), factor, std::move(up),
                          std::move(down)};
        };
        add("Points", "pt", 1.0, {10.0}, {0.5});
        add("Inches", "in", 72.0, {2.0}, {0.5});
        add("Centimeters", "cm", 28.35, {2.0}, {0.5, 0.2});
        add("Picas", "pc", 12.0, {10.0}, {0.5});
        return u;
    }();
    return units;
}

bool validCycle(const std::vector<double>& cycle, bool up)
{
    return std::all_of(cycle.begin(), cycle.end(), [up](double f) {
        return std::isfinite(f) && (up ? f > 1.0 : f > 0.0 && f < 1.0);
    });
}

const TextAttributes& labelAttributes()
{
    static const TextAttributes attributes = [] {
        TextAttributes a;
        a.font = Font::systemFont(9.0);
        a.foregroundColor = Color(0.25, 0.25, 0.25, 1.0);
        return a;
    }();
    return attributes;
}

double labelWidth(const QString& text)
{
    // Labels repeat from frame to frame: their widths are kept.
    static std::map<QString, double> widths;
    const auto found = widths.find(text);
    if (found != widths.end())
        return found->second;
    const double w = sizeOfAttributedString(AttributedString(text, labelAttributes())).width;
    if (widths.size() > 4096)
        widths.clear();
    return widths[text] = w;
}

// The fewest decimals (up to 6) that write multiples of the step exactly.
int decimalsFor(double step)
{
    for (int d = 0; d < 6; ++d) {
        const double scaled = step * std::pow(10.0, d);
        if (std::fabs(scaled - std::round(scaled)) <= 1e-9 * std::max(1.0, std::fabs(scaled)))
            return d;
    }
    return 6;
}

QString labelText(double value, int decimals)
{
    QString text = QString::number(value, 'f', decimals);
    if (std::round(value * std::pow(10.0, decimals)) == 0)
        text = QString::number(0.0, 'f', decimals);
    return text;
}

constexpr int MaximumLevels = 64;

} // namespace

RulerView::RulerView(RulerOrientation orientation, QWidget* parent) : View(parent), orientation_(orientation)
{
    unit_ = registry().at(QString::fromLatin1(DefaultUnitName));
}

RulerView::~RulerView() = default;

bool RulerView::registerUnitWithName(const QString& name, const QString& abbreviation, double unitToPointsFactor,
                                     const std::vector<double>& stepUpCycle,
                                     const std::vector<double>& stepDownCycle)
{
    if (name.isEmpty() || !std::isfinite(unitToPointsFactor) || unitToPointsFactor <= 0
        || !validCycle(stepUpCycle, true) || !validCycle(stepDownCycle, false)) {
        logMessage(QStringLiteral("Ruler unit \"%1\" not registered: its factor or cycles are unusable").arg(name));
        return false;
    }
    registry()[name] = RulerUnit{name, abbreviation, unitToPointsFactor,
                                 stepUpCycle.empty() ? std::vector<double>{2.0} : stepUpCycle,
                                 stepDownCycle.empty() ? std::vector<double>{0.5} : stepDownCycle};
    return true;
}

std::optional<RulerUnit> RulerView::unitNamed(const QString& name)
{
    const auto found = registry().find(name);
    if (found == registry().end())
        return std::nullopt;
    return found->second;
}

void RulerView::setMeasurementUnits(const QString& name)
{
    std::optional<RulerUnit> unit = unitNamed(name);
    if (!unit) {
        logMessage(QStringLiteral("Unknown ruler unit \"%1\"; the ruler measures in points").arg(name));
        unit = registry().at(QString::fromLatin1(DefaultUnitName));
    }
    unit_ = *unit;
    setNeedsDisplay();
}

void RulerView::setOriginOffset(double offset)
{
    if (!std::isfinite(offset) || offset == originOffset_)
        return;
    originOffset_ = offset;
    setNeedsDisplay();
}

void RulerView::setRuleThickness(double thickness)
{
    if (std::isfinite(thickness) && thickness >= 0)
        ruleThickness_ = thickness;
}

void RulerView::setClientView(View* client)
{
    client_ = client;
    setNeedsDisplay();
}

RulerClient* RulerView::client() const
{
    return dynamic_cast<RulerClient*>(client_.data());
}

// ---- measurement ----

double RulerView::clientCoordinateForLocation(double location) const
{
    if (!client_)
        return location;
    const Point origin = client_->convertPointFromScreen(convertPointToScreen(Point()));
    return location + along(origin);
}

double RulerView::locationForClientCoordinate(double coordinate) const
{
    return coordinate - (clientCoordinateForLocation(0.0));
}

RulerView::Marks RulerView::marksInRange(double from, double to, double devicePixelRatio) const
{
    Marks marks;
    const double f = unit_.pointsPerUnit;
    if (!(to > from) || !std::isfinite(from) || !std::isfinite(to) || !(f > 0) || !std::isfinite(f))
        return marks;
    const double dpr = devicePixelRatio > 0 && std::isfinite(devicePixelRatio) ? devicePixelRatio : 1.0;

    // The levels' spacings in client points, finest first: down from the unit by the step-down cycle while
    // ticks stay apart, up by the step-up cycle until one step spans the ruler.
    std::vector<double> spacings{f};
    for (std::size_t i = 0; spacings.size() < MaximumLevels; ++i) {
        const double next = spacings.front() * unit_.stepDownCycle[i % unit_.stepDownCycle.size()];
        if (next < MinimumTickSpacing)
            break;
        spacings.insert(spacings.begin(), next);
    }
    const double span = to - from;
    for (std::size_t i = 0; spacings.back() <= span && spacings.size() < MaximumLevels; ++i)
        spacings.push_back(spacings.back() * unit_.stepUpCycle[i % unit_.stepUpCycle.size()]);
    while (spacings.size() > 1 && spacings.front() < MinimumTickSpacing)
        spacings.erase(spacings.begin());
    const double s0 = spacings.front();
    if (s0 < MinimumTickSpacing)
        return marks; // even one step of the coarsest level is too fine to draw

    const double c0 = clientCoordinateForLocation(0.0);
    const double lo = from + c0 - originOffset_;
    const double hi = to + c0 - originOffset_;

    // The label level: the finest whose spacing holds its widest label with room to spare. The widest labels
    // are the longest numbers, at the extremes of the whole ruler (not just of the part asked for, so that
    // every part is labelled alike).
    const double allLo = std::min(from, 0.0) + c0 - originOffset_;
    const double allHi = std::max(to, length()) + c0 - originOffset_;
    std::size_t labelLevel = spacings.size();
    int decimals = 0;
    for (std::size_t j = 0; j < spacings.size(); ++j) {
        const double s = spacings[j];
        const int d = decimalsFor(s / f);
        double widest = 0;
        for (const double k : {std::floor(allLo / s), std::ceil(allHi / s)})
            widest = std::max(widest, labelWidth(labelText(k * s / f, d)));
        if (s >= widest + LabelRoom) {
            labelLevel = j;
            decimals = d;
            break;
        }
    }
    marks.tickSpacing = s0;
    marks.labelSpacing = labelLevel < spacings.size() ? spacings[labelLevel] : 0;

    const double t = ruleThickness_;
    const long long first = static_cast<long long>(std::ceil(lo / s0));
    const long long last = static_cast<long long>(std::floor(hi / s0));
    if (last - first > 100000)
        return marks;
    for (long long k = first; k <= last; ++k) {
        // The coarsest level this tick lies on.
        std::size_t level = 0;
        for (std::size_t j = spacings.size(); j-- > 1;) {
            const double ratio = spacings[j] / s0;
            const double q = double(k) / ratio;
            if (std::fabs(q - std::round(q)) <= 1e-6 * std::max(1.0, std::fabs(q))) {
                level = j;
                break;
            }
        }
        const double client = double(k) * s0 + originOffset_;
        const double location = std::round((client - c0) * dpr) / dpr;
        double length = 0;
        if (level >= labelLevel)
            length = t * 0.75;
        else
            length = t * std::min(0.2 + 0.1 * double(level), 0.4); // below the labels' band
        marks.ticks.push_back(Tick{location, length, int(level)});
        if (level >= labelLevel) {
            const QString text = labelText(double(k) * s0 / f, decimals);
            const double w = labelWidth(text);
            // Horizontal labels stand right of their tick, vertical ones read upward from it.
            marks.labels.push_back(isHorizontal() ? Label{location, location + 2.0, location + 2.0 + w, text}
                                                  : Label{location, location - 2.0 - w, location - 2.0, text});
        }
    }
    return marks;
}

// ---- drawing ----

Rect RulerView::stripAt(double location) const
{
    return isHorizontal() ? Rect(location - 2, 0, 4, frame().size.height)
                          : Rect(0, location - 2, frame().size.width, 4);
}

void RulerView::moveRulerlineFromLocation(double oldLocation, double newLocation)
{
    if (rulerline_)
        setNeedsDisplayInRect(stripAt(*rulerline_));
    if (oldLocation >= 0)
        setNeedsDisplayInRect(stripAt(oldLocation));
    if (newLocation >= 0 && std::isfinite(newLocation)) {
        rulerline_ = newLocation;
        setNeedsDisplayInRect(stripAt(newLocation));
    } else {
        rulerline_.reset();
    }
}

void RulerView::drawRect(GraphicsContext& context, const Rect& dirtyRect)
{
    const Rect b = bounds();
    const double dpr = devicePixelRatioF();
    const double px = 1.0 / dpr;
    context.saveGState();
    context.setFillColor(Color(0.96, 0.96, 0.96, 1.0));
    context.fillRect(dirtyRect.intersected(b));

    // The edge toward the content.
    context.setFillColor(Color(0.6, 0.6, 0.6, 1.0));
    const double thick = isHorizontal() ? b.height() : b.width();
    const double edge = std::floor(thick * dpr) / dpr - px;
    context.fillRect(isHorizontal() ? Rect(b.x(), edge, b.width(), px) : Rect(edge, b.y(), px, b.height()));

    const double from = isHorizontal() ? dirtyRect.x() : dirtyRect.y();
    const double to = isHorizontal() ? dirtyRect.maxX() : dirtyRect.maxY();
    // Labels reach past their tick: take in the ticks a label's width around the dirty part.
    const Marks marks = marksInRange(from - 80.0, to + 80.0, dpr);
    context.setFillColor(Color(0.45, 0.45, 0.45, 1.0));
    for (const Tick& tick : marks.ticks) {
        const double len = std::round(tick.length * dpr) / dpr;
        context.fillRect(isHorizontal() ? Rect(tick.location, edge - len, px, len)
                                        : Rect(edge - len, tick.location, len, px));
    }
    for (const Label& label : marks.labels) {
        const AttributedString text(label.text, labelAttributes());
        const Size size = sizeOfAttributedString(text);
        if (isHorizontal()) {
            drawAttributedString(context, text, Rect(Point(label.start, 0.0), size), UsesLineFragmentOrigin);
        } else {
            // Read upward: the text runs from the tick toward the top of the ruler.
            context.saveGState();
            context.translate(0.0, label.location - 2.0);
            context.rotate(-std::numbers::pi / 2);
            drawAttributedString(context, text, Rect(Point(0.0, 0.0), size), UsesLineFragmentOrigin);
            context.restoreGState();
        }
    }
    if (rulerline_) {
        context.setFillColor(Color(0.0, 0.0, 0.0, 1.0));
        const double at = std::round(*rulerline_ * dpr) / dpr;
        context.fillRect(isHorizontal() ? Rect(at, 0, px, b.height()) : Rect(0, at, b.width(), px));
    }
    context.restoreGState();
}

// ---- the mouse ----

Point RulerView::clientPoint(const Point& rulerPoint) const
{
    if (!client_)
        return rulerPoint;
    return client_->convertPointFromScreen(convertPointToScreen(rulerPoint));
}

void RulerView::mouseDown(const Event& e)
{
    tracking_ = e;
    if (RulerClient* c = client())
        c->rulerViewHandleMouseDown(*this, e);
}

void RulerView::rightMouseDown(const Event& e)
{
    // A menu comes; the press is not tracked.
    tracking_.reset();
    if (RulerClient* c = client())
        c->rulerViewHandleMouseDown(*this, e);
}

void RulerView::track(const Event& e, bool release)
{
    if (!tracking_)
        return;
    tracking_ = e;
    RulerClient* c = client();
    if (release)
        tracking_.reset();
    if (!c)
        return;
    if (release)
        c->rulerViewHandleMouseUp(*this, e, clientPoint(e.location));
    else
        c->rulerViewHandleMouseDragged(*this, e, clientPoint(e.location));
}

void RulerView::mouseDragged(const Event& e)
{
    track(e, false);
}

void RulerView::mouseUp(const Event& e)
{
    track(e, true);
}

void RulerView::rightMouseDragged(const Event&) {}

void RulerView::rightMouseUp(const Event&) {}

bool RulerView::event(QEvent* e)
{
    switch (e->type()) {
    case QEvent::WindowDeactivate:
    case QEvent::Hide:
    case QEvent::UngrabMouse:
        // The release will not come: the press ends where the pointer was last seen.
        if (tracking_) {
            Event up = *tracking_;
            up.type = EventType::LeftMouseUp;
            track(up, true);
        }
        break;
    default:
        break;
    }
    return View::event(e);
}

} // namespace pf
