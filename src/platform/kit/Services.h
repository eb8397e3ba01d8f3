// Small services the editor calls for feedback outside its views: the system beep, a modal alert and the
// error log. Each goes through a sink that tests replace for their lifetime (ScopedSink), so no test beeps,
// blocks on a dialog or depends on the log.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

namespace pf {

struct Alert {
    QString messageText;
    QString informativeText;
    // Button titles, the first the default; no button shows one "OK".
    QStringList buttons;
};

using BeepSink = std::function<void()>;
// Answers the index of the button chosen.
using AlertSink = std::function<int(const Alert&)>;
using LogSink = std::function<void(const QString&)>;

void beep();
int runAlert(const Alert& alert);
void logMessage(const QString& message);

// Installs a sink for its lifetime and restores the previous one after.
template <class Sink>
class ScopedSink {
public:
    explicit ScopedSink(Sink sink);
    ~ScopedSink();
    ScopedSink(const ScopedSink&) = delete;
    ScopedSink& operator=(const ScopedSink&) = delete;

private:
    Sink previous_;
};

using ScopedBeepSink = ScopedSink<BeepSink>;
using ScopedAlertSink = ScopedSink<AlertSink>;
using ScopedLogSink = ScopedSink<LogSink>;

} // namespace pf
