// A view controller whose view comes from its interface file's builder (pf::loadViewNamed) on first use.
// When that view is a QVViewControllerView, its move notices become the controller's overridable hooks,
// so that a controller can react to being shown in, or taken out of, a window.
#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Responder.h"

#include <QPointer>
#include <QString>

#include <vector>

class QWidget;

namespace pf {
class View;
class Window;
} // namespace pf

class QVViewController : public pf::Responder {
public:
    explicit QVViewController(QString interfaceName);
    // Stops observing. The view goes with the controller unless it sits in a superview, which owns it.
    ~QVViewController() override;

    const QString& interfaceName() const { return interfaceName_; }

    // The view, loaded on first use; null when the interface file has no builder.
    pf::View* view();
    // Replaces the view (the previous one, when in no superview, is deleted). Null unloads: isViewLoaded
    // answers false. A view set here is not observed; only the one loadView made is.
    void setView(pf::View* view);
    bool isViewLoaded() const { return viewLoaded_; }

    // Builds the view from the interface file, then observes its moves and calls viewDidLoad. A missing
    // builder is logged and leaves the controller without a view.
    virtual void loadView();

    // Hooks, empty here.
    virtual void viewDidLoad() {}
    virtual void viewWillAppear(bool) {}
    virtual void viewDidAppear(bool) {}
    virtual void viewWillDisappear(bool) {}
    virtual void viewDidDisappear(bool) {}
    virtual void viewWillMoveToSuperview(QWidget*) {}
    virtual void viewDidMoveToSuperview() {}
    virtual void viewWillMoveToWindow(pf::Window*) {}
    virtual void viewDidMoveToWindow() {}

private:
    void registerForNotifications();

    QString interfaceName_;
    QPointer<pf::View> view_;
    bool viewLoaded_ = false;
    std::vector<pf::NotificationToken> observations_;
};
