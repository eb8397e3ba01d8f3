#include "platform/kit/Services.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace pf {

template <>
BeepSink& sinkOf<BeepSink>()
{
    static BeepSink sink = [] { QApplication::beep(); };
    return sink;
}

template <>
AlertSink& sinkOf<AlertSink>()
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

template <>
LogSink& sinkOf<LogSink>()
{
    static LogSink sink = [](const QString& message) { qWarning("%s", qUtf8Printable(message)); };
    return sink;
}

template <>
AlertSheetSink& sinkOf<AlertSheetSink>()
{
    static AlertSheetSink sink = [](QWidget* window, const Alert& alert, AlertSheetCompletion completion) {
        auto* box = new QMessageBox(window);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setText(alert.messageText);
        box->setInformativeText(alert.informativeText);
        const QStringList titles = alert.buttons.isEmpty() ? QStringList{QStringLiteral("OK")} : alert.buttons;
        std::vector<QAbstractButton*> buttons;
        for (const QString& title : titles)
            buttons.push_back(box->addButton(title, buttons.empty() ? QMessageBox::AcceptRole : QMessageBox::RejectRole));
        box->setDefaultButton(static_cast<QPushButton*>(buttons.front()));
        // Escape and the close button answer the last button (the cancel of a question).
        box->setEscapeButton(buttons.back());
        box->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
        QObject::connect(box, &QMessageBox::finished, box, [box, buttons, completion = std::move(completion)](int) {
            int chosen = int(buttons.size()) - 1;
            for (std::size_t i = 0; i < buttons.size(); ++i)
                if (box->clickedButton() == buttons[i])
                    chosen = int(i);
            if (completion)
                completion(chosen);
        });
        box->open();
    };
    return sink;
}

void beep()
{
    sinkOf<BeepSink>()();
}

int runAlert(const Alert& alert)
{
    return sinkOf<AlertSink>()(alert);
}

void logMessage(const QString& message)
{
    sinkOf<LogSink>()(message);
}

void beginAlertSheet(QWidget* window, const Alert& alert, AlertSheetCompletion completion)
{
    sinkOf<AlertSheetSink>()(window, alert, std::move(completion));
}

} // namespace pf
