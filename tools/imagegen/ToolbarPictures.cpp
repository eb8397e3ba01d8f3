#include "ToolbarPictures.h"

#include "geometry/QVColor.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/PainterContext.h"
#include "platform/graphics/Path.h"

#include <QFile>

#include <cstdio>

namespace {

// Drawn on a 32-point square; the small pictures are the same drawing scaled to 24.
const pf::Color ink = QVHexColor(0x4A4A4F);
const pf::Color tint = QVHexColor(0x2F7DF6);
const pf::Color paleTint = QVHexColor(0xCFE2FD);
const pf::Color paper = QVHexColor(0xFAFAFA);
const pf::Color grey = QVHexColor(0xB5B5BA);

void fillStroke(pf::GraphicsContext& c, const pf::Path& path, const pf::Color& fill, const pf::Color& stroke)
{
    c.setFillColor(fill);
    c.fillPath(path);
    c.setStrokeColor(stroke);
    c.setLineWidth(1.5);
    c.strokePath(path);
}

void bar(pf::GraphicsContext& c, const pf::Rect& r)
{
    fillStroke(c, pf::Path::roundedRect(r, 1.5, 1.5), paleTint, tint);
}

void rule(pf::GraphicsContext& c, pf::Point a, pf::Point b)
{
    pf::Path line;
    line.moveTo(a);
    line.lineTo(b);
    c.setStrokeColor(ink);
    c.setLineWidth(2);
    c.setLineCap(pf::LineCap::Round);
    c.strokePath(line);
}

void duplicate(pf::GraphicsContext& c)
{
    fillStroke(c, pf::Path::roundedRect(pf::Rect(5.5, 5.5, 15, 15), 2, 2), paper, grey);
    fillStroke(c, pf::Path::roundedRect(pf::Rect(11.5, 11.5, 15, 15), 2, 2), paleTint, tint);
}

void shapesPair(pf::GraphicsContext& c, double apart)
{
    fillStroke(c, pf::Path::rect(pf::Rect(8.5 - apart, 9.5 - apart, 9, 9)), paleTint, tint);
    fillStroke(c, pf::Path::oval(pf::Rect(14.5 + apart, 14.5 + apart, 10, 10)), paleTint, tint);
}

void group(pf::GraphicsContext& c)
{
    const pf::SavedGState saved(c);
    c.setStrokeColor(ink);
    c.setLineWidth(1);
    c.setLineDash(0, {2, 2});
    c.strokeRect(pf::Rect(4.5, 5.5, 23, 22));
    c.setLineDash(0, {});
    shapesPair(c, 0);
}

void ungroup(pf::GraphicsContext& c) { shapesPair(c, 3); }

void front(pf::GraphicsContext& c)
{
    fillStroke(c, pf::Path::rect(pf::Rect(5.5, 5.5, 14, 14)), paper, grey);
    fillStroke(c, pf::Path::rect(pf::Rect(12.5, 12.5, 14, 14)), paleTint, tint);
}

void back(pf::GraphicsContext& c)
{
    fillStroke(c, pf::Path::rect(pf::Rect(5.5, 5.5, 14, 14)), paleTint, tint);
    fillStroke(c, pf::Path::rect(pf::Rect(12.5, 12.5, 14, 14)), paper, grey);
}

// Two bars against a rule: vertical rules align x (0 left, 1 centre, 2 right), horizontal ones y.
void align(pf::GraphicsContext& c, bool vertical, int where)
{
    const double lines[] = {5, 16, 27};
    const double at = lines[where];
    const double lengths[] = {20, 12};
    for (int i = 0; i < 2; ++i) {
        const double length = lengths[i];
        const double start = where == 0 ? at + 1.5 : where == 1 ? at - length / 2 : at - 1.5 - length;
        const double across = 7.5 + 10 * i;
        bar(c, vertical ? pf::Rect(start, across, length, 7) : pf::Rect(across, start, 7, length));
    }
    if (vertical)
        rule(c, {at, 4}, {at, 28});
    else
        rule(c, {4, at}, {28, at});
}

void alignLeft(pf::GraphicsContext& c) { align(c, true, 0); }
void alignCenterVertical(pf::GraphicsContext& c) { align(c, true, 1); }
void alignRight(pf::GraphicsContext& c) { align(c, true, 2); }
void alignTop(pf::GraphicsContext& c) { align(c, false, 0); }
void alignCenterHorizontal(pf::GraphicsContext& c) { align(c, false, 1); }
void alignBottom(pf::GraphicsContext& c) { align(c, false, 2); }

const pf::Rect leftDisc(4.5, 7.5, 15, 15);
const pf::Rect rightDisc(12.5, 9.5, 15, 15);

void outlines(pf::GraphicsContext& c)
{
    c.setStrokeColor(tint);
    c.setLineWidth(1.5);
    c.strokePath(pf::Path::oval(leftDisc));
    c.strokePath(pf::Path::oval(rightDisc));
}

void unionOf(pf::GraphicsContext& c)
{
    c.setFillColor(paleTint);
    c.fillPath(pf::Path::oval(leftDisc));
    c.fillPath(pf::Path::oval(rightDisc));
    {
        // The outline of the whole: each disc's edge outside the other.
        const pf::SavedGState saved(c);
        pf::Path outside = pf::Path::rect(pf::Rect(0, 0, 32, 32));
        outside.appendOval(rightDisc);
        c.clip(outside, pf::WindingRule::EvenOdd);
        c.setStrokeColor(tint);
        c.setLineWidth(1.5);
        c.strokePath(pf::Path::oval(leftDisc));
    }
    const pf::SavedGState saved(c);
    pf::Path outside = pf::Path::rect(pf::Rect(0, 0, 32, 32));
    outside.appendOval(leftDisc);
    c.clip(outside, pf::WindingRule::EvenOdd);
    c.setStrokeColor(tint);
    c.setLineWidth(1.5);
    c.strokePath(pf::Path::oval(rightDisc));
}

void intersection(pf::GraphicsContext& c)
{
    {
        const pf::SavedGState saved(c);
        c.clip(pf::Path::oval(leftDisc));
        c.setFillColor(tint);
        c.fillPath(pf::Path::oval(rightDisc));
    }
    outlines(c);
}

void difference(pf::GraphicsContext& c)
{
    {
        const pf::SavedGState saved(c);
        pf::Path outside = pf::Path::rect(pf::Rect(0, 0, 32, 32));
        outside.appendOval(rightDisc);
        c.clip(outside, pf::WindingRule::EvenOdd);
        c.setFillColor(tint);
        c.fillPath(pf::Path::oval(leftDisc));
    }
    outlines(c);
}

void exclusion(pf::GraphicsContext& c)
{
    pf::Path both = pf::Path::oval(leftDisc);
    both.appendOval(rightDisc);
    c.setFillColor(tint);
    c.fillPath(both, pf::WindingRule::EvenOdd);
    outlines(c);
}

void share(pf::GraphicsContext& c)
{
    pf::Path tray;
    tray.moveTo({11, 12.5});
    tray.lineTo({7.5, 12.5});
    tray.lineTo({7.5, 27.5});
    tray.lineTo({24.5, 27.5});
    tray.lineTo({24.5, 12.5});
    tray.lineTo({21, 12.5});
    c.setStrokeColor(ink);
    c.setLineWidth(1.5);
    c.setLineJoin(pf::LineJoin::Round);
    c.setLineCap(pf::LineCap::Round);
    c.strokePath(tray);
    pf::Path arrow;
    arrow.moveTo({16, 19});
    arrow.lineTo({16, 4.5});
    arrow.moveTo({11.5, 9});
    arrow.lineTo({16, 4.5});
    arrow.lineTo({20.5, 9});
    c.setStrokeColor(tint);
    c.setLineWidth(2);
    c.strokePath(arrow);
}

struct Picture {
    const char* identifier;
    void (*draw)(pf::GraphicsContext&);
};

const Picture pictures[] = {
    {"Duplicate", duplicate},
    {"Group", group},
    {"Ungroup", ungroup},
    {"BringToFront", front},
    {"SendToBack", back},
    {"AlignLeft", alignLeft},
    {"AlignCenterVertical", alignCenterVertical},
    {"AlignRight", alignRight},
    {"AlignTop", alignTop},
    {"AlignCenterHorizontal", alignCenterHorizontal},
    {"AlignBottom", alignBottom},
    {"Union", unionOf},
    {"Intersection", intersection},
    {"Difference", difference},
    {"Exclusion", exclusion},
    {"Share", share},
};

} // namespace

int writeToolbarPictures(const QString& folder)
{
    int failures = 0;
    for (const Picture& picture : pictures)
        for (const int side : {32, 24}) {
            pf::BitmapContext context(pf::Size(side, side), 2.0);
            context.scale(side / 32.0, side / 32.0);
            picture.draw(context);
            const QByteArray png = context.image().pngData();
            const QString name = QStringLiteral("%1%2x%2").arg(QLatin1String(picture.identifier)).arg(side);
            QFile out(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
            if (png.isEmpty() || !out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(png) != png.size()) {
                std::fprintf(stderr, "quorvel_imagegen: cannot write %s\n", qPrintable(out.fileName()));
                ++failures;
            }
        }
    return failures;
}
