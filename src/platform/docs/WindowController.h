// The controller of one window: it makes the window from the builder registered under its interface-file
// name, hears the window's delegate calls (closing, main and key changes, full screen), belongs to a
// document whose undo manager the window uses, shows the document's name and edited state in the title,
// and runs sheets (window-modal dialogs whose completion gets the return code; no nested event loop).
//
// The window is a top-level widget with a pf::Window attached, made on first use (window()); the content
// view is the builder's view. Without a builder there is no window (logged), as with a missing file.
// The controller owns the widget; closing hides it, so the outlets the builder connected stay valid
// until the controller goes.
//
// Main thread only.
#pragma once

#include "platform/foundation/Geometry.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Object.h"
#include "platform/kit/Responder.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QToolBar;
class QWidget;

namespace pf {

class Document;
class UndoManager;
class Window;

class WindowController : public Object, public Responder {
public:
    // Posted with the window as object before it closes.
    static const QString willCloseNotification;
    // Full-screen presentation bits, as the desktop's window server numbers them.
    static constexpr std::uint64_t PresentationAutoHideDock = 1u << 0;
    static constexpr std::uint64_t PresentationAutoHideMenuBar = 1u << 2;
    static constexpr std::uint64_t PresentationFullScreen = 1u << 10;

    explicit WindowController(QString windowNibName);
    ~WindowController() override;

    const QString& windowNibName() const { return windowNibName_; }

    // ---- the window ----
    // Loads the window on first use (then windowDidLoad); null when the interface file has no builder.
    Window* window();
    bool isWindowLoaded() const { return widget_ != nullptr; }
    QWidget* windowWidget() const { return widget_; }
    virtual void windowWillLoad() {}
    virtual void windowDidLoad() {}
    // The top-level widget the window is made on; a plain window widget here. Subclasses give their own
    // window class (a window that takes actions or events first).
    virtual QWidget* makeWindowWidget();
    void showWindow();
    // The user's close: a document's window asks its document first (canCloseDocument), and closing it
    // closes the document. False when the close was refused.
    bool performClose();
    // Closes at once, asking nobody; windowWillClose runs once.
    void close();
    bool isClosed() const { return closed_; }
    // The window's frame in screen points.
    Rect windowFrame() const;
    void setWindowFrame(const Rect& frame);
    // The window's toolbar, when its interface file gave it one.
    QToolBar* toolbar() const;

    // ---- delegate calls ----
    // Whether the user may close the window (performClose); asks the document by default.
    virtual bool windowShouldClose();
    virtual void windowWillClose() {}
    virtual void windowDidBecomeMain() {}
    virtual void windowDidResignMain() {}
    virtual void windowDidBecomeKey() {}
    virtual void windowDidResignKey() {}
    virtual std::uint64_t windowWillUseFullScreenPresentationOptions(std::uint64_t proposed) { return proposed; }
    virtual void windowWillEnterFullScreen() {}
    virtual void windowDidEnterFullScreen() {}
    virtual void windowWillExitFullScreen() {}
    virtual void windowDidExitFullScreen() {}

    // ---- full screen ----
    // Enters or leaves full screen through the widget, with the will and did calls around the change.
    void toggleFullScreen();
    bool isWindowFullScreen() const { return windowFullScreen_; }
    // The options asked for when full screen is entered (what the delegate answered).
    std::uint64_t fullScreenPresentationOptions() const { return presentationOptions_; }

    // ---- the document ----
    // Not owned: the document owns its window controllers.
    Document* document() const { return document_; }
    // The document follows its window's controller in the responder chain, when it takes actions.
    Responder* nextResponder() const override;
    virtual void setDocument(Document* document);
    // The undo manager of the window: the document's; none without a document.
    virtual UndoManager* windowUndoManager();
    // The title shows the document's name and the edited marker.
    virtual void synchronizeWindowTitleWithDocumentName();
    void setDocumentEdited(bool edited);
    bool isDocumentEdited() const;

    // ---- sheets ----
    // Shows the dialog window-modal over this window; the completion gets the code endSheet gives, or 0
    // when the dialog is dismissed by other means (Escape, its close button). One sheet at a time: a
    // second one is refused (false). The controller does not own the dialog.
    using SheetCompletion = std::function<void(int returnCode)>;
    bool beginSheet(QDialog* sheet, SheetCompletion completion);
    // Ends the sheet (hides it) and runs its completion; nothing when that sheet is not attached.
    void endSheet(QDialog* sheet, int returnCode);
    QDialog* attachedSheet() const { return sheet_; }

private:
    class EventFilter;
    void loadWindow();
    void observeWindow();

    QString windowNibName_;
    QWidget* widget_ = nullptr;
    Window* window_ = nullptr;
    EventFilter* filter_ = nullptr;
    Document* document_ = nullptr;
    bool loading_ = false;
    bool closed_ = false;
    bool closing_ = false;
    bool windowFullScreen_ = false;
    std::uint64_t presentationOptions_ = 0;
    QPointer<QDialog> sheet_;
    SheetCompletion sheetCompletion_;
    NotificationToken mainToken_, resignMainToken_, keyToken_, resignKeyToken_;
};

} // namespace pf
