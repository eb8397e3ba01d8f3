// The canvas's in-place text editor: a rich-text view laid over a shape while its text is edited. It lays
// out and draws its text with the same text layout the shape draws with (our fonts, line heights and
// alignment), so the lines stand exactly where the shape shows them when editing starts or ends, and it
// draws at the page's zoom by a scale of its unit square.
//
// It is a field editor: Return and Tab end the edit unless the canvas, its delegate, takes them first
// (textViewDoCommandBySelector). It keeps no undo of its own: each change is reported to the canvas, which
// writes the text to the shape inside the edit's one undo group. Input methods compose in a pre-edit shown
// at the caret; only committed text reaches the storage. Main thread only.
#pragma once

#include "platform/kit/View.h"
#include "platform/text/TextLayout.h"

#include <QPointer>

#include <memory>
#include <optional>

class Canvas;

namespace pf {
class FontPanel;
}

class CanvasFieldEditorTextView : public pf::View {
public:
    explicit CanvasFieldEditorTextView(const pf::Rect& frame, QWidget* parent = nullptr);
    ~CanvasFieldEditorTextView() override;

    // The owning canvas (not retained): the delegate of the text's changes and key commands.
    Canvas* canvas() const { return canvas_; }
    void setCanvas(Canvas* canvas) { canvas_ = canvas; }

    // ---- the text ----
    const pf::TextStorage& textStorage() const { return storage_; }
    // Replaces the whole text (no change is reported); the caret goes to the end.
    void setAttributedString(const pf::AttributedString& text);
    const QString& string() const { return storage_.string(); }
    // The selection (a caret when empty); the range is clamped to the text.
    pf::TextRange selectedRange() const;
    void setSelectedRange(pf::TextRange range);
    // What typed text takes; after a selection change, the attributes of the character before the caret.
    const pf::TextAttributes& typingAttributes() const { return typingAttributes_; }
    void setTypingAttributes(const pf::TextAttributes& attributes) { typingAttributes_ = attributes; }
    const pf::ParagraphStyle& defaultParagraphStyle() const { return defaultParagraphStyle_; }
    void setDefaultParagraphStyle(const pf::ParagraphStyle& style) { defaultParagraphStyle_ = style; }
    pf::TextAlignment alignment() const { return alignment_; }
    void setAlignment(pf::TextAlignment alignment);

    // The text's rect in the superview: what the canvas places. The widget reaches a margin further on each
    // side, so that glyphs standing out of their lines (accents, fallback fonts) are not cut; a press in
    // the margin belongs to the superview.
    void setFrame(const pf::Rect& frame) override;
    const pf::Rect& textFrame() const { return textFrame_; }
    static constexpr double margin = 12.0;

    // ---- scale ----
    // Multiplies the drawing scale by the factor (the page's zoom reaches the editor as such factors).
    void scaleUnitSquareToSize(double factor);
    double scale() const { return scale_; }
    // The layout of what is shown (the text with any pre-edit), for the editor's frame width at its scale.
    const pf::TextLayout& layout() const;

    // ---- editing: each change of the text is reported to the canvas ----
    // Replaces the selection with text in the typing attributes.
    void insertText(const QString& text);
    void replaceSelection(const pf::AttributedString& text);
    // A key command by its action name ("insertNewline:", "moveLeft:" ...): offered to the canvas first.
    void doCommandBySelector(const QString& command);
    // The editor's own handling of a command (a field editor ends its edit on Return and Tab).
    void performCommand(const QString& command);
    void selectAll();
    void cut();
    void copy();
    // Plain text in the typing attributes; rich text with what a shape's text holds (no pictures, tables).
    void paste();
    // The font panel's change applied to the selected text (the canvas has applied it to the selection
    // first), or to the typing attributes at a caret.
    void changeFont(const pf::FontPanel& sender);
    // Posts "TextColorDidChangeNotification" with its canvas as object and the colour under "color" (so only
    // that window's inspector takes it), then colours the selected text (or the typing attributes).
    void changeColor(const pf::Color& color);
    static constexpr char TextColorDidChangeNotification[] = "TextColorDidChangeNotification";

    // ---- points ----
    // The character boundary at a point of the text's rect (view points, at the editor's scale).
    qsizetype characterIndexForPoint(const pf::Point& viewPoint) const;
    // The same for a screen point; none when it lies outside the editor.
    std::optional<qsizetype> characterIndexForScreenPoint(const pf::Point& screenPoint) const;
    // The word around an index (none when the index is in no word).
    std::optional<pf::TextRange> wordRangeAtIndex(qsizetype index) const;
    // The caret's rect in the text's rect (view points): where the pre-edit and the candidates go.
    pf::Rect caretRect() const;

    // The pre-edit of an input method, not yet part of the text.
    const QString& preeditString() const { return preedit_; }

protected:
    void drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect) override;
    void mouseDown(const pf::Event& e) override;
    void mouseDragged(const pf::Event& e) override;
    void mouseUp(const pf::Event& e) override;
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void didChangeText();
    void scrollCaretToVisible();
    void selectionDidChange();
    void moveCaretTo(qsizetype index, bool extend);
    qsizetype lineBoundary(qsizetype index, bool end) const;
    qsizetype verticalNeighbour(qsizetype index, int direction) const;
    qsizetype wordBoundary(qsizetype index, int direction) const;
    void deleteRange(pf::TextRange range);
    // The field editor's end: the canvas ends the edit.
    void endEditing();
    // Where the caret stands: a layout position with the pre-edit taken in.
    qsizetype displayCaret() const;
    pf::Rect caretRectInContainer(qsizetype displayIndex) const;
    double containerWidth() const;

    // A view point of the widget as a point of the text's rect.
    pf::Point textPoint(const pf::Point& viewPoint) const { return {viewPoint.x - margin, viewPoint.y - margin}; }

    QPointer<Canvas> canvas_;
    pf::Rect textFrame_;
    bool pressPassedOn_ = false;
    pf::TextStorage storage_;
    qsizetype anchor_ = 0;
    qsizetype caret_ = 0;
    pf::TextAttributes typingAttributes_;
    pf::ParagraphStyle defaultParagraphStyle_;
    pf::TextAlignment alignment_ = pf::TextAlignment::Natural;
    double scale_ = 1.0;
    QString preedit_;
    qsizetype preeditCursor_ = 0;
    mutable std::shared_ptr<const pf::TextLayout> layout_;
    mutable quint64 layoutVersion_ = 0;
    mutable double layoutWidth_ = -1;
    mutable QString layoutPreedit_;
};
