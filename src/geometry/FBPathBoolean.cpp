#include "geometry/FBPathBoolean.h"

#include "geometry/FBBezierGraph.h"

namespace {
template <typename Operation>
pf::Path combine(const pf::Path& path1, const pf::Path& path2, Operation operation)
{
    FBBezierGraph graph1(path1);
    FBBezierGraph graph2(path2);
    return (graph1.*operation)(graph2).newBezierPath();
}
} // namespace

pf::Path CGPath_FBCreateUnion(const pf::Path& path1, const pf::Path& path2)
{
    return combine(path1, path2, &FBBezierGraph::unionWithBezierGraph);
}

pf::Path CGPath_FBCreateIntersect(const pf::Path& path1, const pf::Path& path2)
{
    return combine(path1, path2, &FBBezierGraph::intersectWithBezierGraph);
}

pf::Path CGPath_FBCreateDifference(const pf::Path& path1, const pf::Path& path2)
{
    return combine(path1, path2, &FBBezierGraph::differenceWithBezierGraph);
}

pf::Path CGPath_FBCreateXOR(const pf::Path& path1, const pf::Path& path2)
{
    return combine(path1, path2, &FBBezierGraph::xorWithBezierGraph);
}
