#include "canvas/CanvasFieldEditorTextView.h"

#include "canvas/Canvas.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/Panels.h"
#include "platform/text/Rtf.h"
#include "platform/text/TextDocumentConversion.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPalette>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>

namespace {

// Characters typing may insert: printable text, not the control characters keys carry.
bool isTypable(const QString& text)
{
    return !text.isEmpty() && std::none_of(text.begin(), text.end(), [](QChar c) {
        return c.category() == QChar::Other_Control && c != u'\t';
    });
}

double clampedX(double x, double width)
{
    return std::clamp(x, 0.0, std::max(0.0, width));
}

// Rich text between editors, exact for what our text holds.
QString rtfMimeType()
{
    return QStringLiteral("text/rtf");
}

} // namespace

CanvasFieldEditorTextView::CanvasFieldEditorTextView(const pf::Rect& frame, QWidget* parent) : pf::View(frame, parent)
{
    setAttribute(Qt::WA_InputMethodEnabled, true);
    setAttribute(Qt::WA_NoSystemBackground, true);
    setAttribute(Qt::WA_TranslucentBackground, true);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::IBeamCursor);
    // The editor is the first responder for the edit commands while it has the keys.
    setAction(QStringLiteral("cut:"), [this](const pf::MenuItem*) { cut(); });
    setAction(QStringLiteral("copy:"), [this](const pf::MenuItem*) { copy(); });
    setAction(QStringLiteral("paste:"), [this](const pf::MenuItem*) { paste(); });
    setAction(QStringLiteral("selectAll:"), [this](const pf::MenuItem*) { selectAll(); });
    setAction(QStringLiteral("changeFont:"), [this](const pf::MenuItem*) { changeFont(pf::FontPanel::shared()); });
    setAction(QStringLiteral("changeColor:"),
              [this](const pf::MenuItem*) { changeColor(pf::ColorPanel::shared().color()); });
}

CanvasFieldEditorTextView::~CanvasFieldEditorTextView() = default;

// ---- text ----

void CanvasFieldEditorTextView::setAttributedString(const pf::AttributedString& text)
{
    storage_.setAttributedString(text);
    preedit_.clear();
    anchor_ = caret_ = storage_.length();
    update();
}

pf::TextRange CanvasFieldEditorTextView::selectedRange() const
{
    const qsizetype a = std::min(anchor_, caret_), b = std::max(anchor_, caret_);
    return {a, b - a};
}

void CanvasFieldEditorTextView::setSelectedRange(pf::TextRange range)
{
    const qsizetype length = storage_.length();
    const qsizetype a = std::clamp(range.location, qsizetype(0), length);
    anchor_ = a;
    caret_ = std::clamp(range.end(), a, length);
    selectionDidChange();
}

void CanvasFieldEditorTextView::setAlignment(pf::TextAlignment alignment)
{
    alignment_ = alignment;
    defaultParagraphStyle_.alignment = alignment;
}

void CanvasFieldEditorTextView::scaleUnitSquareToSize(double factor)
{
    if (!(factor > 0) || !std::isfinite(factor))
        return;
    scale_ *= factor;
    layout_.reset();
    update();
}

void CanvasFieldEditorTextView::setFrame(const pf::Rect& frame)
{
    textFrame_ = frame;
    pf::View::setFrame(pf::Rect(frame.x() - margin, frame.y() - margin, frame.width() + 2 * margin,
                                frame.height() + 2 * margin));
}

double CanvasFieldEditorTextView::containerWidth() const
{
    return textFrame_.size.width / scale_;
}

const pf::TextLayout& CanvasFieldEditorTextView::layout() const
{
    const double width = containerWidth();
    if (!layout_ || layoutVersion_ != storage_.version() || layoutWidth_ != width || layoutPreedit_ != preedit_) {
        if (preedit_.isEmpty()) {
            layout_ = pf::TextLayout::make(storage_, {width, pf::unboundedTextExtent});
        } else {
            // The pre-edit is shown in the typing attributes at the caret; the storage does not hold it.
            pf::MutableAttributedString shown(storage_);
            shown.replaceCharacters(selectedRange(), pf::AttributedString(preedit_, typingAttributes_));
            layout_ = pf::TextLayout::make(shown, {width, pf::unboundedTextExtent});
        }
        layoutVersion_ = storage_.version();
        layoutWidth_ = width;
        layoutPreedit_ = preedit_;
    }
    return *layout_;
}

