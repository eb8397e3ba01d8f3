#include "model/ShapeClass.h"

#include "model/StoredNumbers.h"

#include "geometry/QVColor.h"
#include "geometry/QVRect.h"
#include "model/Composition.h"
#include "model/Group.h"
#include "model/Parent.h"
#include "model/Rectangle.h"
#include "model/Shape.h"
#include "model/StickyDefaults.h"
#include "model/UserDefaults.h"
#include "platform/foundation/UserDefaultsStore.h"

#include <QLoggingCategory>

#include <array>
#include <atomic>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <map>
#include <vector>

namespace {

// The platform's selected-control colours, which highlights and handles are drawn in.
constexpr pf::Color selectedControlColor{0.702, 0.843, 1.0, 1.0};
constexpr pf::Color alternateSelectedControlColor{0.020, 0.388, 0.855, 1.0};

// How often each user-level sticky key was changed by a sticky write: shared by every kind of the family.
std::atomic<std::uint64_t>& userWritesOf(const QString& userKey)
{
    static std::mutex mutex;
    static std::map<QString, std::atomic<std::uint64_t>> counts; // entries stay where they are
    const std::lock_guard lock(mutex);
    return counts.try_emplace(userKey).first->second;
}

// The changes of the settings that this thread knows for its own sticky writes (each counted against
// its key): every change after `from`, up to `to`, was one. Reading a document writes the style of
// each shape it reads, and only that, between one new shape and the next.
struct KnownChanges {
    std::uint64_t from = 0;
    std::uint64_t to = 0;
};
thread_local KnownChanges knownChanges;

} // namespace

ShapeClass::ShapeClass(QString name, const pf::ClassObject* superclass, Allocator allocator)
    : ClassObject(std::move(name), superclass), allocator_(allocator)
{
    // Class objects live for the whole process.
    UserDefaults::addDefaultTextAttributesChangedHandler([this] { clearDefaultTextAttributes(); });
}

std::shared_ptr<Shape> ShapeClass::newShape(const pf::Rect& frame) const
{
    auto shape = allocate();
    shape->initWithFrame(frame);
    return shape;
}

std::shared_ptr<Shape> ShapeClass::newShape() const
{
    return newShape(pf::Rect(pf::Point(0, 0), defaultSize()));
}

QString ShapeClass::title() const { return {}; }
QString ShapeClass::shortTitle() const { return {}; }
QString ShapeClass::longDescription() const { return {}; }
QString ShapeClass::extraSearchString() const { return QStringLiteral(""); }
QString ShapeClass::negativeSearchString() const { return QStringLiteral(""); }
QString ShapeClass::iconImageName() const { return {}; }
pf::Image ShapeClass::iconImage() const { return {}; }

const QStringList& ShapeClass::facetClassNames() const
{
    static const QStringList names{QStringLiteral("OpacityFacet"), QStringLiteral("FilterFacet"),
                                   QStringLiteral("GeometryFacet"), QStringLiteral("FillFacet"),
                                   QStringLiteral("StrokeFacet"),  QStringLiteral("ImageFacet"),
                                   QStringLiteral("TextFacet")};
    return names;
}

QString ShapeClass::manipulatorClassName() const { return QStringLiteral("Manipulator"); }
QString ShapeClass::toolTipClassName() const { return {}; }
QString ShapeClass::nibName() const { return {}; }
pf::Size ShapeClass::defaultSize() const { return {100, 100}; }
pf::Size ShapeClass::provisionalSize() const { return {1, 1}; }

pf::Rect ShapeClass::defaultFrameForPointZoomScale(const pf::Point& point, double zoomScale) const
{
    const pf::Size size = defaultSize();
    const double w = size.width / zoomScale;
    const double h = size.height / zoomScale;
    return QVRectRound(pf::Rect(point.x - w / 2, point.y - h / 2, w, h));
}

