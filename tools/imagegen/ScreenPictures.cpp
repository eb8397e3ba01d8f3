// The pictures that controls load by their state: the keyboards ("uikeyboard_<device>_<orientation>_
// <theme>_<kind>", at the keyboard's size for the device and orientation) and the switch's two states
// ("uiswitch_on", "uiswitch_off", drawn by the switch itself).
#include "ScreenPictures.h"

#include "controls/EntryControls.h"
#include "controls/SmallControls.h"
#include "geometry/QVColor.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/PainterContext.h"
#include "platform/text/StringDrawing.h"

#include <QFile>
#include <QFontMetricsF>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

namespace {

struct Palette {
    pf::Color background, key, specialKey, keyShadow, label, emojiFace, emojiInk;
};

const Palette lightPalette{QVHexColor(0xD1D4D9), QVHexColor(0xFFFFFF), QVHexColor(0xABB1BA),
                           QVHexColor(0x898A8D), QVHexColor(0x000000), QVHexColor(0xFFCC4D),
                           QVHexColor(0x664500)};
const Palette darkPalette{QVHexColor(0x2B2B2D), QVHexColor(0x6B6B6E), QVHexColor(0x464648),
                          QVHexColor(0x1A1A1B), QVHexColor(0xFFFFFF), QVHexColor(0xFFCC4D),
                          QVHexColor(0x664500)};

enum class KeyKind { Letter, Special, Space, Spacer, Shift, Delete, Globe, Hide, Face };

struct Key {
    KeyKind kind;
    const char* label = "";
    // In key units; 0 takes a share of the row's spare width.
    double units = 1;
    const char* sublabel = "";
};

using Row = std::vector<Key>;

Key letter(const char* label) { return {KeyKind::Letter, label}; }
Key special(const char* label, double units) { return {KeyKind::Special, label, units}; }
Key spacer(double units = 0) { return {KeyKind::Spacer, "", units}; }

Row letters(const char* text)
{
    Row row;
    static std::vector<QByteArray> keep; // labels live as long as the program
    for (const QString& part : QString::fromUtf8(text).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        keep.push_back(part.toUtf8());
        row.push_back(letter(keep.back().constData()));
    }
    return row;
}

Row join(std::initializer_list<Row> parts)
{
    Row row;
    for (const Row& part : parts)
        row.insert(row.end(), part.begin(), part.end());
    return row;
}

// The rows of a keyboard of the kind on a phone or a pad.
std::vector<Row> layout(bool pad, std::int64_t kind)
{
    const bool numbers = kind == UIKeyboard::KeyboardNumeric || (pad && kind == UIKeyboard::KeyboardNumberPad);
    if (kind == UIKeyboard::KeyboardNumberPad && !pad) {
        return {
            {{KeyKind::Letter, "1", 1, ""}, {KeyKind::Letter, "2", 1, "ABC"}, {KeyKind::Letter, "3", 1, "DEF"}},
            {{KeyKind::Letter, "4", 1, "GHI"}, {KeyKind::Letter, "5", 1, "JKL"}, {KeyKind::Letter, "6", 1, "MNO"}},
            {{KeyKind::Letter, "7", 1, "PQRS"}, {KeyKind::Letter, "8", 1, "TUV"}, {KeyKind::Letter, "9", 1, "WXYZ"}},
            {spacer(1), {KeyKind::Letter, "0", 1, ""}, {KeyKind::Delete, "", 1}},
        };
    }
    const Key globe{KeyKind::Globe, "", 1};
    const Key shift{KeyKind::Shift, "", pad ? 1.2 : 1.3};
    const Key del{KeyKind::Delete, "", pad ? 0 : 1.3};
    if (kind == UIKeyboard::KeyboardEmoji) {
        const int columns = pad ? 16 : 8;
        Row faces;
        for (int i = 0; i < columns; ++i)
            faces.push_back({KeyKind::Face, "", 1});
        return {faces, faces, faces,
                {special("ABC", 1.5), spacer(), {KeyKind::Special, "", 0.7}, {KeyKind::Special, "", 0.7},
                 {KeyKind::Special, "", 0.7}, {KeyKind::Special, "", 0.7}, spacer(), {KeyKind::Delete, "", 1.5}}};
    }
    if (pad) {
        const char* toggle = numbers ? "ABC" : ".?123";
        return {
            join({letters(numbers ? "1 2 3 4 5 6 7 8 9 0" : "Q W E R T Y U I O P"), {del}}),
            join({{spacer(0.5)}, letters(numbers ? "- / : ; ( ) $ & @" : "A S D F G H J K L"),
                  {special("return", 0)}}),
            join({{numbers ? special("#+=", 1.2) : shift},
                  letters(numbers ? "\xE2\x80\xA6 . , ? ! ' \" _ =" : "Z X C V B N M , ."),
                  {numbers ? special("#+=", 0) : Key{KeyKind::Shift, "", 0}}}),
            {special(toggle, 1.6), globe, {KeyKind::Space, "", 0}, special(toggle, 1.6), {KeyKind::Hide, "", 1.2}},
        };
    }
    return {
        letters(numbers ? "1 2 3 4 5 6 7 8 9 0" : "Q W E R T Y U I O P"),
        // Ten symbols fill the row as the ten digits above do; nine letters stand between two spacers.
        numbers ? letters("- / : ; ( ) $ & @ \"") : join({{spacer()}, letters("A S D F G H J K L"), {spacer()}}),
        join({{numbers ? special("#+=", 1.3) : shift}, {spacer()}, letters(numbers ? ". , ? ! '" : "Z X C V B N M"),
              {spacer()}, {del}}),
        {special(numbers ? "ABC" : "123", 1.3), globe, {KeyKind::Space, "space", 0}, special("return", 2.2)},
    };
}

pf::Path line(pf::Point a, pf::Point b)
{
    pf::Path p;
    p.moveTo(a);
    p.lineTo(b);
    return p;
}

void drawLabel(pf::GraphicsContext& c, const QString& text, const pf::Rect& key, double size, const pf::Color& color,
               double dy = 0, pf::TextAlignment alignment = pf::TextAlignment::Center)
{
    pf::TextAttributes a;
    a.font = pf::Font(QStringLiteral("Helvetica"), size);
    a.foregroundColor = color;
    pf::ParagraphStyle centred;
    centred.alignment = alignment;
    a.paragraphStyle = centred;
    // The face's whole glyph box (ascent to descent of its tallest glyphs), not its line, is centred on the
    // key: that sets capitals and lower case where a keyboard has them whatever leading the face asks.
    const QFontMetricsF box(a.font->layoutFont());
    const double ascent = box.ascent() / pf::Font::layoutScale, descent = box.descent() / pf::Font::layoutScale;
    const double baseline = key.midY() + (ascent - descent) / 2 + dy;
    const double h = a.font->lineHeight();
    pf::drawAttributedString(c, pf::AttributedString(text, a),
                             pf::Rect(key.x(), baseline - a.font->ascender(), key.width(), h), pf::UsesLineFragmentOrigin);
}

// The symbols of the special keys, drawn as outlines in a square about the key's centre.
void drawSymbol(pf::GraphicsContext& c, KeyKind kind, const pf::Rect& key, const pf::Color& color)
{
    const double s = std::min(key.height(), key.width()) * 0.42;
    const pf::Point m(key.midX(), key.midY());
    c.saveGState();
    c.setStrokeColor(color);
    c.setLineWidth(std::max(1.0, s / 12));
    c.setLineJoin(pf::LineJoin::Round);
    c.setLineCap(pf::LineCap::Round);
    pf::Path p;
    switch (kind) {
    case KeyKind::Shift:
        p.moveTo(pf::Point(m.x, m.y - s / 2));
        p.lineTo(pf::Point(m.x + s / 2, m.y));
        p.lineTo(pf::Point(m.x + s / 4, m.y));
        p.lineTo(pf::Point(m.x + s / 4, m.y + s / 2));
        p.lineTo(pf::Point(m.x - s / 4, m.y + s / 2));
        p.lineTo(pf::Point(m.x - s / 4, m.y));
        p.lineTo(pf::Point(m.x - s / 2, m.y));
        p.close();
        break;
    case KeyKind::Delete:
        p.moveTo(pf::Point(m.x - s * 0.7, m.y));
        p.lineTo(pf::Point(m.x - s * 0.3, m.y - s * 0.4));
        p.lineTo(pf::Point(m.x + s * 0.6, m.y - s * 0.4));
        p.lineTo(pf::Point(m.x + s * 0.6, m.y + s * 0.4));
        p.lineTo(pf::Point(m.x - s * 0.3, m.y + s * 0.4));
        p.close();
        p.append(line(pf::Point(m.x - s * 0.05, m.y - s * 0.17), pf::Point(m.x + s * 0.3, m.y + s * 0.17)));
        p.append(line(pf::Point(m.x - s * 0.05, m.y + s * 0.17), pf::Point(m.x + s * 0.3, m.y - s * 0.17)));
        break;
    case KeyKind::Globe:
        p.appendOval(pf::Rect(m.x - s / 2, m.y - s / 2, s, s));
        p.appendOval(pf::Rect(m.x - s / 4, m.y - s / 2, s / 2, s));
        p.append(line(pf::Point(m.x - s / 2, m.y), pf::Point(m.x + s / 2, m.y)));
        p.append(line(pf::Point(m.x, m.y - s / 2), pf::Point(m.x, m.y + s / 2)));
        break;
    case KeyKind::Hide:
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 4; ++k)
                p.appendRect(pf::Rect(m.x - s / 2 + k * s / 4, m.y - s / 2 + r * s / 5, s / 6, s / 8));
        p.append(line(pf::Point(m.x - s / 5, m.y + s * 0.3), pf::Point(m.x, m.y + s / 2)));
        p.append(line(pf::Point(m.x, m.y + s / 2), pf::Point(m.x + s / 5, m.y + s * 0.3)));
        break;
    default: break;
    }
    c.strokePath(p);
    c.restoreGState();
}

