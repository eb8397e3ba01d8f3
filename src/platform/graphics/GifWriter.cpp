#include "platform/graphics/GifWriter.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace pf {

namespace {

struct Rgb {
    int r = 0, g = 0, b = 0;
};

// The pixel as the file shows it: transparent (nothing), or laid over white.
bool isClear(QRgb pixel, bool transparent) { return transparent && qAlpha(pixel) < 128; }

Rgb overWhite(QRgb pixel)
{
    const int a = qAlpha(pixel);
    const auto lay = [a](int c) { return (c * a + 255 * (255 - a) + 127) / 255; };
    return {lay(qRed(pixel)), lay(qGreen(pixel)), lay(qBlue(pixel))};
}

std::uint32_t key(const Rgb& c) { return std::uint32_t(c.r) << 16 | std::uint32_t(c.g) << 8 | std::uint32_t(c.b); }

// The palette entry nearest to a colour: a colour of the palette is its own entry; any other is looked
// up once per 6-bit cell of colour space and then remembered.
class NearestColour {
public:
    explicit NearestColour(const std::vector<Rgb>& palette) : palette_(palette), cache_(64 * 64 * 64, -1)
    {
        for (std::size_t i = 0; i < palette_.size(); ++i)
            exact_.emplace(key(palette_[i]), int(i));
    }

    int operator()(const Rgb& c)
    {
        if (const auto it = exact_.find(key(c)); it != exact_.end())
            return it->second;
        const std::size_t cell = std::size_t(c.r >> 2) << 12 | std::size_t(c.g >> 2) << 6 | std::size_t(c.b >> 2);
        int& found = cache_[cell];
        if (found < 0) {
            const Rgb centre{(c.r & ~3) + 2, (c.g & ~3) + 2, (c.b & ~3) + 2};
            int best = 0, bestDistance = INT32_MAX;
            for (std::size_t i = 0; i < palette_.size(); ++i) {
                const int dr = palette_[i].r - centre.r, dg = palette_[i].g - centre.g, db = palette_[i].b - centre.b;
                const int distance = 2 * dr * dr + 4 * dg * dg + 3 * db * db;
                if (distance < bestDistance) {
                    bestDistance = distance;
                    best = int(i);
                }
            }
            found = best;
        }
        return found;
    }

private:
    const std::vector<Rgb>& palette_;
    std::unordered_map<std::uint32_t, int> exact_;
    std::vector<int> cache_;
};

// A palette of at most size colours from a sample of the opaque pixels: the colours that cover large
// areas (backgrounds, fills, text) exactly, so they print clean, then a median cut of the rest.
std::vector<Rgb> quantisedPalette(const QImage& image, bool transparent, int size)
{
    const std::int64_t pixels = std::int64_t(image.width()) * image.height();
    const std::int64_t step = std::max<std::int64_t>(1, pixels / (512 * 1024));
    std::vector<Rgb> samples;
    std::unordered_map<std::uint32_t, std::int64_t> counts;
    for (std::int64_t i = 0; i < pixels; i += step) {
        const QRgb pixel = reinterpret_cast<const QRgb*>(image.constScanLine(int(i / image.width())))[i % image.width()];
        if (isClear(pixel, transparent))
            continue;
        samples.push_back(overWhite(pixel));
        ++counts[key(samples.back())];
    }
    std::vector<Rgb> palette;
    if (samples.empty())
        return palette;
    std::vector<std::pair<std::int64_t, std::uint32_t>> frequent;
    const std::int64_t large = std::max<std::int64_t>(2, std::int64_t(samples.size()) / 200);
    for (const auto& [colour, count] : counts)
        if (count >= large)
            frequent.emplace_back(count, colour);
    std::sort(frequent.rbegin(), frequent.rend());
    frequent.resize(std::min<std::size_t>(frequent.size(), std::size_t(size / 2)));
    std::unordered_map<std::uint32_t, bool> fixed;
    for (const auto& [count, colour] : frequent) {
        palette.push_back({int(colour >> 16 & 0xff), int(colour >> 8 & 0xff), int(colour & 0xff)});
        fixed[colour] = true;
    }

    std::vector<GifByteType> red, green, blue;
    for (const Rgb& c : samples)
        if (!fixed.count(key(c))) {
            red.push_back(GifByteType(c.r));
            green.push_back(GifByteType(c.g));
            blue.push_back(GifByteType(c.b));
        }
    if (red.empty())
        return palette;
    std::vector<GifByteType> mapped(red.size());
    std::vector<GifColorType> colours(256);
    int count = size - int(palette.size());
    if (GifQuantizeBuffer(unsigned(red.size()), 1, &count, red.data(), green.data(), blue.data(), mapped.data(),
                          colours.data()) != GIF_OK)
        return palette;
    for (int i = 0; i < count && int(palette.size()) < size; ++i)
        palette.push_back({colours[std::size_t(i)].Red, colours[std::size_t(i)].Green, colours[std::size_t(i)].Blue});
    return palette;
}

int writeToBytes(GifFileType* file, const GifByteType* data, int length)
{
    static_cast<QByteArray*>(file->UserData)->append(reinterpret_cast<const char*>(data), length);
    return length;
}

} // namespace

