#include "shell/QVSheetWindowController.h"

#include "platform/docs/WindowController.h"
#include "platform/kit/Services.h"
#include "platform/kit/View.h"
#include "platform/kit/ViewBuilders.h"

#include <QVBoxLayout>

#include <cmath>

QVSheetWindowController::QVSheetWindowController(QString windowNibName) : windowNibName_(std::move(windowNibName)) {}

QVSheetWindowController::~QVSheetWindowController()
{
    // Nothing the dialog does from here on reaches the controller.
    context_.reset();
    if (pf::WindowController* parent = sheetParentWindow(); parent && dialog_ && parent->attachedSheet() == dialog_)
        parent->endSheet(dialog_, 0);
    // The dialog may be delivering the signal that led here.
    if (dialog_) {
        dialog_->hide();
        dialog_->deleteLater();
    }
}

QDialog* QVSheetWindowController::window()
{
    if (dialog_)
        return dialog_;
    dialog_ = new QDialog();
    dialog_->setObjectName(windowNibName_);
    auto* layout = new QVBoxLayout(dialog_);
    layout->setContentsMargins(0, 0, 0, 0);
    contentView_ = pf::loadViewNamed(windowNibName_, this);
    if (contentView_) {
        layout->addWidget(contentView_);
        const pf::Rect frame = contentView_->frame();
        dialog_->resize(int(std::lround(frame.width())), int(std::lround(frame.height())));
    } else {
        pf::logMessage(QStringLiteral("No interface file named %1").arg(windowNibName_));
    }
    windowDidLoad();
    return dialog_;
}

pf::WindowController* QVSheetWindowController::sheetParentWindow() const
{
    const auto handle = parent_.lock();
    return handle ? dynamic_cast<pf::WindowController*>(*handle) : nullptr;
}

void QVSheetWindowController::setSheetParentWindow(pf::WindowController* window)
{
    parent_ = window ? window->weakReference() : std::weak_ptr<pf::Responder*>();
}

bool QVSheetWindowController::beginSheet(std::function<void(int)> completion)
{
    pf::WindowController* parent = sheetParentWindow();
    return parent && parent->beginSheet(window(), std::move(completion));
}

void QVSheetWindowController::endSheet(int returnCode)
{
    pf::WindowController* parent = sheetParentWindow();
    if (parent && dialog_ && parent->attachedSheet() == dialog_)
        parent->endSheet(dialog_, returnCode);
    else if (dialog_)
        dialog_->hide();
}
