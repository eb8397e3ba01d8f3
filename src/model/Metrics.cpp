#include "model/Metrics.h"

#include "model/StoredNumbers.h"
#include "model/UserDefaults.h"
#include "platform/foundation/KeyValue.h"
#include "platform/foundation/Localized.h"

#include <QRegularExpression>

#include <cmath>

namespace {

const QString kName = QStringLiteral("name");
const QString kWidth = QStringLiteral("width");
const QString kHeight = QStringLiteral("height");
const QString kResolution = QStringLiteral("resolution");
const QString kGroup = QStringLiteral("group");
const QString kUnitType = QStringLiteral("unitType");
const QString kAnchorCorner = QStringLiteral("anchorCorner");
const QString kAnchorSize = QStringLiteral("anchorSize");

// The preset that new documents get.
constexpr std::size_t kDefaultPresetIndex = 16;

} // namespace

Metrics::Metrics() = default;

const pf::ClassObject& Metrics::staticClass()
{
    static const pf::ClassObject cls(QStringLiteral("Metrics"), &pf::Object::staticClass());
    return cls;
}

const pf::ClassObject& Metrics::classObject() const
{
    return staticClass();
}

const pf::PropertyTable& Metrics::properties()
{
    static const pf::PropertyTable table = [] {
        pf::PropertyTable t(&pf::Object::properties());
        t.add(kName, &Metrics::name, &Metrics::setName);
        t.add(kWidth, &Metrics::width, &Metrics::setWidth);
        t.add(kHeight, &Metrics::height, &Metrics::setHeight);
        t.add(kResolution, &Metrics::resolution, &Metrics::setResolution);
        t.add(kGroup, &Metrics::group, &Metrics::setGroup);
        t.add(kAnchorCorner, &Metrics::anchorCorner, &Metrics::setAnchorCorner);
        t.add(kUnitType, &Metrics::unitType, &Metrics::setUnitType);
        t.add(kAnchorSize, &Metrics::anchorSize, &Metrics::setAnchorSize);
        t.add(QStringLiteral("unitWidth"), &Metrics::unitWidth, &Metrics::setUnitWidth);
        t.add(QStringLiteral("unitHeight"), &Metrics::unitHeight, &Metrics::setUnitHeight);
        t.add(QStringLiteral("unitWidthNumber"), &Metrics::unitWidthNumber, &Metrics::setUnitWidthNumber);
        t.add(QStringLiteral("unitHeightNumber"), &Metrics::unitHeightNumber, &Metrics::setUnitHeightNumber);
        t.add(QStringLiteral("resolutionNumber"), &Metrics::resolutionNumber, &Metrics::setResolutionNumber);
        t.add(QStringLiteral("baseResolution"), &Metrics::baseResolution);
        t.add(QStringLiteral("isAnchorTopLef"), &Metrics::isAnchorTopLef);
        t.add(QStringLiteral("isAnchorTopMid"), &Metrics::isAnchorTopMid);
        t.add(QStringLiteral("isAnchorTopRit"), &Metrics::isAnchorTopRit);
        t.add(QStringLiteral("isAnchorMidLef"), &Metrics::isAnchorMidLef);
        t.add(QStringLiteral("isAnchorMidMid"), &Metrics::isAnchorMidMid);
        t.add(QStringLiteral("isAnchorMidRit"), &Metrics::isAnchorMidRit);
        t.add(QStringLiteral("isAnchorBotLef"), &Metrics::isAnchorBotLef);
        t.add(QStringLiteral("isAnchorBotMid"), &Metrics::isAnchorBotMid);
        t.add(QStringLiteral("isAnchorBotRit"), &Metrics::isAnchorBotRit);
        // The derived values follow the fields they are computed from.
        t.addDependency(QStringLiteral("unitWidth"), {kWidth, kUnitType, kResolution});
        t.addDependency(QStringLiteral("unitHeight"), {kHeight, kUnitType, kResolution});
        t.addDependency(QStringLiteral("unitWidthNumber"), {QStringLiteral("unitWidth")});
        t.addDependency(QStringLiteral("unitHeightNumber"), {QStringLiteral("unitHeight")});
        t.addDependency(QStringLiteral("resolutionNumber"), {kResolution});
        for (const char* flag : {"isAnchorTopLef", "isAnchorTopMid", "isAnchorTopRit", "isAnchorMidLef",
                                 "isAnchorMidMid", "isAnchorMidRit", "isAnchorBotLef", "isAnchorBotMid",
                                 "isAnchorBotRit"})
            t.addDependency(QString::fromLatin1(flag), {kAnchorCorner});
        return t;
    }();
    return table;
}

