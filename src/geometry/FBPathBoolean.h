// Union, intersection, difference and exclusive-or of two paths. Each answers a new path that the caller
// owns; the inputs are only read. Inputs are read with the even-odd sense of their subpaths (a subpath
// inside an odd number of others is a hole); results are made for the non-zero rule (inner subpaths run
// against their containers) and have no close elements: each subpath ends where it started.
#pragma once

#include "platform/graphics/Path.h"

pf::Path CGPath_FBCreateUnion(const pf::Path& path1, const pf::Path& path2);
pf::Path CGPath_FBCreateIntersect(const pf::Path& path1, const pf::Path& path2);
pf::Path CGPath_FBCreateDifference(const pf::Path& path1, const pf::Path& path2);
pf::Path CGPath_FBCreateXOR(const pf::Path& path1, const pf::Path& path2);
