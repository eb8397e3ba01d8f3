// The root of everything that stands on a page: identity, frame, rotation, opacity, fill, stroke,
// shadows, text, image and content filters, with their setters, copy, equality and stored form.
//
// Shapes are shared objects: make them through their class object (`Shape::staticClass().newShape(frame)`,
// `ShapeClass::newShape`) or `Shape::make<Kind>(frame)`, never on the stack, so that undo can hold them
// weakly. Construction runs no virtual code; `initWithFrame` (called by the factories) is the
// initialiser that kinds extend.
//
// Every user-visible setter follows one pattern (`setProperty`, below): nothing when the value is
// unchanged; otherwise change notices around the change, the inverse registered on the page's undo
// manager under a localised action name, the value stored, the sticky default written for style values,
// caches dropped and redisplay asked. Kinds write their own setters with the same helper:
//
//     void Pointer::setArrowTypeA(std::uint64_t t)
//     {
//         static const PropertyChange change{"arrowTypeA", "Arrow Type", nullptr, Redisplay | Dirty};
//         setProperty(arrowTypeA_, t, &Pointer::setArrowTypeA, change);
//     }
//
// Geometry, drawing, the content image and text layout build on this class through the virtual functions
// marked "hook", which they fill in.
#pragma once

#include "geometry/QVColor.h"
#include "geometry/QVRect.h"
#include "model/FilterSpec.h"
#include "model/LineDash.h"
#include "model/QVGradientElement.h"
#include "model/ShapeClass.h"
#include "model/ShapeConnection.h"
#include "model/ShapePage.h"
#include "model/StickyDefaults.h"
#include "model/StoredNumbers.h"
#include "platform/foundation/Event.h"
#include "platform/foundation/KeyValue.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Path.h"
#include "platform/text/AttributedString.h"
#include "platform/text/TextLayout.h"

#include <QString>

#include <cmath>
#include <concepts>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

// The property-list protocol of stored objects: a dictionary from asPlist, a new object (or none) from
// fromPlist.
template <class T>
concept Serializable = requires(const T& object, const pf::Value& plist) {
    { object.asPlist() } -> std::convertible_to<pf::Value>;
    T::fromPlist(plist);
};

namespace pf {
class ImageFilter;
}

using GradientElements = std::vector<QVGradientElement>;
using FilterSpecs = std::vector<std::shared_ptr<FilterSpec>>;

class Shape : public pf::Object {
public:
    // What a setter does beyond notices, undo and storing (PropertyChange::effects).
    enum ChangeEffect : unsigned {
        Sticky = 1u << 0,            // write the sticky default under the key
        Dirty = 1u << 1,             // the dirty rect must be recomputed
        DropGradient = 1u << 2,      // the fill gradient is rebuilt
        DropFinalFillPath = 1u << 3, // the final fill and gradient fill paths are rebuilt
        DropDash = 1u << 4,          // the line dash is rebuilt from stroke type and width
        ContentImage = 1u << 5,      // the content image is rebuilt
        RedisplayBefore = 1u << 6,   // redraw the old area before the change
        Redisplay = 1u << 7,         // redraw after the change
        RedisplayPalettes = 1u << 8, // redraw the dirty rect and refresh the palettes after the change
    };

    // One setter's key, undo action name and effects.
    struct PropertyChange {
        const char* key;
        const char* actionName;
        // For flags: the action name when the new value is NO (null: actionName both ways).
        const char* actionNameWhenOff = nullptr;
        unsigned effects = 0;
    };

    // Use the factories (see the top of this file).
    Shape() = default;
    ~Shape() override;

    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    const ShapeClass& shapeClass() const { return static_cast<const ShapeClass&>(classObject()); }
    static const pf::PropertyTable& properties();
    const pf::PropertyTable& propertyTable() const override { return properties(); }

    // An instance of Kind with no initialiser run (for class objects).
    template <class Kind>
    static std::shared_ptr<Shape> allocate()
    {
        return std::make_shared<Kind>();
    }
    // A new Kind by initWithFrame.
    template <class Kind>
    static std::shared_ptr<Kind> make(const pf::Rect& frame)
    {
        auto shape = std::make_shared<Kind>();
        shape->initWithFrame(frame);
        return shape;
    }

    // The designated initialiser: identifier, title, frame, opacity, the sticky style, image anchor, text
    // machinery. Kinds extend it (calling this first).
    virtual void initWithFrame(const pf::Rect& frame);

    // ---- identity ----
    const QString& identifier() const { return identifier_; }
    void setIdentifier(const QString& identifier) { identifier_ = identifier; }
    // Null: no title.
    const QString& title() const { return title_; }
    void setTitle(const QString& title);
    bool userSetTitle() const { return userSetTitle_; }
    void setUserSetTitle(bool set) { userSetTitle_ = set; }
    // The title, or "short title (text)" for a shape whose title the user has not typed and that has text.
    QString displayTitle() const;

    // ---- relations ----
    ShapePage* composition() const { return composition_; }
    // Containers pass the page on to their children.
    virtual void setComposition(ShapePage* page) { composition_ = page; }
    Shape* parent() const { return parent_; }
    void setParent(Shape* parent) { parent_ = parent; }
    // None for the selection object (its children record their own changes) and the rubber band.
    pf::UndoManager* undoManager() const
    {
        return composition_ && !isManipulator() && !isLasso() ? composition_->undoManager() : nullptr;
    }
    // Switches undo registration off when there is an undo manager and it is on; answers whether it did.
    bool disableUndo();
    void reenableUndoIf(bool disabled);

    // ---- flags ----
    bool isHidden() const { return hidden_; }
    // Groups pass these three on to their children.
    virtual void setHidden(bool hidden);
    // hook: the selection answers for its children.
    virtual bool isLocked() const { return locked_; }
    virtual void setLocked(bool locked);
    bool isSelected() const { return selected_; }
    // No undo, no notice: stores, marks the dirty rect stale and redisplays.
    virtual void setSelected(bool selected);
    bool isSnapped() const { return snapped_; }
    void setSnapped(bool snapped)
    {
        snapped_ = snapped;
        renewDisplayStamps(); // the halo comes and goes
    }
    bool snapable() const { return snapable_; }
    void setSnapable(bool snapable) { snapable_ = snapable; }
    // Not selected, not hidden, and something to see: a stroke, a fill, an image or text.
    virtual bool isSnapable() const;

