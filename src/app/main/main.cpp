// quorvel [PACKAGE…]: the editor. Opens each document package named on the command line, or a new
// untitled document when none is named.
#include "app/AppWindowController.h"
#include "app/Document.h"
#include "app/DocumentTypes.h"
#include "app/PreferencePanes.h"
#include "controls/ControlKinds.h"
#include "manipulators/Manipulator.h"
#include "platform/docs/Application.h"
#include "platform/docs/DocumentController.h"
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

    pf::DocumentController documents;
    documentTypes::addTo(documents, [](const QString&, QString* error) -> std::shared_ptr<pf::Document> {
        if (error)
            *error = tr("Pictures cannot be opened as documents; insert them into a page instead.");
        return nullptr;
    });
    pf::Application app(&documents);

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
