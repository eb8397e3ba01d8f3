// The forty icon drawings as data: per icon and size a short program of painting steps over fixed
// geometry, interpreted by IconRenderer. Geometry is written in a small path language so that the
// coordinates stay readable as the icon grid gives them:
//
//   M x y   move          L x y   line          C x1 y1 x2 y2 x y   cubic curve      Z   close
//   R x y w h   rect (a closed subpath)          O x y w h   ellipse inscribed in that rect
//   T dx dy     moves every later coordinate by (dx, dy) (copies of one shape)
//
// Coordinates are points in the icon's grid: origin top-left, y down.
#pragma once

#include "platform/graphics/Path.h"

#include <optional>
#include <string>
#include <vector>

namespace icons {

enum class Op {
    Stroke,
    Fill,        // non-zero rule
    FillStroke,  // one fill, then one stroke, of the same path
    Outline,     // stroked; filled and stroked when highlighted
    KnockOut,    // clip even-odd to the far rect plus the geometry: what is painted later shows it as holes
    KnockOutStroke, // the same with the geometry's stroke outline (width 1, butt cap, bevel join, limit 8)
    Save,
    Restore,
    LineWidth,            // value
    LineWidthHighlighted, // value when highlighted (the width stays 1 otherwise)
    RoundCapJoin,
    AtSign,   // the "@" glyph, its top-left at the geometry's point ("x y"), value the font size
    InfoText, // the "i" glyph, likewise
};

struct Step {
    Op op;
    std::string geometry{};
    double value = 0;
};

using Program = std::vector<Step>;

// One size of one icon; highlighted empty means the plain program serves both states.
struct Form {
    Program plain;
    Program highlighted{};
};

struct Drawing {
    Form normal; // 28 points
    Form small;  // 20 points
};

// Drawings of icon types 1 to 40 (index type − 1).
const std::vector<Drawing>& drawings();

// The path of the geometry text; malformed text ends the path where it stops making sense.
pf::Path parseGeometry(const std::string& text);

// The rect an even-odd knock-out starts from, far beyond any drawing.
inline constexpr pf::Rect knockOutRect{-32767, -32767, 65535, 65535};

} // namespace icons