    // ---- geometry (ShapeGeometry.cpp) ----
    // Rotation is about the centre of the frame, clockwise on screen for positive angles.
    const pf::Rect& frame() const { return frame_; }
    // hook: rounds the frame to whole points at 0 and 180 degrees, refuses an invalid frame, notifies
    // "frame" and the display-frame keys, registers undo "Reposition", keeps the rotation handle clear of
    // the side handles, rebuilds and rotates the path and moves the attached connector ends.
    virtual void setFrame(const pf::Rect& frame);
    // hook: the frame of a copy; kinds copy their own geometry with it.
    virtual void setCopyFrame(const pf::Rect& frame) { setFrame(frame); }
    // hook: every component finite.
    virtual bool isValidFrame(const pf::Rect& frame) const;
    // hook: negative zeros become positive.
    virtual pf::Rect validateFrame(const pf::Rect& frame) const;
    // hook: drops the path caches and rebuilds the path through appendPath (unrotated); kinds that scale
    // stored geometry with the frame use the old frame.
    virtual void regeneratePathWithOldFrame(const pf::Rect& oldFrame);
    // hook: the kind's outline for the current frame, unrotated.
    virtual void appendPath(pf::Path& path) const;
    // hook: turns the path by the rotation angle (nothing at 0); kinds that keep the rotation in their
    // own geometry leave the path as built.
    virtual void applyRotationToPath();
    const pf::Path& path() const { return path_; }
    // The path with its last open subpath closed, made once per path; none for an empty path.
    const std::optional<pf::Path>& quartzPath() const;
    // The rotation by whole degrees about the centre; about the centre of rect.
    pf::AffineTransform rotationTransform(std::int64_t degrees) const;
    static pf::AffineTransform rotationTransformInRect(std::int64_t degrees, const pf::Rect& rect);
    // Turns the context about the centre by the rotation angle (backwards when reverse).
    void rotateInContext(pf::GraphicsContext& context, bool reverse = false) const;
    pf::Point center() const;
    double diagonal() const;
    // |width| >= |height|.
    bool isLandscape() const;
    // hook: where the kind's adjustment handle stands; QVMaxFloatPoint (Shape) means it has none.
    virtual pf::Point adjustPoint() const;
    // The page's zoom scale; 1 without a page or when the page answers 0.
    double currentScale() const;
    // Handles keep 10 screen points.
    double handleSide() const;
    // The handle square on that corner of frameRectForCorners.
    pf::Rect rectForCorner(QVRectCorner corner) const;
    // hook: the rect the handles stand on: the frame.
    virtual pf::Rect frameRectForCorners() const;
    // Sets the frame again from the zero rect, so that everything setFrame computes is recomputed.
    void jiggleFrameHandle();
    // jiggleFrameHandle with undo registration suspended (a change that rebuilds the outline).
    void jiggleFrameWithoutUndo();

    // hook: the selection answers its single child's.
    virtual std::int64_t rotationAngle() const { return rotationAngle_; }
    // hook: kinds that are never turned ignore it.
    virtual void setRotationAngle(std::int64_t degrees);
    // hook: the selection answers its single child's, in screen points.
    virtual double rotationHandleRadius() const { return rotationHandleRadius_; }
    // Rounded; refused when the handle would meet the side handles. No undo, no notice.
    void setRotationHandleRadius(double radius);
    double adjustmentRatioX() const { return adjustmentRatioX_; }
    void setAdjustmentRatioX(double ratio);
    double adjustmentRatioY() const { return adjustmentRatioY_; }
    void setAdjustmentRatioY(double ratio);
    // For a kind's initialiser, before the inherited one runs: stored as they are, with no undo, notice
    // or new layout (through the setters the frame would be laid out again, and rounded while the
    // rotation is still 0, before a stored or pasted turned shape gets its angle).
    void initAdjustmentRatioX(double ratio) { adjustmentRatioX_ = ratio; }
    void initAdjustmentRatioY(double ratio) { adjustmentRatioY_ = ratio; }
    bool constrainAspectRatio() const { return constrainAspectRatio_; }
    void setConstrainAspectRatio(bool constrain);
    double opacity() const { return opacity_; }
    void setOpacity(double opacity);

    // The frame in ruler coordinates, as the inspector shows and edits it. The setters refuse a frame
    // that is not valid and change the frame through setFrame (one undo step "Reposition").
    // What a user may type or script: coordinates within ±displayFrameLimit, sizes from 0 to it (points;
    // far beyond any page, and near enough that drawing stays exact).
    static constexpr double displayFrameLimit = 1e7;
    double displayFrameX() const { return displayFrameX_; }
    double displayFrameY() const { return displayFrameY_; }
    double displayFrameWidth() const { return displayFrameWidth_; }
    double displayFrameHeight() const { return displayFrameHeight_; }
    void setDisplayFrameX(double x);
    void setDisplayFrameY(double y);
    // With the aspect ratio constrained the other side follows (not when either side is 0).
    // hook: kinds whose geometry is stored scale it with the new size.
    virtual void setDisplayFrameWidth(double width);
    virtual void setDisplayFrameHeight(double height);
    // The display origin converted to the page's ruler origin.
    void calcDisplayFrameOrigin();

    // Derived rects.
    // rect grown by half the stroke width, unless there is no stroke (type 3) or it is under 0.5.
    virtual pf::Rect strokedRectForRect(const pf::Rect& rect) const;
    pf::Rect strokedRect() const { return strokedRectForRect(frame_); }
    // strokedRect grown by half a handle.
    virtual pf::Rect selectionRect() const;
    // Unrotated: the path's bounds (the zero rect for an empty path); rotated: boundingRectForFrame.
    virtual pf::Rect boundingRect() const;
    // The bounds of rect turned by the rotation angle about the centre.
    virtual pf::Rect boundingRectForFrame(const pf::Rect& rect) const;
    virtual pf::Rect snapRect() const { return boundingRect(); }
    // snapRect grown by the snap tolerance.
    virtual pf::Rect proximityRect() const;
    // The area an exported image of the shape covers: strokes and the shadows shown.
    virtual pf::Rect renderRect() const;
    // hook: the area to redraw: frame and bounds grown by handles, stroke and shadows, plus the text.
    virtual pf::Rect calcDirtyRect() const;
    // ---- drawing ----
    // What a filtered shape paints on screen: the filtered square turned with the shape, its shadow, and
    // the text over it. Kinds with their own calcDirtyRect add it when they are filtered.
    pf::Rect filteredDirtyRect() const;
    // calcDirtyRect, kept until setDirtyRectFlag or a change of the page's zoom (handles and marks are
    // drawn at their screen size, so the area shrinks in page points as the page is zoomed in).
    const pf::Rect& dirtyRect() const;
    void setDirtyRectFlag() { dirtyRectDirty_ = true; }
    // hook: some content filter is in force (the content image then covers offscreenImageRect).
    virtual bool hasContentFilters() const;
    // hook: the square of 1.5 times the larger side about the centre, where filtered content is drawn.
    virtual pf::Rect offscreenImageRect() const;
    // hook: the band a text occupies in the text rect: full width, measured height, placed by the vertical
    // alignment; the zero rect for hidden text and unknown alignments (ShapeText.cpp).
    virtual pf::Rect horizontalTextRectForText(const pf::AttributedString& text) const;

