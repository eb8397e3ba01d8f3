// quorvel [PACKAGE|PICTURE…]: the editor. Opens each document package named on the command line (a picture
// as a new untitled document), or a new untitled document when none is named.
#include "app/AppDelegate.h"
#include "app/AppWindowController.h"
#include "app/Document.h"
#include "app/DocumentTypes.h"
#include "app/PreferencePanes.h"
#include "controls/ControlKinds.h"
#include "manipulators/Manipulator.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/kit/Services.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("quorvel", text);
}

void reportOpenError(const QString& path, const QString& error)
{
    std::fprintf(stderr, "quorvel: %s: %s\n", qPrintable(path), qPrintable(error));
    pf::runAlert({tr("The document \"%1\" could not be opened.").arg(QFileInfo(path).fileName()), error, {}});
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quorvel"));

    registerControlKinds(pf::ClassRegistry::shared());
    registerManipulatorClasses(pf::ClassRegistry::shared());
    CanvasWindowController::registerInterfaceFiles();
    registerPreferencePanes(pf::ClassRegistry::shared());
    AppWindowController::installAsDocumentWindow();
    AppWindowController::installInspector();
    AppWindowController::installOutline();

    DocumentController documents;
    documentTypes::addTo(documents, [&documents](const QString& path, QString* error) {
        return documents.newDocumentWithImageFile(path, error);
    });
    Application app(&documents, AppSupportFolders::defaultDataHome(), std::make_unique<ProcessScriptRunner>());

    const QStringList paths = QCoreApplication::arguments().mid(1);
    pf::performOnMainThreadAfterDelay(
        [&documents, &app, paths] {
            documents.reopenDrafts();
            bool opened = false;
            for (const QString& path : paths) {
                QString error;
                if (documents.openDocumentAtPath(path, &error))
                    opened = true;
                else
                    reportOpenError(path, error);
            }
            if (!opened && documents.documents().empty()) {
                QString error;
                if (!documents.newDocument(&error))
                    reportOpenError(tr("Untitled"), error);
            }
            app.finishLaunching();
        },
        {});
    const int status = QApplication::exec();
    // The settings changed in this run (palettes, layout, windows' state) are kept for the next.
    pf::UserDefaultsStore::standard().synchronize();
    return status;
}
