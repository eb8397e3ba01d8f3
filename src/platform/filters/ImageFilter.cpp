#include "platform/filters/ImageFilter.h"

#include "platform/graphics/ShadowBlur.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace pf {

namespace {

using Values = std::map<QString, FilterValue>;

QImage premultiplied(const QImage& image)
{
    return image.format() == QImage::Format_ARGB32_Premultiplied
               ? image
               : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

double number(const Values& values, const QString& key)
{
    const auto it = values.find(key);
    return it != values.end() && std::holds_alternative<double>(it->second) ? std::get<double>(it->second) : 0.0;
}

Point vector(const Values& values, const QString& key)
{
    const auto it = values.find(key);
    return it != values.end() && std::holds_alternative<Point>(it->second) ? std::get<Point>(it->second) : Point();
}

std::uint8_t toByte(double v) { return std::uint8_t(std::lround(std::clamp(v, 0.0, 255.0))); }

// Runs op on every pixel's unpremultiplied colour (0 to 1); alpha stays.
template <class Op>
QImage mapColors(const QImage& input, Op op)
{
    QImage out = premultiplied(input).copy();
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const QRgb p = row[x];
            const int a = qAlpha(p);
            if (a == 0)
                continue;
            double rgb[3] = {qRed(p) / double(a), qGreen(p) / double(a), qBlue(p) / double(a)};
            op(rgb);
            const double scale = a;
            row[x] = qRgba(toByte(std::clamp(rgb[0], 0.0, 1.0) * scale), toByte(std::clamp(rgb[1], 0.0, 1.0) * scale),
                           toByte(std::clamp(rgb[2], 0.0, 1.0) * scale), a);
        }
    }
    return out;
}

QImage gaussianBlur(const QImage& input, const Values& values)
{
    QImage out = premultiplied(input).copy();
    const int w = out.width();
    const int h = out.height();
    const double sigma = number(values, QStringLiteral("inputRadius"));
    if (w == 0 || h == 0 || !(sigma > 0))
        return out;
    if (blurLeavesNothing(w, h, sigma)) {
        out.fill(Qt::transparent);
        return out;
    }
    // Premultiplied channels blur independently; each is one plane for the shadow blur.
    std::vector<std::uint8_t> planes[4];
    for (auto& plane : planes)
        plane.resize(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(out.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const size_t i = size_t(y) * size_t(w) + size_t(x);
            planes[0][i] = std::uint8_t(qAlpha(row[x]));
            planes[1][i] = std::uint8_t(qRed(row[x]));
            planes[2][i] = std::uint8_t(qGreen(row[x]));
            planes[3][i] = std::uint8_t(qBlue(row[x]));
        }
    }
    for (auto& plane : planes)
        blurAlpha(plane.data(), w, h, w, sigma);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const size_t i = size_t(y) * size_t(w) + size_t(x);
            const std::uint8_t a = planes[0][i];
            // Rounding may leave a colour a step above its alpha: keep the pixel premultiplied.
            row[x] = qRgba(std::min(planes[1][i], a), std::min(planes[2][i], a), std::min(planes[3][i], a), a);
        }
    }
    return out;
}

QImage pixellate(const QImage& input, const Values& values)
{
    return pixellated(input, number(values, QStringLiteral("inputScale")), vector(values, kInputCenterKey));
}

QImage sepiaTone(const QImage& input, const Values& values)
{
    const double intensity = std::clamp(number(values, QStringLiteral("inputIntensity")), 0.0, 1.0);
    return mapColors(input, [intensity](double* c) {
        const double r = 0.393 * c[0] + 0.769 * c[1] + 0.189 * c[2];
        const double g = 0.349 * c[0] + 0.686 * c[1] + 0.168 * c[2];
        const double b = 0.272 * c[0] + 0.534 * c[1] + 0.131 * c[2];
        c[0] += (r - c[0]) * intensity;
        c[1] += (g - c[1]) * intensity;
        c[2] += (b - c[2]) * intensity;
    });
}

