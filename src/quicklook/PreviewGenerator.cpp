#include "quicklook/PreviewGenerator.h"

#include "controls/ControlKinds.h"
#include "model/Composition.h"
#include "model/CompositionHelper.h"
#include "model/StickyDefaults.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/PackageImages.h"
#include "platform/plugin/PreviewContext.h"
#include "quicklook/PreviewImageSource.h"
#include "shapes/Brush.h"

#include <QDir>
#include <QFile>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>
#include <QUrl>

#include <mutex>

namespace {

void registerKinds()
{
    static std::once_flag once;
    std::call_once(once, [] {
        registerControlKinds(pf::ClassRegistry::shared());
        // A brush read without its path shows nothing in a preview, not the library's sample.
        Brush::setLoadsSamplePath(false);
        // A preview never changes the user's style: the shapes it reads write no sticky defaults.
        StickyDefaults::switchOffStickySettingForProcess();
    });
}

// Reading pages fills process-wide caches (the kinds' kept keys and sticky readings, the settings store):
// previews read one at a time, and draw at once.
std::mutex readingMutex;

QString packagePathForURL(const char* url)
{
    const QUrl parsed = QUrl::fromEncoded(QByteArray(url));
    return parsed.isLocalFile() ? parsed.toLocalFile() : QString::fromUtf8(url);
}

// Qt's raster engine hands each larger fill to its global thread pool in parts and waits for them, unless
// the painting thread is one of that pool's. A page with loupes and redactions draws thousands of small
// fills on bitmaps, for which waking the pool costs more than the parts save: the pages are drawn on a
// thread of the pool itself (the request waits), which paints every fill on the spot.
template <class Work>
void onPoolThread(const Work& work)
{
    QThreadPool* pool = QThreadPool::globalInstance();
    if (pool->contains(QThread::currentThread())) {
        work();
        return;
    }
    QSemaphore done;
    pool->start([&] {
        work();
        done.release();
    });
    done.acquire();
}

} // namespace

PFResult generatePreview(PFQLPreviewRequest* preview, const char* url)
{
    if (!url)
        return quickLookPreviewFailed;
    registerKinds();
    const QString packagePath = packagePathForURL(url);
    QFile file(QDir(packagePath).filePath(QStringLiteral("composition_data.plist")));
    QByteArray data;
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("%s", qPrintable(file.errorString()));
        return quickLookPreviewFailed;
    }
    data = file.readAll();
    // An empty file is no read error: nothing to log.
    if (data.isEmpty())
        return quickLookPreviewFailed;

    QString error;
    std::optional<CompositionHelper::Pages> read;
    {
        const std::lock_guard lock(readingMutex);
        read = CompositionHelper::compositionsFromData(data, &error);
    }
    if (!read || read->empty())
        return quickLookPreviewFailed;
    const CompositionHelper::Pages& pages = *read;

    // The pages have no document: their pictures come from the package itself.
    PreviewImageSource images{pf::PackageImages(packagePath)};
    for (const auto& page : pages)
        page->setCompositionDelegate(&images);

    const pf::Rect mediaBox = pages.front()->bounds();
    const PFQLPreviewProperties properties{PF_QL_PDF_STYLE_PAGES_WITH_THUMBNAILS_ON_LEFT, mediaBox.size.width,
                                           mediaBox.size.height};
    std::unique_ptr<pf::PreviewPdfContext> context = pf::PreviewPdfContext::create(preview, mediaBox, properties);
    if (context) {
        onPoolThread([&] { CompositionHelper::drawCompositionsAsMultiPagePDFCanvasInContext(pages, context->pdf(), 1.0, false); });
        context->flush();
    }
    for (const auto& page : pages)
        page->setCompositionDelegate(nullptr);
    return PF_S_OK;
}

