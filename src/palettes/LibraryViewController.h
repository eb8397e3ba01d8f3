// The library palette: every kind of shape a page can hold, one row each, filtered by a search field. A
// chosen row is the drawing tool of the palette's window: selecting it asks that window's canvas, by
// notice, for the tool, and the canvas tells the palette when a tool key chose another or a tool ended.
// A row double-clicked, or the chosen one when Return is pressed in the search field, is added to the
// front document's page; a row dragged out carries its kind's record for a drop on a page.
//
// Main thread only.
#pragma once

#include "platform/foundation/Dispatch.h"
#include "platform/foundation/NotFound.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Value.h"
#include "palettes/LibraryListItem.h"
#include "shell/IDEPaletteListView.h"
#include "shell/IDEPaletteViewController.h"

#include <QImage>
#include <QLineEdit>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class LibraryViewController;
class Shape;

// What the library asks of the front document window: the window its canvas's notices name, adding a
// shape from a record to the page on show, and the canvas's default mode and keyboard focus.
class LibraryFrontWindow {
public:
    virtual ~LibraryFrontWindow() = default;
    virtual QWidget* canvasWindowWidget() = 0;
    virtual void addShapeFromPlist(const pf::Value& info) = 0;
    virtual void revertCanvasToDefaultMouseMode() = 0;
    virtual void focusCanvas() = 0;
};
// The front document window, or null when no document is open.
using LibraryFrontWindowProvider = std::function<LibraryFrontWindow*()>;

// The library's list: a drag source whose drag carries the record of the pressed kind, shown by the
// floating drag picture (inside the list, the row; elsewhere, what a drop would make).
class LibraryListView : public IDEPaletteListView {
public:
    using IDEPaletteListView::IDEPaletteListView;
    ~LibraryListView() override;

    QStringList writableTypesForPasteboard() const override;
    pf::Value pasteboardPropertyListForType(const QString& type) override;
    // A copy inside the program; nothing outside it.
    pf::DragOperation sourceOperationMaskForDraggingContext(pf::DraggingContext context) override;
    void draggingSessionMovedToPoint(pf::Point p) override;
    void draggingSessionEndedAtPoint(pf::Point p, pf::DragOperation operation) override;

protected:
    // A press first settles the search field's editing, so the row it chooses keeps its tool.
    void mouseDown(const pf::Event& e) override;
    void beginDraggingSessionWithEvent(const pf::Event& e) override;

private:
    LibraryViewController* controller() const;
};

// The search field: editing begins with the first change the user types and ends when the field loses
// the keys or Return is pressed. Up and Down move through the rows while it has the keys.
class LibrarySearchField : public QLineEdit {
public:
    explicit LibrarySearchField(QWidget* parent = nullptr);

    void setController(LibraryViewController* controller) { controller_ = controller; }
    bool isEditing() const { return editing_; }
    // Ends the editing in progress, if any, as losing the keys does.
    void endEditing();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void beginEditing();

    LibraryViewController* controller_ = nullptr;
    bool editing_ = false;
    bool typing_ = false;
};

