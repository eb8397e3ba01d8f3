// Descriptors arrive from scripts: reading any flattened bytes must not crash, every reader must answer
// whatever the types and lengths inside, and a descriptor that was read must flatten back to the same bytes.
#include "platform/foundation/EventDescriptor.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void readAll(const pf::EventDescriptor& descriptor, int depth)
{
    (void)descriptor.unsignedIntValue();
    (void)descriptor.floatValue();
    (void)descriptor.doubleValue();
    (void)descriptor.numberValue();
    (void)descriptor.value();
    (void)descriptor.arrayValue();
    (void)descriptor.dictionaryValueFromRecordDescriptor();
    (void)descriptor.dictionaryValue();
    (void)descriptor.targetProcessSerialNumber();
    (void)descriptor.targetCreator();
    (void)descriptor.eventClass();
    (void)descriptor.eventID();
    // What a reader makes of the value must itself become a descriptor without harm.
    (void)pf::EventDescriptor::descriptorWithObject(descriptor.objectValue());
    if (depth < 4)
        for (const auto& [keyword, item] : descriptor.items())
            readAll(item, depth + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto descriptor = pf::EventDescriptor::fromFlattenedData(bytes);
    if (!descriptor)
        return 0;
    readAll(*descriptor, 0);
    if (descriptor->flattenedData() != bytes)
        std::abort();
    return 0;
}
