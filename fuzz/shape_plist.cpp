// Fuzz target for the shape reader: any property list (a shape dictionary, or an array of them as pages
// hold) reads into shapes or is skipped without fault, under the current and the oldest shadow
// convention; every shape read writes a property list that reads back to a shape that writes the same.
#include "model/Shape.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/ThreadDictionary.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "shapes/ShapeKinds.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>

namespace {

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

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
    (void)shape->extractStyle();
    shape->copy()->applyStyle(plist);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QGuiApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        qInstallMessageHandler(quiet);
        static int argc = 1;
        static char name[] = "fuzz_shape_plist";
        static char* argv[] = {name, nullptr};
        registerShapeKinds(pf::ClassRegistry::shared());
        return new QGuiApplication(argc, argv);
    }();
    (void)app;

    // Each input starts from the same user defaults (reading writes sticky values).
    pf::UserDefaultsStore::replaceStandard(std::make_unique<pf::UserDefaultsStore>());
    const auto read = pf::readPropertyList(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!read.ok())
        return 0;
    for (const std::optional<int> version : {std::optional<int>(), std::optional<int>(6)}) {
        std::optional<pf::ThreadValueScope> scope;
        if (version)
            scope.emplace(QString::fromLatin1(pf::TlsVersionKey), *version);
        readShape(*read.value);
        for (const pf::Value& entry : read.value->asArray())
            readShape(entry);
    }
    return 0;
}
