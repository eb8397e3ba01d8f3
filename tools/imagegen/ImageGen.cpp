// Draws the library pictures ("lib_<kind>32x32", 32 × 32 points, and the transparent "spacer"), the
// preference panes' pictures ("prefs_<pane>", 32 × 32), the pictures controls load by their state
// (ScreenPictures.cpp) and the window's toolbar pictures ("<identifier>32x32" and "…24x24",
// ToolbarPictures.cpp) with our own drawing code, and writes them as PNG files at two pixels a point.
//
//   quorvel_imagegen [folder]      (default: the repository's resources/images)
//
// Run it after changing a picture and commit what it writes.
#include "ScreenPictures.h"
#include "ToolbarPictures.h"

#include "controls/IconRenderer.h"
#include "geometry/QVColor.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/PainterContext.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

constexpr double side = 32;
constexpr double pi = 3.141592653589793;

const pf::Color tint = QVHexColor(0x0066FF);
const pf::Color border = QVHexColor(0xB8B8BD);
const pf::Color bar = QVHexColor(0xF4F4F6);
const pf::Color ink = QVHexColor(0x333333);
const pf::Color faint = QVHexColor(0xC7C7CC);
const pf::Color white = pf::Color::white();

void fillRound(pf::GraphicsContext& c, const pf::Rect& r, double radius, const pf::Color& color)
{
    c.setFillColor(color);
    c.fillPath(pf::Path::roundedRect(r, radius, radius));
}

void strokeRound(pf::GraphicsContext& c, const pf::Rect& r, double radius, const pf::Color& color, double width = 1)
{
    c.setStrokeColor(color);
    c.setLineWidth(width);
    c.strokePath(pf::Path::roundedRect(r, radius, radius));
}

void line(pf::GraphicsContext& c, pf::Point a, pf::Point b, const pf::Color& color, double width = 1)
{
    pf::Path p;
    p.moveTo(a);
    p.lineTo(b);
    c.setStrokeColor(color);
    c.setLineWidth(width);
    c.strokePath(p);
}

// A text stand-in: a rounded bar of the text's colour.
void textLine(pf::GraphicsContext& c, double x, double y, double width, const pf::Color& color)
{
    fillRound(c, pf::Rect(x, y, width, 2), 1, color);
}

// A built-in icon, scaled to fit a square of the side at the point.
void icon(pf::GraphicsContext& c, std::int64_t type, bool highlighted, const pf::Color& color, pf::Point at,
          double size)
{
    c.saveGState();
    c.translate(at.x, at.y);
    c.scale(size / 20, size / 20);
    IconRenderer::instance().renderIcon(c, type, IconRenderer::IconSizeSmall, highlighted, color,
                                        pf::Rect(0, 0, 20, 20));
    c.restoreGState();
}

void actionSheet(pf::GraphicsContext& c)
{
    fillRound(c, pf::Rect(3, 5, 26, 15), 3, white);
    strokeRound(c, pf::Rect(3.5, 5.5, 25, 14), 3, border);
    line(c, {4, 12.5}, {28, 12.5}, border);
    textLine(c, 10, 8, 12, tint);
    textLine(c, 10, 15, 12, tint);
    fillRound(c, pf::Rect(3, 22, 26, 7), 3, white);
    strokeRound(c, pf::Rect(3.5, 22.5, 25, 6), 3, border);
    fillRound(c, pf::Rect(11, 24.5, 10, 2), 1, tint);
}

void activityIndicator(pf::GraphicsContext& c)
{
    c.setLineCap(pf::LineCap::Round);
    for (int i = 0; i < 12; ++i) {
        const double angle = i * pi / 6 - pi / 2;
        const double fade = 0.25 + 0.75 * (11 - i) / 11.0;
        const pf::Point centre(16, 16);
        line(c, {centre.x + 6 * std::cos(angle), centre.y + 6 * std::sin(angle)},
             {centre.x + 12 * std::cos(angle), centre.y + 12 * std::sin(angle)}, ink.withAlpha(fade), 2.5);
    }
}

