// Small services the editor calls for feedback outside its views: the system beep, a modal alert and the
// error log, each through a sink that tests replace (ScopedBeepSink and its kin).
#pragma once

#include "platform/kit/Sink.h"

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

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
// A window-modal alert (a sheet): shown over window, it answers later, through completion, with the index
// of the button chosen. The default opens a message box modal to the window, with no nested event loop.
using AlertSheetCompletion = std::function<void(int button)>;
using AlertSheetSink = std::function<void(QWidget* window, const Alert&, AlertSheetCompletion)>;

void beep();
int runAlert(const Alert& alert);
void logMessage(const QString& message);
void beginAlertSheet(QWidget* window, const Alert& alert, AlertSheetCompletion completion);

template <>
BeepSink& sinkOf<BeepSink>();
template <>
AlertSink& sinkOf<AlertSink>();
template <>
LogSink& sinkOf<LogSink>();
template <>
AlertSheetSink& sinkOf<AlertSheetSink>();

using ScopedBeepSink = ScopedSink<BeepSink>;
using ScopedAlertSink = ScopedSink<AlertSink>;
using ScopedLogSink = ScopedSink<LogSink>;
using ScopedAlertSheetSink = ScopedSink<AlertSheetSink>;

} // namespace pf