QImage photoEffectMono(const QImage& input, const Values&)
{
    return mapColors(input, [](double* c) { c[0] = c[1] = c[2] = 0.2126 * c[0] + 0.7152 * c[1] + 0.0722 * c[2]; });
}

QImage colorInvert(const QImage& input, const Values&)
{
    return mapColors(input, [](double* c) {
        for (int i = 0; i < 3; ++i)
            c[i] = 1.0 - c[i];
    });
}

// levels values per channel, from 0 to 1 inclusive; fewer than 2 levels count as 2.
QImage colorPosterize(const QImage& input, const Values& values)
{
    const double steps = std::max(2.0, std::round(number(values, QStringLiteral("inputLevels")))) - 1.0;
    return mapColors(input, [steps](double* c) {
        for (int i = 0; i < 3; ++i)
            c[i] = std::round(c[i] * steps) / steps;
    });
}

// Darkens towards the corners: the colour is scaled by 1 − intensity × (d × radius)², d being the distance
// from the middle over half the diagonal.
QImage vignette(const QImage& input, const Values& values)
{
    QImage out = premultiplied(input).copy();
    const double intensity = number(values, QStringLiteral("inputIntensity"));
    const double radius = number(values, QStringLiteral("inputRadius"));
    const double cx = out.width() / 2.0;
    const double cy = out.height() / 2.0;
    const double halfDiagonal = std::hypot(cx, cy);
    if (halfDiagonal == 0)
        return out;
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy) / halfDiagonal * radius;
            const double f = std::clamp(1.0 - intensity * d * d, 0.0, 1.0);
            const QRgb p = row[x];
            row[x] = qRgba(toByte(qRed(p) * f), toByte(qGreen(p) * f), toByte(qBlue(p) * f), qAlpha(p));
        }
    }
    return out;
}

} // namespace

struct ImageFilter::Kind {
    QString name;
    Values defaults;
    // The values that are lengths or positions in pixels.
    QStringList lengthKeys;
    QImage (*apply)(const QImage&, const Values&);
};

namespace {

const std::vector<ImageFilter::Kind>& kinds()
{
    static const std::vector<ImageFilter::Kind> all{
        {QStringLiteral("CIGaussianBlur"), {{QStringLiteral("inputRadius"), 10.0}}, {QStringLiteral("inputRadius")}, &gaussianBlur},
        {QStringLiteral("CIPixellate"), {{QStringLiteral("inputScale"), 8.0}, {kInputCenterKey, Point(150, 150)}},
         {QStringLiteral("inputScale"), kInputCenterKey}, &pixellate},
        {QStringLiteral("CISepiaTone"), {{QStringLiteral("inputIntensity"), 1.0}}, {}, &sepiaTone},
        {QStringLiteral("CIPhotoEffectMono"), {}, {}, &photoEffectMono},
        {QStringLiteral("CIColorInvert"), {}, {}, &colorInvert},
        {QStringLiteral("CIColorPosterize"), {{QStringLiteral("inputLevels"), 6.0}}, {}, &colorPosterize},
        {QStringLiteral("CIVignette"), {{QStringLiteral("inputIntensity"), 0.0}, {QStringLiteral("inputRadius"), 1.0}}, {},
         &vignette},
    };
    return all;
}

} // namespace

ImageFilter::ImageFilter(const Kind& kind) : kind_(&kind), name_(kind.name), values_(kind.defaults) {}

std::unique_ptr<ImageFilter> ImageFilter::withName(const QString& name)
{
    for (const Kind& kind : kinds())
        if (kind.name == name)
            return std::unique_ptr<ImageFilter>(new ImageFilter(kind));
    return nullptr;
}

QStringList ImageFilter::filterNames()
{
    QStringList names;
    for (const Kind& kind : kinds())
        names << kind.name;
    return names;
}

QStringList ImageFilter::inputKeys() const
{
    QStringList keys{kInputImageKey};
    for (const auto& entry : kind_->defaults)
        keys << entry.first;
    return keys;
}

