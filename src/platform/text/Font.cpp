#include "platform/text/Font.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QHash>

#include <algorithm>
#include <array>
#include <cmath>
#include <mutex>

namespace pf {

namespace {

enum Style { Regular = 0, BoldStyle = 1, ItalicStyle = 2, BoldItalic = 3 };

// One family the documents name. faces holds the PostScript-style name of each style (regular, bold,
// italic, bold italic); an empty name means the family has no such face.
struct FamilyEntry {
    const char* family;
    std::array<const char*, 4> faces;
    const char* substitute;
    bool fixedPitch;
    const char* italicWord; // "Italic" or "Oblique", for full names such as "Helvetica Bold Oblique"
};

// The one substitution table: names documents use -> installed families.
constexpr FamilyEntry familyTable[] = {
    {"Helvetica", {"Helvetica", "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique"}, "Nimbus Sans", false, "Oblique"},
    {"Helvetica Neue", {"HelveticaNeue", "HelveticaNeue-Bold", "HelveticaNeue-Italic", "HelveticaNeue-BoldItalic"}, "Nimbus Sans", false, "Italic"},
    {"Arial", {"ArialMT", "Arial-BoldMT", "Arial-ItalicMT", "Arial-BoldItalicMT"}, "Liberation Sans", false, "Italic"},
    {"Lucida Grande", {"LucidaGrande", "LucidaGrande-Bold", "", ""}, "DejaVu Sans", false, "Italic"},
    {"Geneva", {"Geneva", "", "", ""}, "DejaVu Sans", false, "Italic"},
    {"Verdana", {"Verdana", "Verdana-Bold", "Verdana-Italic", "Verdana-BoldItalic"}, "DejaVu Sans", false, "Italic"},
    {"Times", {"Times-Roman", "Times-Bold", "Times-Italic", "Times-BoldItalic"}, "Nimbus Roman", false, "Italic"},
    {"Times New Roman", {"TimesNewRomanPSMT", "TimesNewRomanPS-BoldMT", "TimesNewRomanPS-ItalicMT", "TimesNewRomanPS-BoldItalicMT"}, "Liberation Serif", false, "Italic"},
    {"Georgia", {"Georgia", "Georgia-Bold", "Georgia-Italic", "Georgia-BoldItalic"}, "DejaVu Serif", false, "Italic"},
    {"Courier", {"Courier", "Courier-Bold", "Courier-Oblique", "Courier-BoldOblique"}, "Nimbus Mono PS", true, "Oblique"},
    {"Courier New", {"CourierNewPSMT", "CourierNewPS-BoldMT", "CourierNewPS-ItalicMT", "CourierNewPS-BoldItalicMT"}, "Liberation Mono", true, "Italic"},
    {"Menlo", {"Menlo-Regular", "Menlo-Bold", "Menlo-Italic", "Menlo-BoldItalic"}, "DejaVu Sans Mono", true, "Italic"},
    {"Monaco", {"Monaco", "", "", ""}, "DejaVu Sans Mono", true, "Italic"},
    // The system font under the names it has had; the first face names are the ones we write.
    {".SF NS Text", {".SFNSText", ".SFNSText-Bold", ".SFNSText-Italic", ".SFNSText-BoldItalic"}, "DejaVu Sans", false, "Italic"},
    {".SF NS", {".SFNS-Regular", ".SFNS-Bold", ".SFNS-RegularItalic", ".SFNS-BoldItalic"}, "DejaVu Sans", false, "Italic"},
    {".SF NS Display", {".SFNSDisplay", ".SFNSDisplay-Bold", "", ""}, "DejaVu Sans", false, "Italic"},
    {".AppleSystemUIFont", {".AppleSystemUIFont", ".AppleSystemUIFontBold", ".AppleSystemUIFontItalic", ".AppleSystemUIFontBoldItalic"}, "DejaVu Sans", false, "Italic"},
    {".Lucida Grande UI", {".LucidaGrandeUI", ".LucidaGrandeUI-Bold", "", ""}, "DejaVu Sans", false, "Italic"},
    {".Helvetica Neue DeskInterface", {".HelveticaNeueDeskInterface-Regular", ".HelveticaNeueDeskInterface-Bold", "", ""}, "DejaVu Sans", false, "Italic"},
};
constexpr int systemFamilyIndex = 13;

// Where a name points: a table family (index) or, for names the table does not know, a family of its
// own spelled out in the name.
struct NameInfo {
    int tableIndex = -1;
    QString family;
    int style = Regular;
};

const QHash<QString, NameInfo>& tableNames()
{
    static const QHash<QString, NameInfo> names = [] {
        QHash<QString, NameInfo> h;
        for (int i = 0; i < int(std::size(familyTable)); ++i) {
            const FamilyEntry& e = familyTable[i];
            const QString family = QString::fromLatin1(e.family);
            auto add = [&](const QString& n, int style) { h.insert(n.toLower(), NameInfo{i, family, style}); };
            const QString italic = QString::fromLatin1(e.italicWord);
            add(family, Regular);
            add(family + QStringLiteral(" Regular"), Regular);
            add(family + QStringLiteral(" Bold"), BoldStyle);
            add(family + QLatin1Char(' ') + italic, ItalicStyle);
            add(family + QStringLiteral(" Bold ") + italic, BoldItalic);
            for (int s = 0; s < 4; ++s)
                if (*e.faces[size_t(s)])
                    add(QString::fromLatin1(e.faces[size_t(s)]), s);
        }
        // Other spellings seen in documents.
        h.insert(QStringLiteral("times roman"), NameInfo{6, QStringLiteral("Times"), Regular});
        h.insert(QStringLiteral("timesnewromanps"), NameInfo{7, QStringLiteral("Times New Roman"), Regular});
        h.insert(QStringLiteral("arial bold"), NameInfo{2, QStringLiteral("Arial"), BoldStyle});
        h.insert(QStringLiteral("system font"), NameInfo{systemFamilyIndex, QStringLiteral(".SF NS Text"), Regular});
        return h;
    }();
    return names;
}

// Names outside the table: "Family", "Family Bold", "Family-BoldItalic", "Family Oblique" ...
NameInfo parseName(const QString& name)
{
    if (auto it = tableNames().constFind(name.toLower()); it != tableNames().constEnd())
        return *it;
    static const std::pair<const char*, int> suffixes[] = {
        {" Bold Italic", BoldItalic}, {" Bold Oblique", BoldItalic}, {"-BoldItalic", BoldItalic},
        {"-BoldOblique", BoldItalic}, {" Bold", BoldStyle}, {"-Bold", BoldStyle}, {" Italic", ItalicStyle},
        {" Oblique", ItalicStyle}, {"-Italic", ItalicStyle}, {"-Oblique", ItalicStyle}, {" Regular", Regular},
        {"-Regular", Regular}, {"-Roman", Regular}};
    for (const auto& [suffix, style] : suffixes) {
        const QLatin1String s(suffix);
        if (name.size() > s.size() && name.endsWith(s, Qt::CaseInsensitive)) {
            const QString family = name.left(name.size() - s.size());
            if (auto it = tableNames().constFind(family.toLower()); it != tableNames().constEnd())
                return NameInfo{it->tableIndex, it->family, style};
            return NameInfo{-1, family, style};
        }
    }
    return NameInfo{-1, name, Regular};
}

QString faceName(const NameInfo& info, int style, const QString& fallback)
{
    if (info.tableIndex >= 0) {
        const char* n = familyTable[info.tableIndex].faces[size_t(style)];
        return *n ? QString::fromLatin1(n) : fallback;
    }
    static const char* const words[] = {"", " Bold", " Italic", " Bold Italic"};
    return info.family + QLatin1String(words[style]);
}

double sanitizedSize(double size)
{
    return std::isfinite(size) && size > 0 ? size : Font::defaultFontSize();
}

} // namespace

struct Font::Resolved {
    NameInfo info;
    QString substitute;
    bool fixedPitch = false;
    QFont layoutFont;
    QRawFont raw;
    double ascender = 0;
    double descender = 0;
    double leading = 0;
};

Font::Font() : name_(QStringLiteral("Helvetica")) {}

Font::Font(const QString& name, double pointSize) : name_(name), size_(sanitizedSize(pointSize))
{
    if (name_.isEmpty())
        name_ = QStringLiteral("Helvetica");
}

Font Font::systemFont(double pointSize)
{
    return Font(QString::fromLatin1(familyTable[systemFamilyIndex].faces[0]), pointSize > 0 ? pointSize : systemFontSize());
}

Font Font::boldSystemFont(double pointSize)
{
    return Font(QString::fromLatin1(familyTable[systemFamilyIndex].faces[1]), pointSize > 0 ? pointSize : systemFontSize());
}

Font Font::userFixedPitchFont(double pointSize)
{
    return Font(QStringLiteral("Menlo-Regular"), pointSize > 0 ? pointSize : 11.0);
}

const Font::Resolved& Font::resolved() const
{
    if (resolved_)
        return *resolved_;
    // Fonts are made far more often than new names appear: share what is resolved per name and size.
    static std::mutex mutex;
    static QHash<QPair<QString, double>, std::shared_ptr<const Resolved>> cache;
    const QPair<QString, double> key(name_, size_);
    {
        std::lock_guard lock(mutex);
        if (auto it = cache.constFind(key); it != cache.constEnd()) {
            resolved_ = *it;
            return *resolved_;
        }
    }
    auto r = std::make_shared<Resolved>();
    r->info = parseName(name_);
    if (r->info.tableIndex >= 0) {
        r->substitute = QString::fromLatin1(familyTable[r->info.tableIndex].substitute);
        r->fixedPitch = familyTable[r->info.tableIndex].fixedPitch;
    } else {
        r->substitute = QFontDatabase::hasFamily(r->info.family) ? r->info.family : QStringLiteral("Nimbus Sans");
    }
    QFont f(r->substitute);
    // Whole pixels at layoutScale per point: 1/64 point steps. Sizes beyond reason are clamped so that
    // Qt's 26.6 fixed-point positions cannot overflow.
    const double layoutSize = std::clamp(size_, 1.0 / layoutScale, 2000.0);
    f.setPixelSize(std::max(1, int(std::lround(layoutSize * layoutScale))));
    f.setBold(r->info.style & BoldStyle);
    f.setItalic(r->info.style & ItalicStyle);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferOutline);
    r->layoutFont = f;
    if (r->info.tableIndex < 0)
        r->fixedPitch = QFontInfo(f).fixedPitch();
    // Line metrics from a large copy: Qt rounds them to whole pixels, which is 1/64 point there.
    constexpr double metricsScale = 64.0;
    QFont large = f;
    large.setPixelSize(std::max(1, int(std::lround(layoutSize * metricsScale))));
    const QFontMetricsF m(large);
    r->ascender = m.ascent() / metricsScale;
    r->descender = -m.descent() / metricsScale;
    r->leading = std::max(0.0, m.leading() / metricsScale);
    r->raw = QRawFont::fromFont(f);
    if (r->raw.isValid())
        r->raw.setPixelSize(layoutSize);
    std::lock_guard lock(mutex);
    if (cache.size() > 4096)
        cache.clear();
    cache.insert(key, r);
    resolved_ = std::move(r);
    return *resolved_;
}

