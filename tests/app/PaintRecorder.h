// Gathers every area a widget is asked to paint while the recorder lives.
#pragma once

#include <QEvent>
#include <QObject>
#include <QPaintEvent>
#include <QRegion>
#include <QWidget>

class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QWidget* widget) : widget_(widget) { widget_->installEventFilter(this); }
    ~PaintRecorder() override { widget_->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (watched == widget_ && e->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(e)->region();
        return false;
    }
    QRegion painted;

private:
    QWidget* widget_;
};
