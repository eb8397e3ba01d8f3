#include "quicklook/host/PreviewHost.h"

#include "platform/plugin/PlugIn.h"
#include "platform/plugin/QuickLookAbi.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>

namespace {

// What the plug-in hands back through the request.
struct Delivery {
    bool accepted = false;
    bool delivered = false;
    QByteArray pdf;
};

int acceptsPDF(void* host, double, double, double width, double height, const PFQLPreviewProperties*)
{
    auto* delivery = static_cast<Delivery*>(host);
    delivery->accepted = width > 0 && height > 0;
    return delivery->accepted ? 1 : 0;
}

void deliverPDF(void* host, const char* bytes, size_t length)
{
    auto* delivery = static_cast<Delivery*>(host);
    delivery->pdf = QByteArray(bytes, static_cast<qsizetype>(length));
    delivery->delivered = true;
}

PreviewOutcome failure(const QString& message)
{
    return {false, message};
}

} // namespace

PreviewOutcome renderPreview(const QString& plugInPath, const QString& packagePath, const QString& outputPath)
{
    const QFileInfo package(packagePath);
    if (!package.isDir())
        return failure(QStringLiteral("%1 is not a document package (no such folder)").arg(packagePath));
    if (!QFileInfo(QDir(packagePath).filePath(QStringLiteral("composition_data.plist"))).isFile())
        return failure(QStringLiteral("%1 is not a document package: it has no composition_data.plist").arg(packagePath));

    QString error;
    const std::unique_ptr<pf::PlugIn> plugIn = pf::PlugIn::load(plugInPath, &error);
    if (!plugIn)
        return failure(error);
    auto* generator = static_cast<PFQLGeneratorInterface*>(nullptr);
    void* instance = plugIn->instanceWithInterface(*pf::Uuid::fromString(QStringLiteral(PF_QL_GENERATOR_TYPE)),
                                                   *pf::Uuid::fromString(QStringLiteral(PF_QL_GENERATOR_CALLBACKS_INTERFACE)));
    if (!instance)
        return failure(QStringLiteral("the plug-in %1 makes no preview generator").arg(plugInPath));
    generator = *static_cast<PFQLGeneratorInterface**>(instance);

    Delivery delivery;
    PFQLPreviewRequest request{&delivery, acceptsPDF, deliverPDF};
    const QByteArray url = QUrl::fromLocalFile(package.absoluteFilePath()).toEncoded();
    const PFResult status = generator->GeneratePreviewForURL(instance, &request, url.constData(),
                                                             "com.thistlewick.quorveldoc", nullptr);
    generator->Release(instance);

    if (status != PF_S_OK)
        return failure(QStringLiteral("%1 holds no readable pages (status %2)").arg(packagePath).arg(status));
    if (!delivery.delivered || delivery.pdf.isEmpty())
        return failure(QStringLiteral("the plug-in drew no preview of %1").arg(packagePath));

    QSaveFile output(outputPath);
    if (!output.open(QIODevice::WriteOnly) || output.write(delivery.pdf) != delivery.pdf.size() || !output.commit())
        return failure(QStringLiteral("cannot write %1: %2").arg(outputPath, output.errorString()));
    return {true, QStringLiteral("wrote the preview of %1 to %2").arg(packagePath, QFileInfo(outputPath).absoluteFilePath())};
}
