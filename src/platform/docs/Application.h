// The application object over Qt's: it owns the quit sequence. Quitting asks the document controller to
// review every document (saved or discarded; any may cancel), waits while work that must finish holds the
// sudden-termination count (checked again every 0.1 s on the main queue), tells the controller the
// application will terminate while the documents and windows are still open (shut-down scripts may still
// drive them), waits again while the controller holds the count, then closes the documents and the windows
// and leaves the event loop. Closing the last window quits the same way, never by Qt's own
// quit-on-last-window, which would end the event loop under work still running.
//
// Main thread only; a QApplication must exist.
#pragma once

#include "platform/foundation/Dispatch.h"

#include <QObject>

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
    QObject connections_; // Qt's signals reach this object only while it lives

};

} // namespace pf
