// The pasteboard's record readers on arbitrary bytes, as they arrive from other programs by the clipboard
// or a drop: the property-list parse and each checked reader must never crash, hang or read out of
// bounds; what a reader accepts must hold what it promises.
#include "platform/foundation/PropertyList.h"
#include "platform/kit/PasteboardRecords.h"

#include <QtGlobal>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

[[noreturn]] void failure(const char* what)
{
    std::fprintf(stderr, "fuzz_pasteboard_records: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool installed = (qInstallMessageHandler(quiet), true);
    (void)installed;

    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // Rect strings come inside records; the raw bytes are one too.
    if (auto rect = pf::parseRectStrictly(QString::fromUtf8(input.left(256))))
        if (!std::isfinite(rect->x()) || !std::isfinite(rect->y()) || !std::isfinite(rect->width())
            || !std::isfinite(rect->height()))
            failure("a parsed rect is not finite");

    const pf::PropertyListReadResult read = pf::readPropertyList(input);
    if (!read.ok())
        return 0;
    QString error;
    if (auto record = pf::readShapeRecord(*read.value, &error)) {
        for (const pf::Value& shape : record->shapes)
            if (!shape.isDictionary() || shape.stringForKey(u"className").isEmpty())
                failure("an accepted shape has no class name");
        if (!record->peerIds.isEmpty() && std::size_t(record->peerIds.size()) != record->shapes.size())
            failure("accepted peer identifiers do not pair with the shapes");
        for (const pf::Value& connection : record->connections)
            if (!connection.isDictionary())
                failure("an accepted connection is not a dictionary");
        if (!pf::readShapeRecord(record->toPropertyList()))
            failure("an accepted record does not read back");
    } else if (error.isEmpty()) {
        failure("a refused shape record gives no reason");
    }
    if (auto info = pf::readShapeInfo(*read.value)) {
        const pf::Value& frame = info->objectForKey(u"frame");
        if (!frame.isNull() && !pf::parseRectStrictly(frame.asString()))
            failure("an accepted library entry has a frame that does not parse");
    }
    if (auto style = pf::readStyleRecord(*read.value)) {
        const pf::Value& fontSize = style->objectForKey(u"textFontSize");
        if (!fontSize.isNull() && !(fontSize.doubleValue() > 0))
            failure("an accepted style has a text size that is not positive");
    }
    return 0;
}
