// A UUID as plug-ins name their factories, types and interfaces: sixteen bytes, written as 36 upper-case
// hexadecimal characters with hyphens.
#pragma once

#include "platform/plugin/PlugInAbi.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace pf {

class Uuid {
public:
    Uuid() = default;
    explicit Uuid(const PFUUIDBytes& bytes);

    // Nothing for a string that is not 32 hexadecimal digits in the 8-4-4-4-12 layout (either case).
    static std::optional<Uuid> fromString(const QString& text);

    PFUUIDBytes bytes() const;
    QString toString() const;

    bool operator==(const Uuid& other) const = default;

private:
    std::array<std::uint8_t, 16> bytes_{};
};

} // namespace pf
