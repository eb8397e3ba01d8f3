// In-place text editing on the canvas: opening and closing an edit, what typing writes to the shape and to
// undo, the key commands, the editor's scale and placement against the shape's own text, input methods,
// the font and colour panels, and the whole gesture with synthesized mouse and key events.
#include "canvas/support/CanvasFixture.h"

#include "canvas/CanvasFieldEditorTextView.h"
#include "manipulators/Manipulator.h"
#include "model/Group.h"
#include "model/UserDefaults.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Panels.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>

#include <cmath>

namespace {

class RecordingFontPanel : public pf::FontPanel {
public:
    void orderFront() override { ++shown; }
    int shown = 0;
};

class RecordingColorPanel : public pf::ColorPanel {
public:
    void orderFront() override { ++shown; }
    int shown = 0;
};

pf::TextAttributes attributes(const char* font, double size, pf::Color color = pf::Color::black())
{
    pf::TextAttributes a;
    a.font = pf::Font(QString::fromLatin1(font), size);
    a.foregroundColor = color;
    return a;
}

// Dark pixels' bounding box in a region of an image (the ink of text drawn black on white).
QRect inkBox(const QImage& image, const QRect& region)
{
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            if (qGray(image.pixel(x, y)) < 110) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

class CanvasTextEditingTest : public CanvasFixture {
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        pf::FontPanel::setShared(&fontPanel);
        pf::ColorPanel::setShared(&colorPanel);
    }
    void TearDown() override
    {
        pf::FontPanel::setShared(nullptr);
        pf::ColorPanel::setShared(nullptr);
        CanvasFixture::TearDown();
    }

    // A rectangle holding the text, selected.
    std::shared_ptr<Shape> shapeWithText(const pf::AttributedString& text, const pf::Rect& frame = {100, 100, 240, 80})
    {
        auto shape = addShape("Rectangle", frame);
        if (!text.isEmpty()) {
            shape->setAttributedText(text);
            shape->clearTextAttributes(); // the shape's paragraph style and shadow, as stored texts carry them
        }
        canvas->replaceSelectionWithShape(shape);
        endTurn();
        return shape;
    }
    CanvasFieldEditorTextView& editor() { return canvas->fieldEditor(); }
    void key(int k, Qt::KeyboardModifiers modifiers = {}, const QString& text = {})
    {
        QKeyEvent e(QEvent::KeyPress, k, modifiers, text);
        QCoreApplication::sendEvent(&editor(), &e);
    }
    // Each character is its own key press and its own turn of the event loop, as typing is.
    void type(const QString& text)
    {
        for (QChar c : text) {
            key(c == u'\n' ? Qt::Key_Return : Qt::Key_unknown, {}, QString(c));
            endTurn();
        }
    }
    QString shapeText(const Shape& shape) const { return shape.attributedText() ? shape.attributedText()->string() : QString(); }

    RecordingFontPanel fontPanel;
    RecordingColorPanel colorPanel;
};

TEST_F(CanvasTextEditingTest, OpeningAndClosingWithoutTypingChangesNothingAndLeavesNoUndoStep)
{
    pf::MutableAttributedString text(QStringLiteral("Plain "), attributes("Helvetica", 12));
    text.append(pf::AttributedString(QStringLiteral("bold red"), attributes("Helvetica-Bold", 18, pf::Color(1, 0, 0, 1))));
    auto shape = shapeWithText(text);
    undo.removeAllActions();
    const pf::AttributedString before = *shape->attributedText();

    canvas->beginEditingTextIn(*shape);
    EXPECT_TRUE(canvas->isEditingText());
    EXPECT_TRUE(shape->isEditingText());
    EXPECT_TRUE(editor().isVisible());
    EXPECT_EQ(editor().selectedRange(), (pf::TextRange{0, before.length()}));
    canvas->stopEditingText();
    endTurn();

    EXPECT_FALSE(canvas->isEditingText());
    EXPECT_FALSE(shape->isEditingText());
    EXPECT_FALSE(editor().isVisible());
    EXPECT_EQ(*shape->attributedText(), before);
    EXPECT_FALSE(undo.canUndo());
    EXPECT_FALSE(undo.hasExplicitGroup());
}

TEST_F(CanvasTextEditingTest, EmptyTextTypesInTheShapesAttributesAndAlignment)
{
    auto shape = shapeWithText({});
    shape->setTextAlign(2);
    endTurn();
    const pf::TextAttributes expected = shape->textAttributes();

    canvas->beginEditingTextIn(*shape);
    EXPECT_EQ(editor().string(), QString());
    EXPECT_EQ(editor().alignment(), pf::TextAlignment::Center);
    type(QStringLiteral("Hi"));

    ASSERT_TRUE(shape->attributedText());
    const pf::TextAttributes typed = shape->attributedText()->attributesAtIndex(1);
    EXPECT_EQ(typed.font, expected.font);
    EXPECT_EQ(typed.foregroundColor, expected.foregroundColor);
    EXPECT_EQ(typed.paragraphStyleOrDefault().alignment, pf::TextAlignment::Center);
}

TEST_F(CanvasTextEditingTest, TheEditorDrawsAtThePagesZoomAcrossEdits)
{
    auto shape = shapeWithText(pf::AttributedString(QStringLiteral("zoom"), attributes("Helvetica", 12)));
    page->setZoomScaleIndex(2); // 2
    endTurn();
    canvas->beginEditingTextIn(*shape);
    EXPECT_DOUBLE_EQ(editor().scale(), 2.0);
    EXPECT_DOUBLE_EQ(canvas->lastFieldEditorScale(), 2.0);

    page->setZoomScaleIndex(-2); // 0.5: the zoom change ends the edit
    endTurn();
    EXPECT_FALSE(canvas->isEditingText());
    canvas->beginEditingTextIn(*shape);
    EXPECT_DOUBLE_EQ(editor().scale(), 0.5); // scaled by 0.25 against the last state
    // The editor covers the text's band at that zoom.
    const pf::Rect band = canvas->convertRectFromComposition(shape->fieldEditorRectForText(*shape->attributedText()));
    EXPECT_EQ(editor().textFrame(), band);
}

TEST_F(CanvasTextEditingTest, EditorTextStandsWithinADevicePixelOfTheShapesOwn)
{
    struct Case {
        const char* font;
        QString text;
    };
    const Case cases[] = {
        {"Helvetica", QStringLiteral("Hxg quick")},
        {"Times-Roman", QStringLiteral("Hxg quick")},
        {"Helvetica", QStringLiteral("漢字")},
    };
    for (const int zoomIndex : {0, 2}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(QStringLiteral("%1 %2 zoom %3").arg(QString::fromLatin1(c.font), c.text).arg(zoomIndex).toStdString());
            canvas->selectNone();
            page->setZoomScaleIndex(zoomIndex);
            endTurn();
            auto shape = shapeWithText(pf::AttributedString(c.text, attributes(c.font, 24)), {520, 420, 200, 80});
            shape->setStrokeType(3);
            shape->setFillType(5);
            canvas->selectNone();
            endTurn();
            const QRect region = canvas->convertRectFromComposition(shape->fieldEditorRectForText(*shape->attributedText()))
                                     .toQt()
                                     .toAlignedRect()
                                     .adjusted(-6, -6, 6, 6); // glyphs standing out of their lines too
            const QImage own = canvas->grab(region).toImage();
            // As the edit starts: all the text selected (a light highlight, no caret).
            canvas->beginEditingTextIn(*shape);
            const QImage edited = canvas->grab(region).toImage();
            canvas->stopEditingText();
            if (qEnvironmentVariableIsSet("QUORVEL_TEXT_EDITING_PNG")) {
                QImage pair(own.width() * 2 + 8, own.height(), QImage::Format_RGB32);
                pair.fill(Qt::gray);
                QPainter painter(&pair);
                painter.drawImage(0, 0, own);
                painter.drawImage(own.width() + 8, 0, edited);
                painter.end();
                pair.save(qEnvironmentVariable("QUORVEL_TEXT_EDITING_PNG") + QStringLiteral("/%1-%2.png").arg(&c - cases).arg(zoomIndex));
            }
            const QRect a = inkBox(own, own.rect()), b = inkBox(edited, edited.rect());
            ASSERT_FALSE(a.isNull());
            EXPECT_LE(std::abs(a.top() - b.top()), 1);
            EXPECT_LE(std::abs(a.bottom() - b.bottom()), 1);
            EXPECT_LE(std::abs(a.left() - b.left()), 1);
            EXPECT_LE(std::abs(a.right() - b.right()), 1);
            page->removeShape(shape);
            endTurn();
        }
    }
}

