// The index answered by searches that find nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

namespace pf {

inline constexpr std::size_t NotFound = static_cast<std::size_t>(std::numeric_limits<std::int64_t>::max());

} // namespace pf
