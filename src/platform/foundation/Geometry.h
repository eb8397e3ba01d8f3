// Point, size, rectangle and affine-transform records with Quartz semantics: exact equality, half-open
// containment after normalising, CG union/intersection/inset rules, and the platform's string forms.
#pragma once

#include <QString>

#include <algorithm>
#include <cmath>
#include <limits>

class QPointF;
class QSizeF;
class QRectF;
class QTransform;

namespace pf {

struct Point {
    double x = 0;
    double y = 0;

    constexpr Point() = default;
    constexpr Point(double px, double py) : x(px), y(py) {}

    friend constexpr bool operator==(const Point&, const Point&) = default;
    constexpr Point operator+(const Point& o) const { return {x + o.x, y + o.y}; }
    constexpr Point operator-(const Point& o) const { return {x - o.x, y - o.y}; }
    constexpr Point operator*(double s) const { return {x * s, y * s}; }

    QPointF toQt() const;
    static Point fromQt(const QPointF& p);
};

struct Size {
    double width = 0;
    double height = 0;

    constexpr Size() = default;
    constexpr Size(double w, double h) : width(w), height(h) {}

    friend constexpr bool operator==(const Size&, const Size&) = default;

    QSizeF toQt() const;
    static Size fromQt(const QSizeF& s);
};

struct Rect {
    Point origin;
    Size size;

    constexpr Rect() = default;
    constexpr Rect(double x, double y, double w, double h) : origin(x, y), size(w, h) {}
    constexpr Rect(Point o, Size s) : origin(o), size(s) {}

    // Exact, component-wise (CGRectEqualToRect on standardised rects is not what stored data wants).
    friend constexpr bool operator==(const Rect&, const Rect&) = default;

    constexpr double x() const { return origin.x; }
    constexpr double y() const { return origin.y; }
    constexpr double width() const { return size.width; }
    constexpr double height() const { return size.height; }

    // The null rect: the result of an empty intersection (CGRectNull).
    static Rect null();
    static constexpr Rect zero() { return {}; }
    bool isNull() const;
    // Null, or zero width or height after normalising (CGRectIsEmpty).
    bool isEmpty() const;

    // Extremes and centre of the normalised rect (CGRectGetMinX …).
    double minX() const;
    double midX() const;
    double maxX() const;
    double minY() const;
    double midY() const;
    double maxY() const;

    // Negative sizes turned round (CGRectStandardize).
    Rect standardized() const;
    // CGRectInset: normalises first; an inset past the centre gives the null rect.
    Rect insetBy(double dx, double dy) const;
    Rect offsetBy(double dx, double dy) const;
    // CGRectUnion: a null rect is absent; both are standardised; empty rects still count.
    Rect united(const Rect& other) const;
    // CGRectIntersection: null when either is null or they do not meet; touching edges give an empty rect.
    Rect intersected(const Rect& other) const;
    bool intersects(const Rect& other) const;
    // Half-open after normalising: min edges inside, max edges outside.
    bool contains(const Point& p) const;
    bool contains(const Rect& other) const;
    // Smallest rect of whole numbers that contains this one (CGRectIntegral).
    Rect integral() const;

    QRectF toQt() const;
    static Rect fromQt(const QRectF& r);
};

// (x, y) -> (a·x + c·y + tx, b·x + d·y + ty)
struct AffineTransform {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    friend constexpr bool operator==(const AffineTransform&, const AffineTransform&) = default;

    static constexpr AffineTransform identity() { return {}; }
    static AffineTransform translation(double tx, double ty);
    static AffineTransform scale(double sx, double sy);
    static AffineTransform rotation(double radians);

    bool isIdentity() const { return *this == AffineTransform{}; }
    // CGAffineTransformConcat(*this, t): this first, then t.
    AffineTransform concat(const AffineTransform& t) const;
    // CGAffineTransformTranslate/Scale/Rotate: the new operation applies before this one.
    AffineTransform translated(double tx, double ty) const;
    AffineTransform scaled(double sx, double sy) const;
    AffineTransform rotated(double radians) const;
    // The identity-preserving inverse; a singular transform comes back unchanged, as in Quartz.
    AffineTransform inverted() const;
    bool isInvertible() const;

    Point apply(const Point& p) const;
    // Without the translation.
    Size apply(const Size& s) const;
    // Bounding box of the transformed rect (CGRectApplyAffineTransform).
    Rect apply(const Rect& r) const;

    QTransform toQt() const;
    static AffineTransform fromQt(const QTransform& t);
};

// The smallest rect holding every point added; the zero rect when none was.
struct PointBounds {
    double minX = std::numeric_limits<double>::infinity();
    double minY = std::numeric_limits<double>::infinity();
    double maxX = -std::numeric_limits<double>::infinity();
    double maxY = -std::numeric_limits<double>::infinity();

    void add(Point p)
    {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    bool isEmpty() const { return minX > maxX; }
    Rect rect() const { return isEmpty() ? Rect() : Rect(minX, minY, maxX - minX, maxY - minY); }
};

struct EdgeInsets {
    double top = 0;
    double left = 0;
    double bottom = 0;
    double right = 0;
    friend constexpr bool operator==(const EdgeInsets&, const EdgeInsets&) = default;
};

// String forms as the platform writes them: "{x, y}", "{w, h}", "{{x, y}, {w, h}}". Whole numbers are
// written without a decimal point, others in the shortest text that reads back to the same double.
QString formatNumber(double v);
QString toString(const Point& p);
QString toString(const Size& s);
QString toString(const Rect& r);
QString toString(const AffineTransform& t);

// Lenient readers: the numbers are taken in order, other characters are skipped, missing numbers read 0.
// They never answer a non-finite number: an out-of-range one reads 0.
Point pointFromString(const QString& s);
Size sizeFromString(const QString& s);
Rect rectFromString(const QString& s);

// Up to maxCount numbers scanned from text in order (the lenient readers' scanner); answers how many.
int scanNumbers(const QString& s, double* out, int maxCount);

} // namespace pf