// ---- editing ----

void CanvasFieldEditorTextView::insertText(const QString& text)
{
    replaceSelection(pf::AttributedString(text, typingAttributes_));
}

void CanvasFieldEditorTextView::replaceSelection(const pf::AttributedString& text)
{
    const pf::TextRange range = selectedRange();
    if (range.length == 0 && text.isEmpty())
        return;
    storage_.replaceCharacters(range, text);
    anchor_ = caret_ = range.location + text.length();
    didChangeText();
}

void CanvasFieldEditorTextView::deleteRange(pf::TextRange range)
{
    range.location = std::clamp(range.location, qsizetype(0), storage_.length());
    range.length = std::clamp(range.length, qsizetype(0), storage_.length() - range.location);
    if (range.length == 0)
        return;
    storage_.deleteCharacters(range);
    anchor_ = caret_ = range.location;
    didChangeText();
}

void CanvasFieldEditorTextView::didChangeText()
{
    if (canvas_)
        canvas_->textDidChange(*this);
    update();
    scrollCaretToVisible();
    if (QInputMethod* im = QGuiApplication::inputMethod(); im && hasFocus())
        im->update(Qt::ImQueryAll);
}

void CanvasFieldEditorTextView::scrollCaretToVisible()
{
    // Typing or moving past the visible area scrolls the canvas along.
    if (auto* superview = dynamic_cast<pf::View*>(parentWidget()); superview && isVisible())
        superview->scrollRectToVisible(caretRect().offsetBy(textFrame_.x(), textFrame_.y()));
}

void CanvasFieldEditorTextView::selectionDidChange()
{
    // Typing continues in the attributes of the character before the caret (the first one at the start).
    if (!storage_.isEmpty()) {
        const qsizetype from = selectedRange().location;
        typingAttributes_ = storage_.attributesAtIndex(from > 0 ? from - 1 : 0);
    }
    update();
    scrollCaretToVisible();
    if (QInputMethod* im = QGuiApplication::inputMethod(); im && hasFocus())
        im->update(Qt::ImCursorRectangle | Qt::ImCursorPosition | Qt::ImAnchorPosition);
}

void CanvasFieldEditorTextView::moveCaretTo(qsizetype index, bool extend)
{
    caret_ = std::clamp(index, qsizetype(0), storage_.length());
    if (!extend)
        anchor_ = caret_;
    selectionDidChange();
}

void CanvasFieldEditorTextView::selectAll()
{
    setSelectedRange({0, storage_.length()});
}

void CanvasFieldEditorTextView::endEditing()
{
    if (canvas_)
        canvas_->stopEditingText();
}

void CanvasFieldEditorTextView::doCommandBySelector(const QString& command)
{
    if (canvas_ && canvas_->textViewDoCommandBySelector(*this, command))
        return;
    performCommand(command);
}

qsizetype CanvasFieldEditorTextView::lineBoundary(qsizetype index, bool end) const
{
    const pf::TextLayout& l = layout();
    if (!preedit_.isEmpty())
        return index;
    for (const pf::LineFragment& f : l.lineFragments()) {
        if (index < f.glyphRange.location || index > f.glyphRange.end())
            continue;
        if (index == f.glyphRange.end() && &f != &l.lineFragments().back() && !end)
            continue;
        if (!end)
            return f.glyphRange.location;
        qsizetype e = f.glyphRange.end();
        // Before the line's closing break or the space a wrapped line ends with.
        if (e > f.glyphRange.location && (storage_.string()[e - 1] == u'\n' || storage_.string()[e - 1] == u' ')
            && e < storage_.length() + (storage_.string().endsWith(u'\n') ? 0 : 1))
            --e;
        return e;
    }
    return index;
}

