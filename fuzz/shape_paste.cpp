// Fuzz target for pasting a shape record from any bytes, as another program may put them on the clipboard:
// the record is checked, its shapes built and put on a page, its connections added. Nothing may crash,
// the input must stay as it was, every new identifier must be fresh, and every connection added must join
// two of the pasted shapes on the page.
#include "FuzzSupport.h"

#include "canvas/ShapeRecordReader.h"
#include "model/Composition.h"
#include "model/Connection.h"

#include <cstdio>
#include <set>

namespace {

[[noreturn]] void failure(const char* what)
{
    std::fprintf(stderr, "fuzz_shape_paste: %s\n", what);
    std::abort();
}

void paste(const pf::Value& plist)
{
    const auto record = pf::readShapeRecord(plist);
    if (!record)
        return;
    const pf::Value before = record->toPropertyList();
    auto page = Composition::make();
    PastedShapes pasted = buildShapesFromRecord(*record, page);
    if (std::size_t(pasted.peers.size()) != pasted.shapes.size())
        failure("peers do not pair with the pasted shapes");
    std::set<QString> old;
    for (auto it = pasted.freshIdentifiers.begin(); it != pasted.freshIdentifiers.end(); ++it)
        old.insert(it.key());
    for (const auto& shape : pasted.shapes) {
        if (old.count(shape->identifier()))
            failure("a pasted shape kept an identifier of the record");
        page->addShape(shape);
    }
    addRecordConnections(*record, pasted.freshIdentifiers, *page);
    for (const auto& c : page->pageConnections()) {
        const auto connection = std::dynamic_pointer_cast<Connection>(c);
        if (!connection || !connection->shape() || !connection->pointer())
            failure("a connection lacks an end");
        if (!page->shapeForIdentifier(connection->shape()->identifier())
            || !page->shapeForIdentifier(connection->pointer()->identifier()))
            failure("a connection's end is not on the page");
    }
    if (!(record->toPropertyList() == before))
        failure("the record was changed");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::startShapeInput();
    const auto read = pf::readPropertyList(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (read.ok())
        paste(*read.value);
    return 0;
}
