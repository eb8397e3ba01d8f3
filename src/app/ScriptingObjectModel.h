// What scripts see of the editor: documents hold pages, pages hold shapes of the listed kinds, shapes have a
// name, text, colours and geometry. The model itself knows nothing of scripting; these operations sit
// beside it and use its ordinary, undoable edits. The scripting bridge (ScriptingBridge.h) resolves
// specifiers and calls them.
//
// Specifiers are records: want (a class code), form ("indx", "name" or "ID  "), seld (an index from 1, a
// name or an identifier) and from (the container's specifier; none for the application). Class codes,
// plurals and element keys come from one table (allConcreateObjectClasses); a kind outside it answers its
// nearest listed ancestor's.
//
// Main thread only.
#pragma once

#include "platform/foundation/Color.h"
#include "platform/foundation/EventDescriptor.h"
#include "shell/TKTabModel.h"

#include <QString>
#include <QVariant>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

class CanvasWindowController;
class Composition;
class Document;
class Shape;
class ShapeClass;

namespace pf {
class ClassObject;
class DocumentController;
}

// The error numbers a script command answers, each with its message (ScriptCommandError, TKTabModel.h).
namespace ScriptError {
constexpr int PageIndexOutOfBounds = 100;
constexpr int OnlyPage = 200;
constexpr int CoercionFailed = -1700;
constexpr int ParameterMissing = -1701;
constexpr int EventNotHandled = -1708;
constexpr int BadKeyForm = -1723;
constexpr int NoSuchObject = -1728;
constexpr int NotModifiable = -10003;
constexpr int CantHandleClass = -10010;
ScriptCommandError make(int number, const QString& detail = {});
} // namespace ScriptError

struct ObjectSpecifier {
    static constexpr pf::FourCharCode formIndex = pf::fourCharCode("indx");
    static constexpr pf::FourCharCode formName = pf::fourCharCode("name");
    static constexpr pf::FourCharCode formUniqueID = pf::fourCharCode("ID  ");

    pf::FourCharCode want = 0;
    pf::FourCharCode form = formIndex;
    QVariant seld;
    // The container; none for the application.
    std::shared_ptr<const ObjectSpecifier> from;

    // {"want": "cTab", "form": "indx", "seld": 1, "from": {…}} (no "from" for the application).
    QVariantMap toRecord() const;
    // Codes as four-character strings or as numbers; a nested "from" at most 16 deep.
    static std::optional<ObjectSpecifier> fromRecord(const QVariant& record, ScriptCommandError* error);
};

// ---- the class table ----
struct ScriptableClass {
    const ShapeClass* shapeClass;
    pf::FourCharCode code;
    QString plural;
};

namespace ScriptingClasses {
constexpr pf::FourCharCode documentCode = pf::fourCharCode("docu");
constexpr pf::FourCharCode pageCode = pf::fourCharCode("cTab");
constexpr pf::FourCharCode shapeCode = pf::fourCharCode("sObj");

// The 41 listed kinds, in order, made once.
const std::vector<ScriptableClass>& allConcreateObjectClasses();
// The listed kind with that code; none for any other code ("sObj" included).
const ShapeClass* objectClassForCode(pf::FourCharCode code);
bool canHandleCreateCommandForClass(const pf::ClassObject* shapeClass);
bool canHandleDeleteCommandForCode(pf::FourCharCode code);
// The kind's own entry, else its nearest listed ancestor's, else Shape's ("sObj", "Shapes").
pf::FourCharCode classCode(const pf::ClassObject& shapeClass);
QString scriptPluralClassName(const pf::ClassObject& shapeClass);
// "script" + plural: "scriptRectangles", "scriptShapes".
QString elementKey(const pf::ClassObject& shapeClass);
} // namespace ScriptingClasses

// ---- documents ----
namespace DocumentScripting {
// The pages of the document's window, in tab order.
std::vector<std::shared_ptr<Composition>> orderedRepresentedObjects(Document& document);
// One undo step named "Add …" or "Remove …" with the tab name (plural when two or more were added).
void setOrderedRepresentedObjects(Document& document, const std::vector<std::shared_ptr<Composition>>& pages);
std::shared_ptr<Composition> scriptSelectedRepresentedObject(Document& document);
// A page not among the tabs changes nothing.
void setScriptSelectedRepresentedObject(Document& document, const std::shared_ptr<Composition>& page);
// A new tab (in the background when not selected); the new page.
std::shared_ptr<Composition> handleCreateScriptCommand(Document& document, bool isSelected);
// 100 when the page is not the document's, 200 for its only page; nothing removed then.
std::optional<ScriptCommandError> handleDeleteScriptCommand(Document& document, const Composition* page);
// By name among the controller's documents.
ObjectSpecifier objectSpecifier(Document& document);
CanvasWindowController* windowController(Document& document);
} // namespace DocumentScripting