pf::Value ShapeClass::plist() const
{
    pf::Value entry;
    entry.set(QStringLiteral("className"), className());
    const auto optional = [&entry](const char* key, const QString& value) {
        if (!value.isNull())
            entry.set(QString::fromLatin1(key), value);
    };
    optional("title", title());
    optional("shortTitle", shortTitle());
    optional("longDescription", longDescription());
    optional("iconImageName", iconImageName());
    optional("extraSearchString", extraSearchString());
    optional("negativeSearchString", negativeSearchString());
    return entry;
}

pf::Value ShapeClass::plistByEnsuringFrameToPlistInRect(const pf::Value& plist, const pf::Rect& rect) const
{
    if (plist.contains("frame"))
        return plist;
    const pf::Size size = defaultFrameForPointZoomScale(pf::Point(0, 0), 1.0).size;
    pf::Value result = plist.isDictionary() ? plist : pf::Value::dictionary();
    const pf::Rect frame(std::round(rect.midX() - size.width / 2), std::round(rect.midY() - size.height / 2),
                         size.width, size.height);
    result.set(QStringLiteral("frame"), pf::toString(frame));
    return result;
}

std::shared_ptr<Shape> ShapeClass::libraryListItemShapeWithFrame(const pf::Rect& frame) const
{
    auto shape = newShape(frame);
    const double w = libraryListItemShapeStrokeLineWidth();
    shape->setFillType(1);
    shape->setFillAngle(90);
    shape->setStrokeType(0);
    shape->setStrokeColor(libraryListItemShapeStrokeColor());
    shape->setStrokeShadowHidden(true);
    // The flat look of current systems (the system version is fixed at one that has it).
    shape->setFillGradientElements({{QVHexColor(0x41AEFA), 0.0}, {QVHexColor(0x4086D5), 1.0}});
    shape->setFillShadowHidden(true);
    shape->setStrokeLineWidth(w);
    pf::Rect inset = shape->frame();
    inset.size.width -= w;
    inset.size.height -= w;
    shape->setFrame(inset);
    return shape;
}

double ShapeClass::libraryListItemShapeStrokeLineWidth() const { return 1.0; }

pf::Color ShapeClass::libraryListItemShapeStrokeColor() const
{
    static const pf::Color color = QVHexColor(0x333333);
    return color;
}

double ShapeClass::selectionStrokeLineWidth() const { return 10.0; }
pf::Color ShapeClass::selectionStrokeColor() const { return selectedControlColor.withAlpha(0.65); }
double ShapeClass::snapStrokeLineWidth() const { return 5.0; }
pf::Color ShapeClass::snapStrokeColor() const { return pf::Color(1.0, 0.5, 0.0, 0.25); }
pf::Color ShapeClass::lockedSelectionStrokeColor() const { return pf::Color(2.0 / 3.0, 2.0 / 3.0, 2.0 / 3.0, 1.0); }
pf::Gradient ShapeClass::handleGradient() const { return pf::Gradient(selectedControlColor, alternateSelectedControlColor); }
bool ShapeClass::wantsRegistration() const { return true; }
bool ShapeClass::allowsShapeMode() const { return true; }
pf::LineBreakMode ShapeClass::defaultLineBreakMode() const { return pf::LineBreakMode::WordWrapping; }

QString ShapeClass::defaultTextFontName() const
{
    StickyDefaults::WithoutSettingOrGetting builtIn;
    return stickyObjectForKey(QStringLiteral("textFontName")).asString();
}

double ShapeClass::defaultTextFontSize() const
{
    StickyDefaults::WithoutSettingOrGetting builtIn;
    return stickyDoubleForKey(QStringLiteral("textFontSize"));
}

pf::OptionalColor ShapeClass::defaultTextColor() const
{
    StickyDefaults::WithoutSettingOrGetting builtIn;
    return stickyColorForKey(QStringLiteral("textColor"));
}

namespace {
pf::Font fontNamed(const QString& name, double size)
{
    if (name.isEmpty())
        return pf::Font::systemFont();
    return pf::Font(name, size);
}
} // namespace

pf::Font ShapeClass::defaultFont() const
{
    return fontNamed(defaultTextFontName(), defaultTextFontSize());
}