void drawFace(pf::GraphicsContext& c, const pf::Rect& cell, const Palette& colours, int seed)
{
    const double d = std::min(cell.width(), cell.height()) * 0.72;
    const pf::Rect face(cell.midX() - d / 2, cell.midY() - d / 2, d, d);
    c.setFillColor(colours.emojiFace);
    c.fillPath(pf::Path::oval(face));
    c.setFillColor(colours.emojiInk);
    const double eye = d * 0.12;
    c.fillPath(pf::Path::oval(pf::Rect(face.x() + d * 0.3 - eye / 2, face.y() + d * 0.32, eye, eye * 1.5)));
    c.fillPath(pf::Path::oval(pf::Rect(face.x() + d * 0.7 - eye / 2, face.y() + d * 0.32, eye, eye * 1.5)));
    pf::Path mouth;
    const double width = d * (0.4 + 0.1 * (seed % 3));
    mouth.moveTo(pf::Point(face.midX() - width / 2, face.y() + d * 0.62));
    mouth.curveTo(pf::Point(face.midX() - width / 4, face.y() + d * 0.8), pf::Point(face.midX() + width / 4, face.y() + d * 0.8),
                  pf::Point(face.midX() + width / 2, face.y() + d * 0.62));
    c.setStrokeColor(colours.emojiInk);
    c.setLineWidth(std::max(1.0, d / 16));
    c.setLineCap(pf::LineCap::Round);
    c.strokePath(mouth);
}

