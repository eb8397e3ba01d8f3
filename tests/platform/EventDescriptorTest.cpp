// Event descriptors: values to descriptors and back (whole, for 64-bit integers and ranges), user records,
// the length checks of the readers, the events built as data, and the flattened form.
#include "platform/foundation/EventDescriptor.h"

#include <QUrl>

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace {

using pf::EventDescriptor;
using pf::fourCharCode;

TEST(EventDescriptorTest, CodesAreBigEndianCharacters)
{
    EXPECT_EQ(fourCharCode("cTab"), 0x63546162u);
    EXPECT_EQ(pf::stringFromFourCharCode(fourCharCode("ID  ")), "ID  ");
    EXPECT_EQ(pf::fourCharCodeFromString("sRct"), fourCharCode("sRct"));
    EXPECT_FALSE(pf::fourCharCodeFromString("sRc"));
    EXPECT_FALSE(pf::fourCharCodeFromString(QString::fromUtf8("sR\u20acc")));
}

TEST(EventDescriptorTest, NilAndNullBecomeTheNullDescriptorWhichReadsNull)
{
    for (const QVariant& nothing : {QVariant(), pf::nullValue()}) {
        const auto descriptor = EventDescriptor::descriptorWithObject(nothing);
        ASSERT_TRUE(descriptor);
        EXPECT_EQ(descriptor->descriptorType(), fourCharCode("null"));
        EXPECT_TRUE(pf::isNullValue(descriptor->objectValue()));
    }
}

TEST(EventDescriptorTest, NumbersGetDescriptorsThatHoldThemWhole)
{
    struct Case {
        QVariant number;
        const char* type;
        qsizetype bytes;
    };
    const Case cases[] = {
        {QVariant(true), "bool", 1},
        {QVariant::fromValue<signed char>(-5), "shor", 2},
        {QVariant::fromValue<uchar>(200), "shor", 2},
        {QVariant::fromValue<short>(-30000), "shor", 2},
        {QVariant::fromValue<ushort>(60000), "magn", 4},
        {QVariant::fromValue<int>(-7), "long", 4},
        {QVariant::fromValue<uint>(4000000000u), "magn", 4},
        {QVariant::fromValue<qlonglong>(std::numeric_limits<qlonglong>::min()), "comp", 8},
        {QVariant::fromValue<qulonglong>(std::numeric_limits<qulonglong>::max()), "ucom", 8},
        {QVariant::fromValue<float>(1.5f), "sing", 4},
        {QVariant::fromValue<double>(-2.25e300), "doub", 8},
    };
    for (const Case& c : cases) {
        const auto descriptor = EventDescriptor::descriptorWithNumber(c.number);
        ASSERT_TRUE(descriptor) << c.type;
        EXPECT_EQ(descriptor->descriptorType(), pf::fourCharCodeFromString(c.type)) << c.type;
        EXPECT_EQ(descriptor->data().size(), c.bytes) << c.type;
        const QVariant back = descriptor->objectValue();
        if (c.number.typeId() == QMetaType::Bool)
            EXPECT_EQ(back, c.number);
        else if (c.number.typeId() == QMetaType::Float || c.number.typeId() == QMetaType::Double)
            EXPECT_EQ(back.toDouble(), c.number.toDouble()) << c.type;
        else if (c.number.typeId() == QMetaType::ULongLong)
            EXPECT_EQ(back.toULongLong(), c.number.toULongLong()) << c.type;
        else
            EXPECT_EQ(back.toLongLong(), c.number.toLongLong()) << c.type;
    }
    EXPECT_EQ(EventDescriptor::descriptorWithTrueBoolean().objectValue(), QVariant(true));
    EXPECT_EQ(EventDescriptor::descriptorWithFalseBoolean().objectValue(), QVariant(false));
    EXPECT_FALSE(EventDescriptor::descriptorWithNumber(QString("1")));
}

TEST(EventDescriptorTest, ReadersRefuseDataTooShortForTheirType)
{
    EXPECT_FALSE(EventDescriptor::withTypeAndData(fourCharCode("long"), QByteArray(1, '\x01')).numberValue().isValid());
    EXPECT_FALSE(EventDescriptor::withTypeAndData(fourCharCode("shor"), QByteArray(1, '\x01')).objectValue().isValid());
    EXPECT_FALSE(EventDescriptor::withTypeAndData(fourCharCode("bool"), {}).numberValue().isValid());
    EXPECT_FALSE(EventDescriptor::withTypeAndData(fourCharCode("utxt"), QByteArray(3, 'a')).objectValue().isValid());
    EXPECT_EQ(EventDescriptor::withTypeAndData(fourCharCode("doub"), QByteArray(7, '\xff')).doubleValue(), 0.0);
    EXPECT_EQ(EventDescriptor::withTypeAndData(fourCharCode("magn"), QByteArray(3, '\xff')).unsignedIntValue(), 0u);
    EXPECT_EQ(EventDescriptor::withTypeAndData(fourCharCode("sing"), {}).floatValue(), 0.0f);
    EXPECT_FALSE(EventDescriptor::withTypeAndData(fourCharCode("evnt"), QByteArray(6, 'x')).objectValue().isValid());
    // A type it does not know stands for itself.
    const auto odd = EventDescriptor::withTypeAndData(fourCharCode("odd "), "x");
    EXPECT_EQ(odd.objectValue().value<EventDescriptor>(), odd);
}

TEST(EventDescriptorTest, RangesAndErrorRangesReadBackWhole)
{
    const pf::EventRange big{std::uint64_t(1) << 40, 12345};
    const auto descriptor = EventDescriptor::descriptorWithObject(QVariant::fromValue(big));
    ASSERT_TRUE(descriptor);
    EXPECT_EQ(descriptor->descriptorType(), fourCharCode("rang"));
    EXPECT_EQ(descriptor->objectValue().value<pf::EventRange>(), big);
    EXPECT_FALSE(EventDescriptor::descriptorWithValue(QVariant(5)));
    EXPECT_FALSE(EventDescriptor::descriptorWithValue(
        QVariant::fromValue(pf::EventRange{std::numeric_limits<std::uint64_t>::max(), 1})));

    EventDescriptor error = EventDescriptor::recordDescriptor(fourCharCode("erng"));
    error.setDescriptorForKeyword(EventDescriptor::descriptorWithShort(4), fourCharCode("srcs"));
    error.setDescriptorForKeyword(EventDescriptor::descriptorWithShort(10), fourCharCode("srce"));
    EXPECT_EQ(error.value().value<pf::EventRange>(), (pf::EventRange{4, 6}));
    error.setDescriptorForKeyword(EventDescriptor::descriptorWithShort(2), fourCharCode("srce"));
    EXPECT_FALSE(error.value().isValid());
}

TEST(EventDescriptorTest, DictionariesBecomeUserRecordsAndComeBack)
{
    const QVariantMap dictionary{{"name", "Box"}, {"width", 120}};
    const auto record = EventDescriptor::descriptorWithDictionary(dictionary);
    ASSERT_TRUE(record);
    const EventDescriptor* fields = record->descriptorForKeyword(fourCharCode("usrf"));
    ASSERT_TRUE(fields);
    ASSERT_EQ(fields->numberOfItems(), 4u);
    EXPECT_EQ(fields->descriptorAtIndex(1)->objectValue(), QVariant("name"));
    EXPECT_EQ(fields->descriptorAtIndex(2)->objectValue(), QVariant("Box"));
    EXPECT_EQ(record->objectValue(), QVariant(dictionary));
    EXPECT_EQ(record->dictionaryValue(), QVariant(dictionary));
    EXPECT_FALSE(EventDescriptor::descriptorWithDictionary({}));
    EXPECT_FALSE(EventDescriptor::descriptorWithArray({}));

    // A list of mixed values, nested, and a keyed record.
    const QVariantList list{1, "two", QVariantList{3.5, QVariantMap{{"k", true}}}, QUrl("file:///tmp/a%20b")};
    EXPECT_EQ(EventDescriptor::descriptorWithObject(list)->objectValue(), QVariant(list));
    const auto keyed = EventDescriptor::recordDescriptorWithDictionary({{fourCharCode("pnam"), "x"}});
    EXPECT_EQ(keyed.dictionaryValueFromRecordDescriptor().at(fourCharCode("pnam")), QVariant("x"));
    EXPECT_EQ(EventDescriptor::userRecordDescriptorWithObjectAndKeys({1, "a", 2, "b", QVariant(), "c"})->numberOfItems(), 4u);
}

TEST(EventDescriptorTest, EventsAreBuiltAsData)
{
    EXPECT_FALSE(EventDescriptor::openEventDescriptorWithTargetDescriptor(std::nullopt));
    const auto quit = EventDescriptor::quitEventDescriptorWithTargetDescriptor(EventDescriptor::myCurrentProcessDescriptor());
    ASSERT_TRUE(quit);
    EXPECT_EQ(quit->eventClass(), fourCharCode("aevt"));
    EXPECT_EQ(quit->eventID(), fourCharCode("quit"));
    EXPECT_TRUE(quit->isTargetCurrentProcess());

    const auto call = EventDescriptor::descriptorWithSubroutineNameArguments("DoThing", {});
    EXPECT_EQ(call.eventClass(), fourCharCode("ascr"));
    EXPECT_EQ(call.paramDescriptorForKeyword(fourCharCode("snam"))->data(), QByteArray("dothing"));
    EXPECT_EQ(call.paramDescriptorForKeyword(fourCharCode("----"))->descriptorType(), fourCharCode("list"));
    EXPECT_TRUE(call.isTargetCurrentProcess());

    const auto labelled = EventDescriptor::descriptorWithSubroutineNameLabelsAndArguments(
        "Go", {QVariant::fromValue(fourCharCode("from")), 3, QVariant::fromValue(fourCharCode("givn")), "v", "k"});
    EXPECT_EQ(labelled.paramDescriptorForKeyword(fourCharCode("from"))->objectValue().toInt(), 3);
    EXPECT_EQ(labelled.paramDescriptorForKeyword(fourCharCode("usrf"))->numberOfItems(), 2u);

    QByteArray words(8, 0);
    const std::uint32_t eventClass = fourCharCode("misc"), eventID = fourCharCode("mvis");
    std::memcpy(words.data(), &eventClass, 4);
    std::memcpy(words.data() + 4, &eventID, 4);
    const QVariantMap record = EventDescriptor::withTypeAndData(fourCharCode("evnt"), words).objectValue().toMap();
    EXPECT_EQ(record.value("EventClass").toUInt(), eventClass);
    EXPECT_EQ(record.value("EventID").toUInt(), eventID);
}

TEST(EventDescriptorTest, TheFlattenedFormRoundTripsAndRefusesAnythingMalformed)
{
    const auto event = EventDescriptor::descriptorWithSubroutineNameArguments("f", {1, QVariantMap{{"a", "b"}}});
    const QByteArray flat = event.flattenedData();
    EXPECT_EQ(EventDescriptor::fromFlattenedData(flat), event);
    for (qsizetype cut : {qsizetype(0), qsizetype(4), flat.size() / 2, flat.size() - 1})
        EXPECT_FALSE(EventDescriptor::fromFlattenedData(flat.left(cut))) << cut;
    EXPECT_FALSE(EventDescriptor::fromFlattenedData(flat + "x"));
    // A count far beyond the bytes is refused before anything is made.
    QByteArray huge = EventDescriptor::listDescriptor().flattenedData();
    huge[9] = '\xff', huge[10] = '\xff', huge[11] = '\xff', huge[12] = '\x7f';
    EXPECT_FALSE(EventDescriptor::fromFlattenedData(huge));
}

} // namespace