    // Hit tests. A hidden shape and a frame under one point on a side contain nothing; the path's
    // winding rule decides.
    virtual bool containsPoint(const pf::Point& point) const;
    // Not hidden and the bounding rect meets rect.
    virtual bool intersectsRect(const pf::Rect& rect) const;

    // Values captured when a drag begins.
    struct DragStart {
        pf::Rect frame;
        // width / height; 0 when the height is 0 (no ratio to keep).
        double aspectRatio = 0;
        int anchorCorner = 0; // QVRectCorner
        pf::Point anchorPoint;
        std::int64_t rotationAngle = 0;
        double adjustmentRatioX = 0;
        double adjustmentRatioY = 0;
    };
    DragStart& dragStart() { return dragStart_; }
    // The drag bracket of the manipulators: each end puts the start value back without notice or undo,
    // then calls the setter once with the value the drag reached, so the drag is one undoable change.
    virtual void beginDrag();
    virtual void endDrag(const pf::Event& event);
    virtual void endRotationDrag(const pf::Event& event);
    // Both ratios in one undo group.
    virtual void endAdjustDrag(const pf::Event& event);
    virtual void endAdjust1Drag(const pf::Event& event);

    // Connections: the connector ends attached to the shape (owned, each once).
    using Connections = std::vector<std::shared_ptr<ShapeConnection>>;
    const Connections& connections() const { return connections_; }
    // Groups also answer for their children.
    virtual bool isConnectedToPointer(const Shape* pointer) const;
    // Clears the provisional connection and adds the connection. hook: connectors rebuild their outline.
    virtual void addConnection(std::shared_ptr<ShapeConnection> connection);
    virtual void removeConnection(const ShapeConnection* connection);
    // hook: moves the end of every attached connector that is not selected (selected ones move with the
    // selection) to its connection's location.
    virtual void updateConnections();
    // Asks the page to remove each connection from both ends; nothing without a page.
    void removeAllConnections();
    // The connection shown while a connector end is dragged onto the shape. Held weakly: a drag that ends
    // without attaching drops it, and the shape must not draw a freed connection.
    std::shared_ptr<ShapeConnection> provisionalConnection() const { return provisionalConnection_.lock(); }
    void setProvisionalConnection(const std::shared_ptr<ShapeConnection>& connection)
    {
        provisionalConnection_ = connection;
        renewDisplayStamps(); // its handles come and go
    }
    // hook: connectors move the end at corner to point; nothing in Shape.
    virtual void setConnectionPointForCorner(const pf::Point& point, QVRectCorner corner)
    {
        (void)point, (void)corner;
    }

    // ---- fill ----
    std::uint64_t fillType() const { return fillType_; }
    // hook: a kind with a fixed fill stores its own type whatever it is sent.
    virtual void setFillType(std::uint64_t type);
    const pf::OptionalColor& fillColor() const { return fillColor_; }
    virtual void setFillColor(pf::OptionalColor color);
    const pf::OptionalColor& backupFillColor() const { return backupFillColor_; }
    void setBackupFillColor(pf::OptionalColor color) { backupFillColor_ = color; }
    std::int64_t fillAngle() const { return fillAngle_; }
    void setFillAngle(std::int64_t angle);
    // Two stops of the backup (or fill) colour when asked for while empty with a gradient fill type.
    const GradientElements& fillGradientElements() const;
    void setFillGradientElements(GradientElements elements);
    bool fillShadowHidden() const { return fillShadowHidden_; }
    virtual void setFillShadowHidden(bool hidden);
    double fillShadowBlur() const { return fillShadowBlur_; }
    virtual void setFillShadowBlur(double blur);
    double fillShadowOffsetX() const { return fillShadowOffsetX_; }
    virtual void setFillShadowOffsetX(double offset);
    double fillShadowOffsetY() const { return fillShadowOffsetY_; }
    virtual void setFillShadowOffsetY(double offset);
    const pf::OptionalColor& fillShadowColor() const { return fillShadowColor_; }
    virtual void setFillShadowColor(pf::OptionalColor color);
    // The fill gradient, built on demand and kept until a fill setter drops it.
    const pf::Gradient& gradient() const;
    void setGradient(std::optional<pf::Gradient> gradient) { gradient_ = std::move(gradient); }
    // Drawing caches, built by drawing and dropped by the setters that feed them.
    const std::optional<pf::Path>& finalFillPath() const { return finalFillPath_; }
    void setFinalFillPath(std::optional<pf::Path> path) { finalFillPath_ = std::move(path); }
    const std::optional<pf::Path>& finalGradientFillPath() const { return finalGradientFillPath_; }
    void setFinalGradientFillPath(std::optional<pf::Path> path) { finalGradientFillPath_ = std::move(path); }

    // ---- stroke ----
    std::uint64_t strokeType() const { return strokeType_; }
    void setStrokeType(std::uint64_t type);
    double strokeLineWidth() const { return strokeLineWidth_; }
    virtual void setStrokeLineWidth(double width);
    std::int32_t strokeLineCap() const { return strokeLineCap_; }
    void setStrokeLineCap(std::int32_t cap);
    std::int32_t strokeLineJoin() const { return strokeLineJoin_; }
    void setStrokeLineJoin(std::int32_t join);
    const pf::OptionalColor& strokeColor() const { return strokeColor_; }
    void setStrokeColor(pf::OptionalColor color);
    bool stroke1Enabled() const { return stroke1Enabled_; }
    virtual void setStroke1Enabled(bool enabled);
    const pf::OptionalColor& stroke1Color() const { return stroke1Color_; }
    virtual void setStroke1Color(pf::OptionalColor color);
    bool stroke2Enabled() const { return stroke2Enabled_; }
    virtual void setStroke2Enabled(bool enabled);
    const pf::OptionalColor& stroke2Color() const { return stroke2Color_; }
    virtual void setStroke2Color(pf::OptionalColor color);
    bool strokeShadowHidden() const { return strokeShadowHidden_; }
    void setStrokeShadowHidden(bool hidden);
    double strokeShadowBlur() const { return strokeShadowBlur_; }
    void setStrokeShadowBlur(double blur);
    double strokeShadowOffsetX() const { return strokeShadowOffsetX_; }
    void setStrokeShadowOffsetX(double offset);
    double strokeShadowOffsetY() const { return strokeShadowOffsetY_; }
    void setStrokeShadowOffsetY(double offset);
    const pf::OptionalColor& strokeShadowColor() const { return strokeShadowColor_; }
    void setStrokeShadowColor(pf::OptionalColor color);
    // When none is set: the dotted preset for stroke type 2, the dashed one for type 1, else none.
    const std::optional<LineDash>& strokeLineDash() const;
    void setStrokeLineDash(std::optional<LineDash> dash) { strokeLineDash_ = std::move(dash); }