qsizetype CanvasFieldEditorTextView::verticalNeighbour(qsizetype index, int direction) const
{
    const pf::Rect caret = caretRectInContainer(index);
    const pf::Point target(caret.x(), direction < 0 ? caret.y() - 1 : caret.y() + caret.height() + 1);
    if (target.y < 0)
        return 0;
    if (target.y >= layout().usedRect().height())
        return storage_.length();
    return layout().characterIndexForPoint(target);
}

qsizetype CanvasFieldEditorTextView::wordBoundary(qsizetype index, int direction) const
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Word, storage_.string());
    finder.setPosition(index);
    for (;;) {
        const qsizetype next = direction < 0 ? finder.toPreviousBoundary() : finder.toNextBoundary();
        if (next < 0)
            return direction < 0 ? 0 : storage_.length();
        // Stop at the start of a word going back and at its end going on.
        if (finder.boundaryReasons()
            & (direction < 0 ? QTextBoundaryFinder::StartOfItem : QTextBoundaryFinder::EndOfItem))
            return next;
    }
}

std::optional<pf::TextRange> CanvasFieldEditorTextView::wordRangeAtIndex(qsizetype index) const
{
    const QString& s = storage_.string();
    if (index < 0 || index > s.size())
        return std::nullopt;
    // A boundary at a word's end counts as in it (a click on the right half of its last letter).
    QTextBoundaryFinder finder(QTextBoundaryFinder::Word, s);
    qsizetype start = -1;
    for (qsizetype at = 0; at >= 0; at = finder.toNextBoundary()) {
        const auto reasons = finder.boundaryReasons();
        if ((reasons & QTextBoundaryFinder::EndOfItem) && start >= 0 && index >= start && index <= at)
            return pf::TextRange{start, at - start};
        start = (reasons & QTextBoundaryFinder::StartOfItem) ? at : -1;
        if (at > index)
            break;
    }
    return std::nullopt;
}

void CanvasFieldEditorTextView::performCommand(const QString& command)
{
    const pf::TextRange selected = selectedRange();
    const bool extend = command.endsWith(QStringLiteral("AndModifySelection:"));
    QString base = command;
    if (extend)
        base = command.left(command.size() - int(sizeof("AndModifySelection:") - 1)) + u':';

    if (command == u"insertNewline:" || command == u"insertTab:" || command == u"insertBacktab:") {
        endEditing(); // a field editor ends its edit on these
    } else if (command == u"insertNewlineIgnoringFieldEditor:") {
        insertText(QStringLiteral("\n"));
    } else if (command == u"insertTabIgnoringFieldEditor:") {
        insertText(QStringLiteral("\t"));
    } else if (command == u"cancelOperation:") {
        // Nothing of its own: the canvas ends the edit.
    } else if (command == u"deleteBackward:") {
        if (selected.length > 0) {
            deleteRange(selected);
        } else if (caret_ > 0) {
            // A whole character: both halves of a surrogate pair.
            qsizetype from = caret_ - 1;
            if (from > 0 && storage_.string()[from].isLowSurrogate() && storage_.string()[from - 1].isHighSurrogate())
                --from;
            deleteRange({from, caret_ - from});
        }
    } else if (command == u"deleteForward:") {
        if (selected.length > 0) {
            deleteRange(selected);
        } else if (caret_ < storage_.length()) {
            qsizetype to = caret_ + 1;
            if (to < storage_.length() && storage_.string()[caret_].isHighSurrogate() && storage_.string()[to].isLowSurrogate())
                ++to;
            deleteRange({caret_, to - caret_});
        }
    } else if (command == u"deleteWordBackward:") {
        if (selected.length > 0)
            deleteRange(selected);
        else
            deleteRange({wordBoundary(caret_, -1), caret_ - wordBoundary(caret_, -1)});
    } else if (command == u"deleteWordForward:") {
        if (selected.length > 0)
            deleteRange(selected);
        else
            deleteRange({caret_, wordBoundary(caret_, 1) - caret_});
    } else if (base == u"moveLeft:" || base == u"moveRight:") {
        const bool left = base == u"moveLeft:";
        if (!extend && selected.length > 0) {
            moveCaretTo(left ? selected.location : selected.end(), false);
        } else {
            qsizetype to = caret_ + (left ? -1 : 1);
            // Never between the halves of a surrogate pair.
            if (to > 0 && to < storage_.length() && storage_.string()[to].isLowSurrogate())
                to += left ? -1 : 1;
            moveCaretTo(to, extend);
        }
    } else if (base == u"moveWordLeft:" || base == u"moveWordRight:") {
        moveCaretTo(wordBoundary(caret_, base == u"moveWordLeft:" ? -1 : 1), extend);
    } else if (base == u"moveUp:" || base == u"moveDown:") {
        moveCaretTo(verticalNeighbour(caret_, base == u"moveUp:" ? -1 : 1), extend);
    } else if (base == u"moveToBeginningOfLine:" || base == u"moveToEndOfLine:") {
        moveCaretTo(lineBoundary(caret_, base == u"moveToEndOfLine:"), extend);
    } else if (base == u"moveToBeginningOfDocument:") {
        moveCaretTo(0, extend);
    } else if (base == u"moveToEndOfDocument:") {
        moveCaretTo(storage_.length(), extend);
    } else if (command == u"selectAll:") {
        selectAll();
    }
}