// ---- pages ----
namespace CompositionScripting {
// Index specifier in its document; none when the page's owner does not list it.
std::optional<ObjectSpecifier> objectSpecifier(Composition& page);
// From 1; 0 when the page's owner does not list it.
std::int64_t orderedIndex(Composition& page);
// The children except manipulators and lassos, in order.
std::vector<std::shared_ptr<Shape>> scriptShapes(const Composition& page);
// Makes the page's shapes the given ones by removing and inserting (registration, undo, notices as any
// edit), as one undo step; manipulators and lassos stay.
void setScriptShapes(Composition& page, const std::vector<std::shared_ptr<Shape>>& shapes);
// The shapes of exactly that kind; all of them for Shape.
std::vector<std::shared_ptr<Shape>> scriptChildrenOfClass(const Composition& page, const pf::ClassObject& shapeClass);
// The shapes under an element key ("scriptRectangles"); none for a key the table does not give.
std::optional<std::vector<std::shared_ptr<Shape>>> elementsForKey(const Composition& page, const QString& key);
// A new shape of a listed kind from its default property list; the shape, or the error.
std::shared_ptr<Shape> handleCreateScriptCommand(Composition& page, const pf::ClassObject* shapeClass,
                                                 ScriptCommandError* error);
// Closes the page's tab; refused as the document refuses (100, 200).
std::optional<ScriptCommandError> handleDeleteScriptCommand(Composition& page);
// The document whose window shows the page; null when none does.
Document* owningDocument(const Composition& page);
} // namespace CompositionScripting

// ---- shapes ----
namespace ShapeScripting {
pf::FourCharCode classCode(const Shape& shape);
QString scriptPluralClassName(const Shape& shape);
// By name while no other shape of the page has it, else by identifier; none off a listed page.
std::optional<ObjectSpecifier> objectSpecifier(Shape& shape);
// From 1 among the page's scriptShapes; 0 off a page.
std::int64_t orderedIndex(const Shape& shape);

QString scriptName(const Shape& shape);
void setScriptName(Shape& shape, const QString& name);
QString scriptText(const Shape& shape);
void setScriptText(Shape& shape, const QString& text);
// "#RRGGBBAA"; "" when the shape has no colour under the key.
QString scriptColorForKey(const Shape& shape, const QString& key);
// "#RRGGBBAA" or "#RRGGBB" (opaque, any case); nothing for any other string.
std::optional<pf::Color> colorFromScriptString(const QString& color);
// A colour string as above, set outside the sticky defaults. Anything else changes nothing and fails.
std::optional<ScriptCommandError> setScriptColorForKey(Shape& shape, const QString& color, const QString& key);
QString scriptFillColor(const Shape& shape);
QString scriptStrokeColor(const Shape& shape);

// Display coordinates (from the page's ruler origin), for reading and writing alike; the integers rounded.
std::int64_t scriptX(const Shape& shape);
std::int64_t scriptY(const Shape& shape);
std::int64_t scriptWidth(const Shape& shape);
std::int64_t scriptHeight(const Shape& shape);
void setScriptX(Shape& shape, std::int64_t x);
void setScriptY(Shape& shape, std::int64_t y);
void setScriptWidth(Shape& shape, std::int64_t width);
void setScriptHeight(Shape& shape, std::int64_t height);
// {"x", "y"}, {"width", "height"}, {"x", "y", "width", "height"}: unrounded.
QVariantMap scriptLocation(const Shape& shape);
QVariantMap scriptSize(const Shape& shape);
QVariantMap scriptFrame(const Shape& shape);
// The components of each record, in the order they are set (x before y, width before height).
inline constexpr const char* locationKeys[] = {"x", "y"};
inline constexpr const char* sizeKeys[] = {"width", "height"};
inline constexpr const char* frameKeys[] = {"x", "y", "width", "height"};
// Why a component ("x", "y", "width" or "height") cannot take the value: not finite, a coordinate beyond
// ±Shape::displayFrameLimit, a size below 0 or above it (as the inspector's fields allow); none when it can.
std::optional<ScriptCommandError> componentError(const QString& key, double value);
// The numbers of the named components, in the order of keys; an error for any other entry or value, and
// for a record that names none.
std::optional<std::vector<std::pair<QString, double>>> frameComponents(const QVariantMap& map,
                                                                      std::span<const char* const> keys,
                                                                      ScriptCommandError* error);
// Each component named sets its part; a request with any bad component fails and changes nothing.
std::optional<ScriptCommandError> setScriptLocation(Shape& shape, const QVariantMap& location);
std::optional<ScriptCommandError> setScriptSize(Shape& shape, const QVariantMap& size);
std::optional<ScriptCommandError> setScriptFrame(Shape& shape, const QVariantMap& frame);
} // namespace ShapeScripting
