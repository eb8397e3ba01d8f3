// The cost of an export: a page of 1,000 mixed shapes (800 x 600 points) exported at zoom 2 to PNG bytes
// (1600 x 1200 pixels, on white), against QPainter drawing the same shapes into an image of the same
// size and the same PNG writer encoding it. JPEG and an export of the selection (a group of copies of the
// 500 shapes in the top half, made as the canvas makes it) are measured for their figures.
#include "app/Document.h"
#include "model/Group.h"
#include "support/MixedPage.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <benchmark/benchmark.h>

namespace {

constexpr double zoom = 2;

// The page as an export leaves it while it renders: exporting, on white, at the export's zoom.
std::shared_ptr<Composition> exportingPage()
{
    auto page = mixedpage::page();
    page->setExporting(true);
    page->setFillColor(pf::Color{1, 1, 1, 1});
    page->setOverrideZoomScale(zoom);
    return page;
}

void exportLoop(benchmark::State& state, Shape& object, std::int64_t type)
{
    for (auto _ : state) {
        QString failure;
        const auto data = Document::bitmapExportData(object, zoom, type, false, 1, 0.8f, &failure);
        if (!data)
            state.SkipWithError(qPrintable(failure));
        benchmark::DoNotOptimize(data->constData());
    }
}

void BM_ExportPagePNG(benchmark::State& state)
{
    auto page = exportingPage();
    exportLoop(state, *page, Document::ExportPNG);
}

void BM_ExportPageJPEG(benchmark::State& state)
{
    auto page = exportingPage();
    exportLoop(state, *page, Document::ExportJPEG);
}

void BM_ExportSelectionPNG(benchmark::State& state)
{
    auto page = exportingPage();
    std::vector<std::shared_ptr<Shape>> copies;
    for (int i = 0; i < mixedpage::columns * mixedpage::rows / 2; ++i) {
        auto copy = page->children()[std::size_t(i)]->copy();
        copy->setComposition(page.get());
        copies.push_back(std::move(copy));
    }
    auto group = Group::groupWithShapes(copies);
    group->setComposition(page.get());
    group->commit();
    exportLoop(state, *group, Document::ExportPNG);
}

// The peer: white, the shapes at zoom 2, the same writer at the same resolution.
void BM_ExportQPainterPeerPNG(benchmark::State& state)
{
    const QSize pixels(int(mixedpage::width * zoom), int(mixedpage::height * zoom));
    const int dotsPerMeter = int(std::lround(72.0 / 0.0254));
    for (auto _ : state) {
        QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(zoom, zoom);
        mixedpage::paintShapes(painter);
        painter.end();
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        writer.write(image);
        benchmark::DoNotOptimize(bytes.constData());
    }
}

} // namespace

BENCHMARK(BM_ExportPagePNG)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportQPainterPeerPNG)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportPageJPEG)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportSelectionPNG)->Unit(benchmark::kMillisecond);