// ---- the pasteboard ----

void CanvasFieldEditorTextView::copy()
{
    const pf::TextRange range = selectedRange();
    if (range.length == 0)
        return;
    const pf::AttributedString text = storage_.attributedSubstring(range);
    auto* data = new QMimeData;
    data->setText(text.string());
    data->setHtml(pf::htmlFromAttributedString(text));
    data->setData(rtfMimeType(), pf::rtfFromAttributedString(text));
    QApplication::clipboard()->setMimeData(data);
}

void CanvasFieldEditorTextView::cut()
{
    if (selectedRange().length == 0)
        return;
    copy();
    deleteRange(selectedRange());
}

void CanvasFieldEditorTextView::paste()
{
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data)
        return;
    std::optional<pf::AttributedString> rich;
    if (data->hasFormat(rtfMimeType()))
        rich = pf::attributedStringFromRtf(data->data(rtfMimeType()));
    if ((!rich || rich->isEmpty()) && data->hasHtml())
        rich = pf::attributedStringFromHtml(data->html(), typingAttributes_);
    if (rich) {
        if (!rich->isEmpty()) {
            // The paragraph style is the shape's, as for everything typed.
            pf::MutableAttributedString styled(*rich);
            pf::TextAttributes para;
            para.paragraphStyle = defaultParagraphStyle_;
            styled.addAttributes(para, {0, styled.length()});
            replaceSelection(styled);
            return;
        }
    }
    if (data->hasText()) {
        QString text = data->text();
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(u'\r', u'\n');
        if (!text.isEmpty())
            insertText(text);
    }
}

// ---- font and colour ----

void CanvasFieldEditorTextView::changeFont(const pf::FontPanel& sender)
{
    if (canvas_)
        canvas_->changeFont(sender);
    const pf::TextRange range = selectedRange();
    if (range.length == 0) {
        typingAttributes_.font = sender.convertFont(typingAttributes_.fontOrDefault());
        return;
    }
    // Each run keeps its own font apart from the change.
    const pf::AttributedString selected = storage_.attributedSubstring(range);
    pf::MutableAttributedString changed(selected);
    qsizetype at = 0;
    for (const pf::AttributeRun& run : selected.runs()) {
        pf::TextAttributes font;
        font.font = sender.convertFont(run.attributes.fontOrDefault());
        changed.addAttributes(font, {at, run.length});
        at += run.length;
    }
    storage_.replaceCharacters(range, changed);
    anchor_ = range.location;
    caret_ = range.end();
    didChangeText();
}

