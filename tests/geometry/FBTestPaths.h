// Test paths for the boolean tests and benchmark: builders for the shapes the corpus names and a reader of
// the corpus format (tests/data/boolean/README.md). Header-only so the benchmark can share it.
#pragma once

#include "platform/graphics/Path.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <span>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace fbtest {

struct CorpusPair {
    std::string name;
    pf::Path a;
    pf::Path b;
};

inline pf::Path polygon(const std::vector<pf::Point>& points);

inline pf::Path rect(double x, double y, double w, double h)
{
    return polygon({{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}});
}

inline pf::Path oval(double x, double y, double w, double h)
{
    constexpr double k = 0.5522847498307936;
    const double cx = x + w / 2, cy = y + h / 2, rx = w / 2, ry = h / 2;
    pf::Path p;
    p.moveTo({cx + rx, cy});
    p.curveTo({cx + rx, cy + k * ry}, {cx + k * rx, cy + ry}, {cx, cy + ry});
    p.curveTo({cx - k * rx, cy + ry}, {cx - rx, cy + k * ry}, {cx - rx, cy});
    p.curveTo({cx - rx, cy - k * ry}, {cx - k * rx, cy - ry}, {cx, cy - ry});
    p.curveTo({cx + k * rx, cy - ry}, {cx + rx, cy - k * ry}, {cx + rx, cy});
    p.close();
    return p;
}

inline pf::Path roundedRect(double x, double y, double w, double h, double r)
{
    constexpr double k = 0.5522847498307936;
    r = std::min({r, w / 2, h / 2});
    const double c = r * (1 - k);
    pf::Path p;
    p.moveTo({x + r, y});
    p.lineTo({x + w - r, y});
    p.curveTo({x + w - c, y}, {x + w, y + c}, {x + w, y + r});
    p.lineTo({x + w, y + h - r});
    p.curveTo({x + w, y + h - c}, {x + w - c, y + h}, {x + w - r, y + h});
    p.lineTo({x + r, y + h});
    p.curveTo({x + c, y + h}, {x, y + h - c}, {x, y + h - r});
    p.lineTo({x, y + r});
    p.curveTo({x, y + c}, {x + c, y}, {x + r, y});
    p.close();
    return p;
}

inline pf::Path polygon(const std::vector<pf::Point>& points)
{
    pf::Path p;
    p.moveTo(points.front());
    for (size_t i = 1; i < points.size(); ++i)
        p.lineTo(points[i]);
    p.close();
    return p;
}

inline void appendPath(pf::Path& to, const pf::Path& from) { to.append(from); }

inline bool isFinite(pf::Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

inline bool isFinite(const pf::Path& path)
{
    return std::all_of(path.elements().begin(), path.elements().end(), [](const pf::PathElement& e) {
        return std::all_of(e.points, e.points + e.pointCount(), [](pf::Point p) { return isFinite(p); });
    });
}

namespace detail {
inline pf::Point rotated(pf::Point p, double degrees, pf::Point centre)
{
    const double a = degrees * std::numbers::pi / 180;
    const double dx = p.x - centre.x, dy = p.y - centre.y;
    return {centre.x + dx * std::cos(a) - dy * std::sin(a), centre.y + dx * std::sin(a) + dy * std::cos(a)};
}
} // namespace detail

inline pf::Path parsePath(const std::string& text)
{
    std::istringstream in(text);
    pf::Path path;
    std::string word;
    // strtod, unlike stream extraction, reads "nan" and "inf", which the corpus uses for broken inputs.
    const auto number = [&]() {
        std::string token;
        char* end = nullptr;
        if (!(in >> token))
            throw std::runtime_error("number expected in: " + text);
        const double v = std::strtod(token.c_str(), &end);
        if (end != token.c_str() + token.size())
            throw std::runtime_error("bad number '" + token + "' in: " + text);
        return v;
    };
    while (in >> word) {
        if (word == "M") {
            const double x = number(), y = number();
            path.moveTo({x, y});
        } else if (word == "L") {
            const double x = number(), y = number();
            path.lineTo({x, y});
        } else if (word == "Q") {
            const double a = number(), b = number(), c = number(), d = number();
            path.quadTo({a, b}, {c, d});
        } else if (word == "C") {
            const double a = number(), b = number(), c = number(), d = number(), e = number(), f = number();
            path.curveTo({a, b}, {c, d}, {e, f});
        } else if (word == "Z") {
            path.close();
        } else if (word == "rect" || word == "oval") {
            const double x = number(), y = number(), w = number(), h = number();
            path.append(word == "rect" ? rect(x, y, w, h) : oval(x, y, w, h));
        } else if (word == "rrect") {
            const double x = number(), y = number(), w = number(), h = number(), r = number();
            path.append(roundedRect(x, y, w, h, r));
        } else if (word == "rot") {
            // Rotates everything so far about a centre.
            const double degrees = number(), cx = number(), cy = number();
            for (int i = 0; i < path.elementCount(); ++i) {
                const pf::PathElement& e = path.element(i);
                pf::Point points[3];
                for (int k = 0; k < e.pointCount(); ++k)
                    points[k] = detail::rotated(e.points[k], degrees, {cx, cy});
                path.setElementPoints(i, std::span<const pf::Point>(points, size_t(e.pointCount())));
            }
        } else {
            throw std::runtime_error("unknown command '" + word + "' in: " + text);
        }
    }
    return path;
}

inline std::vector<CorpusPair> readCorpus(const std::string& fileName)
{
    std::ifstream in(fileName);
    if (!in)
        throw std::runtime_error("cannot read " + fileName);
    std::vector<CorpusPair> pairs;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream words(line);
        std::string key;
        words >> key;
        std::string rest;
        std::getline(words, rest);
        if (key == "pair") {
            pairs.push_back({rest.substr(rest.find_first_not_of(' ')), {}, {}});
        } else if (key == "A" && !pairs.empty()) {
            pairs.back().a = parsePath(rest);
        } else if (key == "B" && !pairs.empty()) {
            pairs.back().b = parsePath(rest);
        } else {
            throw std::runtime_error("bad corpus line: " + line);
        }
    }
    return pairs;
}

} // namespace fbtest
