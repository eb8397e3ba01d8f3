// The XML property-list reader on arbitrary bytes: it must never crash, hang or read out of bounds; its
// fast path must agree with the general XML reader; every typed read of what it accepts is safe; and
// whatever it accepts must write, read back to an equal value, and write again to the same bytes.
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/PropertyListText.h"

#include <QDateTime>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

[[noreturn]] void failure(const char* what, const QString& detail = QString())
{
    std::fprintf(stderr, "fuzz_plist: %s %s\n", what, qUtf8Printable(detail));
    std::abort();
}

// Every typed read on every node: none may overflow or read out of bounds, whatever the kind or text.
void readEverything(const pf::Value& v)
{
    volatile double sink = v.doubleValue() + v.floatValue() + static_cast<double>(v.integerValue())
        + static_cast<double>(v.unsignedIntegerValue()) + v.intValue() + (v.boolValue() ? 1 : 0);
    (void)sink;
    for (const pf::Value& item : v.asArray())
        readEverything(item);
    for (const auto& [key, item] : v.asDictionary()) {
        readEverything(pf::Value(key)); // keys are arbitrary text too
        readEverything(item);
        if (v.objectForKey(key) != item)
            failure("a key does not find its own value:", key);
    }
}

// Dates are written in whole seconds: what reads back is the value read with their fractions cut off.
pf::Value inWholeSeconds(const pf::Value& v)
{
    switch (v.type()) {
    case pf::Value::Type::Date: {
        const QDateTime date = v.asDate();
        const QTime t = date.time();
        return pf::Value(QDateTime(date.date(), QTime(t.hour(), t.minute(), t.second()), Qt::UTC));
    }
    case pf::Value::Type::Array: {
        pf::Value::Array items;
        for (const pf::Value& item : v.asArray())
            items.push_back(inWholeSeconds(item));
        return pf::Value(std::move(items));
    }
    case pf::Value::Type::Dictionary: {
        pf::Value::Dictionary entries;
        for (const auto& [key, item] : v.asDictionary())
            entries.emplace(key, inWholeSeconds(item));
        return pf::Value(std::move(entries));
    }
    default: return v;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool installed = (qInstallMessageHandler(quiet), true); // non-finite reals are logged
    (void)installed;

    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // The fast path reads what it takes exactly as the general XML reader does, and takes nothing it refuses.
    if (const std::optional<pf::Value> plain = pf::plist::readPlainPropertyList(input)) {
        const pf::PropertyListReadResult general = pf::plist::readXmlPropertyList(input);
        if (!general.ok())
            failure("the fast path takes what the XML reader refuses:", general.error);
        if (!(*general.value == *plain) || plain->description() != general.value->description())
            failure("the fast path reads differently");
    }
    const pf::PropertyListReadResult read = pf::readPropertyList(input);
    if (read.ok() != read.error.isEmpty())
        failure("a read must give either a value or an error");
    if (!read.ok())
        return 0;
    readEverything(*read.value);

    const pf::PropertyListWriteResult written = pf::writePropertyList(*read.value);
    if (!written.ok())
        failure("a value that was read cannot be written:", written.error);
    const pf::PropertyListReadResult again = pf::readPropertyList(*written.data);
    if (!again.ok())
        failure("written bytes do not read back:", again.error);
    if (!(*again.value == inWholeSeconds(*read.value)))
        failure("the value read back differs");
    const pf::PropertyListWriteResult rewritten = pf::writePropertyList(*again.value);
    if (!rewritten.ok() || *rewritten.data != *written.data)
        failure("a second write differs from the first");
    return 0;
}
