#include "geometry/QVImageAdditions.h"

#include "geometry/QVDrawing.h"

#include <QFile>
#include <QFileInfo>
#include <QtDebug>

#include <array>
#include <cmath>
#include <vector>

namespace {

constexpr const char* resourceFolder = ":/images";

QString resourcePath(const QString& name)
{
    if (name.isEmpty())
        return {};
    const QString base = QString(resourceFolder) + "/" + name;
    if (!QFileInfo(name).suffix().isEmpty() && QFile::exists(base))
        return base;
    for (const char* extension : {"png", "tiff", "tif", "jpg", "jpeg", "gif"}) {
        const QString path = base + "." + extension;
        if (QFile::exists(path))
            return path;
    }
    return {};
}

// Positions and sizes of consecutive bands of a length, in the order of the sizes.
struct Band {
    double start;
    double size;
};

template <size_t N>
std::array<Band, N> bands(double origin, const std::array<double, N>& sizes)
{
    std::array<Band, N> out{};
    double at = origin;
    for (size_t i = 0; i < N; ++i) {
        out[i] = {at, sizes[i]};
        at += sizes[i];
    }
    return out;
}

// Draws the grid of slices: columns and rows (rows listed from the image's top) of the source in image
// coordinates (y down) into those of the destination. In a y-up context the destination rows run from
// rect's max y downward in y, so the top row stays on top.
template <size_t N>
void drawSlices(pf::GraphicsContext& context, const pf::Image& source, const pf::Rect& rect,
                const std::array<double, N>& sourceColumns, const std::array<double, N>& sourceRows,
                const std::array<double, N>& destColumns, const std::array<double, N>& destRows,
                pf::BlendMode operation, double fraction)
{
    const auto srcX = bands(0.0, sourceColumns);
    const auto srcY = bands(0.0, sourceRows);
    const auto dstX = bands(rect.x(), destColumns);
    const auto dstY = bands(0.0, destRows);
    const bool flipped = context.isFlipped();
    context.saveGState();
    context.setInterpolationQuality(pf::InterpolationQuality::High);
    for (size_t row = 0; row < N; ++row) {
        for (size_t column = 0; column < N; ++column) {
            const pf::Rect src(srcX[column].start, srcY[row].start, srcX[column].size, srcY[row].size);
            // Offset of the row from the top as seen, measured along y in either orientation.
            const double top = dstY[row].start;
            const double destY = flipped ? rect.y() + top : rect.y() + rect.height() - top - dstY[row].size;
            const pf::Rect dst(dstX[column].start, destY, dstX[column].size, dstY[row].size);
            if (src.width() > 0 && src.height() > 0 && dst.width() > 0 && dst.height() > 0)
                context.drawImage(source, dst, src, operation, fraction);
        }
    }
    context.restoreGState();
}

// The representation best suited to the target rect, chosen once for every slice.
pf::Image representationFor(const pf::GraphicsContext& context, const pf::Image& image, const pf::Rect& rect)
{
    if (image.hasDrawingHandler() || image.bitmapCount() <= 1)
        return image;
    const pf::Size device = context.convertSizeToDeviceSpace(rect.size);
    const double scale = std::max(std::abs(device.width) / image.size().width, std::abs(device.height) / image.size().height);
    return pf::Image(image.bestBitmap(scale), image.size());
}

} // namespace

pf::Image imageNamedInBundleForClass(const QString& name, const QString& className)
{
    Q_UNUSED(className);
    const QString path = resourcePath(name);
    pf::Image image = path.isEmpty() ? pf::Image() : pf::Image::fromFile(path);
    if (image.isNull()) {
        qWarning("%s couldnt load image named %s in bundle %s\npath %s", __func__, qUtf8Printable(name),
                 resourceFolder, path.isEmpty() ? "(null)" : qUtf8Printable(path));
    }
    return image;
}

pf::Image scaledImageOfSize(const pf::Image& image, pf::Size size) { return scaledImageOfSizeAlpha(image, size, 1.0); }

pf::Image scaledImageOfSizeAlpha(const pf::Image& image, pf::Size size, double alpha)
{
    return scaledImageOfSizeAlphaHiRez(image, size, alpha, true);
}

pf::Image scaledImageOfSizeAlphaHiRez(const pf::Image& image, pf::Size size, double alpha, bool hiRez)
{
    return scaledImageOfSizeAlphaHiRezClip(image, size, alpha, hiRez, std::nullopt);
}

pf::Image scaledImageOfSizeAlphaHiRezCornerRadius(const pf::Image& image, pf::Size size, double alpha, bool hiRez,
                                                  double radius)
{
    return scaledImageOfSizeAlphaHiRezClip(image, size, alpha, hiRez,
                                           QVGetRoundRect(pf::Rect(0, 0, size.width, size.height), radius, 1));
}

pf::Image scaledImageOfSizeAlphaHiRezClip(const pf::Image& image, pf::Size size, double alpha, bool hiRez,
                                          const std::optional<pf::Path>& clip)
{
    return pf::Image::drawn(size, 1.0, [&](pf::GraphicsContext& context) {
        const bool antialias = context.gstate().antialias;
        const pf::InterpolationQuality interpolation = context.gstate().interpolation;
        context.setShouldAntialias(true);
        context.setInterpolationQuality(hiRez ? pf::InterpolationQuality::High : pf::InterpolationQuality::Default);
        if (clip)
            context.setClip(*clip);
        context.drawImage(image, pf::Rect(0, 0, size.width, size.height), pf::Rect(), pf::BlendMode::Normal, alpha);
        context.setShouldAntialias(antialias);
        context.setInterpolationQuality(interpolation);
    });
}

void drawStretchableInRectEdgeInsetsOperationFraction(pf::GraphicsContext& context, const pf::Image& image,
                                                      const pf::Rect& rect, const pf::EdgeInsets& insets,
                                                      pf::BlendMode operation, double fraction)
{
    const pf::Size size = image.size();
    if (!(size.width > 0 && size.height > 0))
        return;
    const auto columns = [&](double width) {
        return std::array<double, 3>{insets.left, width - insets.left - insets.right, insets.right};
    };
    const auto rows = [&](double height) {
        return std::array<double, 3>{insets.top, height - insets.top - insets.bottom, insets.bottom};
    };
    drawSlices<3>(context, representationFor(context, image, rect), rect, columns(size.width), rows(size.height),
                  columns(rect.width()), rows(rect.height()), operation, fraction);
}

void drawStretchableInRectEdgeInsetsCenterRectOperationFraction(pf::GraphicsContext& context,
                                                                const pf::Image& image, const pf::Rect& rect,
                                                                const pf::EdgeInsets& insets,
                                                                const pf::Rect& centerRect,
                                                                pf::BlendMode operation, double fraction)
{
    const pf::Size size = image.size();
    if (!(size.width > 0 && size.height > 0))
        return;
    const auto grid = [](double length, double lead, double centre, double trail) {
        return std::array<double, 5>{lead, length / 2 - centre / 2 - lead, centre, length / 2 - centre / 2 - trail,
                                     trail};
    };
    const double cw = centerRect.width();
    const double ch = centerRect.height();
    drawSlices<5>(context, representationFor(context, image, rect), rect,
                  grid(size.width, insets.left, cw, insets.right), grid(size.height, insets.top, ch, insets.bottom),
                  grid(rect.width(), insets.left, cw, insets.right), grid(rect.height(), insets.top, ch, insets.bottom),
                  operation, fraction);
}
