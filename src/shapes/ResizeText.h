// Text whose size and frame are tied: resizing the frame refits the font so that the text fills the
// width, and editing the text or changing the font refits the frame around the text. It has no box: the
// fill colour is the text colour, the stroke outlines every glyph, the first border stroke draws a wide
// halo round the glyphs, and the fill shadow is the letters' shadow. Everything is drawn as text.
#pragma once

#include "shapes/Text.h"

class ResizeTextClass : public TextClass {
public:
    using TextClass::TextClass;
    const QStringList& facetClassNames() const override;
    QString manipulatorClassName() const override { return QStringLiteral("ResizeTextManipulator"); }
    // A bold "T".
    pf::Image iconImage() const override;
};

class ResizeText : public Text {
public:
    static const ResizeTextClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    static const pf::PropertyTable& properties();
    const pf::PropertyTable& propertyTable() const override { return properties(); }

    // The inherited "Text", in the font fitted to the frame.
    void initWithFrame(const pf::Rect& frame) override;

    // The whole-point size in 6..500 that makes text, set in its first font, fill width (6 when even 6
    // overflows, and for an empty text). A binary search that lays the text out about nine times.
    static double fittedFontSize(const pf::AttributedString& text, double width);
    // The search is cached per text and width; measurements switch the cache off to compare.
    static void setFitCacheEnabled(bool enabled);
    // The used size of a text on unbounded lines.
    static pf::Size sizeOfText(const pf::AttributedString& text);
    // The frame follows the text: the text's size about the current centre.
    void calcSizeRatio();

    // ---- redirected style ----
    // The fill colour is the text colour.
    pf::OptionalColor textFillColor() const { return textColor(); }
    void setFillColor(pf::OptionalColor color) override;
    // The second border stroke and hidden or clipped text do not exist here.
    void setStroke2Enabled(bool enabled) override;
    void setStroke2Color(pf::OptionalColor color) override;
    void setTextAppearanceType(std::uint64_t type) override;
    // The letters' shadow is the fill shadow, hidden under a halo.
    bool textShadowHidden() const override { return fillShadowHidden() || stroke1Enabled(); }
    void setStroke1Enabled(bool enabled) override;
    void setStroke1Color(pf::OptionalColor color) override;
    void setFillShadowHidden(bool hidden) override;
    void setFillShadowBlur(double blur) override;
    void setFillShadowOffsetX(double offset) override;
    void setFillShadowOffsetY(double offset) override;
    void setFillShadowColor(pf::OptionalColor color) override;

    // ---- text ----
    bool isSnapable() const override { return !isSelected() && !isHidden(); }
    // The first character's attributes with the font fitted to the frame's width; never kept, but the
    // search is cached per text and width.
    pf::TextAttributes textAttributes() const override;
    void clearTextAttributes() override;
    pf::Rect textRect() const override { return frame(); }
    pf::Rect verticalTextRect() const override { return frame(); }
    // Always vertically centred, 2 larger on every side and 1 lower, on whole points.
    pf::Rect horizontalTextRectForText(const pf::AttributedString& text) const override;
    // The base rect, with the band grown by the fill shadow that the text carries here.
    pf::Rect calcDirtyRect() const override;
    void setEditText(const pf::AttributedString* text) override;
    void setTextFont(const std::optional<pf::Font>& font) override;
    void setFrame(const pf::Rect& frame) override;

    // ---- drawing ----
    void drawFillInContext(pf::GraphicsContext& context) override { (void)context; }
    void drawAllStrokeInContext(pf::GraphicsContext& context) override { (void)context; }
    void drawTextInContext(pf::GraphicsContext& context) override;
    // The glyph outlines of the laid-out text, placed on the page, and the halo's extra width; gathered
    // from the same layout the letters are drawn from, so outlines and letters coincide. Kept from one
    // draw to the next while the text and its band stay; cleared by frame, font and attribute changes.
    const std::vector<pf::Path>& borderPaths() const { return borderPaths_; }
    std::int64_t borderLineWidth() const { return borderLineWidth_; }
    void clearBorderPaths();

private:
    void gatherBorderPaths(const pf::Rect& band);
    void drawTextStroke(pf::GraphicsContext& context, double lineWidth, const pf::Color& color);
    // Runs the inherited setter, then restyles the text (its shadow follows the style).
    template <class F>
    void restyled(F inheritedSetter, const char* actionName);

    std::vector<pf::Path> borderPaths_;
    std::int64_t borderLineWidth_ = -1;
    // What the outlines were gathered for.
    pf::Rect borderBand_;
    pf::AttributedString borderText_;

    // The last font search: the text's characters and first font, the width it was fitted to, the size.
    struct FitCache {
        QString string;
        QString fontName;
        double width = -1;
        double size = 0;
    };
    mutable FitCache fit_;
    // What the band height was measured from.
    mutable pf::AttributedString bandText_;
    mutable double bandWidth_ = -1;
    mutable double bandHeight_ = 0;
};