QByteArray gifData(const QImage& source, bool transparent)
{
    if (source.isNull() || source.width() > 65535 || source.height() > 65535)
        return {};
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int width = image.width(), height = image.height();
    const int opaqueSlots = transparent ? 255 : 256;

    // Few colours: each keeps its own entry and no pixel is dithered.
    std::vector<Rgb> palette;
    std::unordered_map<std::uint32_t, int> exact;
    bool hasClear = false;
    for (int y = 0; y < height && exact.size() <= std::size_t(opaqueSlots); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            if (isClear(row[x], transparent)) {
                hasClear = true;
                continue;
            }
            const Rgb c = overWhite(row[x]);
            if (exact.emplace(key(c), int(palette.size())).second)
                palette.push_back(c);
            if (exact.size() > std::size_t(opaqueSlots))
                break;
        }
    }
    const bool dither = exact.size() > std::size_t(opaqueSlots);
    if (dither) {
        exact.clear();
        palette = quantisedPalette(image, transparent, opaqueSlots);
        for (int y = 0; y < height && !hasClear; ++y)
            for (int x = 0; x < width && !hasClear; ++x)
                hasClear = isClear(reinterpret_cast<const QRgb*>(image.constScanLine(y))[x], transparent);
    }
    if (palette.empty())
        palette.push_back({255, 255, 255});
    const int clearIndex = hasClear ? int(palette.size()) : -1;

    int entries = int(palette.size()) + (hasClear ? 1 : 0);
    int bits = 1;
    while ((1 << bits) < entries)
        ++bits;
    std::unique_ptr<ColorMapObject, void (*)(ColorMapObject*)> map(GifMakeMapObject(1 << bits, nullptr),
                                                                     GifFreeMapObject);
    if (!map)
        return {};
    for (int i = 0; i < (1 << bits); ++i) {
        const Rgb c = i < int(palette.size()) ? palette[std::size_t(i)] : Rgb{255, 255, 255};
        map->Colors[i] = GifColorType{GifByteType(c.r), GifByteType(c.g), GifByteType(c.b)};
    }

    QByteArray bytes;
    int error = 0;
    GifFileType* file = EGifOpen(&bytes, writeToBytes, &error);
    if (!file)
        return {};
    bool ok = true;
    EGifSetGifVersion(file, true);
    ok = EGifPutScreenDesc(file, width, height, 8, 0, map.get()) == GIF_OK;
    if (ok && hasClear) {
        // Graphics control: no disposal, no delay, the transparent index.
        const GifByteType control[4] = {0x01, 0, 0, GifByteType(clearIndex)};
        ok = EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, 4, control) == GIF_OK;
    }
    ok = ok && EGifPutImageDesc(file, 0, 0, width, height, false, nullptr) == GIF_OK;

    std::vector<GifPixelType> line(std::size_t(width), 0);
    if (ok && !dither) {
        for (int y = 0; y < height && ok; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < width; ++x)
                line[std::size_t(x)] =
                    GifPixelType(isClear(row[x], transparent) ? clearIndex : exact.at(key(overWhite(row[x]))));
            ok = EGifPutLine(file, line.data(), width) == GIF_OK;
        }
    } else if (ok) {
        // Floyd–Steinberg: each pixel's error goes on to its right and lower neighbours (two error rows).
        NearestColour nearest(palette);
        std::vector<std::array<int, 3>> current(std::size_t(width) + 2), next(std::size_t(width) + 2);
        for (int y = 0; y < height && ok; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            std::fill(next.begin(), next.end(), std::array<int, 3>{0, 0, 0});
            for (int x = 0; x < width; ++x) {
                if (isClear(row[x], transparent)) {
                    line[std::size_t(x)] = GifPixelType(clearIndex);
                    continue;
                }
                const Rgb base = overWhite(row[x]);
                const auto& carried = current[std::size_t(x) + 1];
                const Rgb wanted{std::clamp(base.r + carried[0] / 16, 0, 255), std::clamp(base.g + carried[1] / 16, 0, 255),
                                 std::clamp(base.b + carried[2] / 16, 0, 255)};
                const int index = nearest(wanted);
                line[std::size_t(x)] = GifPixelType(index);
                const Rgb& got = palette[std::size_t(index)];
                const int error[3] = {wanted.r - got.r, wanted.g - got.g, wanted.b - got.b};
                for (int c = 0; c < 3; ++c) {
                    current[std::size_t(x) + 2][std::size_t(c)] += error[c] * 7;
                    next[std::size_t(x)][std::size_t(c)] += error[c] * 3;
                    next[std::size_t(x) + 1][std::size_t(c)] += error[c] * 5;
                    next[std::size_t(x) + 2][std::size_t(c)] += error[c];
                }
            }
            std::swap(current, next);
            ok = EGifPutLine(file, line.data(), width) == GIF_OK;
        }
    }
    if (EGifCloseFile(file, &error) != GIF_OK)
        ok = false;
    return ok ? bytes : QByteArray();
}

} // namespace pf
