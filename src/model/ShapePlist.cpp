// The stored form of a shape: the base dictionary, the reader with its version migrations, the library
// entry and the style dictionary. Stored data is untrusted: a value of the wrong kind reads as absent,
// numbers that are not finite are neither written nor read, and only registered shape kinds are made.
#include "model/Shape.h"

#include "geometry/QVColor.h"
#include "model/StoredNumbers.h"
#include "platform/foundation/Identifier.h"
#include "platform/foundation/ThreadDictionary.h"
#include "platform/text/Rtf.h"

#include <QLoggingCategory>

#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <unordered_map>

static_assert(Serializable<Shape> && Serializable<QVGradientElement> && Serializable<FilterSpec> && Serializable<LineDash>);

namespace {

Q_LOGGING_CATEGORY(lcShapePlist, "quorvel.model.shape.plist")

// The version documents are written in; absent from the thread dictionary means newer than any.
constexpr int newestVersion = 1000;

// A number that is not finite is stored as 0 (and logged).
double storable(double v, const char* key)
{
    if (std::isfinite(v))
        return v;
    qCWarning(lcShapePlist, "Shape: %s is not a finite number; stored as 0", key);
    return 0.0;
}

pf::Rect storable(const pf::Rect& r, const char* key)
{
    return pf::Rect(storable(r.x(), key), storable(r.y(), key), storable(r.width(), key), storable(r.height(), key));
}

// Reads: absent, wrong kind and not finite all read as absent (0, the zero rect or point, no colour),
// through the stored-number readers.
pf::OptionalColor readColor(const pf::Value& d, const char* key)
{
    return storedColor(d.stringForKey(key));
}

std::int32_t readInt32(const pf::Value& d, const char* key)
{
    return d.intForKey(key);
}

const ShapeClass* shapeKindNamed(const QString& name)
{
    const ShapeClass* k = pf::ClassRegistry::shared().lookup<ShapeClass>(name);
    if (!k)
        qCWarning(lcShapePlist, "Shape: \"%s\" names no shape kind; entry skipped", qUtf8Printable(name.left(200)));
    else if (!k->isSavableKind()) {
        // A selection object is found by name too; stored data must never put one into a document.
        qCWarning(lcShapePlist, "Shape: \"%s\" is not a stored kind; entry skipped", qUtf8Printable(name.left(200)));
        return nullptr;
    }
    return k;
}

} // namespace

const QString& Shape::literalKey(const char* literal)
{
    // A table indexed by the literal's address before the map: a shape names some fifty keys at a time.
    thread_local std::array<std::pair<const char*, const QString*>, 512> recent{};
    auto& slot = recent[(reinterpret_cast<std::uintptr_t>(literal) >> 2) % recent.size()];
    if (slot.first == literal)
        return *slot.second;
    thread_local std::unordered_map<const char*, QString> keys;
    auto it = keys.find(literal);
    if (it == keys.end())
        it = keys.emplace(literal, QString::fromLatin1(literal)).first;
    slot = {literal, &it->second};
    return it->second;
}

pf::OptionalColor storedColor(const QString& text)
{
    // Direct-mapped by hash; a miss reads the string and takes the slot.
    struct Slot {
        QString text;
        pf::OptionalColor color;
        bool used = false;
    };
    thread_local std::array<Slot, 256> memo;
    // The reader shares the text of repeated short strings: the text is first looked for by its address.
    thread_local std::array<Slot, 256> byAddress;
    Slot& known = byAddress[(reinterpret_cast<std::uintptr_t>(text.constData()) * 0x9E3779B97F4A7C15ull) >> 56];
    if (known.used && pf::detail::isKeptText(text, known.text))
        return known.color;
    Slot& slot = memo[qHash(text) % memo.size()];
    if (!slot.used || slot.text != text) {
        slot.text = pf::detail::keptText(text); // compared later: raw data may be gone by then
        slot.color = QVColorFromString(text);
        slot.used = true;
    }
    known = {pf::detail::keptText(text), slot.color, true};
    return slot.color;
}

