// What the canvas asks of the window around it, of the document that owns its page and of the palettes.
// The window shell, the documents and the palettes implement these; tests use recording fakes. The canvas
// holds each as a plain pointer that its owner keeps valid (and clears before it goes).
#pragma once

#include "platform/foundation/NotFound.h"
#include "platform/foundation/Variant.h"
#include "platform/graphics/Image.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

class Composition;
class Manipulator;
class Canvas;

namespace pf {
class UndoManager;
}

// The document that owns the canvas's page: its image store, change count and termination guards.
class CanvasDocument {
public:
    virtual ~CanvasDocument() = default;

    // The identifier, or an error text (then the identifier is null). Completions come on a later turn of the
    // main queue, never after the document is gone.
    using ImageCompletion = std::function<void(const QString& identifier, const QString& error)>;

    // The stored picture of the identifier; a null image when none is stored.
    virtual pf::Image imageForIdentifier(const QString& identifier) = 0;
    // Its stored bytes, as they were given; empty when none are stored.
    virtual QByteArray imageDataForIdentifier(const QString& identifier) = 0;
    // Counts of the shapes that show each picture: a stored picture starts at 0, and a shape counts it when
    // it joins a page.
    virtual void incrementRefCountForImageIdentifier(const QString& identifier) = 0;
    virtual void decrementRefCountForImageIdentifier(const QString& identifier) = 0;
    // Stores the picture file under the preferred identifier when that one is free or holds the same bytes,
    // else under a new one. Bytes that are not a picture give an error.
    virtual void provisionImageAtPath(const QString& path, const QString& preferredIdentifier,
                                      ImageCompletion completion) = 0;
    // Stores picture bytes under a new identifier; empty or non-picture bytes give an error.
    virtual void provisionImageWithData(const QByteArray& data, ImageCompletion completion) = 0;
    // Takes in, at once, a picture that came with copied shapes: under the preferred identifier when that
    // one is free or holds the same bytes (nothing new is stored then), else under a new one; a picture new
    // here starts at 0. Answers the identifier used; null, with the reason in error, for bytes that are not
    // a picture.
    virtual QString adoptImageData(const QByteArray& data, const QString& preferredIdentifier, QString* error) = 0;
    // One change done (the document becomes edited).
    virtual void updateChangeCount() = 0;
    virtual void disableSuddenTermination() = 0;
    virtual void enableSuddenTermination() = 0;
    virtual pf::Variant objectSpecifier() = 0;
};

// The window the canvas is shown in.
class CanvasWindow {
public:
    virtual ~CanvasWindow() = default;

    // The document of the window; null when it has none.
    virtual CanvasDocument* document() = 0;
    virtual bool isFullScreen() const = 0;
    // The window's saved state (scroll position, selection) is out of date.
    virtual void invalidateRestorableState() = 0;
    // Offers an open panel for one picture file.
    virtual void browseForImage() = 0;
    virtual void updateSelectedTabThumbnail() = 0;

    // What the canvas's view controller asks of the window. A window without an undo manager or tabs
    // answers as these defaults do.
    // The window's undo manager (its document's).
    virtual pf::UndoManager* undoManager() { return nullptr; }
    // Hooks after a selection change and an edit of the shown page.
    virtual void compositionSelectionDidChange() {}
    virtual void compositionWasEdited() {}
    // The toolbar validates its visible items again.
    virtual void validateVisibleToolbarItems() {}
    // The tab list: shows the pages' titles again; a page's tab index (pf::NotFound when it has none), the
    // title of a tab, closing a tab.
    virtual void reloadTabList() {}
    virtual std::size_t indexOfTabModelWithRepresentedObject(const Composition&) { return pf::NotFound; }
    virtual QString tabTitleAtIndex(std::size_t) { return {}; }
    virtual void removeTabModelAtIndex(std::size_t) {}
    // The application's Hide command: its windows are minimised.
    virtual void hideApplication() {}
};

// The inspector palette: it shows the facets of the page's selection.
class InspectorPalette {
public:
    virtual ~InspectorPalette() = default;
    virtual void setSelectedComposition(Composition* page) = 0;
    virtual void setSelectedObject(Manipulator* selection) = 0;
    virtual void setNeedsUpdate() = 0;
};

// The outline palette: it lists the page's shapes and the canvas's selection.
class OutlinePalette {
public:
    virtual ~OutlinePalette() = default;
    virtual void setCanvas(Canvas* canvas) = 0;
    virtual void setNeedsUpdate() = 0;
};