const pf::PropertyTable& Metrics::propertyTable() const
{
    return properties();
}

// ---- Presets

Metrics Metrics::builtInDefaultMetrics()
{
    Metrics m;
    m.width_ = 1024;
    m.height_ = 768;
    return m;
}

std::shared_ptr<Metrics> Metrics::defaultMetrics()
{
    UserDefaults& defaults = UserDefaults::instance();
    if (auto last = defaults.lastSelectedMetrics())
        return last;
    // The presets are settings the user may have changed: take the default entry only when it is a page.
    const pf::Value presets = defaults.presetMetricsInfos();
    if (presets.count() > kDefaultPresetIndex) {
        auto preset = fromPlist(presets.at(kDefaultPresetIndex));
        if (preset->width() > 0 && preset->height() > 0)
            return preset;
    }
    return builtInDefaultMetrics().copy();
}

// ---- Unit table

QString Metrics::unitNameForUnitType(unsigned unitType)
{
    switch (unitType) {
    case Points: return QStringLiteral("Points");
    case Inches: return QStringLiteral("Inches");
    case Centimeters: return QStringLiteral("Centimeters");
    case Steps: return QStringLiteral("Steps");
    default: return {};
    }
}

QString Metrics::shortUnitNameForUnitType(unsigned unitType)
{
    switch (unitType) {
    case Points: return QStringLiteral("Pts");
    case Inches: return QStringLiteral("In");
    case Centimeters: return QStringLiteral("cm");
    case Steps: return QStringLiteral("Steps");
    default: return {};
    }
}

QString Metrics::numberDisplayFormatForUnitType(unsigned unitType)
{
    switch (unitType) {
    case Points: return QStringLiteral("%0.f");
    case Inches: return QStringLiteral("%0.3f");
    case Centimeters: return QStringLiteral("%0.2f");
    case Steps: return QStringLiteral("%0.f");
    default: return {};
    }
}

QString Metrics::unitDisplayStringForUnitType(unsigned unitType)
{
    switch (unitType) {
    case Points: return QStringLiteral("");
    case Inches: return QStringLiteral("\"");
    case Centimeters: return QStringLiteral("cm");
    case Steps: return QStringLiteral("");
    default: return {};
    }
}

QString Metrics::displayFormatForUnitType(unsigned unitType)
{
    switch (unitType) {
    case Points:
    case Steps: return numberDisplayFormatForUnitType(unitType);
    case Inches:
    case Centimeters: return numberDisplayFormatForUnitType(unitType) + unitDisplayStringForUnitType(unitType);
    default: return {};
    }
}

double Metrics::pointsPerUnitTypeAtResolution(unsigned unitType, double resolution)
{
    switch (unitType) {
    case Inches: return (resolution / 72.0) * 72.0;
    case Centimeters: return (resolution / 28.35) * 28.35;
    case Steps: return 6.0;
    default: return 1.0;
    }
}

namespace {

constexpr double centimetresPerInch = 2.54;

bool measuresPerCentimetre(unsigned unitType)
{
    return unitType == Metrics::Centimeters;
}

} // namespace

double Metrics::resolutionForUnitType(double resolution, unsigned fromType, unsigned toType)
{
    const bool from = measuresPerCentimetre(fromType), to = measuresPerCentimetre(toType);
    if (from == to)
        return resolution;
    return to ? resolution / centimetresPerInch : resolution * centimetresPerInch;
}

// ---- Conversions

double Metrics::unitsForPointsOfTypeAtResolution(double points, unsigned unitType, double resolution)
{
    if (points == 0)
        return 0;
    return std::fabs(points) / pointsPerUnitTypeAtResolution(unitType, resolution);
}