TEST_F(CanvasTextEditingTest, ReturnAndTabFollowThePreference)
{
    struct Case {
        bool returnInsertsNewline;
        int key;
        Qt::KeyboardModifiers modifiers;
        bool stillEditing;
        QString text;
    };
    const Case cases[] = {
        {false, Qt::Key_Return, {}, false, QStringLiteral("ab")},
        {false, Qt::Key_Return, Qt::AltModifier, true, QStringLiteral("ab\n")},
        {true, Qt::Key_Return, {}, true, QStringLiteral("ab\n")},
        {true, Qt::Key_Return, Qt::AltModifier, false, QStringLiteral("ab")},
        {false, Qt::Key_Tab, {}, true, QStringLiteral("ab\t")},
        {false, Qt::Key_Tab, Qt::AltModifier, false, QStringLiteral("ab")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << c.key << " alt " << bool(c.modifiers) << " pref " << c.returnInsertsNewline);
        UserDefaults::instance().setReturnInsertsNewline(c.returnInsertsNewline);
        auto shape = shapeWithText(pf::AttributedString(QStringLiteral("ab"), attributes("Helvetica", 12)));
        canvas->beginEditingTextIn(*shape);
        key(Qt::Key_End);
        key(c.key, c.modifiers);
        EXPECT_EQ(canvas->isEditingText(), c.stillEditing);
        canvas->stopEditingText();
        EXPECT_EQ(shapeText(*shape), c.text);
        page->removeShape(shape);
        endTurn();
    }
}

