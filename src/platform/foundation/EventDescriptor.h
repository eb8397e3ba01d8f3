// Event descriptors: the typed values that scripting requests and their answers are made of, and their
// conversion to and from ordinary values (QVariant: numbers, strings, URLs, ranges, arrays, dictionaries and
// user records). The scripting bridge carries every value through this layer; it also builds the open, quit
// and subroutine-call events as data (nothing sends them).
//
// A descriptor is a four-character type and either bytes (a scalar), items (a list), keyword → descriptor
// pairs (a record, of type "reco" or any other record type) or, for an event, parameters and attributes.
// Multi-byte values are in the machine's byte order. Values:
//   - nil is an invalid QVariant, the null value is QVariant::fromValue(nullptr);
//   - ranges are pf::EventRange; a descriptor travels in a QVariant as itself.
//
// Readers check the data length: a value whose bytes are too short reads as nil (or 0) and is logged.
// Booleans are "bool" descriptors of one byte; small integers are widened to the smallest type that holds
// them ("shor" 2 bytes, "magn" 4 bytes); 64-bit integers are "comp" and "ucom" of 8 bytes, and ranges a
// "rang" record with 64-bit "star" and "stop", so both read back whole.
#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QUrl>
#include <QVariant>

#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace pf {

using FourCharCode = std::uint32_t;

// The first character in the most significant byte: fourCharCode("cTab") == 0x63546162.
constexpr FourCharCode fourCharCode(const char (&code)[5])
{
    return (FourCharCode(std::uint8_t(code[0])) << 24) | (FourCharCode(std::uint8_t(code[1])) << 16) |
           (FourCharCode(std::uint8_t(code[2])) << 8) | FourCharCode(std::uint8_t(code[3]));
}
QString stringFromFourCharCode(FourCharCode code);
// Exactly four Latin-1 characters; nothing otherwise.
std::optional<FourCharCode> fourCharCodeFromString(const QString& string);

struct EventRange {
    std::uint64_t location = 0;
    std::uint64_t length = 0;
    friend bool operator==(const EventRange&, const EventRange&) = default;
};

struct ProcessSerialNumber {
    std::uint32_t highLongOfPSN = 0;
    std::uint32_t lowLongOfPSN = 0;
    friend bool operator==(const ProcessSerialNumber&, const ProcessSerialNumber&) = default;
};

class EventDescriptor {
public:
    enum class Kind { Scalar, List, Record, Event };
    using Items = std::vector<std::pair<FourCharCode, EventDescriptor>>;

    // ---- making ----
    // The null descriptor ("null", no data).
    EventDescriptor();
    static EventDescriptor nullDescriptor() { return {}; }
    static EventDescriptor withTypeAndData(FourCharCode type, QByteArray data);
    static EventDescriptor listDescriptor();
    static EventDescriptor recordDescriptor(FourCharCode type = fourCharCode("reco"));
    // An event to the target (no address attribute without one), new return identifier, any transaction.
    static EventDescriptor appleEvent(FourCharCode eventClass, FourCharCode eventID,
                                      const std::optional<EventDescriptor>& target);

    // ---- reading the raw form ----
    Kind kind() const { return kind_; }
    FourCharCode descriptorType() const { return type_; }
    const QByteArray& data() const { return data_; }
    // The event's class and identifier (0 for other descriptors).
    FourCharCode eventClass() const;
    FourCharCode eventID() const;

    // ---- lists (indexes from 1) and records ----
    std::size_t numberOfItems() const { return items_.size(); }
    // Null past either end.
    const EventDescriptor* descriptorAtIndex(std::size_t index) const;
    FourCharCode keywordForDescriptorAtIndex(std::size_t index) const;
    // Appends to a list; ignored by other kinds.
    void appendDescriptor(EventDescriptor descriptor);
    // Records and events (their parameters): replaces the keyword's descriptor or appends it.
    void setDescriptorForKeyword(EventDescriptor descriptor, FourCharCode keyword);
    const EventDescriptor* descriptorForKeyword(FourCharCode keyword) const;
    const EventDescriptor* paramDescriptorForKeyword(FourCharCode keyword) const { return descriptorForKeyword(keyword); }
    void setParamDescriptorForKeyword(EventDescriptor descriptor, FourCharCode keyword);
    // Events only.
    void setAttributeDescriptorForKeyword(EventDescriptor descriptor, FourCharCode keyword);
    const EventDescriptor* attributeDescriptorForKeyword(FourCharCode keyword) const;
    const Items& items() const { return items_; }
    const Items& attributes() const { return attributes_; }
    // The same descriptor, or nothing when it is of another type (no coercion between types exists here).
    std::optional<EventDescriptor> coerceToDescriptorType(FourCharCode type) const;

    // ---- the flattened form (for storage and the fuzz target): bounded, refuses anything malformed ----
    QByteArray flattenedData() const;
    static std::optional<EventDescriptor> fromFlattenedData(const QByteArray& bytes);

    friend bool operator==(const EventDescriptor&, const EventDescriptor&) = default;

    // ---- the current process ----
    // "psn " holding {0, 2}.
    static EventDescriptor myCurrentProcessDescriptor();
    static constexpr ProcessSerialNumber currentProcess{0, 2};
    bool isTargetCurrentProcess() const { return targetProcessSerialNumber() == currentProcess; }
    // The address attribute as a process serial number; {0, 0} without one (or when it is not one).
    ProcessSerialNumber targetProcessSerialNumber() const;
    // The address attribute as a "sign" code; 0 without one.
    FourCharCode targetCreator() const;

