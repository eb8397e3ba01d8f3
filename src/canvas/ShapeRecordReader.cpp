#include "canvas/ShapeRecordReader.h"

#include "model/Composition.h"
#include "model/Connection.h"
#include "model/StickyDefaults.h"
#include "platform/foundation/Identifier.h"
#include "platform/foundation/ThreadDictionary.h"

namespace {

// Gives the entry, and every child of a group at any depth, a fresh identifier, filing old -> fresh. The
// children need theirs too: two pastes of one group would otherwise register the same identifiers twice.
void renewIdentifiers(pf::Value& entry, QHash<QString, QString>& fresh)
{
    if (!entry.isDictionary())
        return;
    const QString old = entry.stringForKey(u"identifier");
    const QString renewed = pf::newIdentifier();
    if (!old.isEmpty())
        fresh.insert(old, renewed);
    entry.set(QStringLiteral("identifier"), renewed);
    if (!entry.objectForKey(u"children").isArray())
        return;
    pf::Value::Array children = entry.objectForKey(u"children").asArray();
    for (pf::Value& child : children)
        renewIdentifiers(child, fresh);
    entry.set(QStringLiteral("children"), pf::Value(std::move(children)));
}

// Only shapes a document may hold come from a record: no page, selection object or rubber band.
bool isPastable(const Shape& shape)
{
    return !dynamic_cast<const Composition*>(&shape) && !shape.isManipulator() && !shape.isLasso();
}

} // namespace

PastedShapes buildShapesFromRecord(const pf::ShapeRecord& record, const std::shared_ptr<Composition>& page)
{
    PastedShapes pasted;
    if (!page)
        return pasted;
    const pf::ThreadValueScope scope(QString::fromLatin1(pf::TlsCompositionKey), pf::Variant(page));
    for (std::size_t i = 0; i < record.shapes.size(); ++i) {
        pf::Value entry = record.shapes[i];
        renewIdentifiers(entry, pasted.freshIdentifiers);
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