void CanvasFieldEditorTextView::changeColor(const pf::Color& color)
{
    pf::NotificationCenter::defaultCenter().post(QString::fromLatin1(TextColorDidChangeNotification), canvas_.data(),
                                                 {{QStringLiteral("color"), pf::Variant(color)}});
    const pf::TextRange range = selectedRange();
    typingAttributes_.foregroundColor = color;
    if (range.length == 0)
        return;
    pf::TextAttributes change;
    change.foregroundColor = color;
    storage_.addAttributes(change, range);
    didChangeText();
}

// ---- points ----

qsizetype CanvasFieldEditorTextView::displayCaret() const
{
    return preedit_.isEmpty() ? caret_ : selectedRange().location + preeditCursor_;
}

pf::Rect CanvasFieldEditorTextView::caretRectInContainer(qsizetype displayIndex) const
{
    const pf::TextLayout& l = layout();
    if (auto caret = l.caretForCharacterIndex(displayIndex))
        return pf::Rect(caret->x, caret->line.y(), 0, caret->line.height());
    // No line yet (an empty text): one line of the typing font, placed by the alignment.
    const pf::Font font = typingAttributes_.fontOrDefault();
    double x = 0;
    const double width = containerWidth();
    if (alignment_ == pf::TextAlignment::Center)
        x = width / 2;
    else if (alignment_ == pf::TextAlignment::Right)
        x = width;
    return pf::Rect(clampedX(x, width), 0, 0, font.lineHeight());
}

pf::Rect CanvasFieldEditorTextView::caretRect() const
{
    const pf::Rect r = caretRectInContainer(displayCaret());
    return pf::Rect(r.x() * scale_, r.y() * scale_, std::max(1.0, scale_), r.height() * scale_);
}

qsizetype CanvasFieldEditorTextView::characterIndexForPoint(const pf::Point& viewPoint) const
{
    if (storage_.isEmpty())
        return 0;
    const pf::Point p(viewPoint.x / scale_, viewPoint.y / scale_);
    return std::clamp(layout().characterIndexForPoint(p), qsizetype(0), storage_.length());
}

std::optional<qsizetype> CanvasFieldEditorTextView::characterIndexForScreenPoint(const pf::Point& screenPoint) const
{
    const pf::Point p = textPoint(convertPointFromScreen(screenPoint));
    if (!isVisible() || !pf::Rect(pf::Point(), textFrame_.size).contains(p))
        return std::nullopt;
    return characterIndexForPoint(p);
}

// ---- drawing ----

void CanvasFieldEditorTextView::drawRect(pf::GraphicsContext& context, const pf::Rect& dirtyRect)
{
    const pf::TextLayout& l = layout();
    // Only the lines the dirty rect meets are drawn (a long text reaches far out of the visible area).
    const double top = (dirtyRect.y() - margin) / scale_, bottom = (dirtyRect.y() + dirtyRect.height() - margin) / scale_;
    pf::TextRange shown{0, 0};
    bool anyLine = false;
    for (const pf::LineFragment& f : l.lineFragments()) {
        if (f.rect.y() + f.rect.height() < top - 1 || f.rect.y() > bottom + 1)
            continue;
        if (!anyLine)
            shown.location = f.glyphRange.location;
        shown.length = f.glyphRange.end() - shown.location;
        anyLine = true;
    }
    context.saveGState();
    context.translate(margin, margin);
    context.scale(scale_, scale_);
    const pf::TextRange selected = selectedRange();
    if (selected.length > 0 && preedit_.isEmpty()) {
        const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
        context.setFillColor(pf::Color::fromQt(palette().color(group, QPalette::Highlight)).withAlpha(0.45));
        for (const pf::LineFragment& f : l.lineFragments()) {
            const qsizetype a = std::max(selected.location, f.glyphRange.location);
            const qsizetype b = std::min(selected.end(), f.glyphRange.end());
            if (a >= b)
                continue;
            const auto from = l.caretForCharacterIndex(a);
            // A selection going on past the line runs to the line's end.
            double right = containerWidth();
            if (b < f.glyphRange.end() || b == storage_.length())
                if (auto to = l.caretForCharacterIndex(b); to && to->line.y() == f.rect.y())
                    right = to->x;
            if (from)
                context.fillRect(pf::Rect(std::min(from->x, right), f.rect.y(), std::abs(right - from->x), f.rect.height()));
        }
    }
    if (anyLine)
        l.draw(context, shown, pf::Point());
    if (!preedit_.isEmpty()) {
        // The pre-edit is underlined in its text colour.
        const pf::Rect r = l.boundingRectForGlyphRange({selected.location, preedit_.size()});
        context.setFillColor(typingAttributes_.colorOrDefault());
        const double thickness = 1.0 / scale_;
        context.fillRect(pf::Rect(r.x(), r.y() + r.height() - 2 * thickness, r.width(), thickness));
    }
    if (selected.length == 0 || !preedit_.isEmpty()) {
        const pf::Rect caret = caretRectInContainer(displayCaret());
        context.setFillColor(typingAttributes_.colorOrDefault());
        const double w = 1.0 / scale_;
        context.fillRect(pf::Rect(std::min(caret.x(), containerWidth() - w), caret.y(), w, caret.height()));
    }
    context.restoreGState();
}

