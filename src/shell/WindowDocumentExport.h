#pragma once

#include <QString>

#include <cstdint>

// What the window's share menu and export switches ask of its document (the application's document).
class WindowDocumentExport {
public:
    virtual ~WindowDocumentExport() = default;
    // Export… and Export Selection…, with the stored export choices.
    virtual void exportDocument() = 0;
    virtual void exportSelection() = 0;
    // Whether the export under way is of the selection, and whether it offers PDF.
    virtual bool exportsSelectionOnly() const = 0;
    virtual bool isPDFExportEnabled() const = 0;
    // The file extension of an export format code ("png", "jpg" …).
    virtual QString pathExtensionForExportTypeCode(std::int64_t type) const = 0;
};