void alertDialog(pf::GraphicsContext& c)
{
    fillRound(c, pf::Rect(3, 6, 26, 20), 4, white);
    strokeRound(c, pf::Rect(3.5, 6.5, 25, 19), 4, border);
    textLine(c, 10, 10, 12, ink);
    textLine(c, 7, 14, 18, faint);
    line(c, {4, 18.5}, {28, 18.5}, border);
    line(c, {16.5, 19}, {16.5, 25}, border);
    textLine(c, 6, 21, 8, tint);
    textLine(c, 19, 21, 8, tint);
}

void keyboard(pf::GraphicsContext& c)
{
    fillRound(c, pf::Rect(1, 7, 30, 19), 2, QVHexColor(0xD1D4D9));
    for (int row = 0; row < 3; ++row) {
        const double inset = row == 1 ? 2.5 : row == 2 ? 5 : 0;
        const int keys = row == 2 ? 5 : row == 1 ? 6 : 7;
        for (int k = 0; k < keys; ++k)
            fillRound(c, pf::Rect(3 + inset + k * 3.8, 9 + row * 4, 3, 3), 0.7, white);
    }
    fillRound(c, pf::Rect(9, 21.5, 14, 3), 0.7, white);
}

void navigationBar(pf::GraphicsContext& c)
{
    c.setFillColor(bar);
    c.fillRect(pf::Rect(0, 9, 32, 14));
    line(c, {0, 22.5}, {32, 22.5}, border);
    icon(c, IconRenderer::IconBack, false, tint, {-1, 10}, 12);
    textLine(c, 11, 15, 10, ink);
    textLine(c, 25, 15, 5, tint);
}

void searchField(pf::GraphicsContext& c)
{
    fillRound(c, pf::Rect(1, 9, 30, 14), 5, QVHexColor(0xE3E3E8));
    icon(c, IconRenderer::IconSearch, false, QVHexColor(0x8E8E93), {3, 11}, 10);
    textLine(c, 14, 15, 12, QVHexColor(0x8E8E93));
}

void segmentedControl(pf::GraphicsContext& c)
{
    const pf::Rect r(2, 10, 28, 12);
    fillRound(c, pf::Rect(r.x(), r.y(), r.width() / 3 + 1, r.height()), 3, tint);
    c.setFillColor(tint);
    c.fillRect(pf::Rect(r.x() + 3, r.y(), r.width() / 3 - 2, r.height()));
    strokeRound(c, r.insetBy(0.5, 0.5), 3, tint);
    line(c, {r.x() + r.width() / 3, r.y()}, {r.x() + r.width() / 3, r.maxY()}, tint);
    line(c, {r.x() + 2 * r.width() / 3, r.y()}, {r.x() + 2 * r.width() / 3, r.maxY()}, tint);
    textLine(c, 4.5, 15, 5, white);
    textLine(c, 13.8, 15, 5, tint);
    textLine(c, 23.2, 15, 5, tint);
}

void statusBar(pf::GraphicsContext& c)
{
    c.setFillColor(bar);
    c.fillRect(pf::Rect(0, 11, 32, 10));
    c.setFillColor(ink);
    for (int i = 0; i < 4; ++i)
        c.fillPath(pf::Path::oval(pf::Rect(1.5 + i * 2.5, 14.5, 2, 2)));
    textLine(c, 12.5, 15, 7, ink);
    strokeRound(c, pf::Rect(23.5, 13.5, 6, 4), 1, ink);
    c.fillRect(pf::Rect(24.5, 14.5, 3.5, 2));
    c.fillRect(pf::Rect(30, 14.5, 1, 2));
}

void uiSwitch(pf::GraphicsContext& c)
{
    fillRound(c, pf::Rect(2, 8, 28, 16), 8, QVHexColor(0x4CD355));
    c.setShadow(pf::Size(0, -1), 1.5, pf::Color(0, 0, 0, 0.3));
    c.setFillColor(white);
    c.fillPath(pf::Path::oval(pf::Rect(15, 9, 14, 14)));
    c.clearShadow();
}

