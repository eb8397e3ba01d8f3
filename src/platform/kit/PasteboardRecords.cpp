#include "platform/kit/PasteboardRecords.h"

#include <QRegularExpression>

#include <cmath>

namespace pf {

namespace {

std::nullopt_t refuse(QString* errorOut, const QString& why)
{
    if (errorOut)
        *errorOut = why;
    return std::nullopt;
}

// Numbers nested anywhere must be finite: the property-list reader drops non-finite reals, but a value
// built in memory may still carry one.
bool allNumbersFinite(const Value& v)
{
    if (v.isReal())
        return std::isfinite(v.doubleValue());
    for (const Value& item : v.asArray())
        if (!allNumbersFinite(item))
            return false;
    for (const auto& [key, item] : v.asDictionary())
        if (!allNumbersFinite(item))
            return false;
    return true;
}

// The first checks of every record: a dictionary, with finite numbers only.
bool isSoundDictionary(const Value& plist, const QString& what, QString* errorOut)
{
    if (!plist.isDictionary()) {
        refuse(errorOut, QStringLiteral("the %1 is not a dictionary").arg(what));
        return false;
    }
    if (!allNumbersFinite(plist)) {
        refuse(errorOut, QStringLiteral("the %1 holds a number that is not finite").arg(what));
        return false;
    }
    return true;
}

bool isNonEmptyString(const Value& v)
{
    return v.isString() && !v.asString().isEmpty();
}

} // namespace

Value ShapeRecord::toPropertyList() const
{
    Value record = Value::dictionary();
    Value shapeList = Value::array();
    for (const Value& shape : shapes)
        shapeList.append(shape);
    Value peers = Value::array();
    for (const QString& id : peerIds)
        peers.append(id);
    Value connectionList = Value::array();
    for (const Value& connection : connections)
        connectionList.append(connection);
    record.set(QStringLiteral("shapes"), shapeList);
    record.set(QStringLiteral("peerIds"), peers);
    record.set(QStringLiteral("connections"), connectionList);
    if (!images.empty()) {
        Value pictures = Value::dictionary();
        for (const auto& [identifier, picture] : images) {
            Value entry = Value::dictionary();
            entry.set(QStringLiteral("data"), picture.data);
            if (!picture.type.isEmpty())
                entry.set(QStringLiteral("type"), picture.type);
            pictures.set(identifier, entry);
        }
        record.set(QStringLiteral("images"), pictures);
    }
    return record;
}

std::optional<ShapeRecord> readShapeRecord(const Value& plist, QString* errorOut)
{
    if (!isSoundDictionary(plist, QStringLiteral("shape record"), errorOut))
        return std::nullopt;
    const Value& shapes = plist.objectForKey(u"shapes");
    if (!shapes.isArray())
        return refuse(errorOut, QStringLiteral("the shape record has no list of shapes"));
    ShapeRecord record;
    for (std::size_t i = 0; i < shapes.asArray().size(); ++i) {
        const Value& shape = shapes.at(i);
        if (!shape.isDictionary() || !isNonEmptyString(shape.objectForKey(u"className")))
            return refuse(errorOut, QStringLiteral("shape %1 of the record is not a shape with a class name").arg(i));
        const Value& id = shape.objectForKey(u"identifier");
        if (!id.isNull() && !id.isString())
            return refuse(errorOut, QStringLiteral("shape %1 of the record has an identifier that is not text").arg(i));
        record.shapes.push_back(shape);
    }
    const Value& peers = plist.objectForKey(u"peerIds");
    if (!peers.isNull() && !peers.isArray())
        return refuse(errorOut, QStringLiteral("the shape record's peer identifiers are not a list"));
    for (const Value& peer : peers.asArray()) {
        if (!peer.isString())
            return refuse(errorOut, QStringLiteral("a peer identifier of the shape record is not text"));
        record.peerIds.append(peer.asString());
    }
    if (std::size_t(record.peerIds.size()) != record.shapes.size())
        record.peerIds.clear();
    const Value& connections = plist.objectForKey(u"connections");
    if (!connections.isNull() && !connections.isArray())
        return refuse(errorOut, QStringLiteral("the shape record's connections are not a list"));
    for (std::size_t i = 0; i < connections.asArray().size(); ++i) {
        const Value& connection = connections.at(i);
        if (!connection.isDictionary())
            return refuse(errorOut, QStringLiteral("connection %1 of the record is not a dictionary").arg(i));
        for (const char16_t* key : {u"shapeIdentifier", u"pointerIdentifier"}) {
            const Value& end = connection.objectForKey(key);
            if (!end.isNull() && !end.isString())
                return refuse(errorOut, QStringLiteral("connection %1 of the record names an end that is not text").arg(i));
        }
        record.connections.push_back(connection);
    }
    const Value& images = plist.objectForKey(u"images");
    if (!images.isNull() && !images.isDictionary())
        return refuse(errorOut, QStringLiteral("the shape record's pictures are not a dictionary"));
    for (const auto& [identifier, picture] : images.asDictionary()) {
        const Value& data = picture.objectForKey(u"data");
        const Value& type = picture.objectForKey(u"type");
        if (!picture.isDictionary() || !data.isData() || data.asData().isEmpty() || (!type.isNull() && !type.isString()))
            return refuse(errorOut, QStringLiteral("the shape record's picture \"%1\" is not picture bytes").arg(identifier.left(200)));
        record.images[identifier] = RecordPicture{data.asData(), type.asString()};
    }
    return record;
}

std::optional<Value> readStyleRecord(const Value& plist, QString* errorOut)
{
    if (!isSoundDictionary(plist, QStringLiteral("style record"), errorOut))
        return std::nullopt;
    for (const char16_t* key : {u"textColor", u"textFontName"}) {
        const Value& v = plist.objectForKey(key);
        if (!v.isNull() && !v.isString())
            return refuse(errorOut, QStringLiteral("the style record's %1 is not text").arg(QString::fromUtf16(key)));
    }
    const Value& size = plist.objectForKey(u"textFontSize");
    if (!size.isNull() && (!size.isNumber() || !(size.doubleValue() > 0)))
        return refuse(errorOut, QStringLiteral("the style record's text size is not a positive number"));
    return plist;
}

std::optional<Value> readShapeInfo(const Value& plist, QString* errorOut)
{
    if (!isSoundDictionary(plist, QStringLiteral("library entry"), errorOut))
        return std::nullopt;
    if (!isNonEmptyString(plist.objectForKey(u"className")))
        return refuse(errorOut, QStringLiteral("the library entry names no class"));
    const Value& frame = plist.objectForKey(u"frame");
    if (!frame.isNull() && (!frame.isString() || !parseRectStrictly(frame.asString())))
        return refuse(errorOut, QStringLiteral("the library entry's frame is not a rect"));
    return plist;
}

std::optional<Rect> parseRectStrictly(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral(
        R"(^\s*\{\s*\{\s*([^,{}\s]+)\s*,\s*([^,{}\s]+)\s*\}\s*,\s*\{\s*([^,{}\s]+)\s*,\s*([^,{}\s]+)\s*\}\s*\}\s*$)"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    double v[4];
    for (int i = 0; i < 4; ++i) {
        const QByteArray number = match.captured(i + 1).toLatin1();
        const char* begin = number.constData();
        const char* end = begin + number.size();
        // parseDouble takes no sign; a leading minus is ours to read.
        const bool negative = begin != end && *begin == '-';
        const char* stop = nullptr;
        if (!detail::parseDouble(begin + (negative ? 1 : 0), end, v[i], &stop) || stop != end || !std::isfinite(v[i]))
            return std::nullopt;
        if (negative)
            v[i] = -v[i];
    }
    return Rect(v[0], v[1], v[2], v[3]);
}

} // namespace pf
