// Content filters on a 1,000 × 1,000 picture: our pixellation against Qt's smooth reduction followed by
// a nearest-neighbour enlargement (the usual quick pixellation), and our Gaussian blur against a direct
// two-pass Gaussian kernel over the four channels.
#include "platform/filters/ImageFilter.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

constexpr int side = 1000;

const QImage& picture()
{
    static const QImage image = [] {
        QImage p(side, side, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&p);
        QLinearGradient g(0, 0, side, side);
        g.setColorAt(0, Qt::red);
        g.setColorAt(0.5, QColor(20, 200, 80, 200));
        g.setColorAt(1, Qt::blue);
        painter.fillRect(p.rect(), g);
        painter.setPen(QPen(Qt::black, 3));
        for (int i = 0; i < side; i += 37)
            painter.drawLine(i, 0, side - i, side);
        return p;
    }();
    return image;
}

void BM_PixellateOurs(benchmark::State& state)
{
    auto filter = pf::ImageFilter::withName("CIPixellate");
    filter->setValue("inputScale", 10.0);
    filter->setValue(pf::kInputCenterKey, pf::Point(side / 2.0, side / 2.0));
    filter->setInputImage(picture());
    for (auto _ : state)
        benchmark::DoNotOptimize(filter->outputImage());
}
BENCHMARK(BM_PixellateOurs)->Unit(benchmark::kMillisecond);

void BM_PixellateQtScaling(benchmark::State& state)
{
    for (auto _ : state) {
        const QImage small = picture().scaled(side / 10, side / 10, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        benchmark::DoNotOptimize(small.scaled(side, side, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    }
}
BENCHMARK(BM_PixellateQtScaling)->Unit(benchmark::kMillisecond);

void BM_BlurOurs(benchmark::State& state)
{
    auto filter = pf::ImageFilter::withName("CIGaussianBlur");
    filter->setValue("inputRadius", 10.0);
    filter->setInputImage(picture());
    for (auto _ : state)
        benchmark::DoNotOptimize(filter->outputImage());
}
BENCHMARK(BM_BlurOurs)->Unit(benchmark::kMillisecond);

QImage gaussianTwoPass(const QImage& in, double sigma)
{
    const int radius = int(std::ceil(3 * sigma));
    std::vector<float> k(size_t(2 * radius + 1));
    float sum = 0;
    for (int i = -radius; i <= radius; ++i)
        sum += k[size_t(i + radius)] = float(std::exp(-(i * i) / (2 * sigma * sigma)));
    for (float& v : k)
        v /= sum;
    const int w = in.width();
    const int h = in.height();
    std::vector<float> tmp(size_t(w) * size_t(h) * 4);
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(in.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            float acc[4] = {0, 0, 0, 0};
            for (int i = -radius; i <= radius; ++i) {
                const int xx = x + i;
                if (xx < 0 || xx >= w)
                    continue;
                const QRgb p = row[xx];
                const float f = k[size_t(i + radius)];
                acc[0] += f * float(qAlpha(p));
                acc[1] += f * float(qRed(p));
                acc[2] += f * float(qGreen(p));
                acc[3] += f * float(qBlue(p));
            }
            for (int c = 0; c < 4; ++c)
                tmp[(size_t(y) * size_t(w) + size_t(x)) * 4 + size_t(c)] = acc[c];
        }
    }
    QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            float acc[4] = {0, 0, 0, 0};
            for (int i = -radius; i <= radius; ++i) {
                const int yy = y + i;
                if (yy < 0 || yy >= h)
                    continue;
                const float f = k[size_t(i + radius)];
                for (int c = 0; c < 4; ++c)
                    acc[c] += f * tmp[(size_t(yy) * size_t(w) + size_t(x)) * 4 + size_t(c)];
            }
            row[x] = qRgba(int(acc[1] + 0.5f), int(acc[2] + 0.5f), int(acc[3] + 0.5f), int(acc[0] + 0.5f));
        }
    }
    return out;
}

void BM_BlurDirectGaussian(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(gaussianTwoPass(picture(), 10.0));
}
BENCHMARK(BM_BlurDirectGaussian)->Unit(benchmark::kMillisecond);

} // namespace