TEST_F(CanvasTextEditingTest, EscapeKeepsTheTextAndOneUndoTakesTheWholeEditBack)
{
    auto shape = shapeWithText(pf::AttributedString(QStringLiteral("ab"), attributes("Helvetica", 12)));
    undo.removeAllActions();
    canvas->beginEditingTextIn(*shape);
    key(Qt::Key_End);
    type(QStringLiteral("cd"));
    key(Qt::Key_Backspace);
    endTurn();
    key(Qt::Key_Escape);
    EXPECT_FALSE(canvas->isEditingText());
    endTurn();
    EXPECT_EQ(shapeText(*shape), QStringLiteral("abc"));

    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(shapeText(*shape), QStringLiteral("ab"));
    EXPECT_FALSE(undo.canUndo());
    ASSERT_TRUE(undo.redo());
    EXPECT_EQ(shapeText(*shape), QStringLiteral("abc"));
}

TEST_F(CanvasTextEditingTest, AGroupOpenedBeforeTheEditStaysOpenAfterIt)
{
    // Someone else's group (a tool's, a script's) around the edit: the edit closes only its own.
    auto shape = shapeWithText(pf::AttributedString(QStringLiteral("ab"), attributes("Helvetica", 12)));
    const pf::UndoGroupToken outer = undo.beginUndoGrouping();
    canvas->beginEditingTextIn(*shape);
    type(QStringLiteral("x"));
    canvas->stopEditingText();
    EXPECT_TRUE(undo.hasExplicitGroup());
    EXPECT_TRUE(undo.endUndoGrouping(outer));
    EXPECT_FALSE(undo.hasExplicitGroup());
}

