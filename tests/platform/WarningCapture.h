// Collects the warnings logged while it exists, so tests can check that a refusal was reported.
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

class WarningCapture {
public:
    WarningCapture() : previous_(qInstallMessageHandler(&WarningCapture::handle)) { active() = this; }
    ~WarningCapture()
    {
        qInstallMessageHandler(previous_);
        active() = nullptr;
    }
    WarningCapture(const WarningCapture&) = delete;
    WarningCapture& operator=(const WarningCapture&) = delete;

    const QStringList& messages() const { return messages_; }
    bool contains(const QString& part) const
    {
        for (const QString& m : messages_)
            if (m.contains(part))
                return true;
        return false;
    }

private:
    static WarningCapture*& active()
    {
        static WarningCapture* current = nullptr;
        return current;
    }
    static void handle(QtMsgType type, const QMessageLogContext&, const QString& message)
    {
        if (type == QtWarningMsg && active())
            active()->messages_ << message;
    }

    QtMessageHandler previous_;
    QStringList messages_;
};
