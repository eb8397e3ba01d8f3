#include "canvas/ShapeRecordReader.h"

#include "model/Composition.h"
#include "model/Connection.h"
#include "model/StickyDefaults.h"
#include "platform/foundation/Identifier.h"
#include "platform/foundation/ThreadDictionary.h"

namespace {

const QString imageIdentifierKey = QStringLiteral("imageIdentifier");

// Gives the entry, and every child of a group at any depth, a fresh identifier, filing old -> fresh. The
// children need theirs too: two pastes of one group would otherwise register the same identifiers twice.
// A picture stored under another name here is named by that one.
void renewIdentifiers(pf::Value& entry, QHash<QString, QString>& fresh, const QHash<QString, QString>& renamedImages)
{
    if (!entry.isDictionary())
        return;
    const QString old = entry.stringForKey(u"identifier");
    const QString renewed = pf::newIdentifier();
    if (!old.isEmpty())
        fresh.insert(old, renewed);
    entry.set(QStringLiteral("identifier"), renewed);
    if (const auto image = renamedImages.constFind(entry.stringForKey(imageIdentifierKey)); image != renamedImages.cend())
        entry.set(imageIdentifierKey, *image);
    if (!entry.objectForKey(u"children").isArray())
        return;
    pf::Value::Array children = entry.objectForKey(u"children").asArray();
    for (pf::Value& child : children)
        renewIdentifiers(child, fresh, renamedImages);
    entry.set(QStringLiteral("children"), pf::Value(std::move(children)));
}

void collectImageIdentifiers(const pf::Value& entry, QSet<QString>& found)
{
    if (const pf::Value& image = entry.objectForKey(imageIdentifierKey); image.isString())
        found.insert(image.asString());
    for (const pf::Value& child : entry.objectForKey(u"children").asArray())
        collectImageIdentifiers(child, found);
}

// Only shapes a document may hold come from a record: no page, selection object or rubber band.
bool isPastable(const Shape& shape)
{
    return !dynamic_cast<const Composition*>(&shape) && !shape.isManipulator() && !shape.isLasso();
}

} // namespace

QSet<QString> imageIdentifiersInRecord(const pf::ShapeRecord& record)
{
    QSet<QString> found;
    for (const pf::Value& entry : record.shapes)
        collectImageIdentifiers(entry, found);
    return found;
}

PastedShapes buildShapesFromRecord(const pf::ShapeRecord& record, const std::shared_ptr<Composition>& page,
                                   const QHash<QString, QString>& renamedImages)
{
    PastedShapes pasted;
    if (!page)
        return pasted;
    const pf::ThreadValueScope scope(QString::fromLatin1(pf::TlsCompositionKey), pf::Variant(page));
    for (std::size_t i = 0; i < record.shapes.size(); ++i) {
        pf::Value entry = record.shapes[i];
        renewIdentifiers(entry, pasted.freshIdentifiers, renamedImages);
        auto shape = StickyDefaults::doWithoutStickySettingOrGetting([&] { return Shape::fromPlist(entry); });
        if (!shape || !isPastable(*shape)) {
            pasted.skipped << QStringLiteral("entry %1 (\"%2\") is not a shape a page can hold")
                                  .arg(i)
                                  .arg(entry.stringForKey(u"className").left(200));
            // A group's children registered while it was built.
            if (shape)
                page->deregisterShape(shape);
            continue;
        }
        pasted.shapes.push_back(std::move(shape));
        pasted.peers << (record.peerIds.isEmpty() ? QString() : record.peerIds[qsizetype(i)]);
    }
    return pasted;
}

QStringList addRecordConnections(const pf::ShapeRecord& record, const QHash<QString, QString>& freshIdentifiers,
                                 Composition& page)
{
    QStringList skipped;
    for (std::size_t i = 0; i < record.connections.size(); ++i) {
        pf::Value entry = record.connections[i];
        const QString shapeId = freshIdentifiers.value(entry.stringForKey(u"shapeIdentifier"));
        const QString pointerId = freshIdentifiers.value(entry.stringForKey(u"pointerIdentifier"));
        // Any other end would pin a connector to nothing.
        if (shapeId.isEmpty() || pointerId.isEmpty() || shapeId == pointerId) {
            skipped << QStringLiteral("connection %1 does not join two pasted shapes").arg(i);
            continue;
        }
        entry.set(QStringLiteral("shapeIdentifier"), shapeId);
        entry.set(QStringLiteral("pointerIdentifier"), pointerId);
        if (!Connection::fromPlist(entry, page))
            skipped << QStringLiteral("connection %1 names a shape that is not on the page").arg(i);
    }
    return skipped;
}