double Metrics::pointsForUnitsOfTypeAtResolution(double units, unsigned unitType, double resolution)
{
    if (units == 0)
        return 0;
    return pointsPerUnitTypeAtResolution(unitType, resolution) * std::fabs(units);
}

double Metrics::convertPointsFromResolutionToResolution(double points, double from, double to)
{
    return std::round(points * (to / from));
}

double Metrics::convertUnitsOfTypeFromResolutionToResolution(double units, unsigned unitType, double from, double to)
{
    const double points = pointsForUnitsOfTypeAtResolution(units, unitType, from);
    return unitsForPointsOfTypeAtResolution(convertPointsFromResolutionToResolution(points, from, to), unitType, to);
}

double Metrics::convertUnitsFromTypeToTypeAtResolution(double units, unsigned fromType, unsigned toType,
                                                       double resolution)
{
    return unitsForPointsOfTypeAtResolution(pointsForUnitsOfTypeAtResolution(units, fromType, resolution), toType,
                                            resolution);
}

QString Metrics::trimZeros(const QString& string)
{
    static const QRegularExpression trailingZeros(QStringLiteral("(.*?\\.\\d*?0)0*\\b(.*)"));
    QString result = string;
    return result.replace(trailingZeros, QStringLiteral("\\1\\2"));
}

// ---- Fields

void Metrics::setName(const QString& name)
{
    pf::ChangeNotice notice(*this, kName);
    name_ = name;
}

namespace {

// Editors and scripts may send any number; every unit conversion divides by the resolution.
bool acceptable(double value, const char* key, bool mustBePositive)
{
    if (std::isfinite(value) && (!mustBePositive || value > 0))
        return true;
    qWarning("Metrics: refused %g for \"%s\"", value, key);
    return false;
}

} // namespace

void Metrics::setWidth(double width)
{
    if (!acceptable(width, "width", false))
        return;
    pf::ChangeNotice notice(*this, kWidth);
    width_ = width;
}

void Metrics::setHeight(double height)
{
    if (!acceptable(height, "height", false))
        return;
    pf::ChangeNotice notice(*this, kHeight);
    height_ = height;
}

void Metrics::setResolution(double resolution)
{
    if (!acceptable(resolution, "resolution", true))
        return;
    pf::ChangeNotice notice(*this, kResolution);
    resolution_ = resolution;
}

void Metrics::setGroup(std::int64_t group)
{
    pf::ChangeNotice notice(*this, kGroup);
    group_ = group;
}

void Metrics::setAnchorSize(pf::Size size)
{
    pf::ChangeNotice notice(*this, kAnchorSize);
    anchorSize_ = size;
}

void Metrics::setAnchorCorner(std::int64_t corner)
{
    if (corner == anchorCorner_)
        return;
    pf::ChangeNotice notice(*this, kAnchorCorner); // and the nine flags, which depend on it
    anchorCorner_ = corner;
}

void Metrics::setUnitType(unsigned unitType)
{
    if (unitType == unitType_)
        return;
    const double resolution = resolutionForUnitType(resolution_, unitType_, unitType);
    pf::ChangeNotice notice(*this, kUnitType); // and unitWidth, unitHeight, which depend on it
    if (resolution != resolution_) {
        pf::ChangeNotice resolutionNotice(*this, kResolution);
        resolution_ = resolution;
    }
    unitType_ = unitType;
}

double Metrics::unitWidth() const
{
    return convertUnitsFromTypeToTypeAtResolution(width_, Points, unitType_, resolution_);
}

double Metrics::unitHeight() const
{
    return convertUnitsFromTypeToTypeAtResolution(height_, Points, unitType_, resolution_);
}

void Metrics::setUnitWidth(double units)
{
    setWidth(convertUnitsFromTypeToTypeAtResolution(units, unitType_, Points, resolution_));
}

void Metrics::setUnitHeight(double units)
{
    setHeight(convertUnitsFromTypeToTypeAtResolution(units, unitType_, Points, resolution_));
}