    // ---- text (ShapeText*.cpp) ----
    // One rich text per shape, laid out in textRect by the shape's own storage, layout manager and
    // container, and drawn over the content. Kinds move the rect and the pads and keep the rest.
    // Null when the shape has no text (an empty text is no text).
    const pf::AttributedString* attributedText() const { return attributedText_ ? &*attributedText_ : nullptr; }
    bool hasText() const { return attributedText_.has_value(); }
    // Undoable ("Edit Text"); an empty text clears it.
    virtual void setAttributedText(const pf::AttributedString* text);
    void setAttributedText(const pf::AttributedString& text) { setAttributedText(&text); }
    // hook: attributes for new text, from the class defaults and the text style fields (cached). A shape
    // with text gets no font and colour here, so restyling keeps the text's own.
    virtual pf::TextAttributes textAttributes() const;
    // hook: drops the cached attributes and applies fresh ones (paragraph style, shadow) to the text.
    virtual void clearTextAttributes();
    // hook: the class's paragraph style aligned by textAlign.
    virtual pf::ParagraphStyle currentParagraphStyle() const;
    // hook: wires the text storage, layout manager and container (padding 0).
    virtual void setUpTextLayoutManager();
    pf::TextStorage& textStorage() const { return textStorage_; }
    const pf::LayoutManager& textLayoutManager() const { return textLayoutManager_; }
    pf::TextContainer& textContainer() const { return textContainer_; }
    // The used size of text laid out at rect's width, plus (4, 1); (4, 1) without a layout manager.
    pf::Size stringSizeForTextRect(const pf::AttributedString& text, const pf::Rect& rect) const;

    std::uint64_t textAlign() const { return textAlign_; }
    void setTextAlign(std::uint64_t align);
    std::uint64_t textVerticalAlign() const { return textVerticalAlign_; }
    void setTextVerticalAlign(std::uint64_t align);
    std::uint64_t textAppearanceType() const { return textAppearanceType_; }
    virtual void setTextAppearanceType(std::uint64_t type);
    bool textDrawOnPath() const { return textDrawOnPath_; }
    void setTextDrawOnPath(bool on);
    virtual bool textShadowHidden() const { return textShadowHidden_; }
    void setTextShadowHidden(bool hidden);
    double textShadowBlur() const { return textShadowBlur_; }
    void setTextShadowBlur(double blur);
    double textShadowOffsetX() const { return textShadowOffsetX_; }
    void setTextShadowOffsetX(double offset);
    double textShadowOffsetY() const { return textShadowOffsetY_; }
    void setTextShadowOffsetY(double offset);
    const pf::OptionalColor& textShadowColor() const { return textShadowColor_; }
    void setTextShadowColor(pf::OptionalColor color);
    // The canvas's in-place editor sets it around an edit: the shape then draws no text of its own and
    // measures afresh on every call, and hidden text still gets a rect.
    bool isEditingText() const { return editingText_; }
    virtual void setEditingText(bool editing) { editingText_ = editing; }
    // Being edited in place on a page that is not drawing a thumbnail: the editor shows the text then.
    bool isTextShownByEditor() const;
    // The last measured text size; zero until measured.
    const pf::Size& cachedTextSize() const { return cachedTextSize_; }
    void setCachedTextSize(const pf::Size& size) { cachedTextSize_ = size; }

    // hook: the pads of the text rect before the size rule of textPadSize: (6, 3) for plain shapes.
    virtual pf::Size defaultTextPadSize() const { return {6.0, 3.0}; }
    // hook: the default pads where the frame is larger than four pads, else none.
    virtual pf::Size textPadSize() const;
    // hook: the frame inset by the pads and half the stroke width; kinds place their text elsewhere.
    virtual pf::Rect textRect() const;
    // hook: what text of appearance 1 is clipped to: the outline.
    virtual const pf::Path& textClipPath() const { return path_; }
    // hook: the column the text occupies: the text rect's height, the measured width placed by textAlign,
    // rounded; the whole text rect while editing; the zero rect for hidden text.
    virtual pf::Rect verticalTextRect() const;
    // The column's x and width with the band's y and height, 2 wider on each side.
    pf::Rect textBoundingRect() const;
    // None for a shape without text.
    std::optional<pf::Path> textBoundingPath() const;
    // hook: where the canvas places its editor over the text: the band of that text.
    virtual pf::Rect fieldEditorRectForText(const pf::AttributedString& text) const;

    // What the in-place editor shows and stores (hooks: kinds with several texts choose one).
    virtual const pf::AttributedString* editText() const { return attributedText(); }
    virtual void setEditText(const pf::AttributedString* text) { setAttributedText(text); }
    virtual pf::TextAlignment editTextAlign() const;
    // The colour of the first character (black when it has none); the class's current colour without text.
    pf::OptionalColor textColor() const;
    // hook: the font or colour over the whole text, one undoable "Edit Text" change; written as the sticky
    // default and kept for new text. Nothing for no font or no colour.
    virtual void setTextFont(const std::optional<pf::Font>& font);
    virtual void setTextColor(const pf::OptionalColor& color);
    // The text with the attributes set in `change` over all of it.
    static pf::MutableAttributedString textWithAttributes(const pf::AttributedString& text, const pf::TextAttributes& change);
    // hook: called after a font change (connectors measure their end labels).
    virtual void measureLabels() {}
    // hook: the frame grown around the text; the flag (Option held) is for kinds that read it.
    virtual void sizeToFitText(bool option);

    // ---- image and filters ----
    const QString& imageIdentifier() const { return imageIdentifier_; }
    void setImageIdentifier(const QString& identifier);
    // Fetched from the page by identifier when not set, and kept.
    virtual const pf::Image& image() const;
    void setImage(const pf::Image& image) { image_ = image; }
    std::int64_t imageType() const { return imageType_; }
    void setImageType(std::int64_t type) { imageType_ = type; }
    bool scaleImage() const { return scaleImage_; }
    void setScaleImage(bool scale);
    const pf::Point& imageAnchorRatio() const { return imageAnchorRatio_; }
    void setImageAnchorRatio(const pf::Point& ratio);
    const FilterSpecs& contentFilterSpecs() const { return contentFilterSpecs_; }
    void setContentFilterSpecs(FilterSpecs specs);