// ---- mouse ----

void CanvasFieldEditorTextView::mouseDown(const pf::Event& e)
{
    pressPassedOn_ = !pf::Rect(pf::Point(), textFrame_.size).contains(textPoint(e.location));
    if (pressPassedOn_) {
        pf::View::mouseDown(e); // the margin: the canvas's press
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const qsizetype index = characterIndexForPoint(textPoint(e.location));
    if (e.clickCount >= 2) {
        // The second and third click of a series select the word under the point.
        if (auto word = wordRangeAtIndex(index))
            setSelectedRange(*word);
        else
            setSelectedRange({index, 0});
        return;
    }
    moveCaretTo(index, e.isShiftKeyPressed());
}

void CanvasFieldEditorTextView::mouseDragged(const pf::Event& e)
{
    if (pressPassedOn_) {
        pf::View::mouseDragged(e);
        return;
    }
    moveCaretTo(characterIndexForPoint(textPoint(e.location)), true);
}

void CanvasFieldEditorTextView::mouseUp(const pf::Event& e)
{
    if (pressPassedOn_)
        pf::View::mouseUp(e);
    pressPassedOn_ = false;
}

// ---- keys ----

bool CanvasFieldEditorTextView::event(QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        // Straight to the editor: a widget would take Tab for moving the focus first.
        auto* key = static_cast<QKeyEvent*>(e);
        keyPressEvent(key);
        return key->isAccepted();
    }
    if (e->type() == QEvent::ShortcutOverride) {
        // Keys that edit text are the editor's, whatever a menu binds to them; Ctrl combinations go to the
        // menus (cut, copy, paste, undo reach the editor and the document from there).
        auto* key = static_cast<QKeyEvent*>(e);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
        if (!(mods & (Qt::ControlModifier | Qt::MetaModifier))) {
            key->accept();
            return true;
        }
    }
    return pf::View::event(e);
}

