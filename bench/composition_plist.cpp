// A page of 10,000 shapes written to its property-list bytes and read back, against the bare write and
// read of the same bytes by our property-list code: the ratio is what the page model adds.
#include "model/Composition.h"
#include "model/Group.h"
#include "model/Rectangle.h"
#include "model/UserDefaults.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "shapes/ShapeKinds.h"

#include <benchmark/benchmark.h>

namespace {

// 8,000 rectangles of varied style and 2,000 groups of four of them: 10,000 shapes.
const std::shared_ptr<Composition>& page()
{
    static const std::shared_ptr<Composition> p = [] {
        // The built-in settings in memory: the user's own must not change the figures.
        pf::UserDefaultsStore::replaceStandard(std::make_unique<pf::UserDefaultsStore>());
        (void)UserDefaults::instance();
        registerShapeKinds(pf::ClassRegistry::shared());
        auto metrics = std::make_shared<Metrics>();
        metrics->setWidth(4000);
        metrics->setHeight(3000);
        auto page = Composition::make(metrics);
        page->setGridEnabled(false);
        for (int g = 0; g < 2000; ++g) {
            Parent::Children members;
            for (int i = 0; i < 4; ++i) {
                const int n = g * 4 + i;
                auto r = Shape::make<Rectangle>(pf::Rect(n % 97 * 40, n / 97 * 30, 30 + n % 7, 20 + n % 5));
                r->setFillColor(pf::Color{(n % 10) / 10.0, 0.5, 0.25, 1});
                r->setStrokeLineWidth(1 + n % 3);
                r->setRotationAngle(n % 4 == 0 ? 15 : 0);
                r->setTitle(QStringLiteral("Shape %1").arg(n));
                page->addShape(r);
                members.push_back(r);
            }
            page->insertGroupInParentAtIndex(Group::groupWithShapes(members), page, pf::NotFound);
        }
        return page;
    }();
    return p;
}

const pf::Value& stored()
{
    static const pf::Value value = page()->asPlist();
    return value;
}

const QByteArray& bytes()
{
    static const QByteArray data = *pf::writePropertyList(stored()).data;
    return data;
}

// The model's whole round trip: the page to bytes and bytes to a page.
void BM_PageRoundTrip(benchmark::State& state)
{
    const auto& p = page();
    for (auto _ : state) {
        const auto written = pf::writePropertyList(p->asPlist());
        auto read = Composition::fromPlist(*pf::readPropertyList(*written.data).value);
        benchmark::DoNotOptimize(read);
    }
    state.SetBytesProcessed(state.iterations() * bytes().size());
}

// The peer: the same bytes written from and read into plain property-list values.
void BM_PeerPlistRoundTrip(benchmark::State& state)
{
    const pf::Value& value = stored();
    for (auto _ : state) {
        const auto written = pf::writePropertyList(value);
        auto read = pf::readPropertyList(*written.data);
        benchmark::DoNotOptimize(read);
    }
    state.SetBytesProcessed(state.iterations() * bytes().size());
}

// The two halves of the model's round trip, and the bare read of the bytes (its floor).
void BM_PageWrite(benchmark::State& state)
{
    const auto& p = page();
    for (auto _ : state)
        benchmark::DoNotOptimize(pf::writePropertyList(p->asPlist()));
}

void BM_PageRead(benchmark::State& state)
{
    const QByteArray& data = bytes();
    for (auto _ : state)
        benchmark::DoNotOptimize(Composition::fromPlist(*pf::readPropertyList(data).value));
}

void BM_PeerPlistRead(benchmark::State& state)
{
    const QByteArray& data = bytes();
    for (auto _ : state)
        benchmark::DoNotOptimize(pf::readPropertyList(data));
}

} // namespace

BENCHMARK(BM_PageRoundTrip)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeerPlistRoundTrip)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeerPlistRead)->Unit(benchmark::kMillisecond);
