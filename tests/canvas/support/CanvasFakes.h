// Recording stand-ins for the services the canvas asks of its window, its document and the palettes. The
// document keeps its pictures as a real one does: by identifier, with counts, collected on the canvas's
// image-removed notice.
#pragma once

#include "canvas/CanvasServices.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/NotificationCenter.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <vector>

class FakeCanvasDocument : public CanvasDocument {
public:
    struct StoredImage {
        QByteArray bytes;
        pf::Image image;
        int count = 0;
    };

    pf::Image imageForIdentifier(const QString& identifier) override;
    QByteArray imageDataForIdentifier(const QString& identifier) override;
    void incrementRefCountForImageIdentifier(const QString& identifier) override;
    void decrementRefCountForImageIdentifier(const QString& identifier) override;
    void provisionImageAtPath(const QString& path, const QString& preferredIdentifier,
                              ImageCompletion completion) override;
    void provisionImageWithData(const QByteArray& data, ImageCompletion completion) override;
    QString adoptImageData(const QByteArray& data, const QString& preferredIdentifier, QString* error) override;
    void updateChangeCount() override { ++changeCount; }
    void disableSuddenTermination() override { ++suddenTerminationDisabled; }
    void enableSuddenTermination() override { --suddenTerminationDisabled; }
    pf::Variant objectSpecifier() override { return QStringLiteral("document"); }

    // Collects pictures no shape counts when this canvas says it removed one (as the document does for the
    // canvases of its windows).
    void observeCanvas(const void* canvas);

    std::map<QString, StoredImage> images;
    int changeCount = 0;
    int suddenTerminationDisabled = 0;
    int collections = 0;

private:
    // Stores decodable bytes under the identifier (a new one when it is null); an error text otherwise.
    QString store(const QByteArray& bytes, QString& identifier);
    void complete(ImageCompletion completion, const QString& identifier, const QString& error);
    void collectUnusedImages();

    std::vector<pf::NotificationToken> observers_;
    pf::DelayedCallOwner delayed_;
};

class FakeCanvasWindow : public CanvasWindow {
public:
    CanvasDocument* document() override { return documentShown; }
    bool isFullScreen() const override { return fullScreen; }
    void invalidateRestorableState() override { ++restorableStateInvalidations; }
    void browseForImage() override { calls << QStringLiteral("browseForImage"); }
    void updateSelectedTabThumbnail() override { calls << QStringLiteral("updateSelectedTabThumbnail"); }
    pf::UndoManager* undoManager() override { return undo; }
    void compositionSelectionDidChange() override { calls << QStringLiteral("compositionSelectionDidChange"); }
    void compositionWasEdited() override { calls << QStringLiteral("compositionWasEdited"); }
    void validateVisibleToolbarItems() override { ++toolbarValidations; }
    void reloadTabList() override { calls << QStringLiteral("reloadTabList"); }
    // The tabs show the pages in `tabs`, titled by `tabTitles`.
    std::size_t indexOfTabModelWithRepresentedObject(const Composition& page) override
    {
        for (std::size_t i = 0; i < tabs.size(); ++i)
            if (tabs[i] == &page)
                return i;
        return pf::NotFound;
    }
    QString tabTitleAtIndex(std::size_t index) override { return tabTitles.value(qsizetype(index)); }
    void removeTabModelAtIndex(std::size_t index) override { calls << QStringLiteral("removeTab %1").arg(index); }
    void hideApplication() override { calls << QStringLiteral("hideApplication"); }

    CanvasDocument* documentShown = nullptr;
    pf::UndoManager* undo = nullptr;
    std::vector<const Composition*> tabs;
    QStringList tabTitles;
    int toolbarValidations = 0;
    bool fullScreen = false;
    int restorableStateInvalidations = 0;
    QStringList calls;
};

// The library palette as the canvas meets it: a tool-key shortcut for its window comes back as the mode
// notice of that tool ("Bezier", "Brush" and "Path" their own, any other name the shape mode).
class FakeLibrary {
public:
    explicit FakeLibrary(const void* window);

    // The mode notices posted, as "<notice name> <class name>".
    QStringList posted;
    // The list-clear notices heard.
    int listSelectionClears = 0;

private:
    std::vector<pf::NotificationToken> observers_;
};

class FakeInspector : public InspectorPalette {
public:
    void setSelectedComposition(Composition* p) override { page = p; }
    void setSelectedObject(Manipulator* s) override { selection = s; }
    void setNeedsUpdate() override { ++updates; }

    Composition* page = nullptr;
    Manipulator* selection = nullptr;
    int updates = 0;
};

class FakeOutline : public OutlinePalette {
public:
    void setCanvas(Canvas* c) override { canvas = c; }
    void setNeedsUpdate() override { ++updates; }

    Canvas* canvas = nullptr;
    int updates = 0;
};