pf::Font ShapeClass::currentFont() const
{
    return fontNamed(stickyObjectForKey(QStringLiteral("textFontName")).asString(),
                     stickyDoubleForKey(QStringLiteral("textFontSize")));
}

pf::OptionalColor ShapeClass::currentTextColor() const
{
    return stickyColorForKey(QStringLiteral("textColor"));
}

pf::TextAttributes ShapeClass::defaultTextAttributes() const
{
    std::uint64_t clears = 0;
    {
        const std::lock_guard lock(defaultTextAttributesMutex_);
        if (defaultTextAttributes_)
            return *defaultTextAttributes_;
        clears = defaultTextAttributesClears_;
    }
    // Made outside the lock (it reads the settings); the first one made is kept, unless the settings
    // changed meanwhile.
    pf::TextAttributes made = makeDefaultTextAttributes();
    const std::lock_guard lock(defaultTextAttributesMutex_);
    if (!defaultTextAttributes_ && clears == defaultTextAttributesClears_)
        defaultTextAttributes_ = std::make_shared<const pf::TextAttributes>(made);
    return made;
}

pf::TextAttributes ShapeClass::makeDefaultTextAttributes() const
{
    pf::TextAttributes a;
    a.foregroundColor = defaultTextColor();
    a.font = defaultFont();
    pf::ParagraphStyle p = pf::ParagraphStyle::defaultStyle();
    p.alignment = pf::TextAlignment::Center;
    p.lineBreakMode = defaultLineBreakMode();
    p.minimumLineHeight = 0;
    p.maximumLineHeight = FLT_MAX;
    p.lineHeightMultiple = 1.0;
    p.lineSpacing = 0;
    p.paragraphSpacing = 0;
    p.firstLineHeadIndent = 0;
    a.paragraphStyle = p;
    a.shadow = pf::Shadow{pf::Size(0, -1), 0, QVHexaColor(0xFFFFFF77)};
    a.baselineOffset = 0.0;
    return a;
}

pf::TextAttributes ShapeClass::currentTextAttributes() const
{
    pf::TextAttributes a = defaultTextAttributes();
    a.font = currentFont();
    if (auto color = currentTextColor())
        a.foregroundColor = color;
    return a;
}

void ShapeClass::clearDefaultTextAttributes() const
{
    const std::lock_guard lock(defaultTextAttributesMutex_);
    defaultTextAttributes_.reset();
    ++defaultTextAttributesClears_;
}

pf::InterpolationQuality ShapeClass::drawImageHints() const { return pf::InterpolationQuality::Low; }
pf::InterpolationQuality ShapeClass::exportImageHints() const { return pf::InterpolationQuality::High; }

pf::Image ShapeClass::imageFromData(const QByteArray& data)
{
    if (data.isEmpty())
        return {};
    return pf::Image::fromData(data);
}

QString ShapeClass::stickyPhylumName() const { return QStringLiteral("Shape"); }
QString ShapeClass::stickyTypeName() const { return className(); }

const QSet<QString>& ShapeClass::keysExcludedFromStickyPhylum() const
{
    static const QSet<QString> keys{QStringLiteral("adjustmentRatioX"), QStringLiteral("adjustmentRatioY")};
    return keys;
}

bool ShapeClass::isStickySettingEnabled() const
{
    return StickyDefaults::isStickySettingEnabled();
}

QString ShapeClass::userPhylumKeyForKey(const QString& key) const
{
    return QStringLiteral("User-%1-%2").arg(stickyPhylumName(), key);
}

QString ShapeClass::typeKeyForKey(const QString& key) const
{
    return QStringLiteral("%1-%2").arg(stickyTypeName(), key);
}

QString ShapeClass::defaultKeyForKey(const QString& key) const
{
    return QStringLiteral("Default-%1").arg(key);
}

