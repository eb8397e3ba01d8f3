// The size of a page: width and height in points, the resolution at which a point is a pixel, the unit in
// which sizes are shown, and the corner that stays put when the size changes. Converts between points and
// display units and formats sizes for display.
#pragma once

#include "platform/foundation/Geometry.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/Value.h"

#include <QString>

#include <cstdint>
#include <memory>

class Metrics : public pf::Object {
public:
    enum UnitType : unsigned { Points = 0, Inches = 1, Centimeters = 2, Steps = 3 };

    // Resolution 72, anchor corner 0 (top left), zero anchor size, everything else zero or no name.
    Metrics();
    Metrics(const Metrics&) = default;
    Metrics& operator=(const Metrics&) = default;

    static const pf::ClassObject& staticClass();
    const pf::ClassObject& classObject() const override;
    static const pf::PropertyTable& properties();
    const pf::PropertyTable& propertyTable() const override;

    // The user's last chosen page size, else the default preset (entry 16 of the presets) when it is a
    // usable page, else a built-in page.
    static std::shared_ptr<Metrics> defaultMetrics();
    // The page used when the presets offer none.
    static Metrics builtInDefaultMetrics();

    // Unit table. Names, formats and unit strings are null for an unknown unit type.
    static QString unitNameForUnitType(unsigned unitType);
    static QString shortUnitNameForUnitType(unsigned unitType);
    static QString numberDisplayFormatForUnitType(unsigned unitType);
    static QString unitDisplayStringForUnitType(unsigned unitType);
    static QString displayFormatForUnitType(unsigned unitType);
    static double pointsPerUnitTypeAtResolution(unsigned unitType, double resolution);
    // A resolution is per centimetre for centimetre sizes and per inch for every other unit: the
    // resolution given for sizes of fromType, for sizes of toType (÷ 2.54 from inches to centimetres).
    static double resolutionForUnitType(double resolution, unsigned fromType, unsigned toType);

    // Conversions; magnitudes only (a negative size converts to a positive one).
    static double unitsForPointsOfTypeAtResolution(double points, unsigned unitType, double resolution);
    static double pointsForUnitsOfTypeAtResolution(double units, unsigned unitType, double resolution);
    // Whole points, halves away from zero.
    static double convertPointsFromResolutionToResolution(double points, double from, double to);
    static double convertUnitsOfTypeFromResolutionToResolution(double units, unsigned unitType, double from,
                                                               double to);
    static double convertUnitsFromTypeToTypeAtResolution(double units, unsigned fromType, unsigned toType,
                                                         double resolution);

    // Drops the zeros after the first trailing zero of a decimal fraction: 8.500 -> 8.50, 11.000 -> 11.0.
    static QString trimZeros(const QString& string);

    const QString& name() const { return name_; }
    void setName(const QString& name);
    double width() const { return width_; }
    void setWidth(double width);
    double height() const { return height_; }
    void setHeight(double height);
    double resolution() const { return resolution_; }
    void setResolution(double resolution);
    std::int64_t group() const { return group_; }
    void setGroup(std::int64_t group);
    std::int64_t anchorCorner() const { return anchorCorner_; }
    void setAnchorCorner(std::int64_t corner);
    unsigned unitType() const { return unitType_; }
    // The resolution follows into the new unit's measure (dots per inch or per centimetre), so the page
    // keeps its physical size.
    void setUnitType(unsigned unitType);
    pf::Size anchorSize() const { return anchorSize_; }
    void setAnchorSize(pf::Size size);

    // The size in the display unit.
    double unitWidth() const;
    void setUnitWidth(double units);
    double unitHeight() const;
    void setUnitHeight(double units);
    // The same as numbers from the interface: the value passes through single precision.
    double unitWidthNumber() const { return unitWidth(); }
    void setUnitWidthNumber(double number);
    double unitHeightNumber() const { return unitHeight(); }
    void setUnitHeightNumber(double number);
    double resolutionNumber() const { return resolution_; }
    void setResolutionNumber(double number);
    double baseResolution() const { return 72.0; }

    bool isAnchorTopLef() const { return anchorCorner_ == 0; }
    bool isAnchorTopMid() const { return anchorCorner_ == 1; }
    bool isAnchorTopRit() const { return anchorCorner_ == 2; }
    bool isAnchorMidLef() const { return anchorCorner_ == 3; }
    bool isAnchorMidMid() const { return anchorCorner_ == 4; }
    bool isAnchorMidRit() const { return anchorCorner_ == 5; }
    bool isAnchorBotLef() const { return anchorCorner_ == 6; }
    bool isAnchorBotMid() const { return anchorCorner_ == 7; }
    bool isAnchorBotRit() const { return anchorCorner_ == 8; }

    // The name is the localised "Custom".
    bool isCustom() const;
    // Has a name that is not the custom one.
    bool isNamePreset() const;

    // The preset name, or the size in the display unit ("8.50\" x 11.0\"").
    QString displayString() const;
    // The display string up to the first " – ".
    QString shortDisplayString() const;
    QString description() const;

    // Every field but the name.
    bool isEqualToMetrics(const Metrics& other) const;
    friend bool operator==(const Metrics& a, const Metrics& b) { return a.isEqualToMetrics(b); }

    std::shared_ptr<Metrics> copy() const { return std::make_shared<Metrics>(*this); }

    pf::Value asPlist() const;
    // Absent or non-finite numbers read as 0; a resolution that is absent, non-finite or not positive
    // reads as 72.
    static std::shared_ptr<Metrics> fromPlist(const pf::Value& plist);

private:
    QString name_;
    double width_ = 0;
    double height_ = 0;
    double resolution_ = 72.0;
    std::int64_t group_ = 0;
    std::int64_t anchorCorner_ = 0;
    unsigned unitType_ = Points;
    pf::Size anchorSize_;
};
