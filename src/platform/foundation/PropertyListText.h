// The pieces of the XML property-list reader that both of its paths share: the XML character classes and
// the parsers of the leaf elements' text. Internal to the property-list code.
#pragma once

#include "platform/foundation/PropertyList.h"

#include <QByteArray>
#include <QDateTime>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace pf::plist {

inline bool isXmlSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

QStringView trimmedXml(QStringView s);

// Characters XML 1.0 can carry: tab, line feed, carriage return, U+0020-U+D7FF, U+E000-U+FFFD and
// paired surrogates.
bool isXmlText(QStringView s);

// The text of <integer>, <real>, <data> and <date>, white space around it allowed. Integers read from the
// signed 64-bit minimum to the unsigned maximum; those above the signed range keep their 64 bits.
enum class NumberRead { Ok, NotANumber, OutOfRange, NonFinite };
NumberRead parseInteger(QStringView text, std::int64_t& value);
NumberRead parseReal(QStringView text, double& value);
std::optional<QByteArray> parseData(QStringView text);
std::optional<QDateTime> parseDate(QStringView text);

// The reader's fast path: the property lists that writers produce (UTF-8, the usual declaration and
// DOCTYPE, no comments, no CDATA, no attributes but the version) read straight from the bytes. Nullopt for
// anything else, well-formed or not: the general reader then reads it, and names the fault if any.
std::optional<Value> readPlainPropertyList(const QByteArray& xml);

// The general reader alone, on any XML: the fast path must read what it accepts exactly as this does.
PropertyListReadResult readXmlPropertyList(const QByteArray& xml);

} // namespace pf::plist
