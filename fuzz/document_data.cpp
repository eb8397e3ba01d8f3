// Fuzz target for the pages of a document: any "composition_data.plist" bytes give pages or none, never
// a fault; no reading context is left on the thread; every page read writes a property list that reads
// back to a page.
#include "controls/ControlKinds.h"
#include "model/Composition.h"
#include "model/CompositionHelper.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/ThreadDictionary.h"
#include "platform/foundation/UserDefaultsStore.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QGuiApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        qInstallMessageHandler(quiet);
        static int argc = 1;
        static char name[] = "fuzz_document_data";
        static char* argv[] = {name, nullptr};
        registerControlKinds(pf::ClassRegistry::shared());
        return new QGuiApplication(argc, argv);
    }();
    (void)app;

    pf::UserDefaultsStore::replaceStandard(std::make_unique<pf::UserDefaultsStore>());
    QString error;
    const auto pages = CompositionHelper::compositionsFromData(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), &error);
    if (pf::threadDictionary::contains(QString::fromLatin1(pf::TlsVersionKey))
        || pf::threadDictionary::contains(QString::fromLatin1(pf::TlsCompositionKey)))
        std::abort();
    for (const auto& page : pages) {
        const auto written = pf::writePropertyList(page->asPlist());
        if (!written.ok())
            std::abort();
        const auto reread = pf::readPropertyList(*written.data);
        if (!reread.ok() || !Composition::fromPlist(*reread.value))
            std::abort();
    }
    return 0;
}
