// The XML property-list format: documents, the clipboard, library entries and the user defaults are
// stored in it.
//
// Writing gives Apple's layout exactly: the XML declaration and the PLIST 1.0 DOCTYPE, <plist
// version="1.0">, the root value unindented and its contents indented by tabs, dictionary keys in
// sorted order, reals in the shortest text that reads back to the same double, dates in ISO 8601 UTC
// ("2026-12-09T12:00:00Z"; milliseconds only when there are some), data in base64 lines, empty
// containers as <dict/> and <array/>, and a trailing newline.
//
// Reading accepts what other writers produce (any indentation, reals in exponent form, signed integers,
// base64 with line breaks, comments, no DOCTYPE) and rejects, with an error that names the line and
// column, anything else: malformed XML, a binary property list, an unknown element, text where none
// belongs, a dictionary whose keys and values do not pair, an integer beyond the signed 64-bit range,
// nesting deeper than maxDepth, entity declarations. A failed read never yields a partial value.
//
// Non-finite reals have no XML form that the model could use: a read one is dropped from its dictionary
// or array (logged), a written one is written as 0 (logged).
#pragma once

#include "platform/foundation/ByteSink.h"
#include "platform/foundation/Value.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <span>

namespace pf {

struct PropertyListReadResult {
    std::optional<Value> value; // present exactly when the read succeeded
    QString error;              // why it failed; empty on success
    bool ok() const { return value.has_value(); }
};

struct PropertyListWriteResult {
    std::optional<QByteArray> data; // present exactly when the write succeeded
    QString error;
    bool ok() const { return data.has_value(); }
};

// Containers nested deeper than this are refused by the reader (and the writer, so that whatever is
// written can be read).
inline constexpr int propertyListMaxDepth = 512;

PropertyListReadResult readPropertyList(const QByteArray& xml);

// Fails for a value that has no property-list form: a null value (anywhere in the tree), an invalid date
// or one outside the years 1 to 9999, a string or key holding a character XML cannot carry (controls
// other than tab, line feed and carriage return, lone surrogates, U+FFFE, U+FFFF), or nesting deeper than
// propertyListMaxDepth. The error names the key path of the offending value.
PropertyListWriteResult writePropertyList(const Value& root);

// The same bytes handed to sink a piece at a time as they are made (some tens of kilobytes each), so that
// a large document is never whole in memory. False when the value cannot be written (error says why, as
// above) or when the sink refused a piece (error left empty: the sink knows why); the sink may have had
// part of the bytes by then.
bool writePropertyList(const Value& root, const ByteSink& sink, QString* error);

// An array of the tree whose elements are made one at a time as the writer reaches them, each gone once
// written: a large document's parts are kept in a compact form and never all unpacked at once. The tree
// holds the array itself (empty) where it belongs; the writer knows it by its address.
struct ElementsMadeWhileWriting {
    const Value::Array* array = nullptr;
    std::size_t count = 0;
    std::function<Value(std::size_t index)> element;
};
// As above, the arrays listed written from their makers.
bool writePropertyList(const Value& root, const ByteSink& sink, QString* error,
                       std::span<const ElementsMadeWhileWriting> made);

} // namespace pf
