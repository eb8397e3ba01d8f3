#include "geometry/FBPathBoolean.h"

#include "geometry/FBBezierGraph.h"

namespace {

enum class Same { Itself, Nothing };

// `same` is the answer when both paths are one and the same (a shape combined with its copy): the path
// itself, as the operations shape it (combined with nothing), or nothing. Every stretch of such a pair
// is shared, the slowest case of the general search.
template <typename Operation>
pf::Path combine(const pf::Path& path1, const pf::Path& path2, Operation operation, Same same)
{
    if (path1.sameElements(path2)) {
        if (same == Same::Nothing)
            return {};
        FBBezierGraph graph(path1);
        FBBezierGraph nothing;
        return graph.unionWithBezierGraph(nothing).newBezierPath();
    }
    FBBezierGraph graph1(path1);
    FBBezierGraph graph2(path2);
    return (graph1.*operation)(graph2).newBezierPath();
}

} // namespace

pf::Path CGPath_FBCreateUnion(const pf::Path& path1, const pf::Path& path2)
{
    return combine(path1, path2, &FBBezierGraph::unionWithBezierGraph, Same::Itself);
}

pf::Path CGPath_FBCreateIntersect(const pf::Path& path1, const pf::Path& path2)
{
    return combine(path1, path2, &FBBezierGraph::intersectWithBezierGraph, Same::Itself);
}

pf::Path CGPath_FBCreateDifference(const pf::Path& path1, const pf::Path& path2)
{
    return combine(path1, path2, &FBBezierGraph::differenceWithBezierGraph, Same::Nothing);
}

pf::Path CGPath_FBCreateXOR(const pf::Path& path1, const pf::Path& path2)
{
    return combine(path1, path2, &FBBezierGraph::xorWithBezierGraph, Same::Nothing);
}