void CanvasFieldEditorTextView::keyPressEvent(QKeyEvent* e)
{
    const Qt::KeyboardModifiers mods = e->modifiers();
    const bool shift = mods & Qt::ShiftModifier;
    const bool alt = mods & Qt::AltModifier;
    const bool ctrl = mods & Qt::ControlModifier;
    const auto move = [&](const char* name) {
        QString command = QString::fromLatin1(name);
        if (shift)
            command.insert(command.size() - 1, QStringLiteral("AndModifySelection"));
        doCommandBySelector(command);
    };
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        doCommandBySelector(alt ? QStringLiteral("insertNewlineIgnoringFieldEditor:") : QStringLiteral("insertNewline:"));
        break;
    case Qt::Key_Tab:
        doCommandBySelector(alt ? QStringLiteral("insertTabIgnoringFieldEditor:") : QStringLiteral("insertTab:"));
        break;
    case Qt::Key_Backtab:
        doCommandBySelector(QStringLiteral("insertBacktab:"));
        break;
    case Qt::Key_Escape:
        doCommandBySelector(QStringLiteral("cancelOperation:"));
        break;
    case Qt::Key_Backspace:
        doCommandBySelector(ctrl || alt ? QStringLiteral("deleteWordBackward:") : QStringLiteral("deleteBackward:"));
        break;
    case Qt::Key_Delete:
        doCommandBySelector(ctrl || alt ? QStringLiteral("deleteWordForward:") : QStringLiteral("deleteForward:"));
        break;
    case Qt::Key_Left:
        move(ctrl || alt ? "moveWordLeft:" : "moveLeft:");
        break;
    case Qt::Key_Right:
        move(ctrl || alt ? "moveWordRight:" : "moveRight:");
        break;
    case Qt::Key_Up:
        move(ctrl ? "moveToBeginningOfDocument:" : "moveUp:");
        break;
    case Qt::Key_Down:
        move(ctrl ? "moveToEndOfDocument:" : "moveDown:");
        break;
    case Qt::Key_Home:
        move(ctrl ? "moveToBeginningOfDocument:" : "moveToBeginningOfLine:");
        break;
    case Qt::Key_End:
        move(ctrl ? "moveToEndOfDocument:" : "moveToEndOfLine:");
        break;
    default:
        if (!(mods & (Qt::ControlModifier | Qt::MetaModifier)) && isTypable(e->text())) {
            insertText(e->text());
            break;
        }
        e->ignore();
        return;
    }
    e->accept();
}

void CanvasFieldEditorTextView::keyReleaseEvent(QKeyEvent* e)
{
    e->accept();
}

void CanvasFieldEditorTextView::focusOutEvent(QFocusEvent* e)
{
    pf::View::focusOutEvent(e);
    // A click elsewhere or Tab into another control ends the edit; the window going inactive (a panel
    // taking the keys) or a menu opening does not.
    if (e->reason() == Qt::MouseFocusReason || e->reason() == Qt::TabFocusReason || e->reason() == Qt::BacktabFocusReason)
        endEditing();
    update();
}

// ---- input methods ----

void CanvasFieldEditorTextView::inputMethodEvent(QInputMethodEvent* e)
{
    if (!e->commitString().isEmpty() || e->replacementLength() > 0) {
        if (e->replacementLength() > 0) {
            const qsizetype from = std::clamp(caret_ + e->replacementStart(), qsizetype(0), storage_.length());
            const qsizetype to = std::clamp(from + e->replacementLength(), from, storage_.length());
            anchor_ = from;
            caret_ = to;
        }
        preedit_.clear();
        if (!e->commitString().isEmpty() || selectedRange().length > 0)
            insertText(e->commitString());
    }
    preedit_ = e->preeditString();
    preeditCursor_ = preedit_.size();
    for (const QInputMethodEvent::Attribute& a : e->attributes())
        if (a.type == QInputMethodEvent::Cursor)
            preeditCursor_ = std::clamp(qsizetype(a.start), qsizetype(0), preedit_.size());
    update();
    e->accept();
}

QVariant CanvasFieldEditorTextView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle:
    case Qt::ImAnchorRectangle:
        return caretRect().offsetBy(margin, margin).toQt();
    case Qt::ImFont: {
        QFont font = typingAttributes_.fontOrDefault().layoutFont();
        font.setPixelSize(std::max(1, int(std::lround(typingAttributes_.fontOrDefault().pointSize() * scale_))));
        return font;
    }
    case Qt::ImCursorPosition:
        return int(caret_);
    case Qt::ImAnchorPosition:
        return int(anchor_);
    case Qt::ImSurroundingText:
        return storage_.string();
    case Qt::ImCurrentSelection:
        return storage_.string().mid(selectedRange().location, selectedRange().length);
    case Qt::ImHints:
        return int(Qt::ImhMultiLine);
    case Qt::ImMaximumTextLength:
        return QVariant();
    default:
        return pf::View::inputMethodQuery(query);
    }
}
