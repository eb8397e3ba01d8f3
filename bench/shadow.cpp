// Shadow cost: our three-box blur of the coverage plane against a direct two-pass Gaussian (on the
// coverage plane, and on all four channels of a premultiplied image, as a layer blur would do it), and a
// path fill with a shadow against the same fill without one.
#include "platform/graphics/PainterContext.h"
#include "platform/graphics/ShadowBlur.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

constexpr int side = 256;

QImage coverage()
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::black);
    p.drawEllipse(QRectF(48, 48, 160, 160));
    return image;
}

std::vector<float> gaussianKernel(double sigma)
{
    const int radius = int(std::ceil(3 * sigma));
    std::vector<float> k(size_t(2 * radius + 1));
    double sum = 0;
    for (int i = -radius; i <= radius; ++i)
        sum += k[size_t(i + radius)] = float(std::exp(-(i * i) / (2 * sigma * sigma)));
    for (float& v : k)
        v = float(v / sum);
    return k;
}

// Direct separable Gaussian over `channels` interleaved 8-bit channels.
void gaussian(uchar* data, int width, int height, int stride, int channels, double sigma)
{
    const std::vector<float> k = gaussianKernel(sigma);
    const int radius = int(k.size() / 2);
    std::vector<uchar> tmp(size_t(stride) * size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) {
                float acc = 0;
                for (int i = -radius; i <= radius; ++i) {
                    const int xx = x + i;
                    if (xx >= 0 && xx < width)
                        acc += k[size_t(i + radius)] * data[size_t(y) * size_t(stride) + size_t(xx * channels + c)];
                }
                tmp[size_t(y) * size_t(stride) + size_t(x * channels + c)] = uchar(acc + 0.5f);
            }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) {
                float acc = 0;
                for (int i = -radius; i <= radius; ++i) {
                    const int yy = y + i;
                    if (yy >= 0 && yy < height)
                        acc += k[size_t(i + radius)] * tmp[size_t(yy) * size_t(stride) + size_t(x * channels + c)];
                }
                data[size_t(y) * size_t(stride) + size_t(x * channels + c)] = uchar(acc + 0.5f);
            }
}

QImage alphaPlane() { return coverage().convertToFormat(QImage::Format_Alpha8); }

void BM_OurBlurOfCoverage(benchmark::State& state)
{
    const QImage source = alphaPlane();
    const double sigma = double(state.range(0));
    for (auto _ : state) {
        QImage plane = source.copy();
        pf::blurAlpha(plane.bits(), plane.width(), plane.height(), int(plane.bytesPerLine()), sigma);
        benchmark::DoNotOptimize(plane.constBits());
    }
}

void BM_GaussianOfCoverage(benchmark::State& state)
{
    const QImage source = alphaPlane();
    const double sigma = double(state.range(0));
    for (auto _ : state) {
        QImage plane = source.copy();
        gaussian(plane.bits(), plane.width(), plane.height(), int(plane.bytesPerLine()), 1, sigma);
        benchmark::DoNotOptimize(plane.constBits());
    }
}

void BM_GaussianOfArgbLayer(benchmark::State& state)
{
    const QImage source = coverage();
    const double sigma = double(state.range(0));
    for (auto _ : state) {
        QImage layer = source.copy();
        gaussian(layer.bits(), layer.width(), layer.height(), int(layer.bytesPerLine()), 4, sigma);
        benchmark::DoNotOptimize(layer.constBits());
    }
}

pf::Path star()
{
    pf::Path p;
    for (int i = 0; i < 10; ++i) {
        const double a = i * M_PI / 5;
        const double r = i % 2 ? 60 : 150;
        const pf::Point pt(200 + r * std::cos(a), 200 + r * std::sin(a));
        if (i == 0)
            p.moveTo(pt);
        else
            p.lineTo(pt);
    }
    p.close();
    return p;
}

void fill(benchmark::State& state, bool shadow)
{
    const pf::Path path = star();
    pf::BitmapContext context({400, 400}, 1);
    if (shadow)
        context.setShadow({4, -4}, double(state.range(0)), pf::Color(0, 0, 0, 0.5));
    context.setFillColor(pf::Color(0.2, 0.4, 0.8, 1));
    for (auto _ : state)
        context.fillPath(path);
}

void BM_FillPathNoShadow(benchmark::State& state) { fill(state, false); }
void BM_FillPathWithShadow(benchmark::State& state) { fill(state, true); }

BENCHMARK(BM_OurBlurOfCoverage)->Arg(2)->Arg(5)->Arg(10);
BENCHMARK(BM_GaussianOfCoverage)->Arg(2)->Arg(5)->Arg(10);
BENCHMARK(BM_GaussianOfArgbLayer)->Arg(2)->Arg(5)->Arg(10);
BENCHMARK(BM_FillPathNoShadow)->Arg(0);
BENCHMARK(BM_FillPathWithShadow)->Arg(0)->Arg(4)->Arg(10)->Arg(20);

} // namespace
