// Set-up shared by the fuzz targets that read shapes: a headless application made once, log output
// silenced, every shape kind and control registered, and fresh in-memory user defaults for every input (reading
// writes sticky values).
#pragma once

#include "controls/ControlKinds.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/UserDefaultsStore.h"

#include <QGuiApplication>

#include <cstdlib>
#include <memory>

inline void startShapeInput(const char* programName)
{
    static QGuiApplication* app = [programName] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        static int argc = 1;
        static char* argv[] = {const_cast<char*>(programName), nullptr};
        registerControlKinds(pf::ClassRegistry::shared());
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
    pf::UserDefaultsStore::replaceStandard(std::make_unique<pf::UserDefaultsStore>());
}