QString storedColorString(const pf::OptionalColor& color)
{
    if (!color) {
        thread_local const QString none = QVStringFromColor(color);
        return none;
    }
    struct Slot {
        double channels[4] = {};
        QString text;
    };
    thread_local std::array<Slot, 256> memo;
    const double channels[4] = {color->red, color->green, color->blue, color->alpha};
    std::uint64_t h = 0;
    for (const double channel : channels)
        h = (h ^ std::bit_cast<std::uint64_t>(channel)) * 0x9E3779B97F4A7C15ull;
    // The top bits: they depend on every bit of every channel (round values such as 0.5 or 1 have no low
    // mantissa bits, so lower bits would put them all in one slot).
    static_assert(std::tuple_size_v<decltype(memo)> == 256);
    Slot& slot = memo[h >> 56];
    if (slot.text.isNull() || std::memcmp(slot.channels, channels, sizeof channels) != 0) {
        std::memcpy(slot.channels, channels, sizeof channels);
        slot.text = QVStringFromColor(color);
    }
    return slot.text;
}

int Shape::documentVersion()
{
    thread_local const QString key = QString::fromLatin1(pf::TlsVersionKey);
    const auto version = pf::threadDictionary::value(key).get<std::int64_t>();
    if (!version)
        return newestVersion;
    return static_cast<int>(std::clamp<std::int64_t>(*version, INT32_MIN, INT32_MAX));
}

pf::Value Shape::asPlist() const
{
    // Gathered, then sorted once: inserting each key in its sorted place would move the others.
    std::vector<pf::Value::Dictionary::value_type> d;
    d.reserve(64);
    const auto number = [&d](const char* key, double v) { d.emplace_back(literalKey(key), storable(v, key)); };
    const auto color = [&d](const char* key, const pf::OptionalColor& c) {
        d.emplace_back(literalKey(key), storedColorString(c));
    };
    const auto put = [&d](const char* key, pf::Value v) { d.emplace_back(literalKey(key), std::move(v)); };

    put("className", classObject().className());
    put("frame", pf::toString(storable(frame_, "frame")));
    put("identifier", identifier_);
    put("userSetTitle", userSetTitle_);
    put("hidden", hidden_);
    put("locked", locked_);
    number("opacity", opacity_);
    put("constrainAspectRatio", constrainAspectRatio_);
    put("rotationAngle", rotationAngle_);
    number("rotationHandleRadius", rotationHandleRadius_);
    number("adjustmentRatioX", adjustmentRatioX_);
    number("adjustmentRatioY", adjustmentRatioY_);

    put("fillType", fillType_);
    put("fillAngle", fillAngle_);
    color("fillColor", fillColor_);
    put("fillShadowHidden", fillShadowHidden_);
    number("fillShadowBlur", fillShadowBlur_);
    number("fillShadowOffsetX", fillShadowOffsetX_);
    number("fillShadowOffsetY", fillShadowOffsetY_);
    color("fillShadowColor", fillShadowColor_);

    put("strokeType", strokeType_);
    number("strokeLineWidth", strokeLineWidth_);
    put("strokeLineCap", strokeLineCap_);
    put("strokeLineJoin", strokeLineJoin_);
    color("strokeColor", strokeColor_);
    put("stroke1Enabled", stroke1Enabled_);
    put("stroke2Enabled", stroke2Enabled_);
    color("stroke1Color", stroke1Color_);
    color("stroke2Color", stroke2Color_);
    put("strokeShadowHidden", strokeShadowHidden_);
    number("strokeShadowBlur", strokeShadowBlur_);
    number("strokeShadowOffsetX", strokeShadowOffsetX_);
    number("strokeShadowOffsetY", strokeShadowOffsetY_);
    color("strokeShadowColor", strokeShadowColor_);

    put("textAlign", textAlign_);
    put("textVerticalAlign", textVerticalAlign_);
    put("textAppearanceType", textAppearanceType_);
    put("textDrawOnPath", textDrawOnPath_);
    put("textShadowHidden", textShadowHidden_);
    number("textShadowBlur", textShadowBlur_);
    number("textShadowOffsetX", textShadowOffsetX_);
    number("textShadowOffsetY", textShadowOffsetY_);
    color("textShadowColor", textShadowColor_);

    put("imageType", imageType_);
    put("scaleImage", scaleImage_);
    put("imageAnchorRatio", pf::toString(pf::Point(storable(imageAnchorRatio_.x, "imageAnchorRatio"),
                                                   storable(imageAnchorRatio_.y, "imageAnchorRatio"))));
    if (!title_.isNull())
        put("title", title_);

    pf::Value::Array stops;
    for (const QVGradientElement& e : fillGradientElements()) {
        pf::Value stop = e.asPlist();
        if (!stop.isNull())
            stops.push_back(std::move(stop));
    }
    put("fillGradientElements", std::move(stops));
    if (hasText())
        put("attributedTextData", pf::rtfFromAttributedString(*attributedText_));
    if (!imageIdentifier_.isNull())
        put("imageIdentifier", imageIdentifier_);
    pf::Value::Array filters;
    for (const auto& spec : contentFilterSpecs_)
        if (spec)
            filters.push_back(spec->asPlist());
    put("contentFilterSpecs", std::move(filters));
    return pf::Value(pf::Value::Dictionary::fromEntries(std::move(d)));
}

