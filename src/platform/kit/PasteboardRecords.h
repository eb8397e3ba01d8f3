// The editor's records on the pasteboard, checked before use: they arrive from other programs and other
// versions, so every container and value the editor relies on is of the expected kind, every number is
// finite and every rect string parses; anything else is refused whole with an error that says what.
//
// - Shape record ("shapes", "peerIds", "connections", "images"): the copied shapes' property lists, the
//   identifiers of the shapes they were copied from, the connections among the copies, and the pictures
//   the copies show ("images": identifier -> {"data": the picture's bytes, "type": their pasteboard type}),
//   so that another document can store them. Records of older versions have no "images".
// - Style record: one shape's style dictionary.
// - Shape info: a library entry, naming the class of the shape to make and its frame.
#pragma once

#include "platform/foundation/Geometry.h"
#include "platform/foundation/Value.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>

namespace pf {

// A picture carried by a shape record.
struct RecordPicture {
    QByteArray data;
    // The pasteboard type of the bytes ("public.png", ...); empty when the record names none.
    QString type;
};

struct ShapeRecord {
    // Dictionaries, each with a non-empty "className".
    Value::Array shapes;
    // One per shape, or none at all: a list of another length is dropped on reading.
    QStringList peerIds;
    // Dictionaries.
    Value::Array connections;
    // The bytes of the pictures the shapes show, by the identifier they show them under; written only when
    // there are some. Each has bytes; whether they decode is the document's to judge.
    std::map<QString, RecordPicture> images = {};

    Value toPropertyList() const;
};

std::optional<ShapeRecord> readShapeRecord(const Value& plist, QString* errorOut = nullptr);
// A dictionary whose text attributes, when present, are of their kinds: "textColor" and "textFontName"
// strings, "textFontSize" a finite positive number.
std::optional<Value> readStyleRecord(const Value& plist, QString* errorOut = nullptr);
// A dictionary with a non-empty string "className" and, when present, a "frame" that parses as a rect.
std::optional<Value> readShapeInfo(const Value& plist, QString* errorOut = nullptr);

// "{{x, y}, {w, h}}" with four finite numbers and nothing else; empty otherwise. (pf::rectFromString is
// lenient, for stored documents; this is for data that must prove itself.)
std::optional<Rect> parseRectStrictly(const QString& text);

} // namespace pf