    // ---- value → descriptor ----
    static EventDescriptor descriptorWithURL(const QUrl& url);
    static EventDescriptor descriptorWithTrueBoolean();
    static EventDescriptor descriptorWithFalseBoolean();
    static EventDescriptor descriptorWithBoolean(bool value);
    static EventDescriptor descriptorWithShort(std::int16_t value);
    static EventDescriptor descriptorWithInt(std::int32_t value);
    static EventDescriptor descriptorWithUnsignedInt(std::uint32_t value);
    static EventDescriptor descriptorWithLong(std::int64_t value);
    static EventDescriptor descriptorWithUnsignedLong(std::uint64_t value);
    static EventDescriptor descriptorWithFloat(float value);
    static EventDescriptor descriptorWithDouble(double value);
    static EventDescriptor descriptorWithCString(const char* string);
    // "utxt", UTF-16.
    static EventDescriptor descriptorWithString(const QString& string);
    static EventDescriptor descriptorWithTypeCode(FourCharCode code);
    // A number by its kind; nil for a value that is not a number.
    static std::optional<EventDescriptor> descriptorWithNumber(const QVariant& number);
    // A range; nil for any other boxed value.
    static std::optional<EventDescriptor> descriptorWithValue(const QVariant& value);
    // Nil or null → the null descriptor; numbers, ranges, strings, URLs, lists, maps, descriptors; else nil.
    static std::optional<EventDescriptor> descriptorWithObject(const QVariant& object);
    // Empty → nil; items that convert to nothing are left out.
    static std::optional<EventDescriptor> descriptorWithArray(const QVariantList& array);
    static EventDescriptor listDescriptorWithObjects(const QVariantList& objects);
    // Object i under keyword i (as far as both lists go).
    static EventDescriptor recordDescriptorWithObjects(const QVariantList& objects,
                                                       const std::vector<FourCharCode>& keywords);
    static EventDescriptor recordDescriptorWithDictionary(const std::map<FourCharCode, QVariant>& dictionary);
    // A record with the user record under "usrf"; nil for an empty dictionary.
    static std::optional<EventDescriptor> descriptorWithDictionary(const QVariantMap& dictionary);
    // object, key, object, key … (up to the first nil object).
    static std::optional<EventDescriptor> descriptorWithObjectAndKeys(const QVariantList& objectsAndKeys);
    // key 1, value 1, key 2, value 2 …; nil for an empty dictionary.
    static std::optional<EventDescriptor> userRecordDescriptorWithDictionary(const QVariantMap& dictionary);
    static std::optional<EventDescriptor> userRecordDescriptorWithObjectAndKeys(const QVariantList& objectsAndKeys);
    static std::optional<EventDescriptor> userRecordDescriptorWithObjects(const QVariantList& objects,
                                                                          const QStringList& keys);

    // ---- descriptor → value ----
    // The first 4, 4 or 8 bytes; 0 (logged) when there are fewer.
    std::uint32_t unsignedIntValue() const;
    float floatValue() const;
    double doubleValue() const;
    // The number types (and "bool", "true", "fals", "type"); nil for other types and short data.
    QVariant numberValue() const;
    // Numbers and ranges ("rang", "erng"); nil otherwise.
    QVariant value() const;
    // Items 1 … count as objects, nil ones left out.
    QVariantList arrayValue() const;
    std::map<FourCharCode, QVariant> dictionaryValueFromRecordDescriptor() const;
    // The "usrf" list's whole pairs; nil (an invalid QVariant) when there is none or it is empty.
    QVariant dictionaryValue() const;
    // Any descriptor as a value: strings, numbers, ranges, events' class and identifier, lists, null,
    // records; the descriptor itself for other types.
    QVariant objectValue() const;

    // ---- complete events ----
    static std::optional<EventDescriptor> openEventDescriptorWithTargetDescriptor(const std::optional<EventDescriptor>& target);
    static std::optional<EventDescriptor> quitEventDescriptorWithTargetDescriptor(const std::optional<EventDescriptor>& target);
    // A subroutine call in this process: "snam" the lower-cased name, the direct object the list (empty
    // when none).
    static EventDescriptor descriptorWithSubroutineName(const QString& name,
                                                        const std::optional<EventDescriptor>& argumentsList);
    static EventDescriptor descriptorWithSubroutineNameArguments(const QString& name, const QVariantList& arguments);
    // Label i with argument i: "givn" with a dictionary (a user record) or a descriptor goes under "usrf".
    static EventDescriptor descriptorWithSubroutineNameLabels(const QString& name,
                                                              const std::vector<FourCharCode>& labels,
                                                              const QVariantList& arguments);
    static EventDescriptor descriptorWithSubroutineNameLabelsArgumentDescriptors(
        const QString& name, const std::vector<FourCharCode>& labels, const std::vector<EventDescriptor>& arguments);
    // label, object, label, object … (labels as unsigned integers; a zero label ends); at "givn" the rest,
    // from its object on, are object/key pairs stored under "usrf".
    static EventDescriptor descriptorWithSubroutineNameLabelsAndArguments(const QString& name,
                                                                          const QVariantList& labelsAndArguments);

private:
    FourCharCode type_;
    Kind kind_ = Kind::Scalar;
    QByteArray data_;
    Items items_;
    Items attributes_;
};

// The value kinds the layer uses.
bool isNullValue(const QVariant& value);
inline QVariant nullValue() { return QVariant::fromValue(nullptr); }

} // namespace pf

Q_DECLARE_METATYPE(pf::EventRange)
Q_DECLARE_METATYPE(pf::EventDescriptor)