std::shared_ptr<Shape> Shape::fromPlist(const pf::Value& plist)
{
    if (!plist.isDictionary()) {
        qCWarning(lcShapePlist, "Shape: a stored shape is not a dictionary; skipped");
        return nullptr;
    }
    // A page's dictionaries were read long before their shapes are made: each one's entries are
    // fetched at once rather than one miss per key.
    for (const auto& entry : plist.asDictionary())
        __builtin_prefetch(&entry);
    const ShapeClass* k = shapeKindNamed(plist.stringForKey("className"));
    if (!k)
        return nullptr;
    const pf::Rect frame = storedRect(plist, "frame");
    std::shared_ptr<Shape> shape;
    {
        // Cleared by the first initialiser to run, and here whatever happens.
        struct Follows {
            Follows() { identifierFollows_ = true; }
            ~Follows() { identifierFollows_ = false; }
        } follows;
        shape = k->newShape(frame);
    }
    shape->readPlist(plist);
    return shape;
}

void Shape::readPlist(const pf::Value& d)
{
    const int version = documentVersion();
    const QString& identifier = d.stringForKey("identifier");
    // A text of its own, not the read one: the document's value tree is freed as a whole once the page
    // is read, and a text kept from it would keep its memory from going back to the system.
    identifier_ = identifier.isEmpty() ? pf::newIdentifier() : QString(identifier.constData(), identifier.size());

    setTitle(d.stringForKey("title"));
    setUserSetTitle(d.boolForKey("userSetTitle"));
    setHidden(d.boolForKey("hidden"));
    setLocked(d.boolForKey("locked"));
    setOpacity(storedDouble(d, "opacity"));
    setConstrainAspectRatio(d.boolForKey("constrainAspectRatio"));
    setRotationAngle(d.integerForKey("rotationAngle"));
    setRotationHandleRadius(storedDouble(d, "rotationHandleRadius"));
    setAdjustmentRatioX(storedDouble(d, "adjustmentRatioX"));
    setAdjustmentRatioY(storedDouble(d, "adjustmentRatioY"));

    // Shadows were stored with y up before version 7.
    applyFillStyle(d);
    if (version <= 6 && fillShadowOffsetY_ != 0)
        setFillShadowOffsetY(-fillShadowOffsetY_);
    applyStrokeStyle(d);
    if (version <= 6 && strokeShadowOffsetY_ != 0)
        setStrokeShadowOffsetY(-strokeShadowOffsetY_);

    const std::optional<pf::MutableAttributedString> text = storedText(d, "attributedTextData");
    setAttributedText(text ? &*text : nullptr);

    applyTextStyle(d);
    if (version <= 6 && textShadowOffsetY_ != 0)
        setTextShadowOffsetY(-textShadowOffsetY_);

    if (d.objectForKey("imageIdentifier").isString())
        setImageIdentifier(d.stringForKey("imageIdentifier"));
    setImageType(d.integerForKey("imageType"));
    setScaleImage(d.boolForKey("scaleImage"));
    if (d.objectForKey("imageAnchorRatio").isString())
        setImageAnchorRatio(storedPoint(d, "imageAnchorRatio"));

    applyFilterStyle(d);
    setUpTextLayoutManager();
}

