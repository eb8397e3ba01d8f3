// The page-side half of pasting a shape record, kept apart from the canvas so that it can be fuzzed alone:
// building the shapes of a checked record with fresh identifiers, and adding the record's connections
// among them. Placement and selection stay with the canvas. Main thread only.
#pragma once

#include "platform/kit/PasteboardRecords.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class Composition;
class Shape;

struct PastedShapes {
    // Not yet on the page, in record order.
    std::vector<std::shared_ptr<Shape>> shapes;
    // Beside each shape, the identifier of the shape it was copied from (empty when the record has none).
    QStringList peers;
    // Every identifier of the record (nested ones too) -> the one its new shape took.
    QHash<QString, QString> freshIdentifiers;
    // Why entries were left out, one line each.
    QStringList skipped;
};

// The identifiers of the pictures the record's entries show, nested ones too.
QSet<QString> imageIdentifiersInRecord(const pf::ShapeRecord& record);

// Entries naming no stored kind, or a page, selection or band, are skipped with their peers. Groups find
// the page in the thread dictionary while their children are built, as when a document is read. A picture
// the target document stored under another identifier is shown under that one (renamedImages: old -> new).
// The record is not changed.
PastedShapes buildShapesFromRecord(const pf::ShapeRecord& record, const std::shared_ptr<Composition>& page,
                                   const QHash<QString, QString>& renamedImages = {});
// Adds the connections of the record that join two of the new shapes (already on the page); answers why
// the others were left out.
QStringList addRecordConnections(const pf::ShapeRecord& record, const QHash<QString, QString>& freshIdentifiers,
                                 Composition& page);
