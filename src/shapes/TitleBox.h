// A box of two compartments, as class and state boxes are drawn: a title band at the top, filled with
// the stroke colour and holding a centred title (the shape's text), and a body below holding a second
// text. The outline is a rectangle, or rounded as set by the adjustment ratio. It never rotates.
//
// editType says which compartment editing and the text setters address: 0 both (not editing), 1 the
// title, 2 the body. Measured sizes are cached until a text, the frame, the stroke width or the
// attributes change.
#pragma once

#include "model/Rectangle.h"

class TitleBoxClass : public RectangleClass {
public:
    using RectangleClass::RectangleClass;
    QString title() const override;
    QString shortTitle() const override;
    QString longDescription() const override;
    QString extraSearchString() const override;
    QString negativeSearchString() const override;
    pf::Image iconImage() const override;
    // The inherited entry with the sticky stroke width and corner ratio, so a placed box looks as shown.
    pf::Value plist() const override;
    const QStringList& facetClassNames() const override;
    QString manipulatorClassName() const override { return QStringLiteral("TitleBoxManipulator"); }
    QString stickyPhylumName() const override { return stickyTypeName(); }
    std::shared_ptr<Shape> libraryListItemShapeWithFrame(const pf::Rect& frame) const override;
    // Those of a title: the current font in its bold face, centred.
    pf::TextAttributes makeDefaultTextAttributes() const override;
};

class TitleBox : public Rectangle {
public:
    static const TitleBoxClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    static const pf::PropertyTable& properties();
    const pf::PropertyTable& propertyTable() const override { return properties(); }

    // Title "Title" in bold, body "Body"; the corner ratio from the sticky default.
    void initWithFrame(const pf::Rect& frame) override;

    // ---- texts ----
    // The body; null when empty.
    const pf::AttributedString* attributedText1() const { return body_ ? &*body_ : nullptr; }
    bool hasBody() const { return body_.has_value(); }
    // Undoable ("Edit Attributes"); an empty text clears it.
    void setAttributedText1(const pf::AttributedString* text);
    using Shape::setAttributedText;
    void setAttributedText(const pf::AttributedString* text) override;
    std::uint64_t editType() const { return editType_; }
    // Set by the manipulator before an edit; no undo.
    void setEditType(std::uint64_t type) { editType_ = type; }
    const pf::Size& boxPaddingSize() const { return boxPaddingSize_; }
    void setBoxPaddingSize(const pf::Size& size);
    double minBodyBoxHeight() const { return minBodyBoxHeight_; }
    void setMinBodyBoxHeight(double height);

    // ---- attributes ----
    // The title's (editType 0 or 1), the body's (2), none otherwise.
    pf::TextAttributes textAttributes() const override;
    pf::TextAttributes bodyTextAttributes() const;
    // The title's attributes aligned by textAlign (justified laid out left), clipped to one line for
    // appearance 1; an empty text gets the current font in black.
    pf::TextAttributes textAttributesForText(const pf::AttributedString& text) const;
    // The title is always centred.
    pf::ParagraphStyle currentParagraphStyle() const override;
    void clearTextAttributes() override;

    // ---- editing ----
    void setEditingText(bool editing) override;
    const pf::AttributedString* editText() const override;
    void setEditText(const pf::AttributedString* text) override;
    pf::TextAlignment editTextAlign() const override;
    pf::Rect fieldEditorRectForText(const pf::AttributedString& text) const override;
    pf::Rect fieldEditorRect() const;
    // editType 0: title and body; 1: title; 2: body.
    void setTextFont(const std::optional<pf::Font>& font) override;
    void setTextColor(const pf::OptionalColor& color) override;

    // ---- measurement and layout (f: a normalised frame) ----
    pf::Size titleTextSize() const;
    pf::Size bodyTextSize() const;
    // Zero for an empty text; else measured at maxTextWidth (appearance 0), on one line (1) or at width 0 (2).
    pf::Size sizeOfText(const pf::AttributedString& text) const;
    double maxTextWidth() const;
    pf::Rect titleBoxRectForFrame(const pf::Rect& f) const;
    pf::Rect titleTextRectForFrame(const pf::Rect& f) const;
    pf::Rect bodyBoxRectForFrame(const pf::Rect& f) const;
    pf::Rect bodyTextRectForFrame(const pf::Rect& f) const;
    double remainderBoxHeight(const pf::Rect& f) const;
    // Both texts with their padding; an empty body keeps minBodyBoxHeight.
    pf::Size idealSize() const;
    // The ideal size about the centre; 8 more points at the left and right unless Option is held.
    void sizeToFitText(bool option) override;

    // ---- geometry ----
    void appendPath(pf::Path& path) const override;
    pf::Point adjustPoint() const override;
    pf::Rect boundingRect() const override;
    bool canConvertToBezier() const override { return false; }
    void setRotationAngle(std::int64_t degrees) override { (void)degrees; }
    void setFrame(const pf::Rect& frame) override;
    void setStrokeLineWidth(double width) override;

    // ---- drawing ----
    void drawTextInContext(pf::GraphicsContext& context) override;
    // The outline, the title band filled and the line under it, all in the stroke colour.
    void drawStrokeInContext(pf::GraphicsContext& context) override;

    // ---- copy, equality, stored form ("attributedText1Data": the body as RTF) ----
    bool isEqualToShape(const Shape& other) const override;
    pf::Value asPlist() const override;
    void readPlist(const pf::Value& plist) override;

protected:
    void copyFrom(const Shape& source) override;

private:
    void invalidateCachedSizes() { cachedSizesInvalidated_ = true; }
    void calculateTextSizes() const;
    // The compartments editType addresses: the title through its setter, the body with the change over
    // all of it (stored with undo).
    void changeCompartments(const pf::TextAttributes& change, const std::function<void()>& changeTitle);

    std::optional<pf::MutableAttributedString> body_;
    std::uint64_t editType_ = 0;
    pf::Size boxPaddingSize_{2.0, 4.0};
    double minBodyBoxHeight_ = 6.0;
    mutable bool cachedSizesInvalidated_ = true;
    mutable pf::Size cachedTitleTextSize_;
    mutable pf::Size cachedBodyTextSize_;
    mutable pf::Size cachedEmptyTextSize_;
};