    // ---- content image and filters (ShapeContentImage.cpp) ----
    // Filters work on the shape's content (fill, image, strokes; never the text): the content is drawn
    // into an image, filtered inside a square 1.5 times its larger side, and the result drawn centred on
    // the shape. Three caches, dropped in a chain and rebuilt lazily on the next draw: dropping the content
    // image or the filter chain drops the filtered image, which redraws.
    using ContentFilters = std::vector<std::shared_ptr<pf::ImageFilter>>;
    // hook: drops the content image and the filter chain, and redraws; kinds that derive more from their
    // state (controls) rebuild it first.
    virtual void update();
    virtual void updateContentImage();
    virtual void updateContentFilters();
    void updateFilteredContentImage();
    // The frame made positive.
    virtual pf::Rect contentRect() const;
    // The unfiltered content, unrotated, over the content rect grown by half the stroke: a drawing that
    // runs at each use, so it always shows the current style.
    const pf::Image& contentImage() const;
    void setContentImage(const pf::Image& image) { contentImage_ = image; }
    // The enabled specs' filters in order, configured; empty when none is enabled or known.
    const ContentFilters& contentFilters() const;
    pf::Size offscreenImageSize() const;
    // The content after the filter chain; the content image itself for a content rect without area or
    // without filters.
    const pf::Image& filteredContentImage() const;
    // The content run through the filters at this many pixels a point (fewer for a very large shape); not
    // kept. filteredContentImage is this at one pixel a point, kept.
    pf::Image filteredContentImageAtScale(double pixelsPerPoint) const;
    void setFilteredContentImage(const pf::Image& image) { filteredContentImage_ = image; }
    // Draws with the shape's opacity and the screen's (or the export's) interpolation.
    void drawImageInRectFromRect(pf::GraphicsContext& context, const pf::Image& image, const pf::Rect& dest,
                                 const pf::Rect& source) const;
    // The image kind answers yes while its picture cannot be found.
    virtual bool isMissingImage() const { return false; }
    // Fits the frame to the image about its centre (half size when halve and the image is scaled).
    virtual void sizeToFitImage(bool halve);

    // ---- redisplay (nothing without a page) ----
    void setNeedsDisplay();
    void setNeedsDisplayInRect(const pf::Rect& rect) { setNeedsDisplayInRectUpdatePalettes(rect, false); }
    void setNeedsDisplayInRectUpdatePalettes(const pf::Rect& rect, bool updatePalettes);
    // A fresh value at every redisplay request of the shape or of a shape inside it, never one another
    // shape had: a picture of the shape stays good while this stays the same.
    std::uint64_t displayStamp() const { return displayStamp_; }
    // The same, but kept when the frame only moves (same size and turn) on a shape whose drawing moves
    // with its frame: a picture of the shape stays good, moved as the frame moved, while this stays the
    // same. Its containers take a fresh one (a child moved inside them changes their drawing).
    std::uint64_t lookStamp() const { return lookStamp_; }
    // hook: whether the drawing is its frame's alone, so that a move of the frame moves it unchanged. Not
    // for kinds that draw what other shapes are or where they lie (connectors clip to what they attach
    // to, loupes show what is beneath, containers hold children) or that keep geometry of their own which
    // a move may leave behind (brush strokes move by whole points only).
    virtual bool drawingMovesWithFrame() const { return true; }

    // ---- copy and equality ----
    // A copy with a new identifier, made with sticky setting off.
    std::shared_ptr<Shape> copy() const;
    // The same object, or one of exactly the same class for which isEqualToShape holds.
    bool isEqual(const Shape& other) const;
    // Every stored value but the identifier, aspect-ratio lock, rotation-handle radius and filters; an
    // object value absent on either side passes.
    virtual bool isEqualToShape(const Shape& other) const;
    // "<Class 0x… {{x, y}, {w, h}}, 'text'>".
    QString description() const;

    // ---- stored form ----
    // The base dictionary; kinds add their keys to it.
    virtual pf::Value asPlist() const;
    // A new shape of the registered shape kind named by "className", read from the dictionary; null (and
    // logged) for any other name or a value that is not a dictionary.
    static std::shared_ptr<Shape> fromPlist(const pf::Value& plist);
    // A new shape of that kind at the stored "frame" with the sticky style (the built-in style when
    // useBuiltInStyle, as with the Option key), made with sticky setting off.
    static std::shared_ptr<Shape> shapeFromPlist(const pf::Value& plist, bool useBuiltInStyle = false);
    // The dictionary with a "frame" chosen by its kind when it has none.
    static pf::Value plistByEnsuringFrameToPlistInRect(const pf::Value& plist, const pf::Rect& rect);
    // A text stored as RTF data under the key; none when absent or unreadable (logged).
    static std::optional<pf::MutableAttributedString> storedText(const pf::Value& plist, const char* key);
    // The kind's part of reading: Shape reads the base keys in their order; kinds call it, then read theirs.
    virtual void readPlist(const pf::Value& plist);

    // ---- style transfer ----
    // The whole dictionary plus "textColor", "textFontName", "textFontSize" of the first character.
    pf::Value extractStyle() const;
    // The four groups, then the text colour and font over the whole text, with sticky setting off.
    // hook: connectors apply their arrow and path style too.
    virtual void applyStyle(const pf::Value& style);
    void applyFillStyle(const pf::Value& style);
    void applyStrokeStyle(const pf::Value& style);
    void applyTextStyle(const pf::Value& style);
    void applyFilterStyle(const pf::Value& style);

    // ---- manipulator and facets ----
    // An instance of the registered class named by manipulatorClassName at the frame; null while none is.
    std::shared_ptr<Shape> makeManipulator() const;
    virtual QStringList instanceFacetClassNames() const { return {}; }

    // ---- path editing (kinds whose predicates answer yes override; nothing in Shape) ----
    virtual void closePath() {}
    virtual void reversePath() {}
    virtual void combineWithShapes(const std::vector<std::shared_ptr<Shape>>& shapes) { (void)shapes; }
    virtual void flipHorizontalVertical(bool horizontal, bool vertical) { (void)horizontal, (void)vertical; }
    // Empty: no pieces.
    virtual std::vector<std::shared_ptr<Shape>> split() { return {}; }
    virtual std::vector<std::shared_ptr<Shape>> sliceAtLocation(const pf::Point& location) { (void)location; return {}; }
    // Images are clipped to the outline.
    virtual const pf::Path& imageClipPath() const { return path_; }
    // None in Shape.
    virtual std::optional<pf::Path> interiorStrokePath() const { return std::nullopt; }

