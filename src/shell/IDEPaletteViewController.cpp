#include "shell/IDEPaletteViewController.h"

#include "platform/kit/ScrollView.h"
#include "platform/kit/Services.h"
#include "shell/IDEPaletteListView.h"
#include "shell/QVView.h"

namespace {

// Keeps the scroll view over the whole palette.
class PaletteView : public QVViewControllerView {
public:
    using QVViewControllerView::QVViewControllerView;
    pf::ScrollView* scroll = nullptr;

    void layoutSubviews() override
    {
        if (scroll)
            scroll->setGeometry(0, 0, width(), height());
    }
};

} // namespace

pf::View* IDEPaletteViewController::buildPaletteView(pf::Responder* owner)
{
    auto* view = new PaletteView(pf::Rect(0, 0, 250, 400));
    auto* scroll = new pf::ScrollView(view);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->scroll = scroll;
    view->layoutSubviews();
    auto* list = new IDEPaletteListView(pf::Rect(pf::Point(), scroll->contentSize()));
    list->setAutoresizingMask(pf::View::WidthSizable | pf::View::HeightSizable);
    list->setScrollView(scroll);
    scroll->setDocumentView(list);
    if (auto* controller = dynamic_cast<IDEPaletteViewController*>(owner)) {
        controller->setScrollView(scroll);
        controller->setListView(list);
    }
    return view;
}

IDEPaletteViewController::~IDEPaletteViewController()
{
    delayedCalls_.cancelPreviousPerformRequests();
    if (listView_) {
        listView_->setDataSource(nullptr);
        listView_->setDelegate(nullptr);
    }
}

void IDEPaletteViewController::viewDidLoad()
{
    QVViewController::viewDidLoad();
    if (listView_)
        listView_->setBackgroundColor(pf::Color(0.92, 0.92, 0.92, 1.0));
}

void IDEPaletteViewController::viewDidMoveToSuperview()
{
    QVViewController::viewDidMoveToSuperview();
    delayedCalls_.performAfterDelay(
        [this] {
            if (!listView_)
                return;
            // On the main queue no caller can take the list's complaint: it is logged.
            try {
                listView_->reloadData();
            } catch (const QVListViewDataSourceException& e) {
                pf::logMessage(e.logLine());
            }
        },
        pf::Nanoseconds(0), QStringLiteral("reloadData"));
}

void IDEPaletteViewController::setNeedsUpdate()
{
    needsUpdate_ = true;
    delayedCalls_.performAfterDelay([this] { updateConditionally(); }, pf::Nanoseconds(0),
                                    QStringLiteral("updateConditionally"));
}

void IDEPaletteViewController::updateConditionally()
{
    if (!needsUpdate_)
        return;
    update();
    needsUpdate_ = false;
}
