#include "geometry/QVPropertyList.h"

#include "platform/foundation/PropertyList.h"

std::optional<QByteArray> QVDataFromPlist(const pf::Value& plist, QString* error)
{
    pf::PropertyListWriteResult result = pf::writePropertyList(plist);
    if (error)
        *error = result.error;
    return std::move(result.data);
}

pf::Value QVPlistFromData(const QByteArray& data, QString* error)
{
    pf::PropertyListReadResult result = pf::readPropertyList(data);
    if (error)
        *error = result.error;
    return result.value ? std::move(*result.value) : pf::Value();
}
