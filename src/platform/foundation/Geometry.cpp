#include "platform/foundation/Geometry.h"

#include "platform/foundation/RealText.h"
#include "platform/foundation/Value.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QTransform>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>

namespace pf {

QPointF Point::toQt() const { return {x, y}; }
Point Point::fromQt(const QPointF& p) { return {p.x(), p.y()}; }
QSizeF Size::toQt() const { return {width, height}; }
Size Size::fromQt(const QSizeF& s) { return {s.width(), s.height()}; }

Rect Rect::null()
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    return {inf, inf, 0, 0};
}

bool Rect::isNull() const { return std::isinf(origin.x) || std::isinf(origin.y); }

bool Rect::isEmpty() const { return isNull() || size.width == 0 || size.height == 0; }

double Rect::minX() const { return size.width < 0 ? origin.x + size.width : origin.x; }
double Rect::maxX() const { return size.width < 0 ? origin.x : origin.x + size.width; }
double Rect::midX() const { return origin.x + size.width / 2; }
double Rect::minY() const { return size.height < 0 ? origin.y + size.height : origin.y; }
double Rect::maxY() const { return size.height < 0 ? origin.y : origin.y + size.height; }
double Rect::midY() const { return origin.y + size.height / 2; }

Rect Rect::standardized() const
{
    if (isNull())
        return *this;
    return {minX(), minY(), std::abs(size.width), std::abs(size.height)};
}

Rect Rect::insetBy(double dx, double dy) const
{
    if (isNull())
        return *this;
    Rect r = standardized();
    r.origin.x += dx;
    r.origin.y += dy;
    r.size.width -= 2 * dx;
    r.size.height -= 2 * dy;
    if (r.size.width < 0 || r.size.height < 0)
        return null();
    return r;
}

Rect Rect::offsetBy(double dx, double dy) const
{
    if (isNull())
        return *this;
    return {origin.x + dx, origin.y + dy, size.width, size.height};
}

Rect Rect::united(const Rect& other) const
{
    if (isNull())
        return other;
    if (other.isNull())
        return *this;
    const double x1 = std::min(minX(), other.minX());
    const double y1 = std::min(minY(), other.minY());
    const double x2 = std::max(maxX(), other.maxX());
    const double y2 = std::max(maxY(), other.maxY());
    return {x1, y1, x2 - x1, y2 - y1};
}

Rect Rect::intersected(const Rect& other) const
{
    if (isNull() || other.isNull())
        return null();
    const double x1 = std::max(minX(), other.minX());
    const double y1 = std::max(minY(), other.minY());
    const double x2 = std::min(maxX(), other.maxX());
    const double y2 = std::min(maxY(), other.maxY());
    if (x2 < x1 || y2 < y1)
        return null();
    return {x1, y1, x2 - x1, y2 - y1};
}

bool Rect::intersects(const Rect& other) const { return !intersected(other).isEmpty(); }

bool Rect::contains(const Point& p) const
{
    if (isNull())
        return false;
    return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
}

bool Rect::contains(const Rect& other) const
{
    if (isNull() || other.isNull())
        return false;
    return other.minX() >= minX() && other.maxX() <= maxX() && other.minY() >= minY()
        && other.maxY() <= maxY();
}

Rect Rect::integral() const
{
    if (isNull())
        return *this;
    const double x1 = std::floor(minX());
    const double y1 = std::floor(minY());
    const double x2 = std::ceil(maxX());
    const double y2 = std::ceil(maxY());
    return {x1, y1, x2 - x1, y2 - y1};
}

QRectF Rect::toQt() const { return {origin.x, origin.y, size.width, size.height}; }
Rect Rect::fromQt(const QRectF& r) { return {r.x(), r.y(), r.width(), r.height()}; }

AffineTransform AffineTransform::translation(double tx, double ty) { return {1, 0, 0, 1, tx, ty}; }
AffineTransform AffineTransform::scale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }

AffineTransform AffineTransform::rotation(double radians)
{
    const double s = std::sin(radians);
    const double c = std::cos(radians);
    return {c, s, -s, c, 0, 0};
}

AffineTransform AffineTransform::concat(const AffineTransform& t) const
{
    return {a * t.a + b * t.c,
            a * t.b + b * t.d,
            c * t.a + d * t.c,
            c * t.b + d * t.d,
            tx * t.a + ty * t.c + t.tx,
            tx * t.b + ty * t.d + t.ty};
}

AffineTransform AffineTransform::translated(double dx, double dy) const
{
    return translation(dx, dy).concat(*this);
}

AffineTransform AffineTransform::scaled(double sx, double sy) const { return scale(sx, sy).concat(*this); }

AffineTransform AffineTransform::rotated(double radians) const { return rotation(radians).concat(*this); }

bool AffineTransform::isInvertible() const
{
    const double det = a * d - b * c;
    return det != 0 && std::isfinite(det);
}

AffineTransform AffineTransform::inverted() const
{
    if (!isInvertible())
        return *this;
    const double det = a * d - b * c;
    return {d / det, -b / det, -c / det, a / det, (c * ty - d * tx) / det, (b * tx - a * ty) / det};
}

Point AffineTransform::apply(const Point& p) const
{
    return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty};
}

Size AffineTransform::apply(const Size& s) const
{
    return {a * s.width + c * s.height, b * s.width + d * s.height};
}