void ImageFilter::setDefaults() { values_ = kind_->defaults; }

bool ImageFilter::setValue(const QString& key, const FilterValue& value)
{
    const auto it = values_.find(key);
    if (it == values_.end() || it->second.index() != value.index())
        return false;
    const bool finite = std::holds_alternative<double>(value)
                            ? std::isfinite(std::get<double>(value))
                            : std::isfinite(std::get<Point>(value).x) && std::isfinite(std::get<Point>(value).y);
    if (!finite)
        return false;
    it->second = value;
    return true;
}

std::optional<FilterValue> ImageFilter::value(const QString& key) const
{
    const auto it = values_.find(key);
    if (it == values_.end())
        return std::nullopt;
    return it->second;
}

void ImageFilter::setInputImage(const QImage& image) { input_ = image; }

QImage ImageFilter::outputImage() const
{
    if (input_.isNull())
        return {};
    if (pixelScale_ == 1.0)
        return kind_->apply(input_, values_);
    Values scaled = values_;
    for (const QString& key : kind_->lengthKeys) {
        FilterValue& v = scaled[key];
        if (auto* number = std::get_if<double>(&v))
            *number *= pixelScale_;
        else if (auto* point = std::get_if<Point>(&v))
            *point = Point(point->x * pixelScale_, point->y * pixelScale_);
    }
    return kind_->apply(input_, scaled);
}

QImage pixellated(const QImage& input, double scale, Point center)
{
    const QImage in = premultiplied(input);
    const int w = in.width();
    const int h = in.height();
    if (w == 0 || h == 0)
        return in.copy();
    QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
    const double s = std::isfinite(scale) ? std::max(scale, 1.0) : 1.0;
    const double cx = std::isfinite(center.x) ? center.x : 0.0;
    const double cy = std::isfinite(center.y) ? center.y : 0.0;
    // The cell a pixel belongs to is the one holding its centre; cells are runs of whole pixels.
    const auto cellOf = [s](int pixel, double origin) { return std::floor((pixel + 0.5 - origin) / s); };
    const auto runs = [&](int length, double origin) {
        std::vector<int> starts{0};
        for (int i = 1; i < length; ++i)
            if (cellOf(i, origin) != cellOf(i - 1, origin))
                starts.push_back(i);
        starts.push_back(length);
        return starts;
    };
    const std::vector<int> columns = runs(w, cx);
    const std::vector<int> rows = runs(h, cy);
    const size_t cells = columns.size() - 1;
    struct Sum {
        std::uint64_t a = 0, r = 0, g = 0, b = 0;
    };
    std::vector<Sum> sums(cells);
    for (size_t band = 0; band + 1 < rows.size(); ++band) {
        std::fill(sums.begin(), sums.end(), Sum{});
        for (int y = rows[band]; y < rows[band + 1]; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(in.constScanLine(y));
            for (size_t i = 0; i < cells; ++i) {
                std::uint32_t a = 0, r = 0, g = 0, b = 0;
                for (int x = columns[i]; x < columns[i + 1]; ++x) {
                    const QRgb p = row[x];
                    a += p >> 24;
                    r += (p >> 16) & 0xff;
                    g += (p >> 8) & 0xff;
                    b += p & 0xff;
                }
                sums[i].a += a;
                sums[i].r += r;
                sums[i].g += g;
                sums[i].b += b;
            }
        }
        const std::uint64_t height = std::uint64_t(rows[band + 1] - rows[band]);
        for (int y = rows[band]; y < rows[band + 1]; ++y) {
            auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
            for (size_t i = 0; i < cells; ++i) {
                const std::uint64_t n = height * std::uint64_t(columns[i + 1] - columns[i]);
                const auto mean = [n](std::uint64_t v) { return int((v + n / 2) / n); };
                const Sum& sum = sums[i];
                std::fill(row + columns[i], row + columns[i + 1], qRgba(mean(sum.r), mean(sum.g), mean(sum.b), mean(sum.a)));
            }
        }
    }
    return out;
}

} // namespace pf
