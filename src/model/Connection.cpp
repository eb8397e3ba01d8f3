#include "model/Connection.h"

#include "model/Composition.h"
#include "model/Shape.h"
#include "model/StoredNumbers.h"

#include <QLoggingCategory>

namespace {
Q_LOGGING_CATEGORY(lcConnection, "quorvel.model.connection")
}

const pf::ClassObject& Connection::staticClass()
{
    static const pf::ClassObject c(QStringLiteral("Connection"), &pf::Object::staticClass());
    return c;
}

std::shared_ptr<Connection> Connection::make(Composition* page)
{
    auto connection = std::make_shared<Connection>();
    connection->composition_ = page;
    return connection;
}

void Connection::setShape(const std::shared_ptr<Shape>& shape)
{
    if (shape_.lock() == shape)
        return;
    shape_ = shape;
    if (shape)
        shape->setProvisionalConnection(std::static_pointer_cast<Connection>(shared_from_this()));
}

Shape* Connection::pointer() const { return pointer_.lock().get(); }

pf::Point Connection::locationInComposition() const
{
    const auto shape = shape_.lock();
    const pf::Rect r = shape ? QVRectGetNormalizedRect(shape->snapRect()) : pf::Rect::zero();
    pf::Point p;
    if (shape && shape->rotationAngle() != 0) {
        p = pf::Point(r.midX(), r.midY());
    } else {
        switch (shapeEdge_) {
        case QVRectEdgeLeft: p = pf::Point(r.x(), r.y() + shapeRatio_ * r.height()); break;
        case QVRectEdgeRight: p = pf::Point(r.maxX(), r.y() + shapeRatio_ * r.height()); break;
        case QVRectEdgeTop: p = pf::Point(r.x() + shapeRatio_ * r.width(), r.y()); break;
        case QVRectEdgeBottom: p = pf::Point(r.x() + shapeRatio_ * r.width(), r.maxY()); break;
        case QVRectEdgeMid: p = pf::Point(r.midX(), r.midY()); break;
        default: break;
        }
    }
    return QVPointRound(p);
}

std::shared_ptr<Connection> Connection::copy() const
{
    auto c = std::make_shared<Connection>();
    c->committed_ = true;
    c->shape_ = shape_;
    c->pointer_ = pointer_;
    c->pointerCorner_ = pointerCorner_;
    c->shapeEdge_ = shapeEdge_;
    c->shapeRatio_ = shapeRatio_;
    return c;
}

QString Connection::description() const
{
    return QStringLiteral("<Connection %1 (%2 %3)>")
        .arg(QString::number(reinterpret_cast<quintptr>(this), 16), QVRectEdgeGetDescription(shapeEdge_).value_or(QString()),
             QString::number(shapeRatio_, 'g', 6));
}

pf::Value Connection::asPlist() const
{
    pf::Value d = pf::Value::dictionary();
    if (const auto shape = shape_.lock())
        d.set(QStringLiteral("shapeIdentifier"), shape->identifier());
    if (const auto pointer = pointer_.lock())
        d.set(QStringLiteral("pointerIdentifier"), pointer->identifier());
    d.set(QStringLiteral("pointerCorner"), static_cast<std::int64_t>(pointerCorner_));
    d.set(QStringLiteral("shapeEdge"), static_cast<std::int64_t>(shapeEdge_));
    d.set(QStringLiteral("shapeRatio"), finiteOrZero(shapeRatio_));
    return d;
}

std::shared_ptr<Connection> Connection::fromPlist(const pf::Value& plist, Composition& page)
{
    const QString& shapeId = plist.stringForKey("shapeIdentifier");
    const QString& pointerId = plist.stringForKey("pointerIdentifier");
    auto shape = page.shapeForIdentifier(shapeId);
    auto pointer = page.shapeForIdentifier(pointerId);
    if (!shape || !pointer) {
        qCWarning(lcConnection, "Connection: %s names no shape on the page; dropped",
                  qUtf8Printable((shape ? pointerId : shapeId).left(64)));
        return nullptr;
    }
    auto c = make(&page);
    c->committed_ = true;
    c->setShape(shape);
    c->setPointer(pointer);
    c->pointerCorner_ = plist.intForKey("pointerCorner");
    c->shapeEdge_ = plist.intForKey("shapeEdge");
    c->shapeRatio_ = storedDouble(plist, "shapeRatio");
    page.addConnection(c);
    return c;
}