Rect AffineTransform::apply(const Rect& r) const
{
    if (r.isNull())
        return r;
    const Rect s = r.standardized();
    PointBounds bounds;
    for (const Point& corner : {Point(s.minX(), s.minY()), Point(s.maxX(), s.minY()), Point(s.minX(), s.maxY()),
                                Point(s.maxX(), s.maxY())})
        bounds.add(apply(corner));
    return bounds.rect();
}

QTransform AffineTransform::toQt() const { return QTransform(a, b, c, d, tx, ty); }

AffineTransform AffineTransform::fromQt(const QTransform& t)
{
    return {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()};
}

namespace {

// A number as formatNumber gives it, written at o (32 characters at most).
void putNumber(char*& o, double v)
{
    if (v == 0) {
        *o++ = '0'; // also for -0
        return;
    }
    o = detail::putShortestReal(o, o + 32, v);
}

} // namespace

QString formatNumber(double v)
{
    char buffer[32];
    char* end = buffer;
    putNumber(end, v);
    return QString::fromLatin1(buffer, int(end - buffer));
}

namespace {

// "{a, b}" and "{{a, b}, {c, d}}" written straight into one buffer (documents hold one or two for every
// shape), each number as formatNumber writes it.

void putPair(char*& o, double a, double b)
{
    *o++ = '{';
    putNumber(o, a);
    *o++ = ',';
    *o++ = ' ';
    putNumber(o, b);
    *o++ = '}';
}

} // namespace

QString toString(const Point& p)
{
    // Stored points repeat from shape to shape (anchor ratios, mostly the middle): the last text made is
    // kept, for the same bits.
    thread_local double last[2] = {};
    thread_local QString lastText;
    const double now[2] = {p.x, p.y};
    if (!lastText.isNull() && std::memcmp(last, now, sizeof now) == 0)
        return lastText;
    char buffer[80];
    char* o = buffer;
    putPair(o, p.x, p.y);
    std::memcpy(last, now, sizeof now);
    lastText = QString::fromLatin1(buffer, o - buffer);
    return lastText;
}

QString toString(const Size& s)
{
    char buffer[80];
    char* o = buffer;
    putPair(o, s.width, s.height);
    return QString::fromLatin1(buffer, o - buffer);
}

QString toString(const Rect& r)
{
    char buffer[160];
    char* o = buffer;
    *o++ = '{';
    putPair(o, r.origin.x, r.origin.y);
    *o++ = ',';
    *o++ = ' ';
    putPair(o, r.size.width, r.size.height);
    *o++ = '}';
    return QString::fromLatin1(buffer, o - buffer);
}

QString toString(const AffineTransform& t)
{
    return QStringLiteral("[%1, %2, %3, %4, %5, %6]")
        .arg(formatNumber(t.a), formatNumber(t.b), formatNumber(t.c), formatNumber(t.d),
             formatNumber(t.tx), formatNumber(t.ty));
}

int scanNumbers(const QString& s, double* out, int maxCount)
{
    // Narrowed as toLatin1 narrows (beyond Latin-1: '?'), on the stack for the short texts of stored
    // geometry: every shape read scans a frame or two.
    char small[128];
    std::string large;
    char* text = small;
    if (s.size() > qsizetype(sizeof small)) {
        large.resize(static_cast<std::size_t>(s.size()));
        text = large.data();
    }
    // constData: utf16() would give a null string (even a shared const one) storage of its own.
    const char16_t* units = reinterpret_cast<const char16_t*>(s.constData());
    for (qsizetype i = 0; i < s.size(); ++i)
        text[i] = units[i] < 0x100 ? static_cast<char>(units[i]) : '?';
    const char* p = text;
    const char* end = p + s.size();
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    int count = 0;
    while (p < end && count < maxCount) {
        const char* start = p;
        if (*start == '+' && start + 1 < end)
            ++start;
        const char* q = start;
        if (q < end && *q == '-')
            ++q;
        if (q < end && *q == '.')
            ++q;
        if (q >= end || !isDigit(*q)) {
            ++p;
            continue;
        }
        double value = 0;
        const auto result = std::from_chars(start, end, value, std::chars_format::general);
        if (result.ec == std::errc::result_out_of_range)
            value = 0; // keeps stored geometry finite
        else if (result.ec != std::errc())
            value = 0;
        out[count++] = std::isfinite(value) ? value : 0;
        p = result.ptr > p ? result.ptr : p + 1;
    }
    return count;
}

Point pointFromString(const QString& s)
{
    // Stored points repeat from shape to shape, and a reader shares repeated texts: the last text read is
    // kept and known again by its address.
    thread_local QString lastText;
    thread_local Point last;
    if (detail::isKeptText(s, lastText) && !s.isEmpty())
        return last;
    double v[2] = {0, 0};
    scanNumbers(s, v, 2);
    last = {v[0], v[1]};
    lastText = detail::keptText(s);
    return last;
}

Size sizeFromString(const QString& s)
{
    double v[2] = {0, 0};
    scanNumbers(s, v, 2);
    return {v[0], v[1]};
}

Rect rectFromString(const QString& s)
{
    double v[4] = {0, 0, 0, 0};
    scanNumbers(s, v, 4);
    return {v[0], v[1], v[2], v[3]};
}

} // namespace pf
