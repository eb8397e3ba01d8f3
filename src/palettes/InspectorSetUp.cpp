#include "palettes/InspectorSetUp.h"

#include "palettes/ArrowFacet.h"
#include "palettes/FacetRegistry.h"
#include "palettes/FillFacet.h"
#include "palettes/FilterFacet.h"
#include "palettes/GeometryFacet.h"
#include "palettes/ImageFacet.h"
#include "palettes/InspectorCells.h"
#include "palettes/InspectorColorPanel.h"
#include "palettes/InspectorValueTransformers.h"
#include "palettes/InspectorViewController.h"
#include "palettes/ShapeSettingsFacets.h"
#include "palettes/TextFacet.h"
#include "palettes/UIControlFacet.h"
#include "platform/kit/ViewBuilders.h"

#include <QColorDialog>
#include <QPointer>
#include <QSignalBlocker>

void registerInspector()
{
    registerInspectorValueTransformers();
    InspectorViewController::registerInterfaceFile();
    GeometryFacet::registerFacets();
    FillFacet::registerStyleFacets();
    FilterFacet::registerFacet();
    UIControlFacet::registerFacets();
    TextFacet::registerFacets();
    ArrowFacet::registerFacet();
    ImageFacet::registerFacets();
    registerShapeSettingsFacets();
    installInspectorCells();
}

void registerPendingFacetInterfaceFiles()
{
    for (const QString& name : FacetRegistry::allClassNames()) {
        const FacetClassInfo* info = FacetRegistry::classInfo(name);
        if (info && !info->nibName.isEmpty() && !pf::hasViewBuilder(info->nibName))
            pf::registerViewBuilder(info->nibName, [](pf::Responder*) -> pf::View* { return nullptr; });
    }
}

namespace {

QPointer<QColorDialog>& colorDialog()
{
    static QPointer<QColorDialog> dialog;
    return dialog;
}

void showColorInDialog(const InspectorColorPanel& panel)
{
    QColorDialog* dialog = colorDialog();
    if (!dialog)
        return;
    dialog->setOption(QColorDialog::ShowAlphaChannel, panel.showsAlpha());
    // Loading the panel's colour is not a choice of the user's.
    const QSignalBlocker quiet(dialog);
    const pf::Color& c = panel.color();
    dialog->setCurrentColor(QColor::fromRgbF(float(c.red), float(c.green), float(c.blue), float(c.alpha)));
}

} // namespace

void installInspectorColorDialog()
{
    InspectorColorPanel::setPresenter([](InspectorColorPanel& panel) {
        QPointer<QColorDialog>& dialog = colorDialog();
        if (!dialog) {
            dialog = new QColorDialog();
            dialog->setAttribute(Qt::WA_DeleteOnClose, false);
            dialog->setOption(QColorDialog::NoButtons, true);
            QObject::connect(dialog, &QColorDialog::currentColorChanged, [](const QColor& c) {
                InspectorColorPanel::shared().userDidChooseColor(
                    pf::Color(c.redF(), c.greenF(), c.blueF(), c.alphaF()));
            });
            QObject::connect(dialog, &QColorDialog::finished, [] { InspectorColorPanel::shared().didClose(); });
        }
        showColorInDialog(panel);
        dialog->show();
        dialog->raise();
    }, [](InspectorColorPanel& panel) { showColorInDialog(panel); });
}
