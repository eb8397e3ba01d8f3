#include "platform/kit/Responder.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace pf {

namespace {

std::vector<Responder*>& applicationResponders()
{
    static std::vector<Responder*> list;
    return list;
}

ActionRouter& actionRouter()
{
    static ActionRouter router;
    return router;
}

} // namespace

void setActionRouter(ActionRouter router)
{
    actionRouter() = std::move(router);
}

bool routeAction(const QString& action, const MenuItem* sender)
{
    // A copy: the router may be replaced while it runs.
    const ActionRouter router = actionRouter();
    return router && router(action, sender);
}

Responder::~Responder()
{
    *self_ = nullptr;
}

bool Responder::tryToPerform(const QString& action, const MenuItem* sender)
{
    const auto it = actions_.find(action);
    if (it == actions_.end())
        return false;
    // A copy: the handler may replace this responder's actions while it runs.
    const ActionHandler handler = it->second;
    handler(sender);
    return true;
}

void Responder::setAction(const QString& action, ActionHandler handler)
{
    if (handler)
        actions_[action] = std::move(handler);
    else
        actions_.erase(action);
}

Responder* targetForAction(const QString& action)
{
    // With no widget focused the active window itself is the first responder.
    QWidget* first = QApplication::focusWidget();
    if (!first)
        first = QApplication::activeWindow();
    for (QWidget* w = first; w; w = w->parentWidget())
        if (auto* responder = dynamic_cast<Responder*>(w); responder && responder->respondsToAction(action))
            return responder;
    for (Responder* responder : applicationResponders())
        if (responder->respondsToAction(action))
            return responder;
    return nullptr;
}

bool sendAction(const QString& action, const MenuItem* sender)
{
    if (routeAction(action, sender))
        return true;
    Responder* target = targetForAction(action);
    return target && target->tryToPerform(action, sender);
}

ApplicationResponder::ApplicationResponder(Responder& responder) : responder_(&responder)
{
    applicationResponders().push_back(responder_);
}

ApplicationResponder::~ApplicationResponder()
{
    auto& list = applicationResponders();
    list.erase(std::find(list.begin(), list.end(), responder_));
}

} // namespace pf
