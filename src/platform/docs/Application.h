// The application object over Qt's: it owns the quit sequence. Quitting asks the document controller to
// close every document (any may cancel), waits while work that must finish holds the sudden-termination
// count (checked again every 0.1 s on the main queue), tells the controller the application will terminate
// while the windows still exist, waits again while the controller holds the count, then closes the windows
// and leaves the event loop.
//
// Main thread only; a QApplication must exist.
#pragma once

#include "platform/foundation/Dispatch.h"

#include <chrono>

namespace pf {

class DocumentController;

class Application {
public:
    static constexpr std::chrono::milliseconds terminationPollInterval{100};

    explicit Application(DocumentController* delegate = nullptr);
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The application object, while one exists.
    static Application* instance();

    DocumentController* delegate() const { return delegate_; }
    void setDelegate(DocumentController* delegate) { delegate_ = delegate; }

    // Tells the delegate that launching finished (after the event loop starts).
    void finishLaunching();
    // Starts the quit sequence; false when a document cancelled it.
    bool terminate();
    bool isTerminating() const { return terminating_; }

private:
    void finishTermination();

    DocumentController* delegate_;
    bool terminating_ = false;
    bool willTerminateSent_ = false;
    DelayedCallOwner calls_;
};

} // namespace pf
