// Fuzz target for styles and copies of shapes read from any property list: a shape's style is extracted,
// and the input, read as a style, is applied to a copy of the shape, without fault.
#include "FuzzSupport.h"

namespace {

void styleShape(const pf::Value& plist)
{
    auto shape = Shape::fromPlist(plist);
    if (!shape)
        return;
    (void)shape->extractStyle();
    shape->copy()->applyStyle(plist);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::forEachShapeDictionary(data, size, styleShape);
    return 0;
}
