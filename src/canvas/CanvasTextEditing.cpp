// In-place text editing: the field editor over a shape, the write-back of every change, the key commands
// the canvas takes from the editor, the font panel's changes, and the end of the edit.
//
// An edit is one undo step: the group it opens is closed by its own token when the edit ends, never
// another opener's. Changes go to the shape being edited, whatever the selection has become meanwhile
// (a palette or a script may change it during the edit).
#include "canvas/Canvas.h"
#include "canvas/CanvasFieldEditorTextView.h"

#include "geometry/QVRect.h"
#include "model/Composition.h"
#include "model/Parent.h"
#include "model/Shape.h"
#include "model/UserDefaults.h"
#include "platform/kit/Panels.h"

bool Canvas::isEditingText() const
{
    return textEditingShape_ != nullptr;
}

CanvasFieldEditorTextView& Canvas::fieldEditor()
{
    if (!fieldEditor_) {
        fieldEditor_ = new CanvasFieldEditorTextView(pf::Rect(0, 0, 100, 100), this);
        fieldEditor_->setCanvas(this);
        fieldEditor_->hide();
    }
    return *fieldEditor_;
}

void Canvas::scaleFieldEditorBy(double scale)
{
    if (scale == lastFieldEditorScale_)
        return;
    const double factor = lastFieldEditorScale_ == 0 ? scale : scale / lastFieldEditorScale_;
    fieldEditor().scaleUnitSquareToSize(factor);
    lastFieldEditorScale_ = scale;
}

void Canvas::beginEditingTextIn(Shape& shape)
{
    if (textEditingShape_.get() == &shape)
        return;
    stopEditingText();
    auto held = std::static_pointer_cast<Shape>(shape.shared_from_this());
    killDrag_ = true;
    setNeedsDisplay();

    shape.setEditingText(true);
    textEditingShape_ = held;
    pf::TextAttributes attributes = shape.textAttributes();
    scaleFieldEditorBy(currentScale());
    pf::ParagraphStyle paragraph = attributes.paragraphStyleOrDefault();
    paragraph.alignment = shape.editTextAlign();
    attributes.paragraphStyle = paragraph;

    CanvasFieldEditorTextView& editor = fieldEditor();
    editor.setAlignment(shape.editTextAlign());
    editor.setDefaultParagraphStyle(paragraph);
    editor.setTypingAttributes(attributes);
    pf::MutableAttributedString text;
    if (const pf::AttributedString* own = shape.editText(); own && !own->isEmpty())
        text = pf::MutableAttributedString(*own);
    pf::TextAttributes style;
    style.paragraphStyle = paragraph;
    text.addAttributes(style, {0, text.length()});
    editor.setAttributedString(text);
    editor.selectAll();

    const pf::Rect r = convertRectFromComposition(shape.fieldEditorRectForText(text));
    lastFieldEditorRect_ = r;
    addSubview(&editor, r);
    editor.show();
    editor.raise();
    setNeedsDisplayInRect(r);
    editor.setFocus(Qt::OtherFocusReason);
    invalidateRestorableState();
    if (pf::UndoManager* undo = shape.undoManager())
        textUndoGroup_.emplace(undo, undo->beginUndoGrouping());
}

void Canvas::textDidChange(CanvasFieldEditorTextView& editor)
{
    // The shape being edited, not the first selected one: the selection may have changed meanwhile.
    if (!textEditingShape_)
        return;
    Shape& shape = *textEditingShape_;
    const pf::MutableAttributedString text(editor.textStorage());
    shape.setEditText(&text);
    const pf::Rect r = convertRectFromComposition(shape.fieldEditorRectForText(text));
    editor.setFrame(r);
    setNeedsDisplayInRect(QVCombineRects(r, lastFieldEditorRect_));
    lastFieldEditorRect_ = r;
}

void Canvas::stopEditingText()
{
    if (!textEditingShape_)
        return;
    const std::shared_ptr<Shape> shape = textEditingShape_;
    CanvasFieldEditorTextView& editor = fieldEditor();
    pf::MutableAttributedString text(editor.textStorage());
    // The editor's new characters may lack the shape's text shadow: it covers the whole text.
    if (const std::optional<pf::Shadow> shadow = shape->textAttributes().shadow) {
        pf::TextAttributes withShadow;
        withShadow.shadow = shadow;
        text.addAttributes(withShadow, {0, text.length()});
    }
    shape->setEditText(&text);
    // Exactly the group this edit opened: a group another opener holds stays open.
    if (textUndoGroup_) {
        if (textUndoGroup_->first == shape->undoManager())
            textUndoGroup_->first->endUndoGrouping(textUndoGroup_->second);
        textUndoGroup_.reset();
    }
    shape->setEditingText(false);
    textEditingShape_.reset();
    setNeedsDisplayInRect(QVCombineRects(convertRectFromComposition(shape->dirtyRect()), lastFieldEditorRect_));
    updatePalettes();
    const bool editorHadFocus = editor.hasFocus();
    editor.hide();
    invalidateRestorableState();
    if (editorHadFocus || !QWidget::focusWidget() || QWidget::focusWidget() == this)
        setFocus(Qt::OtherFocusReason);
}

bool Canvas::textViewDoCommandBySelector(CanvasFieldEditorTextView& editor, const QString& command)
{
    if (UserDefaults::instance().returnInsertsNewline()) {
        if (command == u"insertNewline:") {
            editor.performCommand(QStringLiteral("insertNewlineIgnoringFieldEditor:"));
            return true;
        }
        if (command == u"insertNewlineIgnoringFieldEditor:") {
            editor.performCommand(QStringLiteral("insertNewline:"));
            return true;
        }
    }
    if (command == u"insertTab:") {
        editor.performCommand(QStringLiteral("insertTabIgnoringFieldEditor:"));
        return true;
    }
    if (command == u"insertTabIgnoringFieldEditor:") {
        editor.performCommand(QStringLiteral("insertTab:"));
        return true;
    }
    if (command == u"cancelOperation:") {
        stopEditingText();
        return true;
    }
    return false;
}

void Canvas::changeFont(const pf::FontPanel& sender)
{
    UserDefaults& defaults = UserDefaults::instance();
    const pf::Font current(defaults.selectedFontName(), defaults.selectedFontSize());
    const pf::Font font = sender.convertFont(current);
    defaults.setSelectedFontName(font.fontName());
    defaults.setSelectedFontSize(font.pointSize());
    for (const auto& shape : selectedShapes())
        setFontOnShape(font, *shape);
}

void Canvas::setFontOnShape(const pf::Font& font, Shape& shape)
{
    if (shape.isGroup()) {
        if (auto* parent = dynamic_cast<Parent*>(&shape))
            for (const auto& child : parent->children())
                setFontOnShape(font, *child);
        return;
    }
    shape.setTextFont(font);
}

void Canvas::performTripleClickInFieldEditor(const pf::Event& event)
{
    if (!isEditingText() || !fieldEditor_)
        return;
    const std::optional<qsizetype> index = fieldEditor_->characterIndexForScreenPoint(convertPointToScreen(event.location));
    if (!index)
        return;
    if (const auto word = fieldEditor_->wordRangeAtIndex(*index))
        fieldEditor_->setSelectedRange(*word);
    else
        fieldEditor_->setSelectedRange({*index, 0});
}
