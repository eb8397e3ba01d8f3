#include "platform/filters/ImageFilter.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using pf::FilterValue;
using pf::ImageFilter;
using pf::Point;

QImage filled(int w, int h, QRgb color)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

// Every pixel a different opaque grey, so averages are easy to check by hand.
QImage ramp(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgba(10 * x, 10 * y, 0, 255));
    return image;
}

QImage run(const QString& name, const QImage& input, const std::map<QString, FilterValue>& values = {})
{
    auto filter = ImageFilter::withName(name);
    EXPECT_TRUE(filter) << name.toStdString();
    if (!filter)
        return {};
    for (const auto& [key, value] : values)
        EXPECT_TRUE(filter->setValue(key, value)) << key.toStdString();
    filter->setInputImage(input);
    return filter->outputImage();
}

bool premultipliedEverywhere(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) > qAlpha(p) || qGreen(p) > qAlpha(p) || qBlue(p) > qAlpha(p))
                return false;
        }
    return true;
}

TEST(ImageFilterTest, KnowsTheCatalogueNamesWithTheirKeysAndDefaults)
{
    struct Case {
        const char* name;
        QStringList keys;
    };
    const Case cases[] = {
        {"CIGaussianBlur", {"inputImage", "inputRadius"}},
        {"CIPixellate", {"inputImage", "inputCenter", "inputScale"}},
        {"CISepiaTone", {"inputImage", "inputIntensity"}},
        {"CIPhotoEffectMono", {"inputImage"}},
        {"CIColorInvert", {"inputImage"}},
        {"CIColorPosterize", {"inputImage", "inputLevels"}},
        {"CIVignette", {"inputImage", "inputIntensity", "inputRadius"}},
    };
    for (const Case& c : cases) {
        auto filter = ImageFilter::withName(QString::fromLatin1(c.name));
        ASSERT_TRUE(filter) << c.name;
        EXPECT_EQ(filter->name(), QString::fromLatin1(c.name));
        EXPECT_EQ(filter->inputKeys(), c.keys) << c.name;
    }
    EXPECT_FALSE(ImageFilter::withName("CINoSuchFilter"));
    EXPECT_FALSE(ImageFilter::withName("none"));

    auto pixellate = ImageFilter::withName("CIPixellate");
    EXPECT_EQ(std::get<double>(*pixellate->value("inputScale")), 8.0);
    EXPECT_EQ(std::get<Point>(*pixellate->value(pf::kInputCenterKey)), Point(150, 150));
    EXPECT_TRUE(pixellate->setValue("inputScale", 3.0));
    pixellate->setDefaults();
    EXPECT_EQ(std::get<double>(*pixellate->value("inputScale")), 8.0);
    EXPECT_EQ(std::get<double>(*ImageFilter::withName("CIGaussianBlur")->value("inputRadius")), 10.0);
}

TEST(ImageFilterTest, RefusesUnknownKeysWrongTypesAndValuesThatAreNotFinite)
{
    auto filter = ImageFilter::withName("CIPixellate");
    EXPECT_FALSE(filter->setValue("inputRadius", 2.0));
    EXPECT_FALSE(filter->setValue("inputScale", Point(1, 1)));
    EXPECT_FALSE(filter->setValue(pf::kInputCenterKey, 4.0));
    EXPECT_FALSE(filter->setValue("inputScale", std::nan("")));
    EXPECT_FALSE(filter->setValue(pf::kInputCenterKey, Point(INFINITY, 0)));
    EXPECT_EQ(std::get<double>(*filter->value("inputScale")), 8.0);
    EXPECT_TRUE(filter->outputImage().isNull()) << "no input, no output";
}

// Cells have corners on the centre; each is the rounded average of its pixels.
TEST(ImageFilterTest, PixellateAveragesSquareCellsAlignedOnTheCentre)
{
    const QImage input = ramp(4, 4);
    struct Case {
        double scale;
        Point center;
        // Cell of each column and row (columns and rows share the layout here).
        std::vector<std::vector<int>> cells;
    };
    const Case cases[] = {
        {2, {2, 2}, {{0, 1}, {2, 3}}},
        {2, {1, 1}, {{0}, {1, 2}, {3}}},
        {4, {2, 2}, {{0, 1}, {2, 3}}},
        {0.25, {2, 2}, {{0}, {1}, {2}, {3}}},  // under 1: one-pixel cells
        {10, {0, 0}, {{0, 1, 2, 3}}},
    };
    for (const Case& c : cases) {
        const QImage out = pf::pixellated(input, c.scale, c.center);
        ASSERT_EQ(out.size(), input.size());
        for (const auto& columns : c.cells)
            for (const auto& rows : c.cells) {
                // Red follows x, green follows y: the averages are 10 × the mean index, rounded.
                const auto mean = [](const std::vector<int>& v) {
                    double sum = 0;
                    for (int i : v)
                        sum += 10 * i;
                    return int(std::floor(sum / double(v.size()) + 0.5));
                };
                for (int x : columns)
                    for (int y : rows) {
                        const QRgb p = out.pixel(x, y);
                        EXPECT_EQ(qRed(p), mean(columns)) << "scale " << c.scale << " at " << x << "," << y;
                        EXPECT_EQ(qGreen(p), mean(rows)) << "scale " << c.scale << " at " << x << "," << y;
                        EXPECT_EQ(qAlpha(p), 255);
                    }
            }
    }
    // The filter reads its scale and centre from its values.
    const QImage viaFilter = run("CIPixellate", input, {{"inputScale", 2.0}, {pf::kInputCenterKey, Point(1, 1)}});
    EXPECT_EQ(viaFilter, pf::pixellated(input, 2, {1, 1}));
}

