// The canvas's context menu, built anew for each click from the click point and the selection: point and
// path commands, flips, the selection's commands, and a Select item for each unselected shape near the
// click. A command appears only when it applies now and the canvas performs it, so the menu never offers a
// disabled or dead item (commands whose tools are not in the program simply have no item). The picture
// chooser is the window's, reached through the canvas.
#include "canvas/Canvas.h"

#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "platform/foundation/Localized.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Pasteboard.h"

#include <QCursor>

namespace {

QString title(const char* key)
{
    return pf::localized(QString::fromUtf8(key));
}

} // namespace

void Canvas::addSeparatorTo(pf::Menu& menu)
{
    if (menu.numberOfItems() > 0 && !menu.itemAt(menu.numberOfItems() - 1).isSeparator())
        menu.addSeparator();
}

namespace {

// Fills a menu: a separator asked for is added only before the next item, so none ends the menu.
struct MenuFiller {
    Canvas& canvas;
    pf::Menu& menu;
    bool separatorWanted = false;

    void separator() { separatorWanted = true; }
    pf::MenuItem& add(const char* key, const QString& action, pf::Responder* target)
    {
        if (separatorWanted)
            Canvas::addSeparatorTo(menu);
        separatorWanted = false;
        return menu.addItem(title(key), action, target);
    }
    // The canvas's command when it applies and the canvas performs it; answers whether it was added.
    bool command(const char* key, const char* action, pf::Variant represented = {})
    {
        const QString name = QString::fromLatin1(action);
        if (!canvas.respondsToAction(name) || !canvas.validateAction(name))
            return false;
        add(key, name, &canvas).setRepresentedObject(std::move(represented));
        return true;
    }
};

} // namespace

void Canvas::populateContextMenuForPoint(pf::Menu& menu, const pf::Point& pagePoint)
{
    MenuFiller fill{*this, menu};
    if (!hasSelection()) {
        if (pf::Pasteboard::general().hasType(pf::PasteboardType::shape))
            fill.command("Paste", "paste:");
    } else {
        bool pathItems = false;
        pathItems |= fill.command("Insert Point", "insertPoint:", pagePoint);
        pathItems |= fill.command("Remove Point", "removePoint:", pagePoint);
        pathItems |= fill.command("Close Path", "closePath:");
        pathItems |= fill.command("Reverse Path", "reversePath:");
        pathItems |= fill.command("Split Path Here", "slicePath:");
        pathItems |= fill.command("Combine Paths", "combineShapes:");
        if (pathItems)
            fill.separator();
        if (fill.command("Flip Horizontal", "flipHorizontal:") | fill.command("Flip Vertical", "flipVertical:"))
            fill.separator();
        if (fill.separatorWanted)
            addSeparatorTo(menu);
        addMenuItemsForSelectionToMenu(menu);
    }

    const auto page = composition();
    if (!page)
        return;
    // The page lists its shapes back to front; the menu reads front to back.
    const auto near = page->shapesInProximityTo(pagePoint);
    fill.separator();
    for (auto it = near.rbegin(); it != near.rend(); ++it) {
        const auto& shape = *it;
        if (shape->isSelected() || !shape->isSelectable())
            continue;
        pf::MenuItem& item = fill.add("Select %@", QStringLiteral("selectShape:"), this);
        item.setTitle(QString(item.title()).replace(QStringLiteral("%@"), shape->displayTitle()));
        item.setRepresentedObject(pf::Variant(shape));
    }
}

