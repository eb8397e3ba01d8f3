// What a document asks of its window controller: the tabs in order, adding and removing them, the tab
// strip's reload, the page delegate its pages get and the canvas whose notices it follows. The document
// window controller implements it; tests use a recording fake.
#pragma once

#include "shell/TKTabModel.h"

#include <QString>

#include <cstddef>
#include <memory>
#include <vector>

class CompositionDelegate;

class TabHost {
public:
    virtual ~TabHost() = default;

    // The tab type of the window controller class ("composition").
    virtual QString defaultType() const = 0;
    virtual const std::vector<std::shared_ptr<TKTabModel>>& tabModels() const = 0;
    virtual void removeTabModel(const std::shared_ptr<TKTabModel>& model) = 0;
    // Adds a tab showing object at the end; null with an error when it cannot.
    virtual std::shared_ptr<TKTabModel> addTabWithRepresentedObject(std::shared_ptr<pf::Object> object,
                                                                    const QString& type, QString* error) = 0;
    // Adds a tab with a new empty page at index.
    virtual void addTabModelAtIndex(std::size_t index) = 0;
    virtual void selectTabAtIndex(std::size_t index) = 0;
    // Reloads the tab strip's list.
    virtual void reloadTabs() = 0;
    // The delegate of every page the window shows (its canvas view controller).
    virtual CompositionDelegate* compositionDelegate() = 0;
    // The canvas whose notices (an image removed) concern the document; null before it exists.
    virtual const void* canvas() const = 0;
    // The document changed its title or edited state.
    virtual void synchronizeWindowTitleWithDocumentName() = 0;
};

// A document that has a tab host: scripting reaches the window through it.
class TabHostOwner {
public:
    virtual ~TabHostOwner() = default;
    // The document's first window controller; null before it has one.
    virtual TabHost* firstTabHost() = 0;
    // A tab's content copied from another document is about to join this one: whatever it refers to in
    // the source (pictures) is copied in and counted here.
    virtual void adoptRepresentedObjectFromDocument(const std::shared_ptr<pf::Object>& object, pf::Document* source)
    {
        (void)object;
        (void)source;
    }
    // The window controller's window has loaded: the document hands its pages over as tabs.
    virtual void canvasWindowControllerDidLoadWindow() {}
};