void tabBar(pf::GraphicsContext& c)
{
    c.setFillColor(bar);
    c.fillRect(pf::Rect(0, 8, 32, 18));
    line(c, {0, 8.5}, {32, 8.5}, border);
    icon(c, IconRenderer::IconStar, true, tint, {1.5, 11}, 9);
    icon(c, IconRenderer::IconClock, false, QVHexColor(0x8E8E93), {11.5, 11}, 9);
    icon(c, IconRenderer::IconMore, false, QVHexColor(0x8E8E93), {21.5, 11}, 9);
    textLine(c, 2.5, 21.5, 7, tint);
    textLine(c, 12.5, 21.5, 7, faint);
    textLine(c, 22.5, 21.5, 7, faint);
}

void tableView(pf::GraphicsContext& c)
{
    fillRound(c, pf::Rect(1, 3, 30, 26), 2, white);
    strokeRound(c, pf::Rect(1.5, 3.5, 29, 25), 2, border);
    for (int row = 0; row < 4; ++row) {
        const double y = 3 + row * 6.5;
        textLine(c, 4, y + 2.5, 14, ink);
        icon(c, IconRenderer::IconForward, false, faint, {24, y + 1}, 5);
        if (row < 3)
            line(c, {4, y + 6.5}, {31, y + 6.5}, faint);
    }
}

void textField(pf::GraphicsContext& c)
{
    fillRound(c, pf::Rect(1, 9, 30, 14), 3, white);
    strokeRound(c, pf::Rect(1.5, 9.5, 29, 13), 3, border);
    textLine(c, 5, 15, 13, faint);
    line(c, {19.5, 12}, {19.5, 20}, tint);
}

void toolbar(pf::GraphicsContext& c)
{
    c.setFillColor(bar);
    c.fillRect(pf::Rect(0, 9, 32, 14));
    line(c, {0, 9.5}, {32, 9.5}, border);
    icon(c, IconRenderer::IconShare, false, tint, {1, 11}, 10);
    icon(c, IconRenderer::IconBookmarks, false, tint, {11, 11}, 10);
    icon(c, IconRenderer::IconTrash, false, tint, {21, 11}, 10);
}

// A framed landscape: a sun over two hills.
void image(pf::GraphicsContext& c)
{
    fillRound(c, pf::Rect(3, 6, 26, 20), 2, QVHexColor(0xDCEBFA));
    pf::Path hills;
    hills.moveTo({3, 26});
    hills.lineTo({3, 21});
    hills.lineTo({11, 14});
    hills.lineTo({17, 20});
    hills.lineTo({21, 17});
    hills.lineTo({29, 23});
    hills.lineTo({29, 26});
    hills.close();
    c.setFillColor(QVHexColor(0x5AA05A));
    c.fillPath(hills);
    c.setFillColor(QVHexColor(0xF5B428));
    c.fillPath(pf::Path::oval(pf::Rect(20, 9, 5, 5)));
    strokeRound(c, pf::Rect(3.5, 6.5, 25, 19), 2, ink);
}

// Lines of text, the middle ones hidden under a bar of cells.
void redact(pf::GraphicsContext& c)
{
    fillRound(c, pf::Rect(4, 4, 24, 24), 2, white);
    strokeRound(c, pf::Rect(4.5, 4.5, 23, 23), 2, border);
    textLine(c, 8, 8, 16, ink);
    textLine(c, 8, 24, 12, ink);
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 5; ++column) {
            const double grey = ((row + column) % 2) ? 0.15 : 0.3;
            c.setFillColor(pf::Color(grey, grey, grey, 1));
            c.fillRect(pf::Rect(6 + 4 * column, 12 + 4 * row, 4, 4));
        }
}

// Nothing: the transparent picture a drag carries while the floating window shows the real one.
void spacer(pf::GraphicsContext&) {}

// The preference panes' toolbar pictures: a document window with its page tabs and palette (General),
// and rulers with guides across a selected shape (Guides).
void prefsGeneral(pf::GraphicsContext& c)
{
    fillRound(c, pf::Rect(1, 4, 30, 24), 3, white);
    c.setFillColor(bar);
    c.fillRect(pf::Rect(2, 5, 28, 6));
    for (int tab = 0; tab < 3; ++tab)
        fillRound(c, pf::Rect(4 + tab * 7, 7, 6, 4), 1, tab == 0 ? tint : faint);
    c.setFillColor(bar);
    c.fillRect(pf::Rect(22, 11, 8, 16));
    line(c, {21.5, 11}, {21.5, 27}, border);
    textLine(c, 23.5, 14.5, 5, faint);
    textLine(c, 23.5, 18.5, 5, faint);
    textLine(c, 5, 16, 12, ink);
    textLine(c, 5, 20, 9, faint);
    strokeRound(c, pf::Rect(1.5, 4.5, 29, 23), 3, border);
}

