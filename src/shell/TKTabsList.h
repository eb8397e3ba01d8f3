// What a tabbed window controller asks of its tab strip, and what the strip asks back
// (TKTabsListViewControllerDelegate). The window controller makes its strip through TKTabsList::factory();
// until the real strip is installed the factory makes a stand-in that shows nothing, so a window works
// (and tests record what the strip is asked) without one.
#pragma once

#include "platform/foundation/Geometry.h"

#include <QString>

#include <cstddef>
#include <functional>
#include <memory>

namespace pf {
class Menu;
}
class TKTabModel;
class TKTabsList;

// The strip's questions and the user's actions on it, answered by the tabbed window controller.
class TKTabsListViewControllerDelegate {
public:
    virtual ~TKTabsListViewControllerDelegate() = default;
    virtual std::size_t numberOfTabsInTabsViewController(TKTabsList& controller) = 0;
    // Null for an index out of range.
    virtual std::shared_ptr<TKTabModel> tabsViewControllerTabModelAtIndex(TKTabsList& controller, std::size_t index) = 0;
    virtual std::shared_ptr<pf::Menu> tabsViewControllerContextMenuForTabModelAtIndex(TKTabsList& controller,
                                                                                      std::size_t index) = 0;
    virtual void tabsViewControllerDidSelectTabModelAtIndex(TKTabsList& controller, std::size_t index) = 0;
    virtual void tabsViewControllerDidCloseTabModelAtIndex(TKTabsList& controller, std::size_t index) = 0;
    virtual void tabsViewControllerWantsNewTab(TKTabsList& controller) = 0;
};

class TKTabsList {
public:
    virtual ~TKTabsList() = default;

    // Not owned.
    virtual void setDelegate(TKTabsListViewControllerDelegate* delegate) = 0;
    virtual TKTabsListViewControllerDelegate* delegate() const = 0;
    // Reloads every item from the delegate.
    virtual void updateAllTabModels() = 0;
    // The list view's frame of the item at the index, and scrolling a rect of the list into view.
    virtual pf::Rect frameForItemAtIndex(std::size_t index) = 0;
    virtual void scrollRectToVisible(const pf::Rect& rect) = 0;
    // The key path a title edit changes, from the item style; empty when tabs cannot be renamed in place.
    virtual QString defaultEditableKeyPath() const = 0;
    virtual void beginEditingListItemAtIndex(std::size_t index, const QString& keyPath) = 0;

    using Factory = std::function<std::unique_ptr<TKTabsList>()>;
    // Makes the strip of each new tabbed window; the stand-in until registerTabStripClasses() installs the
    // real one.
    static Factory& factory();
};

// Shows nothing and answers zero rects; no title editing.
class TKStandInTabsList : public TKTabsList {
public:
    void setDelegate(TKTabsListViewControllerDelegate* delegate) override { delegate_ = delegate; }
    TKTabsListViewControllerDelegate* delegate() const override { return delegate_; }
    void updateAllTabModels() override {}
    pf::Rect frameForItemAtIndex(std::size_t) override { return {}; }
    void scrollRectToVisible(const pf::Rect&) override {}
    QString defaultEditableKeyPath() const override { return {}; }
    void beginEditingListItemAtIndex(std::size_t, const QString&) override {}

private:
    TKTabsListViewControllerDelegate* delegate_ = nullptr;
};
