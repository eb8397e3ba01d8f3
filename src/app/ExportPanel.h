// The export save panel and its accessory. The panel is a request the presenter shows: texts, the one
// file type allowed, and the window controller's accessory, whose controls edit the document's export
// choices while the panel is up. The presenter is a sink (pf::ScopedSink) that tests replace to answer
// for the user; the real one is a window-modal, non-native QFileDialog holding the accessory.
#pragma once

#include "platform/kit/Sink.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>

class Document;
class QCheckBox;
class QComboBox;
class QLabel;

class ExportPanel {
public:
    QString title;
    QString prompt;
    QString nameFieldLabel;
    QString nameFieldStringValue;
    bool canCreateDirectories = true;
    bool extensionHidden = false;
    bool canSelectHiddenExtension = false;
    bool allowsOtherFileTypes = false;
    // Shown under the file list; not owned.
    QPointer<QWidget> accessoryView;

    const QString& allowedFileType() const { return allowedFileType_; }
    // The extension alone; the presenter follows a change while the panel is up.
    void setAllowedFileType(const QString& extension);
    std::function<void()> allowedFileTypeDidChange;

private:
    QString allowedFileType_;
};

// Shows the panel over the window (parent may be null) and answers the chosen file, nothing when
// cancelled. The document's export choices are what the accessory left them at.
using ExportPanelSink = std::function<std::optional<QString>(ExportPanel& panel, QWidget* parent)>;
namespace pf {
template <>
ExportPanelSink& sinkOf<ExportPanelSink>();
}
using ScopedExportPanelSink = pf::ScopedSink<ExportPanelSink>;

// The export choices beside the file list: format (PDF only when the document offers it), transparent
// background, zoom with the pixel size it gives, and all pages (PDF only). Each control writes the
// document's field through its setter; refresh() reads them all back.
class ExportAccessory : public QWidget {
public:
    ExportAccessory(Document& document, QWidget* parent);

    void refresh();
    // The pixel-size text beside the zoom ("(w x h px)").
    QString scaledSizeLabelText() const;
    void setScaledSizeLabelText(const QString& text);

    QComboBox* formatPopUp() const { return format_; }
    QCheckBox* transparencyCheckBox() const { return alpha_; }
    QComboBox* zoomPopUp() const { return zoom_; }
    QCheckBox* allPagesCheckBox() const { return allPages_; }

    // The zoom steps offered, smallest first (indices of the page's zoom table).
    static const std::vector<std::int64_t>& zoomIndices();

private:
    Document& document_;
    QComboBox* format_ = nullptr;
    QCheckBox* alpha_ = nullptr;
    QComboBox* zoom_ = nullptr;
    QLabel* size_ = nullptr;
    QCheckBox* allPages_ = nullptr;
    bool refreshing_ = false;
};
