// The parts of a stroked path that lie outside a closed area. The boolean operations read every path as
// an area (an open subpath is closed by its chord, as a fill would), so they cannot cut a bent or curved
// line: this cuts the path's own segments where they cross the area's outline and keeps the pieces
// outside.
#pragma once

#include "platform/graphics/Path.h"

// The pieces of `path` outside `area` (read with its own winding rule; open subpaths of the area are
// closed, as a fill closes them), in the order and direction of `path`. A closed subpath of `path` counts
// its closing segment; a piece that continues the previous one is joined to it, others start a subpath.
// A subpath kept whole keeps its close. An empty `area` keeps everything; nothing outside gives an empty path.
pf::Path FBCreateOpenPathOutside(const pf::Path& path, const pf::Path& area);
