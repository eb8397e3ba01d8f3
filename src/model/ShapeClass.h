// The class object of shapes: the catalogue of class-level operations that every kind overrides
// (library titles and icon, inspector facets, manipulator, sizes, highlight styles, text defaults) and
// the sticky defaults read and written under the kind's family and type names.
//
// A kind declares its class object type deriving from its parent kind's, overrides what its own catalogue
// says, and answers it from `staticClass()` / `classObject()`:
//
//     class RectangleClass : public ShapeClass {
//     public:
//         using ShapeClass::ShapeClass;
//         QString title() const override { return pf::localized("Rectangle (R)"); }
//     };
//     const RectangleClass& Rectangle::staticClass()
//     {
//         static const RectangleClass c(u"Rectangle"_qs, &Shape::staticClass(), &Shape::allocate<Rectangle>);
//         return c;
//     }
#pragma once

#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/Color.h"
#include "platform/foundation/Geometry.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/text/TextAttributes.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <optional>
#include <unordered_map>

class Shape;

class ShapeClass : public pf::ClassObject {
public:
    // Makes an instance on which no initialiser has run (Shape::allocate<Kind>).
    using Allocator = std::shared_ptr<Shape> (*)();

    ShapeClass(QString name, const pf::ClassObject* superclass, Allocator allocator);

    // ---- instances ----
    // initWithFrame:.
    std::shared_ptr<Shape> newShape(const pf::Rect& frame) const;
    // init: the default size at the origin.
    std::shared_ptr<Shape> newShape() const;
    // An instance with no initialiser run (copies fill it in).
    std::shared_ptr<Shape> allocate() const { return allocator_(); }

    // ---- library and inspector catalogue ----
    // Library title, with the tool letter where the kind has one. Null for Shape.
    virtual QString title() const;
    // Default title of new shapes. Null for Shape.
    virtual QString shortTitle() const;
    virtual QString longDescription() const;
    // Words that do and do not find the kind in the library search.
    virtual QString extraSearchString() const;
    virtual QString negativeSearchString() const;
    virtual QString iconImageName() const;
    // A library icon drawn in code, for kinds without a named one.
    virtual pf::Image iconImage() const;
    // Inspector panels for the kind, in display order.
    virtual const QStringList& facetClassNames() const;
    // Class of the manipulator for one selected shape of the kind.
    virtual QString manipulatorClassName() const;
    // Tool tip shown while a selection of the kind is dragged; null for Shape.
    virtual QString toolTipClassName() const;
    // Interface file of the kind; null for Shape.
    virtual QString nibName() const;

    virtual pf::Size defaultSize() const;
    // Size of the shape made at the first click of a drag.
    virtual pf::Size provisionalSize() const;
    // defaultSize divided by the zoom scale, centred on the point, rounded to whole points.
    virtual pf::Rect defaultFrameForPointZoomScale(const pf::Point& point, double zoomScale) const;

    // The library entry: "className" and the non-null titles, description, icon and search strings.
    virtual pf::Value plist() const;
    // The dictionary with a "frame" of this kind's default size centred on rect when it has none.
    virtual pf::Value plistByEnsuringFrameToPlistInRect(const pf::Value& plist, const pf::Rect& rect) const;
    // The preview shape of the library list.
    virtual std::shared_ptr<Shape> libraryListItemShapeWithFrame(const pf::Rect& frame) const;
    virtual double libraryListItemShapeStrokeLineWidth() const;
    virtual pf::Color libraryListItemShapeStrokeColor() const;

    // Highlight strokes and handles.
    virtual double selectionStrokeLineWidth() const;
    virtual pf::Color selectionStrokeColor() const;
    virtual double snapStrokeLineWidth() const;
    virtual pf::Color snapStrokeColor() const;
    virtual pf::Color lockedSelectionStrokeColor() const;
    virtual pf::Gradient handleGradient() const;

    // The page keeps shapes of the kind in its identifier registry.
    virtual bool wantsRegistration() const;
    // Consulted by the shape tool at its first click.
    virtual bool allowsShapeMode() const;

    // ---- text defaults ----
    virtual pf::LineBreakMode defaultLineBreakMode() const;
    // The per-class and built-in "textFontName", "textFontSize" and "textColor" (never the user's).
    QString defaultTextFontName() const;
    double defaultTextFontSize() const;
    pf::OptionalColor defaultTextColor() const;
    // The default name and size; the system font at its size when the name is empty.
    pf::Font defaultFont() const;
    // The same from the user's last choice (sticky getting on).
    pf::Font currentFont() const;
    pf::OptionalColor currentTextColor() const;
    // Made once (by makeDefaultTextAttributes) until clearDefaultTextAttributes; a copy, as previews ask
    // from several threads and a clear may come between.
    pf::TextAttributes defaultTextAttributes() const;
    // defaultTextAttributes with the current font and colour.
    pf::TextAttributes currentTextAttributes() const;
    void clearDefaultTextAttributes() const;