// Draws the keyboard; false when a row does not fit its width (a key would be cut off at the edge).
bool drawKeyboard(pf::GraphicsContext& c, pf::Size size, bool pad, bool landscape, std::int64_t kind, const Palette& colours)
{
    bool fits = true;
    c.setFillColor(colours.background);
    c.fillRect(pf::Rect(0, 0, size.width, size.height));
    const std::vector<Row> rows = layout(pad, kind);
    const bool emoji = kind == UIKeyboard::KeyboardEmoji;
    const bool numberPad = kind == UIKeyboard::KeyboardNumberPad && !pad;
    const double gapX = numberPad ? 6 : pad ? (landscape ? 14 : 12) : 6;
    const double gapY = numberPad ? 7 : pad ? (landscape ? 14 : 10) : (landscape ? 6 : 12);
    const double top = numberPad ? 6 : (emoji ? size.height * 0.1 : (pad ? 10 : 10));
    const double side = numberPad ? 6 : 3;
    const double pitch = (size.height - top - 4) / double(rows.size());
    const double keyHeight = pitch - gapY;
    const double radius = pad ? 7 : 5;
    // A phone's top row is ten keys wide; a pad's leaves room for two more units of wide keys.
    const double columns = pad ? 12 : 10;
    const double unit = (size.width - 2 * side - (columns - 1) * gapX) / columns;

    if (emoji)
        drawLabel(c, QStringLiteral("FREQUENTLY USED"), pf::Rect(12, 0, 300, top), std::max(9.0, top * 0.45),
                  colours.label.withAlpha(0.55), 0, pf::TextAlignment::Left);

    int faceSeed = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const Row& row = rows[r];
        const bool faceRow = !row.empty() && row.front().kind == KeyKind::Face;
        // Fixed widths, then the spare width shared by the flexible keys (or the row centred).
        double fixed = 0;
        int flexible = 0;
        for (const Key& k : row) {
            if (k.units == 0)
                ++flexible;
            else
                fixed += (numberPad || faceRow) ? 0 : k.units * unit;
        }
        double keyUnit = unit;
        if (numberPad || faceRow) {
            keyUnit = (size.width - 2 * side - double(row.size() - 1) * gapX) / double(row.size());
            fixed = keyUnit * double(row.size());
        }
        const double spare = size.width - 2 * side - fixed - double(row.size() - 1) * gapX;
        const double flexWidth = flexible > 0 ? std::max(0.0, spare / flexible) : 0;
        double x = side + (flexible == 0 ? spare / 2 : 0);
        const double y = top + double(r) * pitch + gapY / 2;
        for (const Key& k : row) {
            const double w = k.units == 0 ? flexWidth : ((numberPad || faceRow) ? keyUnit : k.units * unit);
            const pf::Rect key(x, y, w, keyHeight);
            x += w + gapX;
            // Widths are sums of fractions of the picture's width: a key may pass the side by a rounding.
            if (key.maxX() > size.width - side + size.width * 1e-9)
                fits = false;
            if (k.kind == KeyKind::Spacer || w <= 0)
                continue;
            if (k.kind == KeyKind::Face) {
                drawFace(c, key, colours, faceSeed++);
                continue;
            }
            const bool plain = k.kind == KeyKind::Letter || k.kind == KeyKind::Space;
            c.setFillColor(colours.keyShadow);
            c.fillPath(pf::Path::roundedRect(key.offsetBy(0, 1), radius, radius));
            c.setFillColor(plain ? colours.key : colours.specialKey);
            c.fillPath(pf::Path::roundedRect(key, radius, radius));
            const QString label = QString::fromUtf8(k.label);
            if (k.kind == KeyKind::Letter) {
                const bool twoLines = *k.sublabel != 0 || numberPad;
                drawLabel(c, label, key, keyHeight * (numberPad ? 0.55 : pad ? 0.4 : 0.52), colours.label,
                          twoLines ? -keyHeight * 0.1 : 0);
                if (*k.sublabel)
                    drawLabel(c, QString::fromUtf8(k.sublabel), key, keyHeight * 0.2, colours.label, keyHeight * 0.28);
            } else if (!label.isEmpty()) {
                drawLabel(c, label, key, keyHeight * (pad ? 0.32 : 0.36), colours.label);
            } else {
                drawSymbol(c, k.kind, key, colours.label);
            }
        }
    }
    return fits;
}

