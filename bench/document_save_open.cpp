// Saving and opening large documents (1,000, 10,000 and 20,000 mixed shapes), each beside its peer: a
// save against the bare property-list writer writing the same value tree, the main thread's part of a
// save against the whole save, and opening a package against the bare property-list read of its bytes.
// The memory rows report resident kilobytes per shape of an open document and what a save leaves behind.
#include "support/LargeDocument.h"

#include "model/StoredForms.h"
#include "platform/docs/FileWrapper.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/PropertyList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThreadPool>

#include <benchmark/benchmark.h>

#include <fstream>
#include <malloc.h>
#include <map>

namespace {

const QTemporaryDir& folder()
{
    static const QTemporaryDir dir;
    return dir;
}

void finishBackgroundWork()
{
    QThreadPool::globalInstance()->waitForDone();
    pf::drainMainQueue();
    // What the main queue's work handed back to the background (freeing, returning memory).
    QThreadPool::globalInstance()->waitForDone();
}

// One document per size, made once, and its package saved once.
struct Saved {
    std::shared_ptr<Document> document;
    QString package;
    pf::Value tree;
    QByteArray bytes;
};

Saved& saved(int count)
{
    static std::map<int, Saved> all;
    auto it = all.find(count);
    if (it != all.end())
        return it->second;
    Saved s;
    s.document = largedocument::document(count);
    s.package = QDir(folder().path()).filePath(QStringLiteral("Large%1.quorveldoc").arg(count));
    QString error;
    if (!s.document->saveToPath(s.package, s.document->fileType(), pf::Document::SaveOperation::Save, &error))
        qFatal("The document could not be saved: %s", qPrintable(error));
    s.tree = s.document->compositionPlist();
    QFile file(s.package + QStringLiteral("/composition_data.plist"));
    file.open(QIODevice::ReadOnly);
    s.bytes = file.readAll();
    // The rows compare like with like: the save writes exactly the bytes the peer makes of the same values.
    if (s.bytes != pf::writePropertyList(s.tree).data)
        qFatal("The saved property list differs from the bare writer's bytes of the same values");
    // The work a save leaves to the background and the main queue done, as the program soon has it.
    finishBackgroundWork();
    return all.emplace(count, std::move(s)).first->second;
}

// Bytes the heap holds for the program (freed memory kept by the allocator not counted).
double heapKilobytes()
{
    const struct mallinfo2 info = mallinfo2();
    return (info.uordblks + info.hblkhd) / 1024.0;
}

double residentKilobytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024.0);
}

// The whole save, waited for: snapshot, bytes, and the package written atomically to disk.
void BM_DocumentSave(benchmark::State& state)
{
    Saved& s = saved(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        QString error;
        if (!s.document->saveToPath(s.package, s.document->fileType(), pf::Document::SaveOperation::Save, &error))
            state.SkipWithError(qPrintable(error));
    }
    finishBackgroundWork();
    state.SetBytesProcessed(state.iterations() * s.bytes.size());
}

// A save whose every stored form is made anew (as every save made them before forms were kept, all on
// the main thread): the main thread's time of a save before saves left it.
void BM_DocumentSaveAllFormsMade(benchmark::State& state)
{
    Saved& s = saved(static_cast<int>(state.range(0)));
    const auto page = std::dynamic_pointer_cast<Composition>(s.document->canvasWindowController()->tabModels().front()->representedObject());
    for (auto _ : state) {
        state.PauseTiming();
        for (const auto& shape : page->children())
            storedForms::drop(shape.get());
        state.ResumeTiming();
        QString error;
        if (!s.document->saveToPath(s.package, s.document->fileType(), pf::Document::SaveOperation::Save, &error))
            state.SkipWithError(qPrintable(error));
    }
    state.SetBytesProcessed(state.iterations() * s.bytes.size());
}

