// Measuring a 200-character paragraph at a width, as text boxes do on every layout: our measurement
// cold (a text not seen before) and warm (the same text again), against plain QTextLayout and
// QFontMetricsF doing the same wrap.
#include "platform/text/StringDrawing.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QTextLayout>
#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

constexpr double width = 180;

QString paragraph(qint64 variant)
{
    QString text = QStringLiteral("Measuring text is on the hot path: every text box measures its text whenever it lays out, "
                                  "so the same paragraph at the same width is measured again and again while nothing changes %1.")
                       .arg(variant);
    return text.left(200);
}

pf::TextAttributes attributes()
{
    pf::ParagraphStyle style;
    style.alignment = pf::TextAlignment::Center;
    return pf::TextAttributes{.font = pf::Font("Helvetica", 12), .foregroundColor = pf::Color::black(), .paragraphStyle = style};
}

void measureCold(benchmark::State& state)
{
    const pf::TextAttributes a = attributes();
    qint64 n = 0;
    for (auto _ : state) {
        const pf::AttributedString text(paragraph(++n), a);
        benchmark::DoNotOptimize(pf::boundingRectWithSize(text, pf::Size(width, 0), pf::UsesLineFragmentOrigin));
    }
}
BENCHMARK(measureCold);

void measureWarm(benchmark::State& state)
{
    const pf::AttributedString text(paragraph(0), attributes());
    for (auto _ : state)
        benchmark::DoNotOptimize(pf::boundingRectWithSize(text, pf::Size(width, 0), pf::UsesLineFragmentOrigin));
}
BENCHMARK(measureWarm);

// Peer: QTextLayout wrapping the same paragraph, at the same scaled font our layout uses.
void peerQTextLayout(benchmark::State& state)
{
    const QFont font = pf::Font("Helvetica", 12).layoutFont();
    const double k = pf::Font::layoutScale;
    qint64 n = 0;
    for (auto _ : state) {
        QTextLayout layout(paragraph(++n), font);
        QTextOption option;
        option.setUseDesignMetrics(true);
        option.setAlignment(Qt::AlignHCenter);
        layout.setTextOption(option);
        layout.beginLayout();
        double height = 0, used = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width * k);
            height += line.height();
            used = std::max(used, line.naturalTextWidth());
        }
        layout.endLayout();
        benchmark::DoNotOptimize(height + used);
    }
}
BENCHMARK(peerQTextLayout);

// Peer: QFontMetricsF's word-wrapped bounding rect (a 12-pixel font at Qt's own resolution).
void peerQFontMetricsF(benchmark::State& state)
{
    QFont font(QStringLiteral("Nimbus Sans"));
    font.setPixelSize(12);
    const QFontMetricsF metrics(font);
    qint64 n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(metrics.boundingRect(QRectF(0, 0, width, 1e6), Qt::TextWordWrap | Qt::AlignHCenter, paragraph(++n)));
}
BENCHMARK(peerQFontMetricsF);

} // namespace