std::optional<pf::MutableAttributedString> Shape::storedText(const pf::Value& plist, const char* key)
{
    const QByteArray& rtf = plist.dataForKey(key);
    if (rtf.isEmpty())
        return std::nullopt;
    QString error;
    std::optional<pf::MutableAttributedString> text = pf::attributedStringFromRtf(rtf, &error);
    if (!text)
        qCWarning(lcShapePlist, "Shape: unreadable text \"%s\" dropped (%s)", key, qUtf8Printable(error));
    return text;
}

std::shared_ptr<Shape> Shape::shapeFromPlist(const pf::Value& plist, bool useBuiltInStyle)
{
    // A page's dictionaries were read long before their shapes are made: each one's entries are
    // fetched at once rather than one miss per key.
    for (const auto& entry : plist.asDictionary())
        __builtin_prefetch(&entry);
    const ShapeClass* k = shapeKindNamed(plist.stringForKey("className"));
    if (!k)
        return nullptr;
    const pf::Rect frame = storedRect(plist, "frame");
    if (useBuiltInStyle)
        return StickyDefaults::doWithoutStickySettingOrGetting([&] { return k->newShape(frame); });
    return StickyDefaults::doWithoutStickySetting([&] { return k->newShape(frame); });
}

pf::Value Shape::plistByEnsuringFrameToPlistInRect(const pf::Value& plist, const pf::Rect& rect)
{
    // The kind decides even when a frame is given: bars take the page's width, some a fixed place on it.
    if (const ShapeClass* k = pf::ClassRegistry::shared().lookup<ShapeClass>(plist.stringForKey("className")))
        return k->plistByEnsuringFrameToPlistInRect(plist, rect);
    if (plist.contains("frame"))
        return plist;
    pf::Value result = plist.isDictionary() ? plist : pf::Value::dictionary();
    result.set(QStringLiteral("frame"), pf::toString(pf::Rect(std::round(rect.midX()), std::round(rect.midY()), 0, 0)));
    return result;
}

// ---- style transfer ----

void Shape::applyFillStyle(const pf::Value& d)
{
    std::uint64_t type = d.unsignedIntegerForKey("fillType");
    setFillType(type);
    setFillAngle(d.integerForKey("fillAngle"));

    // Colours of the gradients of earlier formats.
    const bool hasA = d.objectForKey("fillColorA").isString();
    const bool hasB = d.objectForKey("fillColorB").isString();
    const bool hasC = d.objectForKey("fillColorC").isString();
    const pf::OptionalColor a = readColor(d, "fillColorA");
    const pf::OptionalColor b = readColor(d, "fillColorB");
    setFillColor(hasA ? a : readColor(d, "fillColor"));

    GradientElements stops;
    if ((type == 3 || type == 4) && hasA && hasB && hasC) {
        stops = {{a, 0.0}, {b, 0.5}, {readColor(d, "fillColorC"), 1.0}};
    } else if (hasA && hasB) {
        stops = {{a, 0.0}, {b, 1.0}};
    } else {
        for (const pf::Value& entry : d.arrayForKey("fillGradientElements"))
            if (entry.isDictionary())
                stops.push_back(QVGradientElement::fromPlist(entry));
    }
    if (type == 3)
        setFillType(1);
    else if (type == 4)
        setFillType(2);
    setFillGradientElements(std::move(stops));

    setFillShadowHidden(d.boolForKey("fillShadowHidden"));
    setFillShadowBlur(storedDouble(d, "fillShadowBlur"));
    setFillShadowOffsetX(storedDouble(d, "fillShadowOffsetX"));
    setFillShadowOffsetY(storedDouble(d, "fillShadowOffsetY"));
    setFillShadowColor(readColor(d, "fillShadowColor"));
}

