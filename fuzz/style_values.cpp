// Stored page metrics and style values from arbitrary property lists: reading never fails, and whatever
// is read writes back as a valid property list (no non-finite number gets through).
#include "model/FilterInfo.h"
#include "model/FilterSpec.h"
#include "model/LineDash.h"
#include "model/Metrics.h"
#include "model/QVGradientElement.h"
#include "platform/foundation/PropertyList.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void mustWrite(const pf::Value& plist)
{
    if (!pf::writePropertyList(plist).ok())
        std::abort();
}

void readAll(const pf::Value& plist)
{
    const auto metrics = Metrics::fromPlist(plist);
    mustWrite(metrics->asPlist());
    (void)metrics->displayString();
    (void)metrics->shortDisplayString();
    (void)metrics->description();
    mustWrite(LineDash::fromPlist(plist).asPlist());
    mustWrite(QVGradientElement::fromPlist(plist).asPlist());
    const auto spec = FilterSpec::fromPlist(plist);
    mustWrite(spec->asPlist());
    (void)spec->name();
    mustWrite(FilterInfo::fromPlist(plist)->asPlist());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto result = pf::readPropertyList(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!result.ok())
        return 0;
    readAll(*result.value);
    for (const pf::Value& element : result.value->asArray())
        readAll(element);
    for (const auto& info : FilterInfo::catalogueFromPlist(*result.value))
        (void)info->localizedName();
    return 0;
}
