// Shared helpers of the kit tests: a view that records what it is handed, and synthesised Qt events.
#pragma once

#include "platform/kit/InputState.h"
#include "platform/kit/View.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include <functional>
#include <vector>

namespace kittest {

class RecordingView : public pf::View {
public:
    using pf::View::View;

    std::vector<pf::Event> events;
    std::function<bool(const pf::Event&)> consumes = [](const pf::Event&) { return false; };

    std::vector<pf::EventType> types() const
    {
        std::vector<pf::EventType> t;
        for (const pf::Event& e : events)
            t.push_back(e.type);
        return t;
    }

protected:
    void mouseDown(const pf::Event& e) override { events.push_back(e); }
    void mouseDragged(const pf::Event& e) override { events.push_back(e); }
    void mouseUp(const pf::Event& e) override { events.push_back(e); }
    void rightMouseDown(const pf::Event& e) override { events.push_back(e); }
    void rightMouseDragged(const pf::Event& e) override { events.push_back(e); }
    void rightMouseUp(const pf::Event& e) override { events.push_back(e); }
    void mouseMoved(const pf::Event& e) override { events.push_back(e); }
    void keyDown(const pf::Event& e) override { events.push_back(e); }
    void keyUp(const pf::Event& e) override { events.push_back(e); }
    void flagsChanged(const pf::Event& e) override { events.push_back(e); }
    void magnifyWithEvent(const pf::Event& e) override { events.push_back(e); }
    void rotateWithEvent(const pf::Event& e) override { events.push_back(e); }
    void beginGestureWithEvent(const pf::Event& e) override { events.push_back(e); }
    void endGestureWithEvent(const pf::Event& e) override { events.push_back(e); }
    bool consumesKeyEquivalent(const pf::Event& e) const override { return consumes(e); }
};

inline void sendMouse(QWidget& target, QEvent::Type type, QPointF pos, Qt::MouseButton button, Qt::MouseButtons held,
                      quint64 milliseconds, Qt::KeyboardModifiers modifiers = {})
{
    QMouseEvent e(type, pos, target.mapToGlobal(pos), button, held, modifiers);
    e.setTimestamp(milliseconds);
    QCoreApplication::sendEvent(&target, &e);
}

inline void sendKey(QWidget& target, QEvent::Type type, int key, Qt::KeyboardModifiers modifiers = {},
                    const QString& text = {}, bool autoRepeat = false)
{
    QKeyEvent e(type, key, modifiers, text, autoRepeat);
    QCoreApplication::sendEvent(&target, &e);
}

} // namespace kittest
