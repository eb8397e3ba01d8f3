// The compiled-in resources: everything under resources/ is at ":/<path below resources>".
#pragma once

#include "platform/foundation/Value.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace pf {

// The path of the resource file "<name>.<type>" (just "<name>" when type is empty) anywhere in the
// resource tree, or an empty string. With several such files the shallowest wins, then the first in path
// order, so the answer does not depend on the order of the resource tree.
QString resourcePath(const QString& name, const QString& type);

// The bytes of that resource; nothing when there is no such file.
std::optional<QByteArray> resourceData(const QString& name, const QString& type);

// The application's information dictionary (resources/info/Info.plist): its identity and its
// registrations ("OFRegistrations"). Read once; an empty dictionary when it is missing or unreadable.
const Value& mainBundleInfoDictionary();

} // namespace pf
