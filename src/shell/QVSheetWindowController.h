// The base of a sheet's controller: a dialog made from its interface file, shown window-modal over a
// parent window (no nested event loop), ended with a return code that the parent's completion gets.
//
// The parent is held weakly: a sheet outliving its window ends by hiding itself. Main thread only.
#pragma once

#include "platform/kit/Responder.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

namespace pf {
class View;
class WindowController;
}

class QVSheetWindowController : public pf::Responder {
public:
    explicit QVSheetWindowController(QString windowNibName);
    ~QVSheetWindowController() override;

    const QString& windowNibName() const { return windowNibName_; }

    // The sheet's dialog, made on first use around the interface file's view (then windowDidLoad). A
    // missing builder leaves the dialog empty (logged).
    QDialog* window();
    bool isWindowLoaded() const { return dialog_ != nullptr; }
    pf::View* contentView() const { return contentView_; }
    virtual void windowDidLoad() {}
    // The context of the connections the interface file makes to the controller: they end with it, though
    // the dialog's widgets may outlive it by a turn.
    QObject* connectionContext() const { return context_.get(); }

    // The window the sheet is attached to; null when none (or it is gone).
    pf::WindowController* sheetParentWindow() const;
    void setSheetParentWindow(pf::WindowController* window);

    // Shows the dialog as the parent window's sheet; the completion gets the code that ends it (0 when it
    // is dismissed by other means). False without a parent, or while the parent shows another sheet.
    bool beginSheet(std::function<void(int returnCode)> completion);
    // Ends the sheet: through the parent window, which runs the completion; without one the dialog is
    // hidden.
    void endSheet(int returnCode);

private:
    QString windowNibName_;
    QPointer<QDialog> dialog_;
    QPointer<pf::View> contentView_;
    std::weak_ptr<pf::Responder*> parent_;
    std::unique_ptr<QObject> context_ = std::make_unique<QObject>();
};
