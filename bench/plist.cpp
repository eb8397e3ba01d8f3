// The property-list reader and writer against their floor: QXmlStreamReader tokenising the same bytes
// (every token's text touched) and QXmlStreamWriter writing the same elements with no checks.
#include "platform/foundation/PropertyList.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <benchmark/benchmark.h>

namespace {

// A document shaped like a saved page: a few thousand shape dictionaries of strings, numbers and flags.
const pf::Value& document()
{
    static const pf::Value doc = [] {
        pf::Value children = pf::Value::array();
        for (int i = 0; i < 6000; ++i) {
            pf::Value shape;
            shape.set(QStringLiteral("className"), "Rectangle");
            shape.set(QStringLiteral("identifier"), QStringLiteral("6F1D2C3A-0B4E-4F5A-9C8D-%1").arg(i, 12, 10, QChar(u'0')));
            shape.set(QStringLiteral("frame"), QStringLiteral("{{%1, %2}, {120, 80}}").arg(i % 700).arg(i / 7));
            shape.set(QStringLiteral("fillColor"), "0.250000:0.500000:0.750000:1.000000");
            shape.set(QStringLiteral("strokeWidth"), 1.5 + i % 3);
            shape.set(QStringLiteral("rotationAngle"), i % 360);
            shape.set(QStringLiteral("opacity"), 0.875);
            shape.set(QStringLiteral("hidden"), false);
            shape.set(QStringLiteral("locked"), i % 5 == 0);
            shape.set(QStringLiteral("title"), QStringLiteral("Shape & title <%1>").arg(i));
            shape.set(QStringLiteral("adjustRatios"), pf::Value(pf::Value::Array{pf::Value(0.25), pf::Value(0.5)}));
            children.append(shape);
        }
        pf::Value page;
        page.set(QStringLiteral("children"), children);
        page.set(QStringLiteral("version"), 3);
        return page;
    }();
    return doc;
}

const QByteArray& documentBytes()
{
    static const QByteArray bytes = *pf::writePropertyList(document()).data;
    return bytes;
}

void BM_ReadPropertyList(benchmark::State& state)
{
    const QByteArray& bytes = documentBytes();
    for (auto _ : state)
        benchmark::DoNotOptimize(pf::readPropertyList(bytes));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void BM_PeerTokenise(benchmark::State& state)
{
    const QByteArray& bytes = documentBytes();
    for (auto _ : state) {
        QXmlStreamReader xml(bytes);
        qsizetype total = 0;
        while (!xml.atEnd()) {
            xml.readNext();
            total += xml.name().size() + xml.text().size();
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void BM_WritePropertyList(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(pf::writePropertyList(document()));
    state.SetBytesProcessed(state.iterations() * documentBytes().size());
}

void writePlain(QXmlStreamWriter& xml, const pf::Value& v)
{
    switch (v.type()) {
    case pf::Value::Type::Dictionary:
        xml.writeStartElement(QStringLiteral("dict"));
        for (const auto& [key, item] : v.asDictionary()) {
            xml.writeTextElement(QStringLiteral("key"), key);
            writePlain(xml, item);
        }
        xml.writeEndElement();
        break;
    case pf::Value::Type::Array:
        xml.writeStartElement(QStringLiteral("array"));
        for (const pf::Value& item : v.asArray())
            writePlain(xml, item);
        xml.writeEndElement();
        break;
    case pf::Value::Type::String:
        xml.writeTextElement(QStringLiteral("string"), v.asString());
        break;
    case pf::Value::Type::Integer:
        xml.writeTextElement(QStringLiteral("integer"), QString::number(v.integerValue()));
        break;
    case pf::Value::Type::Real:
        xml.writeTextElement(QStringLiteral("real"), QString::number(v.doubleValue(), 'g', 17));
        break;
    default:
        xml.writeEmptyElement(v.boolValue() ? QStringLiteral("true") : QStringLiteral("false"));
        break;
    }
}

void BM_PeerWrite(benchmark::State& state)
{
    for (auto _ : state) {
        QByteArray out;
        QXmlStreamWriter xml(&out);
        xml.setAutoFormatting(true);
        xml.setAutoFormattingIndent(-1);
        xml.writeStartDocument();
        xml.writeStartElement(QStringLiteral("plist"));
        writePlain(xml, document());
        xml.writeEndDocument();
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(state.iterations() * documentBytes().size());
}

} // namespace

BENCHMARK(BM_ReadPropertyList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeerTokenise)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WritePropertyList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeerWrite)->Unit(benchmark::kMillisecond);
