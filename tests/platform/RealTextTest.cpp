#include "platform/foundation/RealText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

std::string shortest(double v)
{
    char buffer[64];
    return std::string(buffer, pf::detail::putShortestReal(buffer, buffer + sizeof buffer, v));
}

std::string general(double v)
{
    char buffer[64];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, v).ptr);
}

// The whole-number shortcut must write what the general search writes, most of all where the fixed and the
// scientific forms are the same length (1e4) or the scientific is shorter (1e5 and beyond).
TEST(RealText, WritesWhatTheGeneralSearchWrites)
{
    for (int i = -100500; i <= 100500; ++i)
        ASSERT_EQ(shortest(i), general(i)) << i;
    for (const double v : {0.0, -0.0, 0.5, -0.5, 0.1, 1e-7, 99999.5, 99999.99999999999, 1e5, -1e5, 1e5 + 1, 2e9,
                           -2147483648.0, 4294967296.0, 1e15, 1e16, 1e300, 5e-324,
                           std::numeric_limits<double>::max(), std::nextafter(1e5, 0.0)})
        EXPECT_EQ(shortest(v), general(v)) << v;
    EXPECT_EQ(shortest(-0.0), "-0");
    EXPECT_EQ(shortest(10000), "10000");
    EXPECT_EQ(shortest(100000), "1e+05");
}

} // namespace
