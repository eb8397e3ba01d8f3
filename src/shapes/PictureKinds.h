// Shapes whose content is a picture: Image (a picture from the document's image store, or a placeholder
// while it has none), Loupe (a magnifying glass showing part of its own page enlarged) and Redact (a
// rectangle showing the page under it pixellated).
#pragma once

#include "shapes/SimpleOutlines.h"

namespace pf {
class ClassRegistry;
}

void registerPictureShapes(pf::ClassRegistry& registry);

class Image : public Shape {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    // A shape of the picture's size at the origin, in the class's built-in style: it neither reads nor
    // writes the user's sticky style. Whoever adds it to a page
    // counts its image reference.
    template <class Kind = Image>
    static std::shared_ptr<Kind> imageWithImage(const pf::Image& image, const QString& identifier,
                                                std::int64_t imageType)
    {
        std::shared_ptr<Kind> shape;
        StickyDefaults::doWithoutStickySettingOrGetting([&] {
            shape = Shape::make<Kind>(pf::Rect(0, 0, image.size().width, image.size().height));
            shape->setImageIdentifier(identifier);
            shape->setImage(image);
            shape->setImageType(imageType);
        });
        return shape;
    }

    // No fill, no stroke, no shadows.
    void initWithFrame(const pf::Rect& frame) override;
    void appendPath(pf::Path& path) const override;

    bool isImage() const override { return true; }
    bool isMissingImage() const override { return image().isNull(); }
    bool canConvertToBezier() const override { return false; }
    bool canInvert() const override { return false; }
    bool canIntersect() const override { return false; }
    bool wantsSizeToFitImage() const override { return true; }

    // The picture, or the placeholder: a 24-point blue square at the centre.
    void drawImageInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty) override;
    // A white "?" in the text rect while the picture is missing, else the shape's own text.
    void drawTextInContext(pf::GraphicsContext& context) override;
    // The white "?" of the placeholder, centred.
    static const pf::AttributedString& placeholderText();
};

class Loupe : public Ellipse {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }
    // Adds "zoomTargetPoint", which the selection writes while the target is dragged.
    static const pf::PropertyTable& properties();
    const pf::PropertyTable& propertyTable() const override { return properties(); }

    // Targets the frame's centre at scale 15; the picture is drawn at its size, never stretched.
    void initWithFrame(const pf::Rect& frame) override;

    // A scale that is not finite and positive (stored data may hold one) reads as 15 and is refused.
    virtual double zoomTargetScale() const;
    virtual void setZoomTargetScale(double scale);
    virtual pf::Point zoomTargetPoint() const { return zoomTargetPoint_; }
    virtual void setZoomTargetPoint(const pf::Point& point);
    const pf::Point& dragStartZoomTargetPoint() const { return dragStartZoomTargetPoint_; }
    void setDragStartZoomTargetPoint(const pf::Point& point) { dragStartZoomTargetPoint_ = point; }
    const pf::Image& cachedImage() const { return cachedImage_; }
    void setCachedImage(const pf::Image& image) { cachedImage_ = image; }

    // The picture's size follows the frame: it is made again on the next draw.
    void setFrame(const pf::Rect& frame) override;
    void beginDrag() override;
    // The whole drag of the target handle is one undoable "Zoom Location".
    void endAdjust1Drag(const pf::Event& event) override;

    bool isLoupe() const override { return true; }
    // It shows what lies beneath.
    bool drawingMovesWithFrame() const override { return false; }
    // The picture: the page square around the target, enlarged (see Loupe.cpp for when it is made again).
    const pf::Image& image() const override;
    // Loupes never appear inside a loupe's picture.
    void drawInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty) override;
    // What the kind does to the rendered picture: nothing for a loupe.
    virtual pf::Image filteredImageFromImage(const pf::Image& image, double pixelSize) const;

    bool isEqualToShape(const Shape& other) const override;
    pf::Value asPlist() const override;
    void readPlist(const pf::Value& plist) override;

protected:
    void copyFrom(const Shape& source) override;
    // While the shape makes its own picture (a redaction is drawn inside loupes' pictures, but never
    // inside its own).
    bool isMakingPicture() const { return makingPicture_; }
    // Whether frame, scale and target allow a picture at all (stored data may hold any numbers).
    bool picturePossible() const;
    // Stores the target without notice or undo.
    void storeZoomTargetPoint(const pf::Point& point) { zoomTargetPoint_ = point; }

private:
    // The page square around the target, drawn at the scale each time the picture is drawn.
    pf::Image renderPicture() const;

    mutable bool makingPicture_ = false;
    mutable bool refusedPictureLogged_ = false;
    double zoomTargetScale_ = 15.0;
    mutable pf::Image cachedImage_;
    pf::Point zoomTargetPoint_;
    pf::Point dragStartZoomTargetPoint_;
};

// A rectangular loupe at scale 1 over its own area, pixellated in cells of adjustmentRatioX points.
class Redact : public Loupe {
public:
    static const ShapeClass& staticClass();
    const pf::ClassObject& classObject() const override { return staticClass(); }

    void initWithFrame(const pf::Rect& frame) override;

    double zoomTargetScale() const override { return 1.0; }
    void setZoomTargetScale(double scale) override;
    pf::Point zoomTargetPoint() const override { return center(); }
    void setZoomTargetPoint(const pf::Point& point) override;
    // adjustmentRatioX, or 10 when that is under 1 (stored data may hold anything).
    double pixelSize() const;
    // Unlike other loupes, drawn inside a loupe's picture too: a loupe over a redaction must not show
    // what the redaction hides.
    void drawInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect& dirty) override;

    void appendPath(pf::Path& path) const override;
    pf::Image filteredImageFromImage(const pf::Image& image, double pixelSize) const override;
};