TEST_F(CanvasTextEditingTest, TheTextShadowCoversTheWholeTextAfterTheEdit)
{
    auto shape = shapeWithText(pf::AttributedString(QStringLiteral("ab"), attributes("Helvetica", 12)));
    shape->setTextShadowHidden(false);
    shape->setTextShadowBlur(3);
    endTurn();
    const std::optional<pf::Shadow> shadow = shape->textAttributes().shadow;
    ASSERT_TRUE(shadow);
    canvas->beginEditingTextIn(*shape);
    // Text that comes without the shadow (typed in other attributes, pasted).
    editor().setTypingAttributes(attributes("Helvetica", 12));
    type(QStringLiteral("new"));
    canvas->stopEditingText();
    for (const pf::AttributeRun& run : shape->attributedText()->runs())
        EXPECT_EQ(run.attributes.shadow, shadow);
}

TEST_F(CanvasTextEditingTest, EachKeyWritesBackAndRefitsTheEditor)
{
    auto shape = shapeWithText(pf::AttributedString(QStringLiteral("one"), attributes("Helvetica", 12)));
    canvas->beginEditingTextIn(*shape);
    key(Qt::Key_End);
    const double oneLine = editor().textFrame().height();
    key(Qt::Key_Return, Qt::AltModifier);
    type(QStringLiteral("two"));
    EXPECT_EQ(shapeText(*shape), QStringLiteral("one\ntwo"));
    EXPECT_GT(editor().textFrame().height(), oneLine * 1.5);
    EXPECT_EQ(canvas->lastFieldEditorRect(), editor().textFrame());
    for (int i = 0; i < 4; ++i)
        key(Qt::Key_Backspace);
    EXPECT_EQ(shapeText(*shape), QStringLiteral("one"));
    EXPECT_DOUBLE_EQ(editor().textFrame().height(), oneLine);
}

TEST_F(CanvasTextEditingTest, ASelectionChangedFromOutsideLeavesOtherShapesUntouched)
{
    auto edited = shapeWithText(pf::AttributedString(QStringLiteral("mine"), attributes("Helvetica", 12)));
    auto other = addShape("Rectangle", {400, 300, 100, 60});
    other->setAttributedText(pf::AttributedString(QStringLiteral("other"), attributes("Helvetica", 12)));
    canvas->beginEditingTextIn(*edited);
    // A script selects another shape while the edit goes on.
    canvas->removeManipulator();
    canvas->addShapesToSelection({other});
    key(Qt::Key_End);
    type(QStringLiteral("!"));
    EXPECT_EQ(shapeText(*edited), QStringLiteral("mine!"));
    EXPECT_EQ(shapeText(*other), QStringLiteral("other"));
}

TEST_F(CanvasTextEditingTest, InputMethodsComposeAndOnlyCommittedTextReachesTheShape)
{
    auto shape = shapeWithText({});
    page->setZoomScaleIndex(2);
    endTurn();
    undo.removeAllActions();
    canvas->beginEditingTextIn(*shape);

    QInputMethodEvent preedit(QStringLiteral("にほ"), {{QInputMethodEvent::Cursor, 2, 1, {}}});
    QCoreApplication::sendEvent(&editor(), &preedit);
    EXPECT_EQ(editor().preeditString(), QStringLiteral("にほ"));
    EXPECT_FALSE(shape->attributedText());
    // The candidate window goes to the caret, after the pre-edit, at the page's zoom.
    const QRectF cursor = static_cast<QWidget&>(editor()).inputMethodQuery(Qt::ImCursorRectangle).toRectF();
    const auto caret = editor().layout().caretForCharacterIndex(2);
    ASSERT_TRUE(caret);
    EXPECT_NEAR(cursor.x(), caret->x * 2 + CanvasFieldEditorTextView::margin, 0.5);
    EXPECT_NEAR(cursor.height(), caret->line.height() * 2, 0.5);

    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("日本"));
    QCoreApplication::sendEvent(&editor(), &commit);
    EXPECT_EQ(shapeText(*shape), QStringLiteral("日本"));
    EXPECT_TRUE(editor().preeditString().isEmpty());

    // Compose sequences and Hangul arrive as commits too.
    for (const QString& typed : {QStringLiteral("é"), QStringLiteral("한")}) {
        QInputMethodEvent e;
        e.setCommitString(typed);
        QCoreApplication::sendEvent(&editor(), &e);
    }
    canvas->stopEditingText();
    endTurn();
    EXPECT_EQ(shapeText(*shape), QStringLiteral("日本é한"));
    ASSERT_TRUE(undo.undo());
    EXPECT_FALSE(shape->attributedText());
    EXPECT_FALSE(undo.canUndo());
}

