// The owner of pages being previewed: it has no editor, so it answers as an absent owner would (no undo,
// no canvas, no selection), except for pictures, which it reads from the package.
#pragma once

#include "model/CompositionDelegate.h"
#include "platform/foundation/PackageImages.h"

class PreviewImageSource final : public QuietCompositionDelegate {
public:
    explicit PreviewImageSource(pf::PackageImages images) : images_(std::move(images)) {}

    pf::Rect visibleRectForComposition(Composition& page) override;
    pf::Image compositionImageForIdentifier(Composition& page, const QString& identifier) override;

private:
    pf::PackageImages images_;
};
