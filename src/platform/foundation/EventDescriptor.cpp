#include "platform/foundation/EventDescriptor.h"

#include <QDebug>

#include <cstring>
#include <limits>

namespace pf {

namespace {

constexpr FourCharCode typeNull = fourCharCode("null");
constexpr FourCharCode typeList = fourCharCode("list");
constexpr FourCharCode typeRecord = fourCharCode("reco");
constexpr FourCharCode typeEvent = fourCharCode("aevt");
constexpr FourCharCode typeBoolean = fourCharCode("bool");
constexpr FourCharCode typeTrue = fourCharCode("true");
constexpr FourCharCode typeFalse = fourCharCode("fals");
constexpr FourCharCode typeShort = fourCharCode("shor");
constexpr FourCharCode typeLong = fourCharCode("long");
constexpr FourCharCode typeMagnitude = fourCharCode("magn");
constexpr FourCharCode typeSInt64 = fourCharCode("comp");
constexpr FourCharCode typeUInt64 = fourCharCode("ucom");
constexpr FourCharCode typeFloat = fourCharCode("sing");
constexpr FourCharCode typeDouble = fourCharCode("doub");
constexpr FourCharCode typeLongDouble = fourCharCode("ldbl");
constexpr FourCharCode typeType = fourCharCode("type");
constexpr FourCharCode typeText = fourCharCode("TEXT");
constexpr FourCharCode typeUnicodeText = fourCharCode("utxt");
constexpr FourCharCode typeFileURL = fourCharCode("furl");
constexpr FourCharCode typeProcessSerialNumber = fourCharCode("psn ");
constexpr FourCharCode typeApplSignature = fourCharCode("sign");
constexpr FourCharCode typeRange = fourCharCode("rang");
constexpr FourCharCode typeErrorRange = fourCharCode("erng");
constexpr FourCharCode typeEventRecord = fourCharCode("evnt");
constexpr FourCharCode typeAlias = fourCharCode("alis");
constexpr FourCharCode typeScript = fourCharCode("scpt");
constexpr FourCharCode keyUserRecordFields = fourCharCode("usrf");
constexpr FourCharCode keyAddressAttr = fourCharCode("addr");
constexpr FourCharCode keyEventClassAttr = fourCharCode("evcl");
constexpr FourCharCode keyEventIDAttr = fourCharCode("evid");
constexpr FourCharCode keyReturnIDAttr = fourCharCode("rtid");
constexpr FourCharCode keyTransactionIDAttr = fourCharCode("tran");
constexpr FourCharCode keyDirectObject = fourCharCode("----");
constexpr FourCharCode keySubroutineName = fourCharCode("snam");
constexpr FourCharCode keyGiven = fourCharCode("givn");
constexpr FourCharCode keyRangeStart = fourCharCode("star");
constexpr FourCharCode keyRangeStop = fourCharCode("stop");
constexpr FourCharCode keyErrorRangeStart = fourCharCode("srcs");
constexpr FourCharCode keyErrorRangeEnd = fourCharCode("srce");
constexpr std::int32_t kAutoGenerateReturnID = -1;
constexpr std::int32_t kAnyTransactionID = 0;

template <class T>
QByteArray bytesOf(T value)
{
    QByteArray bytes(qsizetype(sizeof(T)), Qt::Uninitialized);
    std::memcpy(bytes.data(), &value, sizeof(T));
    return bytes;
}

// The first sizeof(T) bytes; nothing when the data is shorter.
template <class T>
std::optional<T> readAs(const QByteArray& data)
{
    if (data.size() < qsizetype(sizeof(T)))
        return std::nullopt;
    T value;
    std::memcpy(&value, data.constData(), sizeof(T));
    return value;
}

void logShort(const EventDescriptor& descriptor, const char* what)
{
    qWarning().noquote() << QStringLiteral("Failed to get %1 value from NSAppleEventDescriptor").arg(QLatin1String(what))
                         << QStringLiteral("(type '%1', %2 bytes)")
                                .arg(stringFromFourCharCode(descriptor.descriptorType()))
                                .arg(descriptor.data().size());
}

// A whole number read from any of the integer descriptor types, for the fields of ranges.
std::optional<std::uint64_t> unsignedFieldValue(const EventDescriptor* field)
{
    if (!field)
        return std::nullopt;
    const QVariant number = field->numberValue();
    bool ok = false;
    switch (number.typeId()) {
    case QMetaType::Short:
    case QMetaType::Int:
    case QMetaType::LongLong: {
        const qlonglong v = number.toLongLong(&ok);
        return ok && v >= 0 ? std::optional<std::uint64_t>(std::uint64_t(v)) : std::nullopt;
    }
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULongLong: {
        const qulonglong v = number.toULongLong(&ok);
        return ok ? std::optional<std::uint64_t>(v) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

QVariant rangeFromFields(const EventDescriptor& record, FourCharCode startKey, FourCharCode endKey)
{
    if (record.kind() != EventDescriptor::Kind::Record)
        return {};
    const auto start = unsignedFieldValue(record.descriptorForKeyword(startKey));
    const auto end = unsignedFieldValue(record.descriptorForKeyword(endKey));
    if (!start || !end || *end < *start)
        return {};
    return QVariant::fromValue(EventRange{*start, *end - *start});
}

// ---- the flattened form ----
// Each descriptor: type (4), kind (1), data length (4) and data, item count (4) and (keyword, descriptor)
// pairs, attribute count (4) and pairs. Integers little-endian.
constexpr int maxFlattenedDepth = 32;
constexpr std::size_t maxFlattenedNodes = 100000;

void writeU32(QByteArray& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.append(char((value >> shift) & 0xFF));
}

void flattenInto(QByteArray& out, const EventDescriptor& descriptor)
{
    writeU32(out, descriptor.descriptorType());
    out.append(char(descriptor.kind()));
    writeU32(out, std::uint32_t(descriptor.data().size()));
    out.append(descriptor.data());
    for (const auto* pairs : {&descriptor.items(), &descriptor.attributes()}) {
        writeU32(out, std::uint32_t(pairs->size()));
        for (const auto& [keyword, item] : *pairs) {
            writeU32(out, keyword);
            flattenInto(out, item);
        }
    }
}

struct FlatReader {
    const QByteArray& bytes;
    qsizetype at = 0;
    std::size_t nodes = 0;

    std::optional<std::uint32_t> u32()
    {
        if (bytes.size() - at < 4)
            return std::nullopt;
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value |= std::uint32_t(std::uint8_t(bytes[at + i])) << (8 * i);
        at += 4;
        return value;
    }
};

} // namespace

QString stringFromFourCharCode(FourCharCode code)
{
    QString text;
    for (int shift = 24; shift >= 0; shift -= 8)
        text.append(QChar(ushort((code >> shift) & 0xFF)));
    return text;
}

std::optional<FourCharCode> fourCharCodeFromString(const QString& string)
{
    if (string.size() != 4)
        return std::nullopt;
    FourCharCode code = 0;
    for (QChar c : string) {
        if (c.unicode() > 0xFF)
            return std::nullopt;
        code = (code << 8) | c.unicode();
    }
    return code;
}

bool isNullValue(const QVariant& value) { return value.typeId() == QMetaType::Nullptr; }

// ---- making ----

EventDescriptor::EventDescriptor() : type_(typeNull) {}

EventDescriptor EventDescriptor::withTypeAndData(FourCharCode type, QByteArray data)
{
    EventDescriptor descriptor;
    descriptor.type_ = type;
    descriptor.data_ = std::move(data);
    return descriptor;
}

EventDescriptor EventDescriptor::listDescriptor()
{
    EventDescriptor descriptor;
    descriptor.type_ = typeList;
    descriptor.kind_ = Kind::List;
    return descriptor;
}

EventDescriptor EventDescriptor::recordDescriptor(FourCharCode type)
{
    EventDescriptor descriptor;
    descriptor.type_ = type;
    descriptor.kind_ = Kind::Record;
    return descriptor;
}

EventDescriptor EventDescriptor::appleEvent(FourCharCode eventClass, FourCharCode eventID,
                                            const std::optional<EventDescriptor>& target)
{
    EventDescriptor event;
    event.type_ = typeEvent;
    event.kind_ = Kind::Event;
    event.setAttributeDescriptorForKeyword(descriptorWithTypeCode(eventClass), keyEventClassAttr);
    event.setAttributeDescriptorForKeyword(descriptorWithTypeCode(eventID), keyEventIDAttr);
    if (target)
        event.setAttributeDescriptorForKeyword(*target, keyAddressAttr);
    event.setAttributeDescriptorForKeyword(descriptorWithInt(kAutoGenerateReturnID), keyReturnIDAttr);
    event.setAttributeDescriptorForKeyword(descriptorWithInt(kAnyTransactionID), keyTransactionIDAttr);
    return event;
}

FourCharCode EventDescriptor::eventClass() const
{
    const EventDescriptor* code = kind_ == Kind::Event ? attributeDescriptorForKeyword(keyEventClassAttr) : nullptr;
    return code ? readAs<FourCharCode>(code->data_).value_or(0) : 0;
}

FourCharCode EventDescriptor::eventID() const
{
    const EventDescriptor* code = kind_ == Kind::Event ? attributeDescriptorForKeyword(keyEventIDAttr) : nullptr;
    return code ? readAs<FourCharCode>(code->data_).value_or(0) : 0;
}

// ---- lists and records ----

const EventDescriptor* EventDescriptor::descriptorAtIndex(std::size_t index) const
{
    return index >= 1 && index <= items_.size() ? &items_[index - 1].second : nullptr;
}

FourCharCode EventDescriptor::keywordForDescriptorAtIndex(std::size_t index) const
{
    return index >= 1 && index <= items_.size() ? items_[index - 1].first : 0;
}

void EventDescriptor::appendDescriptor(EventDescriptor descriptor)
{
    if (kind_ == Kind::List)
        items_.emplace_back(0, std::move(descriptor));
}

void EventDescriptor::setDescriptorForKeyword(EventDescriptor descriptor, FourCharCode keyword)
{
    if (kind_ != Kind::Record && kind_ != Kind::Event)
        return;
    for (auto& [key, item] : items_) {
        if (key == keyword) {
            item = std::move(descriptor);
            return;
        }
    }
    items_.emplace_back(keyword, std::move(descriptor));
}

const EventDescriptor* EventDescriptor::descriptorForKeyword(FourCharCode keyword) const
{
    if (kind_ != Kind::Record && kind_ != Kind::Event)
        return nullptr;
    for (const auto& [key, item] : items_)
        if (key == keyword)
            return &item;
    return nullptr;
}

void EventDescriptor::setParamDescriptorForKeyword(EventDescriptor descriptor, FourCharCode keyword)
{
    setDescriptorForKeyword(std::move(descriptor), keyword);
}

void EventDescriptor::setAttributeDescriptorForKeyword(EventDescriptor descriptor, FourCharCode keyword)
{
    if (kind_ != Kind::Event)
        return;
    for (auto& [key, item] : attributes_) {
        if (key == keyword) {
            item = std::move(descriptor);
            return;
        }
    }
    attributes_.emplace_back(keyword, std::move(descriptor));
}

const EventDescriptor* EventDescriptor::attributeDescriptorForKeyword(FourCharCode keyword) const
{
    for (const auto& [key, item] : attributes_)
        if (key == keyword)
            return &item;
    return nullptr;
}

std::optional<EventDescriptor> EventDescriptor::coerceToDescriptorType(FourCharCode type) const
{
    if (type == type_)
        return *this;
    return std::nullopt;
}

// ---- the flattened form ----

QByteArray EventDescriptor::flattenedData() const
{
    QByteArray out;
    flattenInto(out, *this);
    return out;
}

std::optional<EventDescriptor> EventDescriptor::fromFlattenedData(const QByteArray& bytes)
{
    FlatReader reader{bytes};
    // Depth-bounded recursion; every count is checked against the bytes left before anything is made.
    const auto read = [&reader](const auto& self, int depth) -> std::optional<EventDescriptor> {
        if (depth > maxFlattenedDepth || ++reader.nodes > maxFlattenedNodes)
            return std::nullopt;
        const auto type = reader.u32();
        if (!type || reader.at >= reader.bytes.size())
            return std::nullopt;
        const int kind = std::uint8_t(reader.bytes[reader.at++]);
        if (kind > int(Kind::Event))
            return std::nullopt;
        const auto length = reader.u32();
        if (!length || *length > std::uint64_t(reader.bytes.size() - reader.at))
            return std::nullopt;
        EventDescriptor descriptor;
        descriptor.type_ = *type;
        descriptor.kind_ = Kind(kind);
        descriptor.data_ = reader.bytes.mid(reader.at, qsizetype(*length));
        reader.at += qsizetype(*length);
        for (Items* pairs : {&descriptor.items_, &descriptor.attributes_}) {
            const auto count = reader.u32();
            // Each pair takes at least 17 bytes.
            if (!count || *count > std::uint64_t(reader.bytes.size() - reader.at) / 17)
                return std::nullopt;
            for (std::uint32_t i = 0; i < *count; ++i) {
                const auto keyword = reader.u32();
                if (!keyword)
                    return std::nullopt;
                auto item = self(self, depth + 1);
                if (!item)
                    return std::nullopt;
                pairs->emplace_back(*keyword, std::move(*item));
            }
        }
        // The parts must fit the kind.
        const bool scalar = descriptor.kind_ == Kind::Scalar;
        if ((scalar && !descriptor.items_.empty()) || (descriptor.kind_ != Kind::Event && !descriptor.attributes_.empty()))
            return std::nullopt;
        return descriptor;
    };
    auto descriptor = read(read, 0);
    if (!descriptor || reader.at != bytes.size())
        return std::nullopt;
    return descriptor;
}

// ---- the current process ----

EventDescriptor EventDescriptor::myCurrentProcessDescriptor()
{
    QByteArray data = bytesOf(currentProcess.highLongOfPSN);
    data.append(bytesOf(currentProcess.lowLongOfPSN));
    return withTypeAndData(typeProcessSerialNumber, data);
}

ProcessSerialNumber EventDescriptor::targetProcessSerialNumber() const
{
    const EventDescriptor* address = attributeDescriptorForKeyword(keyAddressAttr);
    const auto psn = address ? address->coerceToDescriptorType(typeProcessSerialNumber) : std::nullopt;
    if (!psn || psn->data_.size() < 8)
        return {};
    return {readAs<std::uint32_t>(psn->data_).value_or(0), readAs<std::uint32_t>(psn->data_.mid(4)).value_or(0)};
}

FourCharCode EventDescriptor::targetCreator() const
{
    const EventDescriptor* address = attributeDescriptorForKeyword(keyAddressAttr);
    const auto signature = address ? address->coerceToDescriptorType(typeApplSignature) : std::nullopt;
    return signature ? readAs<FourCharCode>(signature->data_).value_or(0) : 0;
}

// ---- value → descriptor ----

EventDescriptor EventDescriptor::descriptorWithURL(const QUrl& url)
{
    return withTypeAndData(typeFileURL, url.toString(QUrl::FullyEncoded).toUtf8());
}

EventDescriptor EventDescriptor::descriptorWithTrueBoolean() { return withTypeAndData(typeTrue, {}); }
EventDescriptor EventDescriptor::descriptorWithFalseBoolean() { return withTypeAndData(typeFalse, {}); }
EventDescriptor EventDescriptor::descriptorWithBoolean(bool value)
{
    return withTypeAndData(typeBoolean, bytesOf(std::uint8_t(value ? 1 : 0)));
}
EventDescriptor EventDescriptor::descriptorWithShort(std::int16_t value) { return withTypeAndData(typeShort, bytesOf(value)); }
EventDescriptor EventDescriptor::descriptorWithInt(std::int32_t value) { return withTypeAndData(typeLong, bytesOf(value)); }
EventDescriptor EventDescriptor::descriptorWithUnsignedInt(std::uint32_t value)
{
    return withTypeAndData(typeMagnitude, bytesOf(value));
}
EventDescriptor EventDescriptor::descriptorWithLong(std::int64_t value) { return withTypeAndData(typeSInt64, bytesOf(value)); }
EventDescriptor EventDescriptor::descriptorWithUnsignedLong(std::uint64_t value)
{
    return withTypeAndData(typeUInt64, bytesOf(value));
}
EventDescriptor EventDescriptor::descriptorWithFloat(float value) { return withTypeAndData(typeFloat, bytesOf(value)); }
EventDescriptor EventDescriptor::descriptorWithDouble(double value) { return withTypeAndData(typeDouble, bytesOf(value)); }
EventDescriptor EventDescriptor::descriptorWithCString(const char* string)
{
    return withTypeAndData(typeText, string ? QByteArray(string) : QByteArray());
}
EventDescriptor EventDescriptor::descriptorWithString(const QString& string)
{
    return withTypeAndData(typeUnicodeText,
                           QByteArray(reinterpret_cast<const char*>(string.utf16()), string.size() * qsizetype(sizeof(char16_t))));
}
EventDescriptor EventDescriptor::descriptorWithTypeCode(FourCharCode code) { return withTypeAndData(typeType, bytesOf(code)); }

std::optional<EventDescriptor> EventDescriptor::descriptorWithNumber(const QVariant& number)
{
    switch (number.typeId()) {
    case QMetaType::Bool:
        return descriptorWithBoolean(number.toBool());
    case QMetaType::Float:
        return descriptorWithFloat(number.toFloat());
    case QMetaType::Double:
        return descriptorWithDouble(number.toDouble());
    // Small integers are widened to a type whose descriptor holds them whole.
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::Short:
        return descriptorWithShort(std::int16_t(number.toInt()));
    case QMetaType::UChar:
        return descriptorWithShort(std::int16_t(number.toUInt()));
    case QMetaType::UShort:
    case QMetaType::UInt:
        return descriptorWithUnsignedInt(number.toUInt());
    case QMetaType::Int:
        return descriptorWithInt(number.toInt());
    case QMetaType::Long:
    case QMetaType::LongLong:
        return descriptorWithLong(number.toLongLong());
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return descriptorWithUnsignedLong(number.toULongLong());
    default:
        return std::nullopt;
    }
}

std::optional<EventDescriptor> EventDescriptor::descriptorWithValue(const QVariant& value)
{
    if (value.typeId() != qMetaTypeId<EventRange>())
        return std::nullopt;
    const auto range = value.value<EventRange>();
    if (range.length > std::numeric_limits<std::uint64_t>::max() - range.location)
        return std::nullopt;
    EventDescriptor record = recordDescriptor(typeRange);
    record.setDescriptorForKeyword(descriptorWithUnsignedLong(range.location), keyRangeStart);
    record.setDescriptorForKeyword(descriptorWithUnsignedLong(range.location + range.length), keyRangeStop);
    return record;
}

std::optional<EventDescriptor> EventDescriptor::descriptorWithObject(const QVariant& object)
{
    if (!object.isValid() || isNullValue(object))
        return nullDescriptor();
    if (object.typeId() == qMetaTypeId<EventDescriptor>())
        return object.value<EventDescriptor>();
    if (object.typeId() == qMetaTypeId<EventRange>())
        return descriptorWithValue(object);
    switch (object.typeId()) {
    case QMetaType::QString:
        return descriptorWithString(object.toString());
    case QMetaType::QUrl:
        return descriptorWithURL(object.toUrl());
    case QMetaType::QStringList:
    case QMetaType::QVariantList:
        return descriptorWithArray(object.toList());
    case QMetaType::QVariantMap:
        return descriptorWithDictionary(object.toMap());
    case QMetaType::QVariantHash: {
        const QVariantHash hash = object.toHash();
        QVariantMap map;
        for (auto it = hash.begin(); it != hash.end(); ++it)
            map.insert(it.key(), it.value());
        return descriptorWithDictionary(map);
    }
    default:
        return descriptorWithNumber(object);
    }
}

std::optional<EventDescriptor> EventDescriptor::descriptorWithArray(const QVariantList& array)
{
    if (array.isEmpty())
        return std::nullopt;
    return listDescriptorWithObjects(array);
}

EventDescriptor EventDescriptor::listDescriptorWithObjects(const QVariantList& objects)
{
    EventDescriptor list = listDescriptor();
    for (const QVariant& object : objects)
        if (auto item = descriptorWithObject(object))
            list.appendDescriptor(std::move(*item));
    return list;
}

EventDescriptor EventDescriptor::recordDescriptorWithObjects(const QVariantList& objects,
                                                             const std::vector<FourCharCode>& keywords)
{
    EventDescriptor record = recordDescriptor();
    const std::size_t count = std::min(std::size_t(objects.size()), keywords.size());
    for (std::size_t i = 0; i < count; ++i)
        if (auto item = descriptorWithObject(objects[qsizetype(i)]))
            record.setDescriptorForKeyword(std::move(*item), keywords[i]);
    return record;
}

EventDescriptor EventDescriptor::recordDescriptorWithDictionary(const std::map<FourCharCode, QVariant>& dictionary)
{
    EventDescriptor record = recordDescriptor();
    for (const auto& [keyword, object] : dictionary)
        if (auto item = descriptorWithObject(object))
            record.setDescriptorForKeyword(std::move(*item), keyword);
    return record;
}

std::optional<EventDescriptor> EventDescriptor::descriptorWithDictionary(const QVariantMap& dictionary)
{
    auto fields = userRecordDescriptorWithDictionary(dictionary);
    if (!fields)
        return std::nullopt;
    EventDescriptor record = recordDescriptor();
    record.setDescriptorForKeyword(std::move(*fields), keyUserRecordFields);
    return record;
}

std::optional<EventDescriptor> EventDescriptor::descriptorWithObjectAndKeys(const QVariantList& objectsAndKeys)
{
    auto fields = userRecordDescriptorWithObjectAndKeys(objectsAndKeys);
    if (!fields)
        return std::nullopt;
    EventDescriptor record = recordDescriptor();
    record.setDescriptorForKeyword(std::move(*fields), keyUserRecordFields);
    return record;
}

std::optional<EventDescriptor> EventDescriptor::userRecordDescriptorWithDictionary(const QVariantMap& dictionary)
{
    if (dictionary.isEmpty())
        return std::nullopt;
    return userRecordDescriptorWithObjects(dictionary.values(), dictionary.keys());
}

std::optional<EventDescriptor> EventDescriptor::userRecordDescriptorWithObjectAndKeys(const QVariantList& objectsAndKeys)
{
    QVariantList objects;
    QStringList keys;
    for (qsizetype i = 0; i + 1 < objectsAndKeys.size(); i += 2) {
        if (!objectsAndKeys[i].isValid())
            break;
        objects.append(objectsAndKeys[i]);
        keys.append(objectsAndKeys[i + 1].toString());
    }
    if (objects.isEmpty())
        return std::nullopt;
    return userRecordDescriptorWithObjects(objects, keys);
}

std::optional<EventDescriptor> EventDescriptor::userRecordDescriptorWithObjects(const QVariantList& objects,
                                                                                const QStringList& keys)
{
    const qsizetype count = std::min(objects.size(), keys.size());
    if (count == 0)
        return std::nullopt;
    EventDescriptor list = listDescriptor();
    for (qsizetype i = 0; i < count; ++i) {
        // A value that has no descriptor becomes null, so that the pairs stay aligned.
        list.appendDescriptor(descriptorWithString(keys[i]));
        list.appendDescriptor(descriptorWithObject(objects[i]).value_or(nullDescriptor()));
    }
    return list;
}

// ---- descriptor → value ----

std::uint32_t EventDescriptor::unsignedIntValue() const
{
    const auto value = readAs<std::uint32_t>(data_);
    if (!value)
        logShort(*this, "unsigned int");
    return value.value_or(0);
}

float EventDescriptor::floatValue() const
{
    const auto value = readAs<float>(data_);
    if (!value)
        logShort(*this, "float");
    return value.value_or(0.0f);
}

double EventDescriptor::doubleValue() const
{
    const auto value = readAs<double>(data_);
    if (!value)
        logShort(*this, "double");
    return value.value_or(0.0);
}

QVariant EventDescriptor::numberValue() const
{
    if (kind_ != Kind::Scalar)
        return {};
    const auto checked = [this](auto value, const char* what) -> QVariant {
        if (!value) {
            logShort(*this, what);
            return {};
        }
        return QVariant::fromValue(*value);
    };
    switch (type_) {
    case typeBoolean: {
        const auto byte = readAs<std::uint8_t>(data_);
        return checked(byte ? std::optional<bool>(*byte != 0) : std::nullopt, "boolean");
    }
    case typeTrue:
        return true;
    case typeFalse:
        return false;
    case typeDouble:
        return checked(readAs<double>(data_), "double");
    case typeFloat:
        return checked(readAs<float>(data_), "float");
    case typeLongDouble: {
        const auto value = readAs<long double>(data_);
        return checked(value ? std::optional<double>(double(*value)) : std::nullopt, "long double");
    }
    case typeLong:
        // Another writer may have put 8 bytes under "long": read them whole.
        if (data_.size() >= 8)
            return QVariant::fromValue(qlonglong(*readAs<std::int64_t>(data_)));
        return checked(readAs<std::int32_t>(data_), "int");
    case typeShort:
        return checked(readAs<std::int16_t>(data_), "short");
    case typeMagnitude:
        if (data_.size() >= 8)
            return QVariant::fromValue(qulonglong(*readAs<std::uint64_t>(data_)));
        return checked(readAs<std::uint32_t>(data_), "unsigned int");
    case typeSInt64: {
        const auto value = readAs<std::int64_t>(data_);
        return checked(value ? std::optional<qlonglong>(*value) : std::nullopt, "64-bit integer");
    }
    case typeUInt64: {
        const auto value = readAs<std::uint64_t>(data_);
        return checked(value ? std::optional<qulonglong>(*value) : std::nullopt, "64-bit unsigned integer");
    }
    case typeType:
        return checked(readAs<FourCharCode>(data_), "type code");
    default:
        return {};
    }
}

namespace {

bool isNumberType(FourCharCode type)
{
    switch (type) {
    case typeBoolean:
    case typeTrue:
    case typeFalse:
    case typeDouble:
    case typeFloat:
    case typeLongDouble:
    case typeLong:
    case typeShort:
    case typeMagnitude:
    case typeSInt64:
    case typeUInt64:
    case typeType:
        return true;
    default:
        return false;
    }
}

} // namespace

QVariant EventDescriptor::value() const
{
    if (isNumberType(type_))
        return numberValue();
    if (type_ == typeErrorRange)
        return rangeFromFields(*this, keyErrorRangeStart, keyErrorRangeEnd);
    if (type_ == typeRange)
        return rangeFromFields(*this, keyRangeStart, keyRangeStop);
    return {};
}

QVariantList EventDescriptor::arrayValue() const
{
    QVariantList array;
    if (kind_ != Kind::List)
        return array;
    for (const auto& [keyword, item] : items_) {
        (void)keyword;
        if (QVariant object = item.objectValue(); object.isValid())
            array.append(std::move(object));
    }
    return array;
}

std::map<FourCharCode, QVariant> EventDescriptor::dictionaryValueFromRecordDescriptor() const
{
    std::map<FourCharCode, QVariant> dictionary;
    if (kind_ != Kind::Record && kind_ != Kind::Event)
        return dictionary;
    for (const auto& [keyword, item] : items_)
        if (QVariant object = item.objectValue(); object.isValid())
            dictionary[keyword] = std::move(object);
    return dictionary;
}

QVariant EventDescriptor::dictionaryValue() const
{
    const EventDescriptor* fields = descriptorForKeyword(keyUserRecordFields);
    if (!fields || fields->kind_ != Kind::List || fields->items_.empty())
        return {};
    QVariantMap dictionary;
    for (std::size_t i = 0; i + 1 < fields->items_.size(); i += 2) {
        const QVariant key = fields->items_[i].second.objectValue();
        const QVariant object = fields->items_[i + 1].second.objectValue();
        if (key.typeId() == QMetaType::QString && object.isValid())
            dictionary.insert(key.toString(), object);
    }
    return dictionary;
}

QVariant EventDescriptor::objectValue() const
{
    switch (kind_) {
    case Kind::List:
        return arrayValue();
    case Kind::Record:
        if (type_ == typeRange || type_ == typeErrorRange)
            return value();
        if (items_.size() == 1 && items_.front().first == keyUserRecordFields)
            return dictionaryValue();
        {
            QVariantMap dictionary;
            for (const auto& [keyword, object] : dictionaryValueFromRecordDescriptor())
                dictionary.insert(stringFromFourCharCode(keyword), object);
            return dictionary;
        }
    case Kind::Event:
        return QVariant::fromValue(*this);
    case Kind::Scalar:
        break;
    }
    switch (type_) {
    case typeText:
        return QString::fromUtf8(data_);
    case typeUnicodeText:
        if (data_.size() % 2 != 0) {
            logShort(*this, "string");
            return {};
        }
        return QString(reinterpret_cast<const QChar*>(data_.constData()), data_.size() / 2);
    case typeNull:
        return nullValue();
    case typeFileURL: {
        const QUrl url(QString::fromUtf8(data_), QUrl::StrictMode);
        return url.isValid() ? QVariant(url) : QVariant();
    }
    case typeEventRecord: {
        const auto eventClass = readAs<std::uint32_t>(data_);
        const auto eventID = data_.size() >= 8 ? readAs<std::uint32_t>(data_.mid(4)) : std::nullopt;
        if (!eventClass || !eventID) {
            logShort(*this, "event record");
            return {};
        }
        return QVariantMap{{QStringLiteral("EventClass"), QVariant::fromValue(*eventClass)},
                           {QStringLiteral("EventID"), QVariant::fromValue(*eventID)}};
    }
    case typeAlias:
    case typeScript:
        // No compiled-script objects exist here: the descriptor stands for itself.
        return QVariant::fromValue(*this);
    default:
        if (isNumberType(type_))
            return numberValue();
        return QVariant::fromValue(*this);
    }
}

// ---- complete events ----

std::optional<EventDescriptor> EventDescriptor::openEventDescriptorWithTargetDescriptor(
    const std::optional<EventDescriptor>& target)
{
    if (!target)
        return std::nullopt;
    return appleEvent(fourCharCode("aevt"), fourCharCode("oapp"), target);
}

std::optional<EventDescriptor> EventDescriptor::quitEventDescriptorWithTargetDescriptor(
    const std::optional<EventDescriptor>& target)
{
    if (!target)
        return std::nullopt;
    return appleEvent(fourCharCode("aevt"), fourCharCode("quit"), target);
}

namespace {

EventDescriptor subroutineEvent(const QString& name)
{
    EventDescriptor event = EventDescriptor::appleEvent(fourCharCode("ascr"), fourCharCode("psbr"),
                                                        EventDescriptor::myCurrentProcessDescriptor());
    event.setParamDescriptorForKeyword(EventDescriptor::withTypeAndData(typeText, name.toLower().toUtf8()),
                                       keySubroutineName);
    return event;
}

} // namespace

EventDescriptor EventDescriptor::descriptorWithSubroutineName(const QString& name,
                                                              const std::optional<EventDescriptor>& argumentsList)
{
    EventDescriptor event = subroutineEvent(name);
    event.setParamDescriptorForKeyword(argumentsList.value_or(listDescriptor()), keyDirectObject);
    return event;
}

EventDescriptor EventDescriptor::descriptorWithSubroutineNameArguments(const QString& name, const QVariantList& arguments)
{
    return descriptorWithSubroutineName(name, descriptorWithArray(arguments));
}

EventDescriptor EventDescriptor::descriptorWithSubroutineNameLabels(const QString& name,
                                                                    const std::vector<FourCharCode>& labels,
                                                                    const QVariantList& arguments)
{
    EventDescriptor event = subroutineEvent(name);
    const std::size_t count = std::min(labels.size(), std::size_t(arguments.size()));
    for (std::size_t i = 0; i < count; ++i) {
        const QVariant& argument = arguments[qsizetype(i)];
        if (labels[i] == keyGiven && argument.typeId() == QMetaType::QVariantMap) {
            if (auto fields = userRecordDescriptorWithDictionary(argument.toMap()))
                event.setParamDescriptorForKeyword(std::move(*fields), keyUserRecordFields);
        } else if (labels[i] == keyGiven && argument.typeId() == qMetaTypeId<EventDescriptor>()) {
            event.setParamDescriptorForKeyword(argument.value<EventDescriptor>(), keyUserRecordFields);
        } else if (auto item = descriptorWithObject(argument)) {
            event.setParamDescriptorForKeyword(std::move(*item), labels[i]);
        }
    }
    return event;
}

EventDescriptor EventDescriptor::descriptorWithSubroutineNameLabelsArgumentDescriptors(
    const QString& name, const std::vector<FourCharCode>& labels, const std::vector<EventDescriptor>& arguments)
{
    EventDescriptor event = subroutineEvent(name);
    const std::size_t count = std::min(labels.size(), arguments.size());
    for (std::size_t i = 0; i < count; ++i)
        event.setParamDescriptorForKeyword(arguments[i], labels[i]);
    return event;
}

EventDescriptor EventDescriptor::descriptorWithSubroutineNameLabelsAndArguments(const QString& name,
                                                                                const QVariantList& labelsAndArguments)
{
    EventDescriptor event = subroutineEvent(name);
    for (qsizetype i = 0; i + 1 < labelsAndArguments.size(); i += 2) {
        bool ok = false;
        const FourCharCode label = FourCharCode(labelsAndArguments[i].toULongLong(&ok));
        if (!ok || label == 0)
            break;
        if (label == keyGiven) {
            if (auto fields = userRecordDescriptorWithObjectAndKeys(labelsAndArguments.mid(i + 1)))
                event.setParamDescriptorForKeyword(std::move(*fields), keyUserRecordFields);
            break;
        }
        if (auto item = descriptorWithObject(labelsAndArguments[i + 1]))
            event.setParamDescriptorForKeyword(std::move(*item), label);
    }
    return event;
}

} // namespace pf