    // ---- type and capability predicates ----
    virtual bool isGroup() const { return false; }
    // Some ancestor is a group.
    bool isGrouped() const;
    virtual bool isImage() const { return false; }
    virtual bool isPointer() const { return false; }
    virtual bool isLine() const { return false; }
    virtual bool isPath() const { return false; }
    virtual bool isBezier() const { return false; }
    virtual bool isBrush() const { return false; }
    virtual bool isPointerShape() const { return false; }
    virtual bool isText() const { return false; }
    virtual bool isLoupe() const { return false; }
    virtual bool isManipulator() const { return false; }
    virtual bool isLasso() const { return false; }
    virtual bool isControl() const { return false; }
    virtual bool isSavable() const { return true; }
    virtual bool isSelectable() const { return true; }
    virtual bool canEditText() const { return true; }
    virtual bool canEditImage() const { return true; }
    virtual bool canFlip() const { return false; }
    virtual bool canClosePath() const { return false; }
    virtual bool canReversePath() const { return false; }
    virtual bool canCombine() const { return false; }
    virtual bool canSplit() const { return false; }
    virtual bool canSliceAtLocation(const pf::Point& location) const { (void)location; return false; }
    virtual bool canInvert() const { return true; }
    virtual bool canIntersect() const { return true; }
    virtual bool canCopyPasteStyle() const { return true; }
    // No image identifier.
    virtual bool canConvertToBezier() const { return imageIdentifier_.isNull(); }
    virtual bool canEditFontColor() const { return true; }
    virtual bool wantsSizeToFitImage() const { return false; }
    virtual int dropColorType() const { return 0; }
    // The magnitude of the stroke width, rounded, is even.
    bool isStrokeEven() const;
    // An even stroke at a scale up to 1 is drawn moved by half a point, so that it covers whole pixels.
    bool isStrokeShiftedHalfPoint() const { return currentScale() <= 1.0 && isStrokeEven(); }

    // ======================= drawing (ShapeDrawing*.cpp) =======================
    // A shape draws itself in page coordinates (y down) into the context, layer by layer in a fixed order:
    // selection halo, fill, image, strokes, text, connection targets. Kinds replace single layers, never
    // the order. At zoom scales up to 1 the canvas draws with a half-point offset, so strokes of odd whole
    // widths land on whole pixels unshifted and even ones are shifted by (0.5, 0.5); an unstroked fill is
    // shifted back by (-0.5, -0.5).

    // Every layer; nothing when the shape is on a page that is not exporting and its dirty rect misses
    // dirty (so off-screen renderings set the page's exporting flag, or use a shape without a page).
    // While the page exports, an empty dirty rect draws every shape (renderedImage) and any other draws
    // only the shapes whose paintBounds meet it (a page, a loupe's region).
    // Containers draw their children instead (the page, groups).
    virtual void drawInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty);
    // The same without the marks it shows on screen (halo, connection targets): its look, the same whether
    // it is selected or not (a kept picture of a selected shape).
    void drawLookInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty);
    // hook: a rect that holds everything the layers may paint at any zoom, shadows included (exports draw
    // them all): the dirty and render rects, grown by the miter spikes of thick strokes and by the spread
    // of shadow blurs, with text and filtered pictures turned with the shape.
    virtual pf::Rect paintBounds() const;
    // What the shape paints on screen now, at the current zoom, with a pixel for antialiasing: far tighter
    // than the dirty rect, which also holds the handles' reach and every shadow, shown or not. The canvas
    // picks the shapes to draw by it, and a redisplay request asks for it as it was and as it is. While the
    // shape shows marks of its own on screen it is the dirty rect. Kept until the next redisplay request or
    // a zoom change.
    const pf::Rect& paintedRect() const;
    // hook: whether the shape draws marks beyond its page content on screen now (the selection or snap
    // halo, connection handles).
    virtual bool showsScreenMarks() const;
    // hook: paintedRect worked out afresh: the render rect and bounds, with what paintBounds adds.
    virtual pf::Rect calcPaintedRect() const;
    // hook: fill, image and strokes, each in its own saved state; kinds draw more over them.
    virtual void drawContentInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty);

    // ---- fill ----
    virtual void drawFillInContext(pf::GraphicsContext& context);
    // The outline to fill, and the one to paint a gradient into; none draws no fill.
    virtual std::optional<pf::Path> fillPath() const { return path_; }
    virtual std::optional<pf::Path> gradientFillPath() const { return path_; }
    // The rect whose validity decides whether a fill is drawn.
    virtual pf::Rect fillFrame() const { return frame_; }
    // Forces the fill's half-point shift.
    virtual bool wantsFudgeAlways() const { return false; }
    // The fill path aligned to pixels: shifted by (-0.5, -0.5) at scales up to 1 when nothing strokes it.
    pf::Path adjustedFillPath(const pf::Path& path) const;
    // adjustedFillPath of fillPath and of gradientFillPath, cached (finalFillPath, finalGradientFillPath)
    // for the side of scale 1 they were made at.
    const std::optional<pf::Path>& preparedFinalFillPath();
    const std::optional<pf::Path>& preparedFinalGradientFillPath();
    // Degrees: rotationAngle + fillAngle, summed as doubles (stored angles may be any 64-bit value).
    // hook: block arrows turn the gradient with their direction.
    virtual double fillGradientAngle() const { return static_cast<double>(rotationAngle_) + static_cast<double>(fillAngle_); }

    // ---- shadows: installed only in exports or between 100 % and 200 % zoom, scaled by the zoom ----
    void setFillShadowInContext(pf::GraphicsContext& context) const;
    void setStrokeShadowInContext(pf::GraphicsContext& context) const;

    // ---- strokes ----
    // Shadow, main stroke and arrowheads.
    virtual void drawAllStrokeInContext(pf::GraphicsContext& context);
    virtual void drawStrokeInContext(pf::GraphicsContext& context);
    // The main stroke's dash, colour and width along another path (a connector's, shortened at its heads).
    void drawStrokeAlongPathInContext(pf::GraphicsContext& context, const pf::Path& path);
    virtual void drawArrowsInContext(pf::GraphicsContext& context) { (void)context; }
    void setStrokeLineDashInContext(pf::GraphicsContext& context) const;
    static void setStrokeLineDashInContext(const LineDash& dash, pf::GraphicsContext& context);
    // The one stroking primitive: the width rounded to whole points (2 w + 1 in thumbnails), the path
    // shifted by half a point for an even stroke at scales up to 1, the shape's cap and join. hook:
    // connectors keep it out of the shapes they are attached to.
    virtual void drawStrokeInContextColorPathLineWidth(pf::GraphicsContext& context, const pf::Color& color,
                                                       const pf::Path& path, double lineWidth) const;
    static double thumbnailLineWidthForLineWidth(double width) { return 2.0 * width + 1.0; }
    // Border strokes beside the main stroke, which kinds draw.
    double stroke1LineWidth() const;
    double stroke2LineWidth() const;
    void drawStroke1InContext(pf::GraphicsContext& context) const;
    void drawStroke2InContext(pf::GraphicsContext& context) const;

    // ---- highlights ----
    // The selection, locked or snap halo; only on screen, never in thumbnails, loupes or exports.
    void drawSelectionStrokeInContext(pf::GraphicsContext& context) const;
    // That halo when the shape is selected or snapped, in a state of its own: the first layer it draws,
    // under its shadows and content.
    void drawHaloInContext(pf::GraphicsContext& context) const;
    // The targets a connector end may attach to, while one is dragged over the shape (on screen only).
    void drawConnectionHandlesInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty) const;
    void drawConnectionHandleInContextRectActive(pf::GraphicsContext& context, const pf::Rect& rect,
                                                 bool active) const;

    // ---- off-screen renderings ----
    pf::Image renderedImage() { return renderedImageAtScale(1.0); }
    // The render rect drawn at the scale (a null image when that has no pixels); more pixels than points
    // on a page whose unit has a higher resolution than a point.
    pf::Image renderedImageAtScale(double scale);
    // The selection rect's size plus 2, the shape drawn where its coordinates put it.
    pf::Image draggingImage();

    // ---- hooks the content-image and text code fill ----
    // The filtered content image under one shadow (the stroke's for connectors, else the fill's).
    virtual void drawFilteredContentInContext(pf::GraphicsContext& context);
    // The image layer: clipped to imageClipPath, filling it when scaleImage, else at its own size about
    // the anchor; upright for a frame of positive height, mirrored for a negative width. Leaves the state
    // as it found it (most shapes have no image: the state is saved only for one that has).
    virtual void drawImageInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty);
    // The text, over the content and never filtered (ShapeText.cpp). Drawn last in the shape's own state,
    // which it may change freely.
    virtual void drawTextInContext(pf::GraphicsContext& context);

