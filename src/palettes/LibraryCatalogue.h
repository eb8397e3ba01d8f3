// The library's catalogue of shape kinds and its search: which kinds the palette lists, in which order,
// which of them are drawing tools the canvas's keys choose, and which entries a query finds.
//
// An entry is the kind's library record (ShapeClass::plist): "className" always, and "title",
// "shortTitle", "longDescription", "iconImageName", "extraSearchString", "negativeSearchString" when the
// kind gives them.
#pragma once

#include "platform/foundation/Value.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <vector>

namespace library {

// The class names of the listed kinds, in the order of the rows when no query is typed.
const QStringList& catalogueClassNames();
// The kinds whose rows the palette tracks for the canvas's tool keys.
const QStringList& toolClassNames();

// The records of the catalogue's kinds, in catalogue order. A name that no registered kind answers is
// left out (and logged).
pf::Value::Array catalogueEntries();

// The positions in entries of the ones the query finds, in their order.
//
// The query is trimmed; an empty one finds every entry. Otherwise it is split at white space into tokens,
// and an entry is found when every token occurs, ignoring case, in its text (title, description and extra
// words, joined by blanks) or in that text with its white space removed, so that two adjacent words typed
// as one still find it. An entry whose negative search string of two or more characters is the whole
// trimmed query, exactly, is not found. A value the entry lacks counts as empty text.
std::vector<std::size_t> filterEntries(const pf::Value::Array& entries, const QString& query);

} // namespace library