TEST_F(CanvasTextEditingTest, FontPanelAppliesTheRememberedFontToEverySelectedShape)
{
    UserDefaults::instance().setSelectedFontName(QStringLiteral("Times-Roman"));
    UserDefaults::instance().setSelectedFontSize(12);
    auto first = shapeWithText(pf::AttributedString(QStringLiteral("first"), attributes("Helvetica", 10)));
    const auto children = std::dynamic_pointer_cast<Group>(group)->children();
    for (const auto& child : children)
        child->setAttributedText(pf::AttributedString(QStringLiteral("child"), attributes("Courier", 9)));
    canvas->replaceSelectionWithShapes({first, group});
    endTurn();

    fontPanel.setPanelFont(pf::Font(QStringLiteral("Times-Roman"), 12));
    fontPanel.userChoseFont(pf::Font(QStringLiteral("Times-Roman"), 30));
    EXPECT_EQ(fontPanel.lastChange(), pf::FontPanel::Change::Size);
    canvas->changeFont(fontPanel);

    const pf::Font expected(QStringLiteral("Times-Roman"), 30);
    EXPECT_EQ(first->attributedText()->attributesAtIndex(0).font, expected);
    for (const auto& child : children)
        EXPECT_EQ(child->attributedText()->attributesAtIndex(0).font, expected);
    EXPECT_EQ(UserDefaults::instance().selectedFontSize(), 30);
}

TEST_F(CanvasTextEditingTest, FontPanelReportsWhatTheUserChanged)
{
    const pf::Font base(QStringLiteral("Helvetica"), 12);
    struct Case {
        pf::Font chosen;
        pf::FontPanel::Change change;
        pf::Font converted; // of Times-Roman 20
    };
    const Case cases[] = {
        {pf::Font(QStringLiteral("Helvetica"), 16), pf::FontPanel::Change::Size, pf::Font(QStringLiteral("Times-Roman"), 16)},
        {base.withTrait(pf::FontTrait::Bold), pf::FontPanel::Change::Face,
         pf::Font(QStringLiteral("Times-Roman"), 20).withTrait(pf::FontTrait::Bold)},
        {pf::Font(QStringLiteral("Courier"), 12), pf::FontPanel::Change::Family, pf::Font(QStringLiteral("Courier"), 20)},
    };
    for (const Case& c : cases) {
        fontPanel.setPanelFont(base);
        fontPanel.userChoseFont(c.chosen);
        EXPECT_EQ(fontPanel.lastChange(), c.change);
        EXPECT_EQ(fontPanel.convertFont(pf::Font(QStringLiteral("Times-Roman"), 20)), c.converted);
    }
}

TEST_F(CanvasTextEditingTest, ColourPanelPostsTheNoticeAndColoursTheSelectedText)
{
    auto shape = shapeWithText(pf::AttributedString(QStringLiteral("red blue"), attributes("Helvetica", 12)));
    int notices = 0;
    const pf::NotificationToken token = pf::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(CanvasFieldEditorTextView::TextColorDidChangeNotification), nullptr,
        [&](const pf::Notification&) { ++notices; });
    canvas->beginEditingTextIn(*shape);
    editor().setSelectedRange({0, 3});
    const pf::Color red(1, 0, 0, 1);
    colorPanel.setColor(red);
    editor().changeColor(red);
    canvas->stopEditingText();
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(shape->attributedText()->attributesAtIndex(0).foregroundColor, red);
    EXPECT_EQ(shape->attributedText()->attributesAtIndex(4).foregroundColor, pf::Color::black());
}

