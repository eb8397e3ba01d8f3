// Typing into a shape on the canvas against a bare QTextEdit. The text: 2,000 characters in runs of
// mixed fonts, sizes, faces and colours, in a 400-point-wide shape edited at zoom 2. A keystroke is a key
// press that types a letter and one that deletes it again (so the text stays the same), each followed by
// a paint of the editor; on our side each also writes the text back to the shape (with undo) and refits
// the editor. The peer takes the same key presses on the same text (converted to its document) and paints
// its viewport. Goal (CPU-time ratio):
//   BM_CanvasFieldEditorKeystroke / BM_QTextEditKeystroke <= 3.0
#include "canvas/Canvas.h"
#include "canvas/CanvasFieldEditorTextView.h"
#include "controls/ControlKinds.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "model/CompositionDelegate.h"
#include "model/Metrics.h"
#include "model/Shape.h"
#include "model/ShapeClass.h"
#include "model/StickyDefaults.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/UndoManager.h"
#include "platform/kit/ScrollView.h"
#include "platform/text/TextDocumentConversion.h"

#include <QCoreApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QTextDocument>
#include <QTextEdit>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

pf::AttributedString mixedText()
{
    const char* fonts[] = {"Helvetica", "Times-Roman", "Helvetica-Bold", "Courier", "Times-Italic"};
    const double sizes[] = {12, 14, 18, 10, 24};
    const pf::Color colours[] = {pf::Color::black(), pf::Color(0.8, 0, 0, 1), pf::Color(0, 0.4, 0.8, 1)};
    pf::MutableAttributedString text;
    const QString words = QStringLiteral("the quick brown fox jumps over the lazy dog ");
    for (int i = 0; text.length() < 2000; ++i) {
        pf::TextAttributes a;
        a.font = pf::Font(QString::fromLatin1(fonts[i % 5]), sizes[(i / 2) % 5]);
        a.foregroundColor = colours[i % 3];
        text.append(pf::AttributedString(words.mid(0, 20 + i % 24), a));
    }
    return text.attributedSubstring({0, 2000});
}

class PageOwner : public QuietCompositionDelegate {
public:
    pf::UndoManager* undoManagerForComposition(Composition&) override { return &undo; }
    pf::UndoManager undo;
};

void sendKey(QWidget* target, int key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
}

void BM_CanvasFieldEditorKeystroke(benchmark::State& state)
{
    registerControlKinds(pf::ClassRegistry::shared());
    registerManipulatorClasses(pf::ClassRegistry::shared());
    auto metrics = std::make_shared<Metrics>();
    metrics->setWidth(800);
    metrics->setHeight(800);
    auto page = Composition::make(metrics);
    PageOwner owner;
    auto window = std::make_unique<QWidget>();
    window->resize(1000, 1000);
    auto* scrollView = new pf::ScrollView(window.get());
    scrollView->setFrameShape(QFrame::NoFrame);
    scrollView->setGeometry(0, 0, 1000, 1000);
    auto* canvas = new Canvas(pf::Rect(0, 0, 1000, 1000));
    scrollView->setDocumentView(canvas);
    window->show();
    page->setCompositionDelegate(&owner);
    canvas->setComposition(page);
    page->setZoomScaleIndex(2);
    const ShapeClass* kind = pf::ClassRegistry::shared().lookup<ShapeClass>(QStringLiteral("Rectangle"));
    auto shape = StickyDefaults::doWithoutStickySetting([&] { return kind->newShape(pf::Rect(20, 20, 400, 600)); });
    page->addShape(shape);
    shape->setAttributedText(mixedText());
    shape->clearTextAttributes();
    canvas->replaceSelectionWithShape(shape);
    canvas->beginEditingTextIn(*shape);
    CanvasFieldEditorTextView& editor = canvas->fieldEditor();
    editor.setSelectedRange({1000, 0});
    QCoreApplication::processEvents();
    for (auto _ : state) {
        sendKey(&editor, Qt::Key_X, QStringLiteral("x"));
        editor.repaint();
        sendKey(&editor, Qt::Key_Backspace, QString());
        editor.repaint();
    }
    canvas->stopEditingText();
    window.reset();
    page->setCompositionDelegate(nullptr);
}
BENCHMARK(BM_CanvasFieldEditorKeystroke)->Unit(benchmark::kMicrosecond);

void BM_QTextEditKeystroke(benchmark::State& state)
{
    QTextEdit edit;
    edit.resize(820, 1220);
    edit.setFrameShape(QFrame::NoFrame);
    const auto document = pf::textDocumentFromAttributedString(mixedText());
    edit.setDocument(document.get());
    edit.zoomIn(12); // about twice the size
    edit.show();
    QTextCursor cursor = edit.textCursor();
    cursor.setPosition(1000);
    edit.setTextCursor(cursor);
    QCoreApplication::processEvents();
    for (auto _ : state) {
        sendKey(&edit, Qt::Key_X, QStringLiteral("x"));
        edit.viewport()->repaint();
        sendKey(&edit, Qt::Key_Backspace, QString());
        edit.viewport()->repaint();
    }
    edit.setDocument(nullptr);
}
BENCHMARK(BM_QTextEditKeystroke)->Unit(benchmark::kMicrosecond);

} // namespace
