// The document window's editing menus: commands that travel the responder chain to the window, which
// hands them to the canvas of the page on show.
#include "app/AppWindowController.h"

#include "platform/kit/Services.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("AppWindowController", text);
}

struct ChainCommand {
    const char* action;
    const char* title;
    QKeySequence keys;
};

} // namespace

QAction* AppWindowController::addChainCommand(QMenu* menu, const QString& action, const QString& title,
                                              const QKeySequence& keys, std::int64_t tag, bool sendsItself)
{
    pf::MenuItem item(title, action);
    item.setTag(tag);
    chainItems_[action] = item;
    return addCommand(menu, action, title, keys, [this, action, sendsItself] {
        const auto it = chainItems_.find(action);
        if (it == chainItems_.end() || !it->second.isEnabledNow())
            pf::beep();
        else if (sendsItself)
            it->second.perform(); // a command may read the item's tag
        else
            pf::sendAction(action); // no sender: a tab command then takes the selected tab
    });
}

void AppWindowController::buildEditingMenus(QMenu* edit, QMenu* view)
{
    const auto addAll = [this](QMenu* menu, std::initializer_list<ChainCommand> commands) {
        for (const ChainCommand& c : commands) {
            if (!c.action)
                menu->addSeparator();
            else
                addChainCommand(menu, QString::fromLatin1(c.action), tr(c.title), c.keys);
        }
    };
    const ChainCommand separator{nullptr, nullptr, {}};

    edit->addSeparator();
    addAll(edit, {
                     {"searchLibrary:", "Search Library", QKeySequence(QKeySequence::Find)},
                     separator,
                     {"duplicate:", "Duplicate", QKeySequence(Qt::CTRL | Qt::Key_D)},
                     {"selectNone:", "Select None", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A)},
                     separator,
                     {"copyStyle:", "Copy Style", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C)},
                     {"pasteStyle:", "Paste Style", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_V)},
                     separator,
                     {"editText:", "Edit Text", QKeySequence()},
                     {"resizeCanvasToFitSelection:", "Fit Page to Selection", QKeySequence()},
                     {"clearGuides:", "Clear Guides", QKeySequence()},
                 });

    QMenu* arrange = menuBar_->addMenu(tr("&Arrange"));
    addAll(arrange, {
                        {"bringToFront:", "Bring to Front", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F)},
                        {"sendToBack:", "Send to Back", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B)},
                        separator,
                        {"group:", "Group", QKeySequence(Qt::CTRL | Qt::Key_G)},
                        {"ungroup:", "Ungroup", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G)},
                        separator,
                        {"lock:", "Lock", QKeySequence(Qt::CTRL | Qt::Key_L)},
                        {"unlock:", "Unlock", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L)},
                        {"hide:", "Hide", QKeySequence()},
                        {"unhide:", "Unhide", QKeySequence()},
                    });
    QMenu* align = arrange->addMenu(tr("Align"));
    addAll(align, {
                      {"alignShapesLeft:", "Left Edges", QKeySequence()},
                      {"alignShapesCenterVertical:", "Centres on a Vertical Line", QKeySequence()},
                      {"alignShapesRight:", "Right Edges", QKeySequence()},
                      separator,
                      {"alignShapesTop:", "Top Edges", QKeySequence()},
                      {"alignShapesCenterHorizontal:", "Centres on a Horizontal Line", QKeySequence()},
                      {"alignShapesBottom:", "Bottom Edges", QKeySequence()},
                      separator,
                      {"evenlyDistributeShapesHorizontal:", "Distribute Horizontally", QKeySequence()},
                      {"evenlyDistributeShapesVertical:", "Distribute Vertically", QKeySequence()},
                      separator,
                      {"alignShapesToGrid:", "To Grid", QKeySequence()},
                  });
    QMenu* move = arrange->addMenu(tr("Move"));
    addAll(move, {
                     {"nudgeUp:", "Up", QKeySequence()},
                     {"nudgeDown:", "Down", QKeySequence()},
                     {"nudgeLeft:", "Left", QKeySequence()},
                     {"nudgeRight:", "Right", QKeySequence()},
                     separator,
                     {"jumpUp:", "Far Up", QKeySequence()},
                     {"jumpDown:", "Far Down", QKeySequence()},
                     {"jumpLeft:", "Far Left", QKeySequence()},
                     {"jumpRight:", "Far Right", QKeySequence()},
                 });
    QMenu* select = arrange->addMenu(tr("Select Nearest"));
    addAll(select, {
                       {"selectShapeUp:", "Above", QKeySequence()},
                       {"selectShapeDown:", "Below", QKeySequence()},
                       {"selectShapeLeft:", "To the Left", QKeySequence()},
                       {"selectShapeRight:", "To the Right", QKeySequence()},
                   });

    QMenu* shape = menuBar_->addMenu(tr("&Shape"));
    addAll(shape, {
                      {"union:", "Union", QKeySequence()},
                      {"intersection:", "Intersection", QKeySequence()},
                      {"difference:", "Difference", QKeySequence()},
                      {"exclusion:", "Exclusion", QKeySequence()},
                      {"invert:", "Invert", QKeySequence()},
                      separator,
                      {"flipHorizontal:", "Flip Horizontally", QKeySequence()},
                      {"flipVertical:", "Flip Vertically", QKeySequence()},
                      separator,
                      {"combineShapes:", "Combine Shapes", QKeySequence()},
                      {"closePath:", "Close Path", QKeySequence()},
                      {"reversePath:", "Reverse Path", QKeySequence()},
                      {"convertToBezier:", "Convert to Bezier", QKeySequence()},
                      separator,
                      {"sizeToFitText:", "Size to Fit Text", QKeySequence()},
                      separator,
                      // Titled for the pictures selected while the menu shows.
                      {"removeImages:", "Remove Image", QKeySequence()},
                  });

    // The pages of the window, its tabs: the tab strip's commands, and the usual keys to step through them.
    QMenu* pages = menuBar_->addMenu(tr("&Page"));
    addAll(pages, {
                      {"newTab:", "New Page", QKeySequence()},
                      {"newBackgroundTab:", "New Page in Background", QKeySequence()},
                      {"duplicateTab:", "Duplicate Page", QKeySequence()},
                      separator,
                      {"selectNextTab:", "Next Page", QKeySequence(Qt::CTRL | Qt::Key_PageDown)},
                      {"selectPreviousTab:", "Previous Page", QKeySequence(Qt::CTRL | Qt::Key_PageUp)},
                      separator,
                      {"closeOtherTabs:", "Close Other Pages", QKeySequence()},
                  });
    addChainCommand(pages, QStringLiteral("takeTabIndexToMoveToNewWindowFrom:"), tr("Move Page to New Window"),
                    QKeySequence(), 0, false);

    // The page's zoom and size are this window's own commands.
    view->addSeparator();
    for (const ChainCommand& c : {ChainCommand{"zoomCanvasIn:", "Zoom In", QKeySequence(QKeySequence::ZoomIn)},
                                  ChainCommand{"zoomCanvasOut:", "Zoom Out", QKeySequence(QKeySequence::ZoomOut)},
                                  ChainCommand{"zoomCanvasToActualSize:", "Actual Size", QKeySequence(Qt::CTRL | Qt::Key_0)},
                                  ChainCommand{"zoomCanvasToFit:", "Zoom to Fit", QKeySequence()},
                                  ChainCommand{"editMetrics:", "Page Size…", QKeySequence()}}) {
        addChainCommand(view, QString::fromLatin1(c.action), tr(c.title), c.keys);
        chainItems_[QString::fromLatin1(c.action)].setTarget(this);
    }

    view->addSeparator();
    addChainCommand(view, QStringLiteral("toggleToolbarShown:"), tr("Show or Hide Toolbar"),
                    QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_T));
    addCommand(view, "toggleFullScreen", tr("Full Screen"), QKeySequence(Qt::Key_F11), [this] { toggleFullScreen(); });

    for (QMenu* menu : {arrange, shape, pages})
        validateWhileShown(menu);
}
