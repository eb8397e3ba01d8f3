// The host side of a preview: loads the preview plug-in through the plug-in model, asks it for a preview
// of a document package and writes the PDF it draws.
#pragma once

#include <QString>

struct PreviewOutcome {
    bool ok = false;
    QString message; // what was written, or why nothing was
};

// Writes the PDF atomically: on any failure the output file is left as it was.
PreviewOutcome renderPreview(const QString& plugInPath, const QString& packagePath, const QString& outputPath);