// What a save holds the main thread for: from the command until the window is the user's again.
void BM_DocumentSaveMainThread(benchmark::State& state)
{
    Saved& s = saved(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        s.document->saveToPathInBackground(s.package, s.document->fileType(), pf::Document::SaveOperation::Save, {});
        state.PauseTiming();
        s.document->waitForSaves();
        finishBackgroundWork();
        state.ResumeTiming();
    }
}

// The peer: the bare writer writing the value tree the save writes.
void BM_PeerPlistWrite(benchmark::State& state)
{
    Saved& s = saved(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(pf::writePropertyList(s.tree));
    state.SetBytesProcessed(state.iterations() * s.bytes.size());
}

// Opening: the package read from disk into a document whose pages are handed to its window.
void BM_DocumentOpen(benchmark::State& state)
{
    Saved& s = saved(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto document = std::make_shared<Document>();
        QString error;
        auto wrapper = pf::FileWrapper::readFromPath(s.package, &error);
        if (!wrapper || !document->readFromFileWrapper(wrapper, document->fileType(), &error))
            state.SkipWithError(qPrintable(error));
        document->makeWindowControllers();
        document->canvasWindowControllerDidLoadWindow();
        state.PauseTiming();
        document.reset();
        // The value tree is freed in the background, which nobody waits for: not during the next row.
        QThreadPool::globalInstance()->waitForDone();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * s.bytes.size());
}

// The peer: the bare read of the same bytes into property-list values.
void BM_PeerPlistRead(benchmark::State& state)
{
    Saved& s = saved(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(pf::readPropertyList(s.bytes));
    state.SetBytesProcessed(state.iterations() * s.bytes.size());
}

// Resident memory of an opened document per shape: just read, and once the idle work after opening is
// done (the stored forms made and kept, as the program has them a moment after it opens a document);
// then what a save of it leaves resident (nothing of its bytes).
void BM_DocumentMemory(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    Saved& s = saved(count);
    double read = 0, heapRead = 0, perShape = 0, keptBySave = 0, heapPerShape = 0, heapKeptBySave = 0;
    for (auto _ : state) {
        const double before = residentKilobytes();
        const double heapBefore = heapKilobytes();
        auto document = std::make_shared<Document>();
        QString error;
        auto wrapper = pf::FileWrapper::readFromPath(s.package, &error);
        document->readFromFileWrapper(wrapper, document->fileType(), &error);
        document->makeWindowControllers();
        document->canvasWindowControllerDidLoadWindow();
        // What reading freed goes back to the system.
        QThreadPool::globalInstance()->waitForDone();
        read = (residentKilobytes() - before) / count;
        heapRead = (heapKilobytes() - heapBefore) / count;
        finishBackgroundWork();
        const double opened = residentKilobytes();
        const double heapOpened = heapKilobytes();
        perShape = (opened - before) / count;
        heapPerShape = (heapOpened - heapBefore) / count;
        document->saveToPath(s.package, document->fileType(), pf::Document::SaveOperation::Save, &error);
        finishBackgroundWork();
        keptBySave = residentKilobytes() - opened;
        heapKeptBySave = heapKilobytes() - heapOpened;
        document.reset();
    }
    state.counters["resident_KB_per_shape_read"] = read;
    state.counters["heap_KB_per_shape_read"] = heapRead;
    state.counters["resident_KB_per_shape"] = perShape;
    state.counters["heap_KB_per_shape"] = heapPerShape;
    state.counters["resident_KB_kept_by_save"] = keptBySave;
    state.counters["heap_KB_kept_by_save"] = heapKeptBySave;
}

} // namespace

// CPU of the whole process: a save's work on other threads counts too.
BENCHMARK(BM_DocumentSave)->Arg(1000)->Arg(10000)->Arg(20000)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeerPlistWrite)->Arg(1000)->Arg(10000)->Arg(20000)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DocumentSaveAllFormsMade)->Arg(1000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DocumentSaveMainThread)->Arg(1000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DocumentOpen)->Arg(1000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeerPlistRead)->Arg(1000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DocumentMemory)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);
