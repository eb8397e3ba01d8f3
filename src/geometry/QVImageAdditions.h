// Image helpers: images by name from the resources, scaled copies (faded, clipped), and stretchable
// drawing in nine slices (corners kept, edges and centre stretched) or twenty-five (corners and a centre
// piece kept).
#pragma once

#include "platform/foundation/Geometry.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

#include <QString>

#include <optional>

// The image ":/images/<name>" of the resources (name with its extension, or the first of png, tiff, tif,
// jpg, jpeg, gif that exists). The resources are one bundle for every class; className only names the
// caller. A null image, and one logged line, when it is missing or unreadable.
pf::Image imageNamedInBundleForClass(const QString& name, const QString& className = {});

// Scaled copies: the image drawn into (0, 0, size) of a new image of that size (one pixel per point),
// source-over at alpha, antialiased, with high interpolation when hiRez, inside clip when given.
pf::Image scaledImageOfSize(const pf::Image& image, pf::Size size);
pf::Image scaledImageOfSizeAlpha(const pf::Image& image, pf::Size size, double alpha);
pf::Image scaledImageOfSizeAlphaHiRez(const pf::Image& image, pf::Size size, double alpha, bool hiRez);
// Clipped to QVGetRoundRect((0, 0, size), radius, 1).
pf::Image scaledImageOfSizeAlphaHiRezCornerRadius(const pf::Image& image, pf::Size size, double alpha, bool hiRez,
                                                  double radius);
pf::Image scaledImageOfSizeAlphaHiRezClip(const pf::Image& image, pf::Size size, double alpha, bool hiRez,
                                          const std::optional<pf::Path>& clip);

// Nine slices of the image's bounds and of rect with the same insets, each source slice drawn into its
// destination slice with high interpolation; slices without a positive width and height are skipped.
// The top row (height insets.top) is the image's top and is drawn at the top of rect as seen on the
// device: at rect's min y in a y-down context, at its max y in a y-up one.
void drawStretchableInRectEdgeInsetsOperationFraction(pf::GraphicsContext& context, const pf::Image& image,
                                                      const pf::Rect& rect, const pf::EdgeInsets& insets,
                                                      pf::BlendMode operation, double fraction);
// Twenty-five slices: columns of the left inset, a stretching column, the centre rect's width, a second
// stretching column and the right inset (rows likewise); the centre piece keeps its size and is centred.
void drawStretchableInRectEdgeInsetsCenterRectOperationFraction(pf::GraphicsContext& context,
                                                                const pf::Image& image, const pf::Rect& rect,
                                                                const pf::EdgeInsets& insets,
                                                                const pf::Rect& centerRect,
                                                                pf::BlendMode operation, double fraction);