void Shape::applyStrokeStyle(const pf::Value& d)
{
    setStrokeType(d.unsignedIntegerForKey("strokeType"));
    setStrokeLineWidth(storedDouble(d, "strokeLineWidth"));
    setStrokeLineCap(readInt32(d, "strokeLineCap"));
    setStrokeLineJoin(readInt32(d, "strokeLineJoin"));
    setStrokeColor(readColor(d, "strokeColor"));
    setStroke1Enabled(d.boolForKey("stroke1Enabled"));
    setStroke1Color(readColor(d, "stroke1Color"));
    setStroke2Enabled(d.boolForKey("stroke2Enabled"));
    setStroke2Color(readColor(d, "stroke2Color"));
    setStrokeShadowHidden(d.boolForKey("strokeShadowHidden"));
    setStrokeShadowBlur(storedDouble(d, "strokeShadowBlur"));
    setStrokeShadowOffsetX(storedDouble(d, "strokeShadowOffsetX"));
    setStrokeShadowOffsetY(storedDouble(d, "strokeShadowOffsetY"));
    setStrokeShadowColor(readColor(d, "strokeShadowColor"));
    // A pasted style carries the outline's parameters too.
    if (const double x = storedDouble(d, "adjustmentRatioX"); x > 0.0)
        setAdjustmentRatioX(x);
    if (const double y = storedDouble(d, "adjustmentRatioY"); y > 0.0)
        setAdjustmentRatioY(y);
}

void Shape::applyTextStyle(const pf::Value& d)
{
    setTextAlign(d.unsignedIntegerForKey("textAlign"));
    setTextVerticalAlign(d.unsignedIntegerForKey("textVerticalAlign"));
    setTextAppearanceType(d.unsignedIntegerForKey("textAppearanceType"));
    setTextDrawOnPath(d.boolForKey("textDrawOnPath"));
    setTextShadowHidden(d.boolForKey("textShadowHidden"));
    setTextShadowBlur(storedDouble(d, "textShadowBlur"));
    setTextShadowOffsetX(storedDouble(d, "textShadowOffsetX"));
    setTextShadowOffsetY(storedDouble(d, "textShadowOffsetY"));
    setTextShadowColor(readColor(d, "textShadowColor"));
}

void Shape::applyFilterStyle(const pf::Value& d)
{
    const pf::Value::Array& entries = d.arrayForKey("contentFilterSpecs");
    if (entries.empty())
        return;
    FilterSpecs specs;
    for (const pf::Value& entry : entries)
        if (entry.isDictionary())
            specs.push_back(FilterSpec::fromPlist(entry));
    setContentFilterSpecs(std::move(specs));
}

pf::Value Shape::extractStyle() const
{
    pf::Value style = asPlist();
    if (!hasText())
        return style;
    const pf::TextAttributes first = attributedText_->attributesAtIndex(0);
    if (first.foregroundColor)
        style.set(QStringLiteral("textColor"), QVStringFromColor(first.foregroundColor));
    if (first.font) {
        style.set(QStringLiteral("textFontName"), first.font->fontName());
        style.set(QStringLiteral("textFontSize"), storable(first.font->pointSize(), "textFontSize"));
    }
    return style;
}

void Shape::applyStyle(const pf::Value& style)
{
    StickyDefaults::WithoutSetting noSticky;
    applyFillStyle(style);
    applyStrokeStyle(style);
    applyTextStyle(style);
    applyFilterStyle(style);
    if (!hasText())
        return;
    pf::TextAttributes change;
    if (const pf::OptionalColor color = readColor(style, "textColor"))
        change.foregroundColor = color;
    const QString& fontName = style.stringForKey("textFontName");
    if (!fontName.isEmpty())
        change.font = pf::Font(fontName, storedDouble(style, "textFontSize"));
    if (change.isEmpty())
        return;
    setAttributedText(textWithAttributes(*attributedText_, change));
}