const ShapeClass::StickyKeys& ShapeClass::stickyKeys(const QString& key) const
{
    // The keys come from a few long-lived strings (the setters' and the initialiser's): where the same
    // text of the same class was last found is tried first. Entries are never removed or changed, and a
    // map's entries stay where they are, so a hint found this way needs no lock.
    struct Hint {
        const QChar* text = nullptr;
        const ShapeClass* owner = nullptr;
        const QString* key = nullptr;
        const StickyKeys* keys = nullptr;
    };
    thread_local std::array<Hint, 256> hints;
    // Both addresses mixed in: kinds made in turn (a group after its members) keep their own places.
    const std::uint64_t h = (reinterpret_cast<std::uintptr_t>(key.constData()) * 0x9E3779B97F4A7C15ull)
        ^ (reinterpret_cast<std::uintptr_t>(this) * 0xC2B2AE3D27D4EB4Full);
    Hint& hint = hints[(h ^ (h >> 29)) % hints.size()];
    if (hint.text == key.constData() && hint.owner == this && *hint.key == key)
        return *hint.keys;
    const std::lock_guard lock(stickyKeysMutex_);
    auto it = stickyKeys_.find(key);
    if (it == stickyKeys_.end()) {
        QString user = userPhylumKeyForKey(key);
        std::atomic<std::uint64_t>* userWrites = &userWritesOf(user);
        it = stickyKeys_
                 .emplace(key, StickyKeys{std::move(user), typeKeyForKey(key), defaultKeyForKey(key),
                                          !keysExcludedFromStickyPhylum().contains(key), userWrites})
                 .first;
    }
    hint = {key.constData(), this, &it->first, &it->second};
    return it->second;
}

pf::Value ShapeClass::stickyObjectForKey(const QString& key) const
{
    const StickyKeys& keys = stickyKeys(key);
    const bool getting = StickyDefaults::isStickyGettingEnabled();
    // Each new shape reads some thirty of these, each up to three lookups in the settings: the answer
    // is kept, per thread, until the settings change in a way that may touch it. A sticky write of this
    // thread changes only its own user-level key; any other change drops every answer kept.
    struct Memo {
        const StickyKeys* keys = nullptr;
        std::uint64_t generation = 0;
        std::uint64_t userWrites = 0;
        bool getting = false;
        pf::Value value;
    };
    thread_local std::array<Memo, 256> memos;
    const std::uint64_t generation = pf::UserDefaultsStore::generation();
    if (generation != knownChanges.to)
        knownChanges = {generation, generation};
    const std::uint64_t userWrites = keys.userWrites->load(std::memory_order_relaxed);
    Memo& memo = memos[(reinterpret_cast<std::uintptr_t>(&keys) * 0x9E3779B97F4A7C15ull) >> 56];
    if (memo.keys == &keys && memo.getting == getting && memo.generation >= knownChanges.from
        && memo.userWrites == userWrites)
        return memo.value;
    memo = {&keys, generation, userWrites, getting, lookUpSticky(keys, getting)};
    return memo.value;
}

std::span<const ShapeClass::StickyReading> ShapeClass::stickyReadings(std::span<const char* const> keys) const
{
    struct Kept {
        const ShapeClass* owner = nullptr;
        const char* const* list = nullptr;
        std::uint64_t generation = 0; // the oldest read kept
        bool getting = false;
        std::vector<QString> names;
        std::vector<const StickyKeys*> keys;
        std::vector<std::uint64_t> userWrites;
        std::vector<StickyReading> readings;
    };
    // A few kinds are made in turn (a group after its members): each keeps its own.
    thread_local std::array<Kept, 16> kept;
    Kept& k = kept[(reinterpret_cast<std::uintptr_t>(this) * 0x9E3779B97F4A7C15ull) >> 60];
    const std::uint64_t generation = pf::UserDefaultsStore::generation();
    if (generation != knownChanges.to)
        knownChanges = {generation, generation};
    const bool getting = StickyDefaults::isStickyGettingEnabled();
    const bool all = k.owner != this || k.list != keys.data() || k.keys.size() != keys.size() || k.getting != getting
        || k.generation < knownChanges.from;
    if (all) {
        k.owner = this;
        k.list = keys.data();
        k.generation = generation;
        k.getting = getting;
        k.names.clear();
        k.keys.clear();
        for (const char* key : keys) {
            k.names.push_back(QString::fromLatin1(key));
            k.keys.push_back(&stickyKeys(k.names.back()));
        }
        k.userWrites.assign(keys.size(), 0);
        k.readings.assign(keys.size(), {});
    }
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::uint64_t writes = k.keys[i]->userWrites->load(std::memory_order_relaxed);
        if (!all && writes == k.userWrites[i])
            continue;
        const pf::Value value = stickyObjectForKey(k.names[i]);
        k.readings[i] = {value.integerValue(), finiteOrZero(value.doubleValue()), value.boolValue(),
                         storedColor(value.asString())};
        k.userWrites[i] = writes;
    }
    return k.readings;
}