private:
    // Page flags as the drawing reads them (all off without a page).
    bool pageIsExporting() const { return composition_ && composition_->isExporting(); }
    bool pageIsDrawingThumbnail() const { return composition_ && composition_->isDrawingThumbnail(); }
    bool pageIsDrawingLoupe() const { return composition_ && composition_->isDrawingLoupe(); }
    void installShadow(pf::GraphicsContext& context, double offsetX, double offsetY, double blur,
                       const pf::OptionalColor& color) const;
    // Drops the final fill paths when they were made on the other side of scale 1 (the shift differs).
    void dropFinalFillPathsMadeAtOtherScale();
    // ===================== end of drawing =====================

protected:
    // The setter pattern. `setter` is the public setter that undo calls with the old value; `followUp`
    // runs after the value is stored, the sticky default written and the caches dropped, before redisplay.
    template <class C, class T, class A, class F = void (*)()>
    bool setProperty(T& field, std::type_identity_t<T> value, void (C::*setter)(A), const PropertyChange& change,
                     F followUp = nullptr);

    // The copy's part of copying: Shape copies its fields in their order; kinds call it, then copy theirs.
    virtual void copyFrom(const Shape& source);

    // The key named by a literal, made once per thread and shared: the setters, the initialiser and the
    // stored form name some fifty keys for every shape.
    static const QString& literalKey(const char* literal);

private:
    template <class T>
    static bool sameValue(const T& a, const T& b);
    static bool sameValue(const QString& a, const QString& b) { return a == b && a.isNull() == b.isNull(); }
    template <class T>
    static pf::Value stickyValue(const T& value);
    static QString actionName(const PropertyChange& change, bool on);
    // The follow-up of the text style setters: the attributes applied to the text, the step named `change`.
    // A plain object, not a std::function: every new and every read shape calls these setters, and a
    // std::function of this size is allocated.
    struct Restyle {
        Shape* shape;
        const PropertyChange* change;
        bool on;
        void operator()() const;
    };
    Restyle restyleText(const PropertyChange& change, bool on) { return {this, &change, on}; }
    // The size of a text measured in the text rect t, kept (cachedTextSize) until the text or width changes.
    pf::Size measuredTextSize(const pf::AttributedString& text, const pf::Rect& t) const;
    void writeSticky(const char* key, const pf::Value& value);
    void finishChange(unsigned effects);

    // Reading helpers for readPlist and the style groups.
    static int documentVersion();
    // Set while fromPlist makes a shape: the stored identifier is read next, so the initialiser makes none.
    static thread_local bool identifierFollows_;

    static std::uint64_t newDisplayStamp();
    // Up the parent chain: a group's picture holds its children. moved: the shape itself only moved (its
    // look stamp is kept).
    void renewDisplayStamps(bool moved = false);
    // setNeedsDisplay, keeping the look stamp when moved.
    void setNeedsDisplayMoved(bool moved);
    // r with the text band and the filtered square turned with the shape, grown by reach and by what
    // shadows spread.
    pf::Rect paintBoundsAbout(pf::Rect r, double reach) const;
    // How far any stroke of the shape reaches beyond its outline, as the miter limit lets it.
    double strokeReachByLimit() const;
protected:
    // calcPaintedRect with the stroke reaching as the outline's sharpest join allows, or (for kinds that
    // paint more than their outline's stroke) as far as paintBounds lets any stroke reach.
    pf::Rect paintedRectFor(bool byJoins) const;
    // The same about base in place of the render rect.
    pf::Rect paintedRectAbout(const pf::Rect& base, bool byJoins) const;
