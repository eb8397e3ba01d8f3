// Fuzz target for the page reader: any bytes given as a document's page data read into pages or are
// refused without fault; every page read keeps an exact registry, writes a property list that reads back
// to a page, and copies.
#include "model/Composition.h"
#include "model/CompositionHelper.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/ThreadDictionary.h"
#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

// Every registered shape is there under its own identifier.
void checkRegistry(const Composition& page)
{
    for (auto it = page.registeredShapes().constBegin(); it != page.registeredShapes().constEnd(); ++it)
        if (!it.value() || it.value()->identifier() != it.key())
            std::abort();
    for (const auto& child : page.children())
        if (child->shapeClass().wantsRegistration() && !page.isShapeRegistered(*child))
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::startShapeInput();

    const auto pages = CompositionHelper::compositionsFromData(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (pf::threadDictionary::contains(QString::fromLatin1(pf::TlsVersionKey)))
        std::abort();
    if (!pages)
        return 0;
    for (const auto& page : *pages) {
        checkRegistry(*page);
        const auto written = pf::writePropertyList(page->asPlist());
        if (!written.ok())
            std::abort();
        const auto reread = pf::readPropertyList(*written.data);
        if (!reread.ok())
            std::abort();
        auto again = Composition::fromPlist(*reread.value);
        if (!again)
            std::abort();
        checkRegistry(*again);
        if (again->children().size() != page->children().size() || again->pageConnections().size() != page->pageConnections().size())
            std::abort();
        auto copy = std::dynamic_pointer_cast<Composition>(page->copy());
        if (!copy || copy->pageConnections().size() != page->pageConnections().size())
            std::abort();
        checkRegistry(*copy);
    }
    return 0;
}