    // hook: the default font, centred, with the light text shadow; kinds with a text style of their own
    // start from it.
    virtual pf::TextAttributes makeDefaultTextAttributes() const;

    // ---- images ----
    virtual pf::InterpolationQuality drawImageHints() const;
    virtual pf::InterpolationQuality exportImageHints() const;
    // Null for missing, empty or undecodable data.
    static pf::Image imageFromData(const QByteArray& data);

    // ---- sticky defaults ----
    // The family whose last edited style new shapes of the kind take ("Shape").
    virtual QString stickyPhylumName() const;
    // The class's name.
    virtual QString stickyTypeName() const;
    // Keys never read from the family's level: "adjustmentRatioX", "adjustmentRatioY".
    virtual const QSet<QString>& keysExcludedFromStickyPhylum() const;
    // Whether sticky setters write; kinds that keep no sticky style (the page, the selection) answer no.
    virtual bool isStickySettingEnabled() const;
    // Whether shapes of the kind may be stored, so that stored data may name it (not the selection objects).
    virtual bool isSavableKind() const { return true; }

    QString userPhylumKeyForKey(const QString& key) const; // "User-%@-%@"
    QString typeKeyForKey(const QString& key) const;       // "%@-%@"
    QString defaultKeyForKey(const QString& key) const;    // "Default-%@"

    // The user level (when the user's setting is on, getting is enabled and key is not excluded), else
    // the class level, else the built-in level; null when none has the key.
    pf::Value stickyObjectForKey(const QString& key) const;
    // Written at the user level while sticky setting is enabled; otherwise nothing.
    void setStickyObjectForKey(const pf::Value& value, const QString& key) const;

    // Typed reads (absent or unreadable: no colour, 0, NO; numbers that are not finite read 0) and writes.
    pf::OptionalColor stickyColorForKey(const QString& key) const;
    double stickyDoubleForKey(const QString& key) const;
    std::int64_t stickyIntegerForKey(const QString& key) const;
    bool stickyBoolForKey(const QString& key) const;
    void setStickyColorForKey(const pf::OptionalColor& color, const QString& key) const;
    void setStickyDoubleForKey(double value, const QString& key) const;
    void setStickyIntegerForKey(std::int64_t value, const QString& key) const;
    void setStickyBoolForKey(bool value, const QString& key) const;

    // One sticky value in each of the typed reads' forms.
    struct StickyReading {
        std::int64_t integer = 0;
        double number = 0;
        bool flag = false;
        pf::OptionalColor color;
    };
    // The sticky values of a fixed list of keys (the style every new shape takes), each as the typed
    // reads give it. Kept per thread for this kind and list; a value is read again only when its key may
    // have changed since, as stickyObjectForKey decides, so a page of new shapes costs one check a key.
    // The list must outlive the program (a static array).
    std::span<const StickyReading> stickyReadings(std::span<const char* const> keys) const;

private:
    // The three keys of one sticky key, made once: each new shape looks up some thirty of them.
    struct StickyKeys {
        QString user;
        QString type;
        QString fallback;
        bool inPhylum = true;
        // Sticky writes of the user-level key so far (one count for the family, whatever the kind).
        std::atomic<std::uint64_t>* userWrites = nullptr;
    };
    const StickyKeys& stickyKeys(const QString& key) const;
    // The stored value of the keys, uncached: the user's, the kind's, then the built-in one.
    static pf::Value lookUpSticky(const StickyKeys& keys, bool getting);
    // UserDefaults::stickyPropertiesEnabled, read again only when the settings changed.
    static bool stickyPropertiesEnabled();

    Allocator allocator_;
    mutable std::mutex defaultTextAttributesMutex_;
    mutable std::shared_ptr<const pf::TextAttributes> defaultTextAttributes_;
    mutable std::uint64_t defaultTextAttributesClears_ = 0;
    mutable std::mutex stickyKeysMutex_;
    mutable std::unordered_map<QString, StickyKeys> stickyKeys_;
};

// Adds the shape classes of this area to the registry (the page and containers add theirs later).
void registerShapeClasses(pf::ClassRegistry& registry);
