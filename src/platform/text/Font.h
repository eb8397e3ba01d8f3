// A font as documents name it: a name and a point size. The name is kept exactly as given, so a
// document's font round-trips even when an installed substitute draws it; the substitution happens in
// one table (FontTable.cpp). One page unit is one point: a 12-point font has an em of 12 units.
#pragma once

#include <QFont>
#include <QRawFont>
#include <QString>

#include <memory>

namespace pf {

enum class FontTrait { Bold = 1, Italic = 2 };

class Font {
public:
    // Helvetica 12, the platform's default text font.
    Font();
    // A size of 0 or less (or not finite) gives the default size 12.
    Font(const QString& name, double pointSize);

    static constexpr double systemFontSize() { return 13.0; }
    static constexpr double defaultFontSize() { return 12.0; }
    // The system font (drawn with DejaVu Sans) at the system size unless a size is given.
    static Font systemFont(double pointSize = systemFontSize());
    static Font boldSystemFont(double pointSize = systemFontSize());
    // The user's fixed-pitch font; a size of 0 or less gives its default size, 11.
    static Font userFixedPitchFont(double pointSize = 0);

    // The name as given (a family, a full name or a PostScript-style name).
    const QString& fontName() const { return name_; }
    double pointSize() const { return size_; }
    // The family the name belongs to ("Helvetica" for "Helvetica-Bold").
    QString familyName() const;
    bool isBold() const;
    bool isItalic() const;
    bool isFixedPitch() const;
    // The installed family that draws this font ("Nimbus Sans" for Helvetica).
    QString substituteFamily() const;
    // The name is one the substitution table knows or belongs to an installed family (an unknown name
    // draws with a fallback).
    bool isAvailable() const;

    // convertFont:toSize:, convertFont:toHaveTrait:, convertFont:toNotHaveTrait:. A family without the
    // requested face answers the font unchanged.
    Font withSize(double pointSize) const;
    Font withTrait(FontTrait trait) const;
    Font withoutTrait(FontTrait trait) const;

    // Metrics in points, from the font's design (the platform's sign convention: descender negative).
    double ascender() const;
    double descender() const;
    double leading() const;
    // ascender - descender + leading: the height of one line of this font.
    double lineHeight() const;
    // Width of a string set in this font on one line (no kerning across font changes).
    double widthOfString(const QString& text) const;

    // Layout works at this many units per point: Qt rounds font pixel sizes to whole pixels, so text is
    // laid out at four units a point (sizes in quarter points) and brought back to points. Larger scales
    // are slower: Qt keeps no glyph metrics for fonts above 64 pixels.
    static constexpr double layoutScale = 4.0;
    // The substitute as a QFont at layoutScale units per point (pixel sized, no hinting).
    const QFont& layoutFont() const;
    // The substitute at one pixel per point: outlines and glyph runs in points.
    QRawFont rawFont() const;

    friend bool operator==(const Font& a, const Font& b) { return a.size_ == b.size_ && a.name_ == b.name_; }

private:
    struct Resolved;
    const Resolved& resolved() const;

    QString name_;
    double size_ = defaultFontSize();
    mutable std::shared_ptr<const Resolved> resolved_;
};

} // namespace pf