bool ShapeClass::stickyPropertiesEnabled()
{
    // Asked for every sticky key of every new shape; reading a document writes sticky values between
    // shapes, but none while a shape takes its defaults, so one lookup serves the whole initialisation.
    thread_local std::uint64_t readAt = 0;
    thread_local bool enabled = false;
    const std::uint64_t generation = pf::UserDefaultsStore::generation();
    if (readAt != generation) {
        enabled = UserDefaults::instance().stickyPropertiesEnabled();
        readAt = generation;
    }
    return enabled;
}

pf::Value ShapeClass::lookUpSticky(const StickyKeys& keys, bool getting)
{
    const pf::UserDefaultsStore& store = pf::UserDefaultsStore::standard();
    if (getting && keys.inPhylum && stickyPropertiesEnabled()) {
        const pf::Value& v = store.objectForKey(keys.user);
        if (!v.isNull())
            return v;
    }
    const pf::Value& v = store.objectForKey(keys.type);
    if (!v.isNull())
        return v;
    return store.objectForKey(keys.fallback);
}

void ShapeClass::setStickyObjectForKey(const pf::Value& value, const QString& key) const
{
    if (!isStickySettingEnabled())
        return;
    const StickyKeys& keys = stickyKeys(key);
    const std::uint64_t before = pf::UserDefaultsStore::generation();
    pf::UserDefaultsStore::standard().setObjectForKey(value, keys.user);
    const std::uint64_t after = pf::UserDefaultsStore::generation();
    if (after == before)
        return; // the same value: nothing changed
    keys.userWrites->fetch_add(1, std::memory_order_relaxed);
    if (after == before + 1 && before == knownChanges.to)
        knownChanges.to = after;
}

pf::OptionalColor ShapeClass::stickyColorForKey(const QString& key) const
{
    return storedColor(stickyObjectForKey(key).asString());
}

double ShapeClass::stickyDoubleForKey(const QString& key) const
{
    return finiteOrZero(stickyObjectForKey(key).doubleValue());
}

std::int64_t ShapeClass::stickyIntegerForKey(const QString& key) const
{
    return stickyObjectForKey(key).integerValue();
}

bool ShapeClass::stickyBoolForKey(const QString& key) const
{
    return stickyObjectForKey(key).boolValue();
}

void ShapeClass::setStickyColorForKey(const pf::OptionalColor& color, const QString& key) const
{
    setStickyObjectForKey(storedColorString(color), key);
}

void ShapeClass::setStickyDoubleForKey(double value, const QString& key) const
{
    setStickyObjectForKey(finiteOrZero(value), key);
}

void ShapeClass::setStickyIntegerForKey(std::int64_t value, const QString& key) const
{
    setStickyObjectForKey(value, key);
}

void ShapeClass::setStickyBoolForKey(bool value, const QString& key) const
{
    setStickyObjectForKey(value, key);
}

void registerShapeClasses(pf::ClassRegistry& registry)
{
    registry.add(Shape::staticClass());
    registry.add(Rectangle::staticClass());
    registry.add(Parent::staticClass());
    registry.add(Group::staticClass());
    registry.add(Composition::staticClass());
}