TEST_F(CanvasTextEditingTest, CopyAndPasteKeepWhatTheTextHolds)
{
    pf::MutableAttributedString text(QStringLiteral("plain "), attributes("Helvetica", 12));
    text.append(pf::AttributedString(QStringLiteral("bold"), attributes("Helvetica-Bold", 20, pf::Color(0, 0.5, 0, 1))));
    auto shape = shapeWithText(text);
    canvas->beginEditingTextIn(*shape);
    editor().setSelectedRange({6, 4});
    editor().copy();
    editor().setSelectedRange({0, 0});
    editor().paste();
    canvas->stopEditingText();
    const pf::TextAttributes pasted = shape->attributedText()->attributesAtIndex(0);
    EXPECT_EQ(shapeText(*shape), QStringLiteral("boldplain bold"));
    EXPECT_EQ(pasted.font, pf::Font(QStringLiteral("Helvetica-Bold"), 20));
    EXPECT_EQ(pasted.foregroundColor, pf::Color(0, 0.5, 0, 1));

    // Rich text from elsewhere: its text and styles, no pictures or tables.
    auto* data = new QMimeData;
    data->setHtml(QStringLiteral("<p><b>Big</b><img src=\"x.png\"/> end</p><table><tr><td>cell</td></tr></table>"));
    QApplication::clipboard()->setMimeData(data);
    auto other = shapeWithText({}, {400, 300, 200, 80});
    canvas->beginEditingTextIn(*other);
    editor().paste();
    canvas->stopEditingText();
    EXPECT_EQ(shapeText(*other), QStringLiteral("Big end"));
    EXPECT_TRUE(shapeText(*other).indexOf(QStringLiteral("cell")) < 0);
    EXPECT_TRUE(other->attributedText()->attributesAtIndex(0).font->isBold());
}

TEST_F(CanvasTextEditingTest, DoubleClickTypeReturnAndTripleClickSelectsAWord)
{
    auto shape = shapeWithText(pf::AttributedString(QStringLiteral("alpha beta"), attributes("Helvetica", 18)));
    canvas->selectNone();
    endTurn();
    const pf::Rect band = shape->fieldEditorRectForText(*shape->attributedText());
    const pf::Point onText(band.x() + band.width() / 2, band.y() + band.height() / 2);

    click(onText);
    click(onText, {}, true);
    ASSERT_TRUE(canvas->isEditingText());
    EXPECT_EQ(canvas->textEditingShape(), shape.get());
    key(Qt::Key_End);
    type(QStringLiteral(" gamma"));
    key(Qt::Key_Return);
    EXPECT_FALSE(canvas->isEditingText());
    EXPECT_EQ(shapeText(*shape), QStringLiteral("alpha beta gamma"));
    endTurn();

    // Double and triple click on the first word.
    advance(2);
    const pf::Rect again = shape->fieldEditorRectForText(*shape->attributedText());
    const auto first = editor().layout().caretForCharacterIndex(2);
    ASSERT_TRUE(first);
    const pf::Point onAlpha(again.x() + first->x, again.y() + again.height() / 2);
    click(onAlpha);
    click(onAlpha, {}, true);
    ASSERT_TRUE(canvas->isEditingText());
    click(onAlpha, {}, true);
    ASSERT_TRUE(canvas->isEditingText());
    EXPECT_EQ(editor().selectedRange(), (pf::TextRange{0, 5}));
}

TEST_F(CanvasTextEditingTest, TypingPastTheVisibleAreaScrollsTheCaretIntoView)
{
    page->setZoomScaleIndex(4); // 4: the page is larger than the view
    endTurn();
    auto shape = shapeWithText(pf::AttributedString(QStringLiteral("top"), attributes("Helvetica", 12)), {20, 20, 200, 40});
    canvas->scrollPointToCenter(pf::Point(120, 40));
    endTurn();
    canvas->beginEditingTextIn(*shape);
    key(Qt::Key_End);
    for (int line = 0; line < 30; ++line)
        key(Qt::Key_Return, Qt::AltModifier);
    endTurn();
    const pf::Rect caret = editor().caretRect().offsetBy(editor().textFrame().x(), editor().textFrame().y());
    EXPECT_TRUE(canvas->visibleRect().contains(caret)) << caret.toQt().y() << " " << canvas->visibleRect().toQt().y();
}