void Metrics::setUnitWidthNumber(double number)
{
    setUnitWidth(static_cast<double>(static_cast<float>(number)));
}

void Metrics::setUnitHeightNumber(double number)
{
    setUnitHeight(static_cast<double>(static_cast<float>(number)));
}

void Metrics::setResolutionNumber(double number)
{
    setResolution(static_cast<double>(static_cast<float>(number)));
}

// ---- Names and display

bool Metrics::isCustom() const
{
    return !name_.isEmpty() && name_ == pf::localized(QStringLiteral("Custom"));
}

bool Metrics::isNamePreset() const
{
    return !name_.isEmpty() && !isCustom();
}

QString Metrics::displayString() const
{
    if (!isCustom() && !name_.isEmpty())
        return name_;
    // An unknown unit (from stored data) converts at one point per unit: show it as points.
    const unsigned shown = unitNameForUnitType(unitType_).isNull() ? unsigned(Points) : unitType_;
    const QByteArray format = numberDisplayFormatForUnitType(shown).toLatin1();
    const QString unit = unitDisplayStringForUnitType(shown);
    const QString w = trimZeros(QString::asprintf(format.constData(), unitWidth()));
    const QString h = trimZeros(QString::asprintf(format.constData(), unitHeight()));
    return w + unit + QStringLiteral(" x ") + h + unit;
}

QString Metrics::shortDisplayString() const
{
    const QString display = displayString();
    const qsizetype dash = display.indexOf(QStringLiteral(" \u2013 "));
    return dash < 0 ? display : display.left(dash);
}

QString Metrics::description() const
{
    const QString resolution = pf::formatNumber(resolution_);
    QString units;
    switch (unitType_) {
    case Points: units = QStringLiteral("pts @%1dpi").arg(resolution); break;
    case Inches:
        units = QStringLiteral("%1\" x %2\" @%3dpi")
                    .arg(pf::formatNumber(unitWidth()), pf::formatNumber(unitHeight()), resolution);
        break;
    case Centimeters:
        units = QStringLiteral("%1cm x %2cm @%3dpc")
                    .arg(pf::formatNumber(unitWidth()), pf::formatNumber(unitHeight()), resolution);
        break;
    case Steps: units = QStringLiteral("Steps"); break;
    default: break;
    }
    return QString::asprintf("<Metrics: %p {%.0f, %.0f} ", static_cast<const void*>(this), width_, height_) + units
           + QLatin1Char('>');
}

bool Metrics::isEqualToMetrics(const Metrics& other) const
{
    return width_ == other.width_ && height_ == other.height_ && resolution_ == other.resolution_
           && group_ == other.group_ && unitType_ == other.unitType_ && anchorCorner_ == other.anchorCorner_
           && anchorSize_ == other.anchorSize_;
}

// ---- Stored form

pf::Value Metrics::asPlist() const
{
    pf::Value::Dictionary d;
    d.emplace(kWidth, width_);
    d.emplace(kHeight, height_);
    d.emplace(kResolution, resolution_);
    d.emplace(kGroup, group_);
    d.emplace(kUnitType, unitType_);
    d.emplace(kAnchorCorner, anchorCorner_);
    d.emplace(kAnchorSize, pf::toString(anchorSize_));
    if (!name_.isNull())
        d.emplace(kName, name_);
    return pf::Value(std::move(d));
}

std::shared_ptr<Metrics> Metrics::fromPlist(const pf::Value& plist)
{
    auto m = std::make_shared<Metrics>();
    m->name_ = plist.stringForKey(kName);
    m->width_ = storedDouble(plist, kWidth);
    m->height_ = storedDouble(plist, kHeight);
    m->group_ = plist.integerForKey(kGroup);
    m->unitType_ = storedUnsigned(plist, kUnitType);
    m->anchorCorner_ = plist.integerForKey(kAnchorCorner);
    m->anchorSize_ = storedSize(plist, kAnchorSize);
    // Every unit conversion divides by the resolution: an unusable one would make every size infinite.
    const double resolution = storedDouble(plist, kResolution);
    m->resolution_ = resolution > 0 ? resolution : 72.0;
    return m;
}