bool writePng(const QString& path, const pf::Image& image)
{
    const QByteArray png = image.pngData();
    QFile out(path);
    if (png.isEmpty() || !out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(png) != png.size()) {
        std::fprintf(stderr, "quorvel_imagegen: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int writeScreenPictures(const QString& folder)
{
    int failures = 0;
    for (std::int64_t device = 0; device < 2; ++device)
        for (std::int64_t orientation = 0; orientation < 2; ++orientation)
            for (std::int64_t theme = 0; theme < 2; ++theme)
                for (std::int64_t kind = 0; kind < UIKeyboard::keyboardTypeCount; ++kind) {
                    const pf::Size size = UIKeyboard::sizeFor(device, orientation);
                    pf::BitmapContext context(size, 2.0);
                    const QString name = UIKeyboard::imageIdentifierFor(device, orientation, theme, kind);
                    if (!drawKeyboard(context, size, device == 1, orientation == 1, kind,
                                      theme == 1 ? darkPalette : lightPalette)) {
                        std::fprintf(stderr, "quorvel_imagegen: a row of %s does not fit\n", qPrintable(name));
                        ++failures;
                        continue;
                    }
                    failures += writePng(folder + QLatin1Char('/') + name + QStringLiteral(".png"), context.image()) ? 0 : 1;
                }
    for (bool on : {false, true}) {
        auto control = Shape::make<UISwitch>(pf::Rect(0, 0, UISwitch::width, UISwitch::height));
        control->setHighlighted(on);
        pf::BitmapContext context(pf::Size(UISwitch::width, UISwitch::height), 2.0);
        control->drawControlInContextDirtyRect(context, control->frame());
        failures += writePng(folder + QLatin1Char('/') + control->controlImageIdentifier() + QStringLiteral(".png"),
                             context.image()) ? 0 : 1;
    }
    return failures;
}
