// PDF pictures (images pasted or dropped as PDF): the first page, at its size in points. On a PDF page it
// is drawn as vectors; anywhere else it is rendered at the resolution of each drawing, so it stays sharp
// at any zoom.
#pragma once

#include "platform/graphics/Image.h"

#include <QByteArray>
#include <QString>

namespace pf {

// Whether the bytes start as a PDF file does.
bool isPdfData(const QByteArray& data);

// The first page of the PDF as a drawing-handler image; a null image and errorOut set when the data is
// not a readable PDF with a page of some size.
Image pdfPicture(const QByteArray& data, QString* errorOut = nullptr);

} // namespace pf
