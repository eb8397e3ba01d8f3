#include "shapes/PathData.h"

#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Value.h"

#include <cmath>
#include <cstdint>

namespace pathdata {

namespace {

const QString versionKey = QStringLiteral("version");
const QString windingKey = QStringLiteral("windingRule");
const QString typesKey = QStringLiteral("elementTypes");
const QString pointsKey = QStringLiteral("points");

std::optional<pf::Path> refuse(QString* errorOut, const QString& reason)
{
    if (errorOut)
        *errorOut = reason;
    return std::nullopt;
}

} // namespace

QByteArray encode(const pf::Path& path)
{
    pf::Value::Array types;
    pf::Value::Array numbers;
    types.reserve(size_t(path.elementCount()));
    numbers.reserve(size_t(path.elementCount()) * 2);
    for (const pf::PathElement& e : path.elements()) {
        types.emplace_back(static_cast<std::int64_t>(e.type));
        if (e.type == pf::PathElementType::Close)
            continue;
        for (int i = 0; i < e.pointCount(); ++i) {
            numbers.emplace_back(e.points[i].x);
            numbers.emplace_back(e.points[i].y);
        }
    }
    pf::Value::Dictionary root;
    root[versionKey] = pf::Value(currentVersion);
    root[windingKey] = pf::Value(static_cast<std::int64_t>(path.windingRule()));
    root[typesKey] = pf::Value(std::move(types));
    root[pointsKey] = pf::Value(std::move(numbers));
    const auto written = pf::writePropertyList(pf::Value(std::move(root)));
    return written.ok() ? *written.data : QByteArray();
}

std::optional<pf::Path> decode(const QByteArray& data, QString* errorOut)
{
    const auto read = pf::readPropertyList(data);
    if (!read.ok())
        return refuse(errorOut, QStringLiteral("not a path property list (%1)").arg(read.error));
    const pf::Value& root = *read.value;
    const pf::Value& version = root.objectForKey(versionKey);
    if (!root.isDictionary() || !version.isInteger())
        return refuse(errorOut, QStringLiteral("not a path property list (no version)"));
    if (version.integerValue() < 1 || version.integerValue() > currentVersion)
        return refuse(errorOut, QStringLiteral("path format version %1 is not known").arg(version.integerValue()));

    pf::Path path;
    const pf::Value& winding = root.objectForKey(windingKey);
    if (!winding.isInteger() || (winding.integerValue() != 0 && winding.integerValue() != 1))
        return refuse(errorOut, QStringLiteral("the winding rule is not 0 or 1"));
    path.setWindingRule(static_cast<pf::WindingRule>(winding.integerValue()));

    const pf::Value& typesValue = root.objectForKey(typesKey);
    const pf::Value& pointsValue = root.objectForKey(pointsKey);
    if (!typesValue.isArray() || !pointsValue.isArray())
        return refuse(errorOut, QStringLiteral("the elements or the points are not lists"));
    const pf::Value::Array& types = typesValue.asArray();
    const pf::Value::Array& numbers = pointsValue.asArray();

    size_t next = 0;
    for (size_t index = 0; index < types.size(); ++index) {
        const pf::Value& type = types[index];
        if (!type.isInteger() || type.integerValue() < 0 || type.integerValue() > 4)
            return refuse(errorOut, QStringLiteral("element %1 has no known type").arg(index));
        pf::PathElement e;
        e.type = static_cast<pf::PathElementType>(type.integerValue());
        if (index == 0 && e.type != pf::PathElementType::MoveTo)
            return refuse(errorOut, QStringLiteral("the path does not start with a move"));
        const int count = e.type == pf::PathElementType::Close ? 0 : e.pointCount();
        if (numbers.size() - next < size_t(count) * 2)
            return refuse(errorOut, QStringLiteral("element %1 is missing points").arg(index));
        for (int i = 0; i < count; ++i) {
            const pf::Value& x = numbers[next++];
            const pf::Value& y = numbers[next++];
            if (!x.isNumber() || !y.isNumber() || !std::isfinite(x.doubleValue()) || !std::isfinite(y.doubleValue()))
                return refuse(errorOut, QStringLiteral("element %1 has a point that is not a finite number").arg(index));
            e.points[i] = pf::Point(x.doubleValue(), y.doubleValue());
        }
        path.appendElement(e);
    }
    if (next != numbers.size())
        return refuse(errorOut, QStringLiteral("%1 numbers are left over").arg(numbers.size() - next));
    return path;
}

} // namespace pathdata