class LibraryViewController : public IDEPaletteViewController,
                              public QVListViewDataSource,
                              public QVListViewDelegate {
public:
    static constexpr char NibName[] = "LibraryViewController";
    // The height of the search bar above the list.
    static constexpr double searchBarHeight = 34;
    // Narrower than this the palette shows no search bar.
    static constexpr double searchBarMinimumWidth = 90;

    LibraryViewController();
    ~LibraryViewController() override;

    // Registers the palette's interface file.
    static void registerInterfaceFile();
    // Where every library finds the front document window unless given its own (the application
    // installs it).
    static void setDefaultFrontWindowProvider(LibraryFrontWindowProvider provider);
    void setFrontWindowProvider(LibraryFrontWindowProvider provider) { frontWindow_ = std::move(provider); }
    LibraryFrontWindow* frontWindow() const;

    // ---- outlets ----
    LibrarySearchView* searchView() const { return searchView_; }
    void setSearchView(LibrarySearchView* view) { searchView_ = view; }
    LibrarySearchField* searchField() const { return searchField_; }
    void setSearchField(LibrarySearchField* field) { searchField_ = field; }
    LibraryListView* libraryListView() const;

    // ---- the catalogue ----
    const pf::Value::Array& allShapeInfos() const { return allShapeInfos_; }
    const pf::Value::Array& filteredShapeInfos() const { return filteredShapeInfos_; }
    const pf::Value& draggingShapeInfo() const { return draggingShapeInfo_; }
    const std::shared_ptr<Shape>& dragPromiseShape() const { return dragPromiseShape_; }
    const std::map<QString, std::shared_ptr<Shape>>& allVectorShapes() const { return allVectorShapes_; }
    // Each tool kind's row in the filtered list, pf::NotFound when the query hides it.
    const std::map<QString, std::size_t>& shapeClassIndexTab() const { return shapeClassIndexTab_; }
    std::size_t bezierIndex() const { return bezierIndex_; }
    std::size_t brushIndex() const { return brushIndex_; }
    std::size_t pathIndex() const { return pathIndex_; }
    bool isFiltering() const { return filtering_; }
    void setFiltering(bool filtering) { filtering_ = filtering; }
    void discoverShapeIndexes();

    // ---- the view ----
    void viewDidLoad() override;
    void viewDidMoveToSuperview() override;
    void viewDidMoveToWindow() override;
    // Places the search field and the list for the palette's size.
    void viewFrameDidChange();
    pf::Rect searchFieldFrameForBounds(const pf::Rect& bounds) const;
    pf::Rect scrollRectForBounds(const pf::Rect& bounds) const;

    // ---- the selection, which is the window's drawing tool ----
    std::size_t selectedIndex() const;
    // Changing it goes through the list, so it starts or ends a tool as a click does.
    void setSelectedIndex(std::size_t index);
    // The rows for the search text; the selected kind stays selected while it is listed.
    void filter();
    // Up or Down in the search field; false (not handled) when no rows are listed.
    bool changeSelectionByMovingUp(bool up);
    void scrollSelectedIndexToVisible();
    // Clears the selection unless the pen or brush row is chosen, whose tools outlive the search.
    void clearSelection();

    // ---- adding ----
    // Adds a shape of the record's kind to the front document's page and gives its canvas the keys.
    void addShapeFromInfo(const pf::Value& info);
    // Return in the search field: adds the chosen kind. Nothing for no rows, for the Delete or Escape key,
    // or for a mouse-up outside the list.
    void addFirstFilteredShapeInfo(const std::optional<pf::Event>& currentEvent = std::nullopt);

    // ---- the search field ----
    void controlTextDidBeginEditing();
    void controlTextDidChange();
    void controlTextDidEndEditing();
    // A press in the list: editing ends, and the clear that ending schedules is dropped, so the row the
    // press chooses keeps its tool (the row selected while typing too: a click chooses it rather than
    // letting it go).
    void listWillHandleMouseDown();

    // ---- dragging ----
    // The picture of the shape a drop of the rows would make (a stock picture when none can be drawn).
    QImage outsideDraggingImageForItemsAtIndexes(const QVIndexSet& indexes);
    pf::Value pasteboardPropertyListForItemsAtIndexes(const QVIndexSet& indexes);

    // ---- the canvas's notices ----
    void canvasDidClearListSelection();
    void canvasModeKeyboardShortcutWasTriggered(const QString& className);

    // ---- list data source and delegate ----
    std::size_t numberOfItemsInListView(QVListView& list) override;
    QVListItem* listViewItemAtIndex(QVListView& list, std::size_t index) override;
    bool implements(Operation operation) const override;
    double listViewExtentForItemAtIndex(QVListView&, std::size_t) override;
    QVIndexSet listViewWillSelectItemsAtIndexes(QVListView& list, const QVIndexSet& proposed) override;
    void listViewDidSelectItemsAtIndexes(QVListView& list, const std::optional<QVIndexSet>& indexes) override;
    void listViewItemWasDoubleClickedAtIndex(QVListView& list, std::size_t index) override;
    bool listViewCanDragItemsAtIndexes(QVListView& list, const QVIndexSet& indexes, const pf::Event& e,
                                       bool* slideBack) override;

private:
    void reloadList();
    // The window the tool notices name: the palette's, else the front document window's.
    QWidget* noticeWindow();

    bool filtering_ = false;
    // The selection was made while typing: it stands for no tool yet.
    bool selectionMarksTyping_ = false;
    QPointer<LibrarySearchView> searchView_;
    QPointer<LibrarySearchField> searchField_;
    pf::Value::Array allShapeInfos_;
    pf::Value::Array filteredShapeInfos_;
    pf::Value draggingShapeInfo_;
    std::shared_ptr<Shape> dragPromiseShape_;
    std::map<QString, std::shared_ptr<Shape>> allVectorShapes_;
    std::map<QString, bool> hasIconByClass_;
    std::size_t bezierIndex_ = pf::NotFound;
    std::size_t brushIndex_ = pf::NotFound;
    std::size_t pathIndex_ = pf::NotFound;
    std::map<QString, std::size_t> shapeClassIndexTab_;
    LibraryFrontWindowProvider frontWindow_;
    std::vector<pf::NotificationToken> canvasObservations_;
    pf::DelayedCallOwner delayedCalls_;
};