void prefsGuides(pf::GraphicsContext& c)
{
    fillRound(c, pf::Rect(1, 1, 30, 30), 3, white);
    c.setFillColor(bar);
    c.fillRect(pf::Rect(2, 2, 28, 5));
    c.fillRect(pf::Rect(2, 7, 5, 23));
    for (int tick = 0; tick < 6; ++tick) {
        line(c, {9.5 + tick * 4, 4}, {9.5 + tick * 4, 7}, ink);
        line(c, {4, 9.5 + tick * 4}, {7, 9.5 + tick * 4}, ink);
    }
    line(c, {16.5, 7}, {16.5, 30}, tint);
    line(c, {7, 20.5}, {30, 20.5}, tint);
    strokeRound(c, pf::Rect(12.5, 12.5, 10, 8), 0, ink);
    for (const pf::Point corner : {pf::Point{12.5, 12.5}, pf::Point{22.5, 12.5}, pf::Point{12.5, 20.5}, pf::Point{22.5, 20.5}})
        fillRound(c, pf::Rect(corner.x - 1.5, corner.y - 1.5, 3, 3), 0.5, tint);
    strokeRound(c, pf::Rect(1.5, 1.5, 29, 29), 3, border);
}

// A downward arrow into a tray: a newer version coming in.
void prefsUpdate(pf::GraphicsContext& c)
{
    fillRound(c, pf::Rect(1, 1, 30, 30), 3, white);
    for (const double dx : {-0.5, 0.5})
        line(c, {16 + dx, 6}, {16 + dx, 20}, tint);
    line(c, {10.5, 14.5}, {16, 20}, tint);
    line(c, {21.5, 14.5}, {16, 20}, tint);
    line(c, {6.5, 19}, {6.5, 25.5}, ink);
    line(c, {6.5, 25.5}, {25.5, 25.5}, ink);
    line(c, {25.5, 25.5}, {25.5, 19}, ink);
    strokeRound(c, pf::Rect(1.5, 1.5, 29, 29), 3, border);
}

struct Picture {
    const char* name;
    void (*draw)(pf::GraphicsContext&);
};

const Picture pictures[] = {
    {"lib_uiactionsheet32x32", actionSheet},   {"lib_uiactivityindicator32x32", activityIndicator},
    {"lib_uialertdialog32x32", alertDialog},   {"lib_uikeyboard32x32", keyboard},
    {"lib_uinavbar32x32", navigationBar},      {"lib_uisearchfield32x32", searchField},
    {"lib_uisegmentedcontrol32x32", segmentedControl}, {"lib_uistatusbar32x32", statusBar},
    {"lib_uiswitch32x32", uiSwitch},           {"lib_uitabbarbutton32x32", tabBar},
    {"lib_uitableview32x32", tableView},       {"lib_uitextfield32x32", textField},
    {"lib_uitoolbar32x32", toolbar},
    {"lib_image32x32", image},                 {"lib_redact32x32", redact},
    {"spacer", spacer},
    {"prefs_general", prefsGeneral},           {"prefs_guides", prefsGuides},
    {"prefs_update", prefsUpdate},
};

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(QUORVEL_RESOURCES "/images");
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "quorvel_imagegen: cannot make %s\n", qPrintable(folder));
        return 1;
    }
    int failures = 0;
    for (const Picture& picture : pictures) {
        pf::BitmapContext context(pf::Size(side, side), 2.0);
        picture.draw(context);
        const QByteArray png = context.image().pngData();
        QFile out(folder + QLatin1Char('/') + QLatin1String(picture.name) + QStringLiteral(".png"));
        if (png.isEmpty() || !out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(png) != png.size()) {
            std::fprintf(stderr, "quorvel_imagegen: cannot write %s\n", qPrintable(out.fileName()));
            ++failures;
        }
    }
    failures += writeScreenPictures(folder);
    failures += writeToolbarPictures(folder);
    return failures == 0 ? 0 : 1;
}
