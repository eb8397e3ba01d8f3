// The content filters shapes apply, named as documents name them ("CIPixellate", "CIGaussianBlur" …),
// with their input keys and defaults. A filter takes a premultiplied ARGB bitmap whose pixels are
// points and answers one of the same size: the off-screen square a shape filters in leaves room for
// what a filter spreads. Results depend only on the input and the values (no threads, no platform
// code paths), so tests can check pixels.
#pragma once

#include "platform/foundation/Geometry.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <variant>

namespace pf {

// The keys filters share.
inline const QString kInputImageKey = QStringLiteral("inputImage");
inline const QString kInputCenterKey = QStringLiteral("inputCenter");

// A filter input: a number or a vector (a point, such as a centre).
using FilterValue = std::variant<double, Point>;

class ImageFilter {
public:
    struct Kind;

    // The filter of that name with its default values; null for a name we do not have.
    static std::unique_ptr<ImageFilter> withName(const QString& name);
    // Every name withName knows.
    static QStringList filterNames();

    // The name the filter was made with, until setName changes it.
    const QString& name() const { return name_; }
    void setName(const QString& name) { name_ = name; }
    // kInputImageKey and the filter's value keys.
    QStringList inputKeys() const;
    // Every value back to its default.
    void setDefaults();
    // Refused (false) for a key the filter does not have, a value of the other type, or a number or
    // vector that is not finite.
    bool setValue(const QString& key, const FilterValue& value);
    std::optional<FilterValue> value(const QString& key) const;
    // Pixels of the input per unit of the values: lengths and positions (a blur radius, a cell size, a
    // centre) are multiplied by it. 1 by default.
    void setPixelScale(double scale) { pixelScale_ = std::isfinite(scale) && scale > 0 ? scale : 1.0; }
    void setInputImage(const QImage& image);
    // The input filtered: premultiplied ARGB of the input's size; null without an input.
    QImage outputImage() const;

private:
    explicit ImageFilter(const Kind& kind);
    const Kind* kind_;
    QString name_;
    std::map<QString, FilterValue> values_;
    QImage input_;
    double pixelScale_ = 1.0;
};

// Pixellates in square cells of side scale pixels whose corners meet at center, each cell the average
// of its pixels; a scale under 1 counts as 1. What the redaction shows and the "CIPixellate" filter does.
QImage pixellated(const QImage& image, double scale, Point center);

} // namespace pf
