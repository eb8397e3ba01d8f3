#include "app/ExportPanel.h"

#include "app/Document.h"
#include "model/Composition.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>

namespace {

QString uiText(const char* text) { return QCoreApplication::translate("ExportPanel", text); }

std::optional<QString> runExportPanel(ExportPanel& panel, QWidget* parent)
{
    QFileDialog dialog(parent);
    // Our own dialog, so that it can hold the accessory.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ShowDirsOnly, false);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    dialog.setWindowTitle(panel.title);
    dialog.setLabelText(QFileDialog::FileName, panel.nameFieldLabel);
    dialog.setLabelText(QFileDialog::Accept, panel.prompt);
    dialog.setOption(QFileDialog::ReadOnly, !panel.canCreateDirectories);
    const auto followType = [&dialog, &panel] {
        const QString extension = panel.allowedFileType();
        dialog.setNameFilter(QStringLiteral("*.%1").arg(extension));
        dialog.setDefaultSuffix(extension);
    };
    followType();
    panel.allowedFileTypeDidChange = followType;
    dialog.selectFile(panel.nameFieldStringValue);

    QWidget* accessory = panel.accessoryView;
    QWidget* home = accessory ? accessory->parentWidget() : nullptr;
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()); grid && accessory) {
        grid->addWidget(accessory, grid->rowCount(), 0, 1, grid->columnCount());
        accessory->show();
    }
    const bool accepted = dialog.exec() == QDialog::Accepted;
    panel.allowedFileTypeDidChange = nullptr;
    // The accessory belongs to the window; it goes back there hidden.
    if (accessory) {
        accessory->hide();
        accessory->setParent(home);
    }
    const QStringList files = dialog.selectedFiles();
    if (!accepted || files.isEmpty())
        return std::nullopt;
    return files.front();
}

} // namespace

template <>
ExportPanelSink& pf::sinkOf<ExportPanelSink>()
{
    static ExportPanelSink sink = runExportPanel;
    return sink;
}

void ExportPanel::setAllowedFileType(const QString& extension)
{
    allowedFileType_ = extension;
    if (allowedFileTypeDidChange)
        allowedFileTypeDidChange();
}

// ---- the accessory ----

const std::vector<std::int64_t>& ExportAccessory::zoomIndices()
{
    static const std::vector<std::int64_t> indices{-4, -3, -2, -1, 0, 1, 2, 3, 4, 5, 10, 20, 30, 40, 50};
    return indices;
}

ExportAccessory::ExportAccessory(Document& document, QWidget* parent) : QWidget(parent), document_(document)
{
    auto* form = new QFormLayout(this);
    format_ = new QComboBox(this);
    form->addRow(uiText("Format:"), format_);
    alpha_ = new QCheckBox(uiText("Transparent background"), this);
    form->addRow(QString(), alpha_);
    auto* zoomRow = new QHBoxLayout();
    zoom_ = new QComboBox(this);
    for (const std::int64_t index : zoomIndices())
        zoom_->addItem(QLocale().toString(Composition::zoomScaleForIndex(index) * 100, 'g', 4) + u'%',
                       QVariant::fromValue<qlonglong>(index));
    size_ = new QLabel(this);
    zoomRow->addWidget(zoom_);
    zoomRow->addWidget(size_, 1);
    form->addRow(uiText("Zoom:"), zoomRow);
    allPages_ = new QCheckBox(uiText("All pages"), this);
    form->addRow(QString(), allPages_);

    QObject::connect(format_, &QComboBox::activated, this, [this](int row) {
        if (!refreshing_)
            document_.setExportType(format_->itemData(row).toLongLong());
    });
    QObject::connect(alpha_, &QCheckBox::toggled, this, [this](bool on) {
        if (!refreshing_)
            document_.setExportAlphaEnabled(on);
    });
    QObject::connect(zoom_, &QComboBox::activated, this, [this](int row) {
        if (!refreshing_)
            document_.setExportZoomScaleIndex(zoom_->itemData(row).toLongLong());
    });
    QObject::connect(allPages_, &QCheckBox::toggled, this, [this](bool on) {
        if (!refreshing_)
            document_.setExportAllPages(on);
    });
    refresh();
}

void ExportAccessory::refresh()
{
    refreshing_ = true;
    format_->clear();
    const std::pair<const char*, std::int64_t> formats[] = {
        {"PNG", Document::ExportPNG}, {"JPEG", Document::ExportJPEG}, {"TIFF", Document::ExportTIFF},
        {"GIF", Document::ExportGIF}, {"PDF", Document::ExportPDF}};
    for (const auto& [title, code] : formats)
        if (code != Document::ExportPDF || document_.PDFExportEnabled)
            format_->addItem(QString::fromLatin1(title), QVariant::fromValue<qlonglong>(code));
    format_->setCurrentIndex(format_->findData(QVariant::fromValue<qlonglong>(document_.exportType)));
    alpha_->setChecked(document_.exportAlphaEnabled);
    zoom_->setCurrentIndex(zoom_->findData(QVariant::fromValue<qlonglong>(document_.exportZoomScaleIndex)));
    const bool pdf = document_.exportType == Document::ExportPDF;
    allPages_->setChecked(document_.exportAllPages);
    allPages_->setEnabled(pdf);
    refreshing_ = false;
}

QString ExportAccessory::scaledSizeLabelText() const { return size_->text(); }

void ExportAccessory::setScaledSizeLabelText(const QString& text) { size_->setText(text); }
