// Conversion between a property list and its stored bytes (the XML property-list format), as the
// document reader and writer and the preview generator use it for "composition_data.plist".
#pragma once

#include "platform/foundation/Value.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The XML bytes of plist; nothing when it has no property-list form (a null value, an invalid date, a
// string XML cannot carry), with the reason in *error when error is given.
std::optional<QByteArray> QVDataFromPlist(const pf::Value& plist, QString* error = nullptr);

// The property list read from XML bytes; a null value when they are not a valid XML property list (binary
// ones included), with the reason in *error when error is given. The result is freely mutable: values
// are copied on write.
pf::Value QVPlistFromData(const QByteArray& data, QString* error = nullptr);
