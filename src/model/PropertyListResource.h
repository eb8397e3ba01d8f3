// A compiled-in property-list resource ("<name>.plist"), read once by whoever needs it.
#pragma once

#include "platform/foundation/Value.h"

#include <QString>

#include <optional>

// The resource's value; nothing (logged) when it is missing or unreadable.
std::optional<pf::Value> propertyListResource(const QString& name);
