#include "platform/docs/Application.h"

#include "platform/docs/Document.h"
#include "platform/docs/DocumentController.h"

#include <QApplication>

namespace pf {

namespace {
Application* sharedApplication = nullptr;
}

Application::Application(DocumentController* delegate) : delegate_(delegate)
{
    if (!sharedApplication)
        sharedApplication = this;
    QGuiApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(qGuiApp, &QGuiApplication::lastWindowClosed, &connections_, [this] { terminate(); });
}

Application::~Application()
{
    if (sharedApplication == this)
        sharedApplication = nullptr;
}

Application* Application::instance() { return sharedApplication; }

void Application::finishLaunching()
{
    if (delegate_)
        delegate_->applicationDidFinishLaunching();
}

bool Application::terminate()
{
    if (terminating_)
        return true;
    if (delegate_ && !delegate_->reviewUnsavedDocuments())
        return false;
    terminating_ = true;
    finishTermination();
    return true;
}

void Application::finishTermination()
{
    // A save or an image store still under way must end before the process does.
    if (suddenTermination::isDisabled()) {
        calls_.performAfterDelay([this] { finishTermination(); }, terminationPollInterval);
        return;
    }
    if (!willTerminateSent_) {
        willTerminateSent_ = true;
        if (delegate_)
            delegate_->applicationWillTerminate();
        // The delegate may hold the count for work of its own (the shut-down scripts); the windows stay
        // until it ends.
        if (suddenTermination::isDisabled()) {
            calls_.performAfterDelay([this] { finishTermination(); }, terminationPollInterval);
            return;
        }
    }
    if (delegate_)
        delegate_->closeReviewedDocuments();
    QApplication::closeAllWindows();
    QCoreApplication::quit();
}

} // namespace pf
