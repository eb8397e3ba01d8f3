#include "model/PropertyListResource.h"

#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Resources.h"

#include <QDebug>

std::optional<pf::Value> propertyListResource(const QString& name)
{
    const auto data = pf::resourceData(name, QStringLiteral("plist"));
    if (!data) {
        qWarning("Resource \"%s.plist\" is missing", qPrintable(name));
        return std::nullopt;
    }
    auto result = pf::readPropertyList(*data);
    if (!result.ok())
        qWarning("Resource \"%s.plist\" is unreadable: %s", qPrintable(name), qPrintable(result.error));
    return std::move(result.value);
}
