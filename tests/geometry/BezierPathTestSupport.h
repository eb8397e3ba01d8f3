// Small path builders shared by the bezier path tests.
#pragma once

#include "platform/graphics/Path.h"

#include <initializer_list>
#include <vector>

namespace test {

inline std::vector<pf::PathElementType> types(const pf::Path& p)
{
    std::vector<pf::PathElementType> out;
    for (const pf::PathElement& e : p.elements())
        out.push_back(e.type);
    return out;
}

inline pf::Path polyline(std::initializer_list<pf::Point> points, bool closed = false)
{
    pf::Path p;
    for (const pf::Point& q : points) {
        if (p.isEmpty())
            p.moveTo(q);
        else
            p.lineTo(q);
    }
    if (closed)
        p.close();
    return p;
}

} // namespace test