void Canvas::addMenuItemsForSelectionToMenu(pf::Menu& menu)
{
    MenuFiller fill{*this, menu};
    // Whether a separator is due before the next group.
    bool due = false;
    const auto separate = [&] {
        if (due)
            fill.separator();
    };
    due |= fill.command("Cut", "cut:");
    due |= fill.command("Copy", "copy:");
    due |= fill.command("Duplicate", "duplicate:");
    separate();
    due |= fill.command("Copy Style", "copyStyle:") | fill.command("Paste Style", "pasteStyle:");
    separate();
    due |= fill.command("Delete", "remove:");
    separate();
    // Never both: a selection that can be grouped is grouped, even when it holds a group.
    due |= fill.command("Group", "group:") || fill.command("Ungroup", "ungroup:");
    separate();
    due |= fill.command("Bring to Front", "bringToFront:");
    due |= fill.command("Send to Back", "sendToBack:");
    separate();
    fill.command("Resize Canvas to Fit", "resizeCanvasToFitSelection:");
    // Hide, Unhide and Lock stand together; Unlock gets its own group.
    separate();
    if (fill.command("Hide", "hide:"))
        due = false;
    separate();
    if (fill.command("Unhide", "unhide:"))
        due = false;
    separate();
    due |= fill.command("Lock", "lock:");
    separate();
    due |= fill.command("Unlock", "unlock:");
    separate();
    due |= fill.command("Intersection", "intersection:") | fill.command("Union", "union:")
           | fill.command("Exclusion", "exclusion:");
    separate();
    if (fill.command("Edit Text", "editText:"))
        due = false;
    if (fill.command("Size to Fit Text", "sizeToFitText:"))
        due = false;
    if (canChangeImage()) {
        separate();
        const std::size_t pictures = selectedPictureCount();
        const char* const browseTitles[3] = {"Insert Image\u2026", "Replace Image\u2026", "Replace Images\u2026"};
        // The canvas itself: the keys may be in a palette's field, whose chain never reaches this window.
        fill.add(browseTitles[pictures], QStringLiteral("browseForImage:"), this);
        if (const char* remove = removeImagesTitle(pictures))
            fill.add(remove, QStringLiteral("removeImages:"), this);
    }
    fill.command(hasMultipleSelection() ? "Convert to Bezier Paths" : "Convert to Bezier Path", "convertToBezier:");
}

void Canvas::showContextMenuFromKeyboard()
{
    const pf::Point mouse = pf::Point(mapFromGlobal(QCursor::pos()).x(), mapFromGlobal(QCursor::pos()).y());
    pf::Point at;
    if (visibleRect().contains(mouse))
        at = mouse;
    else if (manipulator_)
        at = convertPointFromComposition(pf::Point(manipulator_->frame().midX(), manipulator_->frame().midY()));
    else {
        const pf::Rect visible = visibleRect();
        at = pf::Point(visible.midX(), visible.midY());
    }
    pf::Event event;
    event.type = pf::EventType::RightMouseDown;
    event.location = at;
    const QPoint global = mapToGlobal(QPointF(at.x, at.y)).toPoint();
    event.screenLocation = pf::Point(global.x(), global.y());
    showCanvasContextMenuForEvent(event);
}

void Canvas::registerContextMenuActions()
{
    // The arrange commands the menu sends the canvas itself (the window's menus reach them the same way).
    using Command = void (Canvas::*)();
    const std::pair<const char*, Command> commands[] = {
        {"bringToFront:", &Canvas::bringToFront},
        {"sendToBack:", &Canvas::sendToBack},
        {"resizeCanvasToFitSelection:", &Canvas::resizeCanvasToFitSelection},
        {"group:", &Canvas::group},
        {"ungroup:", &Canvas::ungroup},
        {"lock:", &Canvas::lock},
        {"unlock:", &Canvas::unlock},
        {"unhide:", &Canvas::unhide},
    };
    for (const auto& [name, command] : commands)
        if (!respondsToAction(QString::fromLatin1(name)))
            setAction(QString::fromLatin1(name), [this, command = command](const pf::MenuItem*) { (this->*command)(); });
    // The image chooser of the canvas's own window.
    setAction(QStringLiteral("browseForImage:"), [this](const pf::MenuItem*) {
        if (window_)
            window_->browseForImage();
    });
    if (!respondsToAction(QStringLiteral("hide:")))
        setAction(QStringLiteral("hide:"), [this](const pf::MenuItem* sender) { hide(sender ? int(sender->tag()) : 0); });
}
