// The oracle of the boolean tests: away from every outline, the result filled with the non-zero rule must
// hold exactly the points that the boolean of the two inputs' areas holds. Containment is QPainterPath's
// (curves flattened by Qt, in a frame fitted to the data), never the boolean code's own.
#pragma once

#include "FBTestPaths.h"
#include "geometry/FBPathBoolean.h"

#include <gtest/gtest.h>

#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <random>
#include <span>
#include <string>

namespace fbtest {

using Polyline = std::vector<pf::Point>;

// Outlines as polylines (curves cut into 64 chords), each closed back to its start as a fill closes it.
inline std::vector<Polyline> flatten(const pf::Path& path)
{
    std::vector<Polyline> lines;
    pf::Point current;
    const auto cubic = [&](pf::Point p0, pf::Point p1, pf::Point p2, pf::Point p3) {
        for (int i = 1; i <= 64; ++i) {
            const double t = i / 64.0, s = 1 - t;
            lines.back().push_back(p0 * (s * s * s) + p1 * (3 * s * s * t) + p2 * (3 * s * t * t) + p3 * (t * t * t));
        }
    };
    for (const pf::PathElement& e : path.elements()) {
        switch (e.type) {
        case pf::PathElementType::MoveTo:
            lines.push_back({e.points[0]});
            break;
        case pf::PathElementType::LineTo:
            lines.back().push_back(e.points[0]);
            break;
        case pf::PathElementType::QuadTo:
            cubic(current, current + (e.points[0] - current) * (2.0 / 3.0),
                  e.points[1] + (e.points[0] - e.points[1]) * (2.0 / 3.0), e.points[1]);
            break;
        case pf::PathElementType::CurveTo:
            cubic(current, e.points[0], e.points[1], e.points[2]);
            break;
        case pf::PathElementType::Close:
            break;
        }
        current = e.endPoint();
    }
    for (Polyline& line : lines)
        line.push_back(line.front());
    return lines;
}

inline double distanceToOutline(pf::Point p, const std::vector<Polyline>& lines)
{
    double best = INFINITY;
    for (const Polyline& line : lines) {
        for (size_t i = 0; i + 1 < line.size(); ++i) {
            const pf::Point a = line[i], d = line[i + 1] - a;
            const double l2 = d.x * d.x + d.y * d.y;
            const double t = l2 == 0 ? 0 : std::clamp(((p.x - a.x) * d.x + (p.y - a.y) * d.y) / l2, 0.0, 1.0);
            best = std::min(best, std::hypot(p.x - a.x - d.x * t, p.y - a.y - d.y * t));
        }
    }
    return best;
}

// The path without its subpaths that hold a non-finite number: what the operations read of it.
inline pf::Path finiteSubpaths(const pf::Path& path)
{
    pf::Path result, subpath;
    bool finite = true;
    const auto flush = [&]() {
        if (finite)
            result.append(subpath);
        subpath.clear();
        finite = true;
    };
    for (const pf::PathElement& e : path.elements()) {
        if (e.type == pf::PathElementType::MoveTo)
            flush();
        for (int i = 0; i < e.pointCount(); ++i)
            finite = finite && isFinite(e.points[i]);
        subpath.appendElement(e);
    }
    flush();
    return result;
}

struct Operation {
    const char* name;
    pf::Path (*run)(const pf::Path&, const pf::Path&);
    bool (*expected)(bool, bool);
};

inline const Operation operations[] = {
    {"union", CGPath_FBCreateUnion, [](bool a, bool b) { return a || b; }},
    {"intersection", CGPath_FBCreateIntersect, [](bool a, bool b) { return a && b; }},
    {"difference", CGPath_FBCreateDifference, [](bool a, bool b) { return a && !b; }},
    {"exclusion", CGPath_FBCreateXOR, [](bool a, bool b) { return a != b; }},
};

struct Extent {
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    void add(const std::vector<Polyline>& lines)
    {
        for (const Polyline& l : lines)
            for (pf::Point p : l)
                minX = std::min(minX, p.x), minY = std::min(minY, p.y), maxX = std::max(maxX, p.x), maxY = std::max(maxY, p.y);
    }
    double size() const { return std::max(maxX - minX, maxY - minY); }
};

// The path in the corpus language, to add a failing pair to the corpus.
inline std::string commands(const pf::Path& path)
{
    std::string text;
    const char* names[] = {"M", "L", "Q", "C", "Z"};
    char number[64];
    for (const pf::PathElement& e : path.elements()) {
        text += names[int(e.type)];
        for (int i = 0; e.type != pf::PathElementType::Close && i < e.pointCount(); ++i) {
            std::snprintf(number, sizeof number, " %.17g %.17g", e.points[i].x, e.points[i].y);
            text += number;
        }
        text += " ";
    }
    return text;
}

// Every subpath of a result is a closed contour: it ends exactly where it starts, with no close element,
// and every number in it is finite.
inline void checkClosedAndFinite(const pf::Path& result, const std::string& what)
{
    pf::Point start;
    for (const pf::PathElement& e : result.elements()) {
        EXPECT_NE(e.type, pf::PathElementType::Close) << what;
        for (int i = 0; i < e.pointCount(); ++i)
            ASSERT_TRUE(isFinite(e.points[i])) << what;
        if (e.type == pf::PathElementType::MoveTo)
            start = e.points[0];
        const auto index = &e - result.elements().data();
        const bool lastOfSubpath = index + 1 == result.elementCount()
                                   || result.element(int(index) + 1).type == pf::PathElementType::MoveTo;
        if (lastOfSubpath) {
            EXPECT_NE(e.type, pf::PathElementType::MoveTo) << what << ": a subpath without segments";
            EXPECT_EQ(e.endPoint(), start) << what << ": a subpath that does not end at its start";
        }
    }
}

// Checks each operation's result on the pair against the boolean of the inputs at `samples` points.
inline void checkPair(const CorpusPair& pair, std::span<const Operation> operations, int samples = 3000)
{
    const pf::Path a = finiteSubpaths(pair.a), b = finiteSubpaths(pair.b);
    const auto outlineA = flatten(a), outlineB = flatten(b);
    Extent extentA, extentB, all;
    extentA.add(outlineA);
    extentB.add(outlineB);
    all.add(outlineA);
    all.add(outlineB);
    if (!(all.size() > 0))
        return;
    const double size = all.size();
    // Traced outlines are rounded to whole units when both inputs span 8 units or more.
    const double margin = size * 2e-3 + (extentA.size() >= 8 && extentB.size() >= 8 ? 0.75 : 0.0);
    // Qt flattens curves to a fixed absolute accuracy when testing containment, so tests run in a frame
    // scaled to about 1000 units, with its origin at the data.
    const auto local = [&](const pf::Path& path, pf::WindingRule rule) {
        pf::Path moved = path;
        for (int i = 0; i < moved.elementCount(); ++i) {
            const pf::PathElement& e = moved.element(i);
            pf::Point points[3];
            for (int k = 0; k < e.pointCount(); ++k)
                points[k] = pf::Point((e.points[k].x - all.minX) * (1000 / size), (e.points[k].y - all.minY) * (1000 / size));
            moved.setElementPoints(i, std::span<const pf::Point>(points, size_t(e.pointCount())));
        }
        return moved.toQt(rule);
    };
    const QPainterPath qa = local(a, pf::WindingRule::EvenOdd);
    const QPainterPath qb = local(b, pf::WindingRule::EvenOdd);

    for (const Operation& operation : operations) {
        const pf::Path result = operation.run(pair.a, pair.b);
        checkClosedAndFinite(result, pair.name + ": " + operation.name);
        const auto outlineR = flatten(result);
        const QPainterPath qr = local(result, pf::WindingRule::NonZero);

        std::mt19937 random(20261209);
        const auto uniform = [&](double lo, double hi) { return lo + (hi - lo) * (double(random()) / 4294967296.0); };
        int checked = 0, wrong = 0;
        std::string firstWrong;
        for (int i = 0; i < samples; ++i) {
            const double u = uniform(-0.05, 1.05), v = uniform(-0.05, 1.05);
            const pf::Point p(all.minX + u * size, all.minY + v * size);
            if (distanceToOutline(p, outlineA) <= margin || distanceToOutline(p, outlineB) <= margin
                || distanceToOutline(p, outlineR) <= margin)
                continue;
            ++checked;
            const QPointF q(u * 1000, v * 1000);
            const bool expected = operation.expected(qa.contains(q), qb.contains(q));
            if (qr.contains(q) != expected) {
                if (wrong++ == 0) {
                    char text[120];
                    std::snprintf(text, sizeof text, "(%.17g, %.17g) expected %s", p.x, p.y, expected ? "inside" : "outside");
                    firstWrong = text;
                }
            }
        }
        EXPECT_GT(checked, samples / 30) << pair.name << ": " << operation.name;
        EXPECT_EQ(wrong, 0) << pair.name << ": " << operation.name << " wrong at " << wrong << " of " << checked
                            << " points, first " << firstWrong;
    }
}

} // namespace fbtest
