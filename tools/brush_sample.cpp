// Writes resources/shapes/Brush.plist: the free-hand path a brush placed from the library starts with, a
// smooth stroke through hand-placed points in a 100-point box, stored as "pathData".
// Run by hand after a change: quorvel_brush_sample (writes into the source tree).
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Value.h"
#include "shapes/PathData.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// Whole hundredths keep the stored numbers short.
pf::Point tidy(pf::Point p)
{
    return pf::Point(std::round(p.x * 100) / 100, std::round(p.y * 100) / 100);
}

// A Catmull-Rom spline through the points, as cubic curves: it passes through every point, as a hand would.
pf::Path strokeThrough(const std::vector<pf::Point>& points)
{
    pf::Path path;
    path.moveTo(points.front());
    const auto at = [&points](long i) {
        return points[size_t(std::clamp(i, 0L, long(points.size()) - 1))];
    };
    for (long i = 0; i + 1 < long(points.size()); ++i) {
        const pf::Point p0 = at(i - 1), p1 = at(i), p2 = at(i + 1), p3 = at(i + 2);
        const pf::Point c1(p1.x + (p2.x - p0.x) / 6, p1.y + (p2.y - p0.y) / 6);
        const pf::Point c2(p2.x - (p3.x - p1.x) / 6, p2.y - (p3.y - p1.y) / 6);
        path.curveTo(tidy(c1), tidy(c2), p2);
    }
    return path;
}

} // namespace

int main()
{
    const pf::Path stroke = strokeThrough({{4, 78}, {14, 52}, {30, 34}, {48, 36}, {54, 56}, {42, 66},
                                           {36, 50}, {50, 30}, {68, 20}, {84, 28}, {90, 48}, {96, 22}});
    pf::Value::Dictionary root;
    root[QStringLiteral("pathData")] = pf::Value(pathdata::encode(stroke));
    const auto written = pf::writePropertyList(pf::Value(std::move(root)));
    if (!written.ok()) {
        std::fprintf(stderr, "brush sample: %s\n", qPrintable(written.error));
        return 1;
    }
    const QString folder = QStringLiteral(QUORVEL_RESOURCES "/shapes");
    QDir().mkpath(folder);
    QSaveFile file(folder + QStringLiteral("/Brush.plist"));
    if (!file.open(QIODevice::WriteOnly) || file.write(*written.data) != written.data->size() || !file.commit()) {
        std::fprintf(stderr, "brush sample: %s\n", qPrintable(file.errorString()));
        return 1;
    }
    return 0;
}