QString Font::familyName() const
{
    return parseName(name_).family;
}

bool Font::isBold() const { return parseName(name_).style & BoldStyle; }
bool Font::isItalic() const { return parseName(name_).style & ItalicStyle; }
bool Font::isFixedPitch() const { return resolved().fixedPitch; }
QString Font::substituteFamily() const { return resolved().substitute; }

bool Font::isAvailable() const
{
    const NameInfo info = parseName(name_);
    return info.tableIndex >= 0 || QFontDatabase::hasFamily(info.family);
}

Font Font::withSize(double pointSize) const { return Font(name_, pointSize); }

Font Font::withTrait(FontTrait trait) const
{
    const NameInfo info = parseName(name_);
    return Font(faceName(info, info.style | int(trait), name_), size_);
}

Font Font::withoutTrait(FontTrait trait) const
{
    const NameInfo info = parseName(name_);
    return Font(faceName(info, info.style & ~int(trait), name_), size_);
}

double Font::ascender() const { return resolved().ascender; }
double Font::descender() const { return resolved().descender; }
double Font::leading() const { return resolved().leading; }
double Font::lineHeight() const { return ascender() - descender() + leading(); }

double Font::widthOfString(const QString& text) const
{
    return QFontMetricsF(layoutFont()).horizontalAdvance(text) / layoutScale;
}

const QFont& Font::layoutFont() const { return resolved().layoutFont; }
QRawFont Font::rawFont() const { return resolved().raw; }

} // namespace pf
