// Attributed strings and Qt's rich-text documents, both ways, for rich text that crosses the clipboard.
// What our text holds (font name and size, traits, colour, alignment, line heights, baseline offset,
// shadow) goes into the document both as Qt's own formats (so that other programs read it) and as exact
// values of our own, so a document made here converts back equal. A document from elsewhere keeps what our
// text can hold: fonts by family, size and traits, colours, alignment and line height; pictures, tables
// and anything else are left out.
#pragma once

#include "platform/text/AttributedString.h"

#include <QString>

#include <memory>

class QTextDocument;

namespace pf {

std::unique_ptr<QTextDocument> textDocumentFromAttributedString(const AttributedString& text);
// Characters with no font or colour of their own take those of `defaults`.
AttributedString attributedStringFromTextDocument(const QTextDocument& document, const TextAttributes& defaults = {});

QString htmlFromAttributedString(const AttributedString& text);
AttributedString attributedStringFromHtml(const QString& html, const TextAttributes& defaults = {});

} // namespace pf
