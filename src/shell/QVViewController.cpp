#include "shell/QVViewController.h"

#include "platform/kit/Services.h"
#include "platform/kit/View.h"
#include "platform/kit/ViewBuilders.h"
#include "shell/QVView.h"

namespace {

void deleteIfLoose(pf::View* view)
{
    if (view && !view->superview())
        delete view;
}

} // namespace

QVViewController::QVViewController(QString interfaceName) : interfaceName_(std::move(interfaceName)) {}

QVViewController::~QVViewController()
{
    observations_.clear();
    deleteIfLoose(view_);
}

pf::View* QVViewController::view()
{
    if (!view_)
        loadView();
    return view_;
}

void QVViewController::setView(pf::View* view)
{
    if (view_ != view) {
        // Only the view loadView made is observed; its address may be reused once it is gone.
        observations_.clear();
        deleteIfLoose(view_);
    }
    view_ = view;
    if (!view)
        viewLoaded_ = false;
}

void QVViewController::loadView()
{
    pf::View* loaded = pf::loadViewNamed(interfaceName_, this);
    if (!loaded) {
        pf::logMessage(QStringLiteral("Could not load the interface file \"%1\".").arg(interfaceName_));
        return;
    }
    setView(loaded);
    viewLoaded_ = true;
    registerForNotifications();
    viewDidLoad();
}

void QVViewController::registerForNotifications()
{
    pf::NotificationCenter& center = pf::NotificationCenter::defaultCenter();
    const void* object = QVViewControllerView::asObject(view_);
    observations_.clear();
    observations_.push_back(center.addObserver(QVViewControllerView::willMoveToSuperviewNotification, object,
        [this](const pf::Notification& n) { viewWillMoveToSuperview(QVViewControllerView::superviewInNotification(n)); }));
    observations_.push_back(center.addObserver(QVViewControllerView::didMoveToSuperviewNotification, object,
        [this](const pf::Notification&) { viewDidMoveToSuperview(); }));
    observations_.push_back(center.addObserver(QVViewControllerView::willMoveToWindowNotification, object,
        [this](const pf::Notification& n) { viewWillMoveToWindow(QVViewControllerView::windowInNotification(n)); }));
    observations_.push_back(center.addObserver(QVViewControllerView::didMoveToWindowNotification, object,
        [this](const pf::Notification&) { viewDidMoveToWindow(); }));
}
