#include "platform/kit/Services.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace pf {

namespace {

BeepSink& beepSink()
{
    static BeepSink sink = [] { QApplication::beep(); };
    return sink;
}

AlertSink& alertSink()
{
    static AlertSink sink = [](const Alert& alert) {
        QMessageBox box;
        box.setText(alert.messageText);
        box.setInformativeText(alert.informativeText);
        const QStringList titles = alert.buttons.isEmpty() ? QStringList{QStringLiteral("OK")} : alert.buttons;
        std::vector<QAbstractButton*> buttons;
        for (const QString& title : titles)
            buttons.push_back(box.addButton(title, buttons.empty() ? QMessageBox::AcceptRole : QMessageBox::RejectRole));
        box.setDefaultButton(static_cast<QPushButton*>(buttons.front()));
        box.exec();
        for (std::size_t i = 0; i < buttons.size(); ++i)
            if (box.clickedButton() == buttons[i])
                return int(i);
        return 0;
    };
    return sink;
}

LogSink& logSink()
{
    static LogSink sink = [](const QString& message) { qWarning("%s", qUtf8Printable(message)); };
    return sink;
}

template <class Sink>
Sink& sinkOf();
template <>
BeepSink& sinkOf<BeepSink>() { return beepSink(); }
template <>
AlertSink& sinkOf<AlertSink>() { return alertSink(); }
template <>
LogSink& sinkOf<LogSink>() { return logSink(); }

} // namespace

void beep()
{
    beepSink()();
}

int runAlert(const Alert& alert)
{
    return alertSink()(alert);
}

void logMessage(const QString& message)
{
    logSink()(message);
}

template <class Sink>
ScopedSink<Sink>::ScopedSink(Sink sink) : previous_(std::exchange(sinkOf<Sink>(), std::move(sink)))
{
}

template <class Sink>
ScopedSink<Sink>::~ScopedSink()
{
    sinkOf<Sink>() = std::move(previous_);
}

template class ScopedSink<BeepSink>;
template class ScopedSink<AlertSink>;
template class ScopedSink<LogSink>;

} // namespace pf
