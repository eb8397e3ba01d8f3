// quorvel-preview PACKAGE OUT.pdf: draws every page of a document package into a multi-page PDF through
// the preview plug-in that lies beside this program.
#include "quicklook/host/PreviewHost.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    // Drawing needs fonts, not a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: quorvel-preview PACKAGE OUT.pdf\n");
        return 2;
    }
    const QString plugIn = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("QuorvelQuickLook.so"));
    const PreviewOutcome outcome = renderPreview(plugIn, arguments.at(1), arguments.at(2));
    std::fprintf(outcome.ok ? stdout : stderr, "quorvel-preview: %s\n", qPrintable(outcome.message));
    return outcome.ok ? 0 : 1;
}