TEST(ImageFilterTest, PixellateAveragesTransparencyAsPremultipliedColour)
{
    QImage input = filled(2, 1, qRgba(0, 0, 0, 0));
    input.setPixel(0, 0, qRgba(200, 0, 0, 200));
    const QImage out = pf::pixellated(input, 2, {0, 0});
    EXPECT_EQ(out.pixel(0, 0), qRgba(100, 0, 0, 100));
    EXPECT_EQ(out.pixel(1, 0), qRgba(100, 0, 0, 100));
}

TEST(ImageFilterTest, BlurSpreadsSymmetricallyKeepsTheSizeAndStaysPremultiplied)
{
    QImage input = filled(41, 41, qRgba(0, 0, 0, 0));
    for (int y = 18; y <= 22; ++y)
        for (int x = 18; x <= 22; ++x)
            input.setPixel(x, y, qRgba(255, 128, 0, 255));
    const QImage out = run("CIGaussianBlur", input, {{"inputRadius", 3.0}});
    ASSERT_EQ(out.size(), input.size());
    EXPECT_LT(qAlpha(out.pixel(20, 20)), 255);
    EXPECT_GT(qAlpha(out.pixel(20, 26)), 0) << "spread beyond the square";
    EXPECT_EQ(qAlpha(out.pixel(20, 14)), qAlpha(out.pixel(20, 26)));
    EXPECT_EQ(qAlpha(out.pixel(14, 20)), qAlpha(out.pixel(26, 20)));
    EXPECT_EQ(qAlpha(out.pixel(0, 0)), 0);
    EXPECT_TRUE(premultipliedEverywhere(out));
    EXPECT_EQ(run("CIGaussianBlur", input, {{"inputRadius", 0.0}}), input);
    EXPECT_EQ(run("CIGaussianBlur", input, {{"inputRadius", 3.0}}), out) << "deterministic";
}

// A Gaussian far wider than the picture spreads it below half a level everywhere: nothing is left, not the
// smear of the boxes capped at the widest blur drawn. Short of that width the picture still shows.
TEST(ImageFilterTest, ABlurTooWideToLeaveALevelLeavesNothing)
{
    const QImage input = filled(1000, 1000, qRgba(255, 0, 0, 255));
    for (const double radius : {1e5, 1e9, 1e308}) {
        const QImage out = run("CIGaussianBlur", input, {{"inputRadius", radius}});
        ASSERT_EQ(out.size(), input.size()) << radius;
        EXPECT_EQ(qAlpha(out.pixel(500, 500)), 0) << radius;
        EXPECT_EQ(qRed(out.pixel(500, 500)), 0) << radius;
    }
    EXPECT_GT(qAlpha(run("CIGaussianBlur", input, {{"inputRadius", 2000.0}}).pixel(500, 500)), 0);
}

TEST(ImageFilterTest, ColourFiltersWorkOnUnpremultipliedColourAndKeepAlpha)
{
    struct Case {
        const char* name;
        std::map<QString, FilterValue> values;
        QRgb in;
        QRgb expected;
    };
    const Case cases[] = {
        {"CIColorInvert", {}, qRgba(255, 0, 0, 255), qRgba(0, 255, 255, 255)},
        {"CIColorInvert", {}, qRgba(100, 0, 0, 100), qRgba(0, 100, 100, 100)},
        {"CIColorInvert", {}, qRgba(0, 0, 0, 0), qRgba(0, 0, 0, 0)},
        {"CIPhotoEffectMono", {}, qRgba(0, 255, 0, 255), qRgba(182, 182, 182, 255)},
        {"CIColorPosterize", {{"inputLevels", 2.0}}, qRgba(100, 160, 10, 255), qRgba(0, 255, 0, 255)},
        {"CIColorPosterize", {{"inputLevels", 3.0}}, qRgba(100, 160, 250, 255), qRgba(128, 128, 255, 255)},
        {"CISepiaTone", {{"inputIntensity", 0.0}}, qRgba(10, 20, 30, 255), qRgba(10, 20, 30, 255)},
        {"CISepiaTone", {{"inputIntensity", 1.0}}, qRgba(255, 255, 255, 255), qRgba(255, 255, 239, 255)},
    };
    for (const Case& c : cases) {
        const QImage out = run(QString::fromLatin1(c.name), filled(3, 2, c.in), c.values);
        EXPECT_EQ(out.pixel(1, 1), c.expected) << c.name << " " << std::hex << c.in << " gave " << out.pixel(1, 1);
    }
}

TEST(ImageFilterTest, VignetteDarkensTheCornersNotTheMiddle)
{
    const QImage input = filled(40, 40, qRgba(200, 200, 200, 255));
    EXPECT_EQ(run("CIVignette", input), input) << "intensity 0 by default";
    const QImage out = run("CIVignette", input, {{"inputIntensity", 1.0}});
    EXPECT_GE(qRed(out.pixel(20, 20)), 199);
    EXPECT_LT(qRed(out.pixel(0, 0)), 20);
    EXPECT_EQ(qAlpha(out.pixel(0, 0)), 255);
}

} // namespace
