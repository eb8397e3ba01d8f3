// Fuzz target for the shape reader, with every shape and control kind registered: any property list (a shape dictionary, or an array of them as pages
// hold) reads into shapes or is skipped without fault, under the current and the oldest shadow
// convention; every shape read writes a property list that reads back to a shape that writes the same
// and holds the same text.
// Reading and writing only, so that it runs fast; styles and copies have their own target (shape_style).
#include "FuzzSupport.h"

#include "platform/foundation/ThreadDictionary.h"

#include <cstdio>

namespace {

void readShape(const pf::Value& plist)
{
    auto shape = Shape::fromPlist(plist);
    if (!shape)
        return;
    const auto written = pf::writePropertyList(shape->asPlist());
    if (!written.ok())
        std::abort();
    const auto reread = pf::readPropertyList(*written.data);
    if (!reread.ok())
        std::abort();
    // What we write is in the current format.
    pf::ThreadValueScope current(QString::fromLatin1(pf::TlsVersionKey), 8);
    auto again = Shape::fromPlist(*reread.value);
    if (!again)
        std::abort();
    // The rotation handle's radius is refused or pushed out depending on what the frame and the radius
    // were before, so it need not settle in one round; it is not part of the shape's value.
    pf::Value first = *reread.value;
    pf::Value second = again->asPlist();
    first.remove(QStringLiteral("rotationHandleRadius"));
    second.remove(QStringLiteral("rotationHandleRadius"));
    if (!(first == second))
        std::abort();
    // The written form settling is not enough: the text must come back as it was, or a save and a reopen
    // would change it once (a maximum line height dropped, a colour moved) and then agree with itself.
    const bool sameText = shape->hasText() == again->hasText()
        && (!shape->hasText() || shape->attributedText()->isEqualToAttributedString(*again->attributedText()));
    if (!sameText) {
        std::fprintf(stderr, "fuzz_shape_plist: the text read back differs from the text written\n");
        std::abort();
    }
}

// Read as the current format (no version published), then as the oldest convention.
void readShapeAsEveryVersion(const pf::Value& plist)
{
    readShape(plist);
    pf::ThreadValueScope oldest(QString::fromLatin1(pf::TlsVersionKey), 6);
    readShape(plist);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::forEachShapeDictionary(data, size, readShapeAsEveryVersion);
    return 0;
}