private:
    // What the content filter chain was built from: specs are edited in place by the inspector, so a
    // chain whose specs no longer read the same is built again.
    struct FilterSpecValues {
        bool enabled;
        unsigned type;
        double sliderValue;
        friend bool operator==(const FilterSpecValues&, const FilterSpecValues&) = default;
    };
    std::vector<FilterSpecValues> filterSpecValues() const;

    // The fields that drawing a shape reads come first, together, roughly in the order it reads them: a
    // page drawn again finds its shapes cold in the caches, and each line of a shape drawing touches is a
    // miss. Spread over the whole object (near 3 KB) they made over fifty misses a shape; together (its
    // first 18 lines of 44) a quarter fewer. Identity, values only the inspector and the stored form read,
    // drag state, the text machinery and the filtered pictures follow.
    ShapePage* composition_ = nullptr;
    bool hidden_ = false;
    bool locked_ = false;
    bool selected_ = false;
    bool snapped_ = false;
    // Drawing its look alone (drawLookInContextDirtyRect).
    bool marksOff_ = false;
    mutable bool dirtyRectDirty_ = true;
    mutable double dirtyRectScale_ = 0;
    bool finalFillPathsAtSmallScale_ = true;
    bool fillShadowHidden_ = false;
    bool strokeShadowHidden_ = false;
    std::uint64_t displayStamp_ = newDisplayStamp();
    std::uint64_t lookStamp_ = displayStamp_;
    pf::Rect frame_;
    mutable pf::Rect dirtyRect_;
    std::int64_t rotationAngle_ = 0;
    double opacity_ = 0;
    std::uint64_t fillType_ = 0;
    std::int64_t fillAngle_ = 0;
    std::uint64_t strokeType_ = 0;
    double strokeLineWidth_ = 0;
    std::int32_t strokeLineCap_ = 0;
    std::int32_t strokeLineJoin_ = 0;
    bool stroke1Enabled_ = false;
    bool stroke2Enabled_ = false;
    bool editingText_ = false;
    bool textShadowHidden_ = false;
    std::uint64_t textAppearanceType_ = 0;
    mutable pf::Image image_;
    QString imageIdentifier_;
    std::weak_ptr<ShapeConnection> provisionalConnection_;
    pf::OptionalColor fillColor_;
    pf::OptionalColor strokeColor_;
    mutable std::optional<LineDash> strokeLineDash_;
    std::optional<pf::MutableAttributedString> attributedText_;
    FilterSpecs contentFilterSpecs_;
    // Drawing caches. The fill outline first: where it is the outline itself it shares its painting forms,
    // whose pointer then lies in the same line as the outline's.
    std::optional<pf::Path> finalFillPath_;
    pf::Path path_;
    std::optional<pf::Path> finalGradientFillPath_;
    mutable std::optional<pf::Gradient> gradient_;
    mutable std::optional<ContentFilters> contentFilters_;
    mutable std::vector<FilterSpecValues> contentFiltersMadeFrom_;
    // paintedRect, for the display stamp and zoom it was worked out at (stamp 0: work it out again).
    mutable pf::Rect paintedRect_;
    mutable std::uint64_t paintedRectStamp_ = 0;
    mutable double paintedRectScale_ = 0;
    // The last path an even stroke shifted, and its shifted copy: the main and border strokes of a path,
    // frame after frame, reuse one copy and what painting keeps with it.
    mutable pf::Path evenStrokeSource_;
    mutable pf::Path evenStrokeShifted_;

    // ---- what drawing seldom or never reads ----
    QString identifier_;
    QString title_;
    bool userSetTitle_ = false;
    bool snapable_ = false;
    bool constrainAspectRatio_ = false;
    bool scaleImage_ = false;
    bool textDrawOnPath_ = false;
    Shape* parent_ = nullptr;
    double rotationHandleRadius_ = 0;
    double adjustmentRatioX_ = 0;
    double adjustmentRatioY_ = 0;
    double displayFrameX_ = 0;
    double displayFrameY_ = 0;
    double displayFrameWidth_ = 0;
    double displayFrameHeight_ = 0;
    mutable std::optional<pf::Path> quartzPath_;
    // The bounds of path_, worked out on first use: snapping and hit tests ask every shape of a page.
    mutable std::optional<pf::Rect> pathBounds_;
    DragStart dragStart_;
    Connections connections_;

    pf::OptionalColor backupFillColor_;
    mutable GradientElements fillGradientElements_;
    double fillShadowBlur_ = 0;
    double fillShadowOffsetX_ = 0;
    double fillShadowOffsetY_ = 0;
    pf::OptionalColor fillShadowColor_;

    pf::OptionalColor stroke1Color_;
    pf::OptionalColor stroke2Color_;
    double strokeShadowBlur_ = 0;
    double strokeShadowOffsetX_ = 0;
    double strokeShadowOffsetY_ = 0;
    pf::OptionalColor strokeShadowColor_;

    mutable std::optional<pf::TextAttributes> textAttributes_;
    std::uint64_t textAlign_ = 0;
    std::uint64_t textVerticalAlign_ = 0;
    double textShadowBlur_ = 0;
    double textShadowOffsetX_ = 0;
    double textShadowOffsetY_ = 0;
    pf::OptionalColor textShadowColor_;
    mutable pf::Size cachedTextSize_;
    // What cachedTextSize_ was measured from: a text and width change makes it stale.
    mutable pf::AttributedString cachedTextSizeText_;
    mutable double cachedTextSizeWidth_ = 0;
    mutable pf::TextStorage textStorage_;
    mutable pf::TextContainer textContainer_;
    mutable pf::LayoutManager textLayoutManager_;

    std::int64_t imageType_ = 0;
    pf::Point imageAnchorRatio_;
    mutable pf::Image contentImage_;
    mutable pf::Image filteredContentImage_;
};

template <class T>
bool Shape::sameValue(const T& a, const T& b)
{
    return a == b;
}

template <class T>
pf::Value Shape::stickyValue(const T& value)
{
    if constexpr (std::is_same_v<T, pf::OptionalColor>)
        return pf::Value(storedColorString(value));
    else if constexpr (std::is_same_v<T, bool>)
        return pf::Value(value);
    else if constexpr (std::is_floating_point_v<T>)
        return pf::Value(finiteOrZero(static_cast<double>(value)));
    else if constexpr (std::is_integral_v<T>)
        return pf::Value(static_cast<std::int64_t>(value));
    else
        static_assert(std::is_same_v<T, void>, "no sticky form for this type");
}

template <class C, class T, class A, class F>
bool Shape::setProperty(T& field, std::type_identity_t<T> value, void (C::*setter)(A), const PropertyChange& change,
                        F followUp)
{
    static_assert(std::is_base_of_v<Shape, C>);
    if constexpr (std::is_floating_point_v<T>) {
        // NaN never equals itself, so it would register a new undo step on every repeat, and it would
        // reach drawing and the stored form: refuse it (key-value coding and the inspector can send it).
        if (!std::isfinite(value)) {
            qWarning("Shape: refused a non-finite value for \"%s\"", change.key);
            return false;
        }
    }
    if (sameValue(field, value))
        return false;
    pf::ChangeNotice notice(*this, isObserved() ? literalKey(change.key) : QString());
    bool on = true;
    if constexpr (std::is_same_v<T, bool>)
        on = value;
    // Named only when there is a manager to name it: a shape being read has none, and makes many changes.
    if (pf::UndoManager* undo = undoManager())
        pf::registerUndo(undo, static_cast<C*>(this), [setter, old = field](C& shape) { (shape.*setter)(old); },
                         actionName(change, on));
    if (change.effects & RedisplayBefore)
        setNeedsDisplay();
    field = std::move(value);
    if (change.effects & Sticky) {
        if constexpr (std::is_same_v<T, bool> || std::is_arithmetic_v<T> || std::is_same_v<T, pf::OptionalColor>)
            writeSticky(change.key, stickyValue(field));
    }
    finishChange(change.effects & ~(Redisplay | RedisplayPalettes));
    if constexpr (!std::is_same_v<F, void (*)()>)
        followUp();
    finishChange(change.effects & (Redisplay | RedisplayPalettes));
    return true;
}
