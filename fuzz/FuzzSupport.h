// What the fuzz targets share: a headless application made once, and the shape dictionaries of an input.
#pragma once

#include "model/Shape.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "controls/ControlKinds.h"
#include "platform/foundation/ClassRegistry.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace fuzz {

inline void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

// The offscreen application, made on the first call (fonts and images need one); log messages are
// dropped, as the inputs provoke them by the million.
inline void ensureApplication()
{
    static QGuiApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        qInstallMessageHandler(quiet);
        static int argc = 1;
        static char name[] = "fuzz";
        static char* argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}

// Before each input that reads shapes: the application, every shape kind and control registered, and
// the same empty user defaults (reading shapes writes sticky values).
inline void startShapeInput()
{
    static const bool registered = (ensureApplication(), registerControlKinds(pf::ClassRegistry::shared()), true);
    (void)registered;
    pf::UserDefaultsStore::replaceStandard(std::make_unique<pf::UserDefaultsStore>());
}

// Calls body with the input read as a property list, and with each entry when it is an array (as pages
// hold shapes).
template <class Body>
void forEachShapeDictionary(const uint8_t* data, size_t size, Body&& body)
{
    startShapeInput();
    const auto read = pf::readPropertyList(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!read.ok())
        return;
    body(*read.value);
    for (const pf::Value& entry : read.value->asArray())
        body(entry);
}

} // namespace fuzz
