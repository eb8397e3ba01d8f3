#include "app/ScriptingBridge.h"

#include "app/Document.h"
#include "manipulators/Manipulator.h"
#include "model/Composition.h"
#include "model/CompositionDelegate.h"
#include "model/Shape.h"
#include "model/ShapeClass.h"
#include "platform/docs/DocumentController.h"
#include "platform/foundation/EventDescriptor.h"
#include "platform/foundation/UndoManager.h"
#include "platform/kit/Services.h"
#include "shell/CanvasWindowController.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QFile>
#include <QHash>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

QString tr(const char* text) { return QCoreApplication::translate("Scripting", text); }

// ---- resolving specifiers ----

struct Target {
    enum Kind { Application, DocumentKind, Page, ShapeKind };
    Kind kind = Application;
    Document* document = nullptr;
    std::shared_ptr<Composition> page;
    std::shared_ptr<Shape> shape;
};

// A class code as a script gave it: its four characters when they are printable, else the number (a
// code of control characters would cut the message short where it holds a NUL).
QString describeCode(pf::FourCharCode code)
{
    const QString text = pf::stringFromFourCharCode(code);
    const bool printable = text.size() == 4
        && std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7f; });
    return printable ? u'\'' + text + u'\'' : QString::number(code);
}

QString describe(const ObjectSpecifier& specifier)
{
    return QStringLiteral("%1 %2").arg(describeCode(specifier.want), specifier.seld.toString());
}

// An index from 1 (negative from the end) into count items; nothing when it names none.
std::optional<std::size_t> indexInto(const QVariant& seld, std::size_t count)
{
    const int type = seld.typeId();
    if (type == QMetaType::QString || type == QMetaType::Bool || type == QMetaType::Double || type == QMetaType::Float)
        return std::nullopt;
    bool ok = false;
    const qlonglong index = seld.toLongLong(&ok);
    if (!ok || index == 0)
        return std::nullopt;
    const qlonglong size = qlonglong(count);
    if (index > size || index < -size)
        return std::nullopt;
    return std::size_t(index > 0 ? index - 1 : size + index);
}

// The shape kind a class code names for elements: Shape for "sObj", a listed kind, else none.
const pf::ClassObject* shapeClassForCode(pf::FourCharCode code)
{
    if (code == ScriptingClasses::shapeCode)
        return &Shape::staticClass();
    return ScriptingClasses::objectClassForCode(code);
}

std::optional<Target> resolve(pf::DocumentController& controller, const ObjectSpecifier* specifier,
                              ScriptCommandError* error)
{
    if (!specifier)
        return Target{};
    const auto container = resolve(controller, specifier->from.get(), error);
    if (!container)
        return std::nullopt;
    const auto noSuch = [&] {
        *error = ScriptError::make(ScriptError::NoSuchObject, describe(*specifier));
        return std::nullopt;
    };
    const auto badForm = [&] {
        *error = ScriptError::make(ScriptError::BadKeyForm, describe(*specifier));
        return std::nullopt;
    };
    Target target = *container;
    if (specifier->want == ScriptingClasses::documentCode) {
        if (container->kind != Target::Application)
            return noSuch();
        std::vector<Document*> documents;
        for (const auto& candidate : controller.documents())
            if (auto* document = dynamic_cast<Document*>(candidate.get()); document && DocumentScripting::windowController(*document))
                documents.push_back(document);
        if (specifier->form == ObjectSpecifier::formIndex) {
            const auto index = indexInto(specifier->seld, documents.size());
            if (!index)
                return noSuch();
            target.document = documents[*index];
        } else if (specifier->form == ObjectSpecifier::formName) {
            const QString name = specifier->seld.toString();
            const auto found = std::find_if(documents.begin(), documents.end(),
                                            [&name](Document* d) { return d->displayName() == name; });
            if (found == documents.end())
                return noSuch();
            target.document = *found;
        } else {
            return badForm();
        }
        target.kind = Target::DocumentKind;
        return target;
    }
    if (specifier->want == ScriptingClasses::pageCode) {
        if (container->kind != Target::DocumentKind)
            return noSuch();
        const auto pages = DocumentScripting::orderedRepresentedObjects(*container->document);
        if (specifier->form == ObjectSpecifier::formIndex) {
            const auto index = indexInto(specifier->seld, pages.size());
            if (!index) {
                *error = ScriptError::make(ScriptError::PageIndexOutOfBounds);
                return std::nullopt;
            }
            target.page = pages[*index];
        } else if (specifier->form == ObjectSpecifier::formName) {
            const QString name = specifier->seld.toString();
            const auto found = std::find_if(pages.begin(), pages.end(), [&name](const auto& p) { return p->title() == name; });
            if (found == pages.end())
                return noSuch();
            target.page = *found;
        } else {
            return badForm();
        }
        target.kind = Target::Page;
        return target;
    }
    const pf::ClassObject* shapeClass = shapeClassForCode(specifier->want);
    if (!shapeClass) {
        *error = ScriptError::make(ScriptError::CantHandleClass,
                                   tr("There is no class %1.").arg(describeCode(specifier->want)));
        return std::nullopt;
    }
    if (container->kind != Target::Page)
        return noSuch();
    const auto shapes = CompositionScripting::scriptChildrenOfClass(*container->page, *shapeClass);
    std::shared_ptr<Shape> found;
    if (specifier->form == ObjectSpecifier::formIndex) {
        if (const auto index = indexInto(specifier->seld, shapes.size()))
            found = shapes[*index];
    } else {
        const bool byName = specifier->form == ObjectSpecifier::formName;
        const QString key = specifier->seld.toString();
        for (const auto& shape : shapes) {
            if ((byName ? shape->title() : shape->identifier()) == key) {
                found = shape;
                break;
            }
        }
    }
    if (!found)
        return noSuch();
    target.kind = Target::ShapeKind;
    target.shape = std::move(found);
    return target;
}

std::optional<Target> resolveRecord(pf::DocumentController& controller, const QVariant& record, ScriptCommandError* error)
{
    // An empty record is the application.
    if (record.typeId() == QMetaType::QVariantMap && record.toMap().isEmpty())
        return Target{};
    const auto specifier = ObjectSpecifier::fromRecord(record, error);
    if (!specifier)
        return std::nullopt;
    return resolve(controller, &*specifier, error);
}

QVariant recordOf(const std::optional<ObjectSpecifier>& specifier)
{
    return specifier ? QVariant(specifier->toRecord()) : pf::nullValue();
}

// ---- one change request, one undo step ----

pf::UndoManager* undoManagerOf(const Target& target)
{
    CanvasWindowController* window = target.document ? DocumentScripting::windowController(*target.document) : nullptr;
    return window ? window->undoManager() : nullptr;
}

template <class F>
auto asOneUndoStep(pf::UndoManager* undo, F&& change)
{
    const pf::UndoGroupToken group = undo ? undo->beginUndoGrouping() : pf::UndoGroupToken();
    auto result = std::forward<F>(change)();
    if (undo)
        undo->endUndoGrouping(group);
    return result;
}

// ---- properties ----

using Setter = std::function<void()>;

std::optional<qlonglong> integerOf(const QVariant& value)
{
    const int type = value.typeId();
    if (type == QMetaType::QString || type == QMetaType::Bool)
        return std::nullopt;
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok || !std::isfinite(number) || std::fabs(number) > 1.0e15)
        return std::nullopt;
    return qlonglong(std::llround(number));
}

std::optional<QString> stringOf(const QVariant& value)
{
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

QVariant getShapeProperty(Shape& shape, const QString& property, ScriptCommandError* error)
{
    if (property == QLatin1String("name"))
        return ShapeScripting::scriptName(shape);
    if (property == QLatin1String("text"))
        return ShapeScripting::scriptText(shape);
    if (property == QLatin1String("fillColor"))
        return ShapeScripting::scriptFillColor(shape);
    if (property == QLatin1String("strokeColor"))
        return ShapeScripting::scriptStrokeColor(shape);
    if (property == QLatin1String("x"))
        return qlonglong(ShapeScripting::scriptX(shape));
    if (property == QLatin1String("y"))
        return qlonglong(ShapeScripting::scriptY(shape));
    if (property == QLatin1String("width"))
        return qlonglong(ShapeScripting::scriptWidth(shape));
    if (property == QLatin1String("height"))
        return qlonglong(ShapeScripting::scriptHeight(shape));
    if (property == QLatin1String("location"))
        return ShapeScripting::scriptLocation(shape);
    if (property == QLatin1String("size"))
        return ShapeScripting::scriptSize(shape);
    if (property == QLatin1String("frame"))
        return ShapeScripting::scriptFrame(shape);
    if (property == QLatin1String("index"))
        return qlonglong(ShapeScripting::orderedIndex(shape));
    if (property == QLatin1String("class"))
        return pf::stringFromFourCharCode(ShapeScripting::classCode(shape));
    if (property == QLatin1String("id"))
        return shape.identifier();
    *error = ScriptError::make(ScriptError::EventNotHandled, tr("A shape has no property \"%1\".").arg(property));
    return {};
}

// Checks the value first, so that a request either changes everything it names or nothing.
Setter shapeSetter(const std::shared_ptr<Shape>& shape, const QString& property, const QVariant& value,
                   ScriptCommandError* error)
{
    const auto wrongType = [&] {
        *error = ScriptError::make(ScriptError::CoercionFailed, tr("The value for \"%1\" is not of the expected kind.").arg(property));
        return Setter();
    };
    if (property == QLatin1String("name") || property == QLatin1String("text")) {
        const auto text = stringOf(value);
        if (!text)
            return wrongType();
        if (property == QLatin1String("name"))
            return [shape, text = *text] { ShapeScripting::setScriptName(*shape, text); };
        return [shape, text = *text] { ShapeScripting::setScriptText(*shape, text); };
    }
    if (property == QLatin1String("fillColor") || property == QLatin1String("strokeColor")) {
        const auto text = stringOf(value);
        if (!text || !ShapeScripting::colorFromScriptString(*text)) {
            *error = ScriptError::make(ScriptError::CoercionFailed,
                                       tr("\"%1\" is not a colour of the form #RRGGBB or #RRGGBBAA.").arg(value.toString()));
            return {};
        }
        return [shape, text = *text, property] { ShapeScripting::setScriptColorForKey(*shape, text, property); };
    }
    using IntegerSetter = void (*)(Shape&, std::int64_t);
    const std::pair<const char*, IntegerSetter> integers[] = {{"x", &ShapeScripting::setScriptX},
                                                              {"y", &ShapeScripting::setScriptY},
                                                              {"width", &ShapeScripting::setScriptWidth},
                                                              {"height", &ShapeScripting::setScriptHeight}};
    for (const auto& [name, set] : integers) {
        if (property != QLatin1String(name))
            continue;
        const auto number = integerOf(value);
        if (!number)
            return wrongType();
        if (auto refused = ShapeScripting::componentError(property, double(*number))) {
            *error = *refused;
            return {};
        }
        return [shape, set, number = *number] { set(*shape, number); };
    }
    using MapSetter = std::optional<ScriptCommandError> (*)(Shape&, const QVariantMap&);
    const std::tuple<const char*, MapSetter, std::span<const char* const>> maps[] = {
        {"location", &ShapeScripting::setScriptLocation, ShapeScripting::locationKeys},
        {"size", &ShapeScripting::setScriptSize, ShapeScripting::sizeKeys},
        {"frame", &ShapeScripting::setScriptFrame, ShapeScripting::frameKeys}};
    for (const auto& [name, set, keys] : maps) {
        if (property != QLatin1String(name))
            continue;
        if (value.typeId() != QMetaType::QVariantMap)
            return wrongType();
        if (!ShapeScripting::frameComponents(value.toMap(), keys, error))
            return {};
        return [shape, set, map = value.toMap()] { set(*shape, map); };
    }
    if (property == QLatin1String("index") || property == QLatin1String("class") || property == QLatin1String("id")) {
        *error = ScriptError::make(ScriptError::NotModifiable, property);
        return {};
    }
    *error = ScriptError::make(ScriptError::EventNotHandled, tr("A shape has no property \"%1\".").arg(property));
    return {};
}

} // namespace

// ---- the commands ----

QVariant ScriptingCommands::get(const QVariant& specifier, const QString& property, ScriptCommandError* error)
{
    const auto target = resolveRecord(controller_, specifier, error);
    if (!target)
        return {};
    switch (target->kind) {
    case Target::ShapeKind:
        return getShapeProperty(*target->shape, property, error);
    case Target::Page:
        if (property == QLatin1String("index"))
            return qlonglong(CompositionScripting::orderedIndex(*target->page));
        if (property == QLatin1String("class"))
            return pf::stringFromFourCharCode(ScriptingClasses::pageCode);
        break;
    case Target::DocumentKind:
        if (property == QLatin1String("name"))
            return target->document->displayName();
        if (property == QLatin1String("class"))
            return pf::stringFromFourCharCode(ScriptingClasses::documentCode);
        if (property == QLatin1String("selectedPage")) {
            const auto page = DocumentScripting::scriptSelectedRepresentedObject(*target->document);
            return page ? recordOf(CompositionScripting::objectSpecifier(*page)) : pf::nullValue();
        }
        break;
    case Target::Application:
        break;
    }
    *error = ScriptError::make(ScriptError::EventNotHandled, tr("There is no property \"%1\" here.").arg(property));
    return {};
}

bool ScriptingCommands::set(const QVariant& specifier, const QString& property, const QVariant& value,
                            ScriptCommandError* error)
{
    const auto target = resolveRecord(controller_, specifier, error);
    if (!target)
        return false;
    Setter setter;
    if (target->kind == Target::ShapeKind) {
        setter = shapeSetter(target->shape, property, value, error);
    } else if (target->kind == Target::DocumentKind && property == QLatin1String("selectedPage")) {
        const auto page = resolveRecord(controller_, value, error);
        if (!page)
            return false;
        if (page->kind != Target::Page || page->document != target->document) {
            *error = ScriptError::make(ScriptError::PageIndexOutOfBounds);
            return false;
        }
        setter = [document = target->document, selected = page->page] {
            DocumentScripting::setScriptSelectedRepresentedObject(*document, selected);
        };
    } else {
        *error = ScriptError::make(target->kind == Target::Application ? ScriptError::EventNotHandled : ScriptError::NotModifiable,
                                   property);
    }
    if (!setter)
        return false;
    asOneUndoStep(undoManagerOf(*target), [&setter] {
        setter();
        return true;
    });
    return true;
}

QVariantList ScriptingCommands::elements(const QVariant& container, const QString& classCode, ScriptCommandError* error)
{
    const auto target = resolveRecord(controller_, container, error);
    if (!target)
        return {};
    const auto code = pf::fourCharCodeFromString(classCode);
    QVariantList out;
    if (target->kind == Target::Application && code == ScriptingClasses::documentCode) {
        for (const auto& candidate : controller_.documents())
            if (auto* document = dynamic_cast<Document*>(candidate.get()); document && DocumentScripting::windowController(*document))
                out.append(DocumentScripting::objectSpecifier(*document).toRecord());
        return out;
    }
    if (target->kind == Target::DocumentKind && code == ScriptingClasses::pageCode) {
        for (const auto& page : DocumentScripting::orderedRepresentedObjects(*target->document))
            out.append(recordOf(CompositionScripting::objectSpecifier(*page)));
        return out;
    }
    const pf::ClassObject* shapeClass = code ? shapeClassForCode(*code) : nullptr;
    if (target->kind == Target::Page && shapeClass) {
        for (const auto& shape : CompositionScripting::scriptChildrenOfClass(*target->page, *shapeClass))
            out.append(recordOf(ShapeScripting::objectSpecifier(*shape)));
        return out;
    }
    *error = code && (*code == ScriptingClasses::documentCode || *code == ScriptingClasses::pageCode || shapeClass)
                 ? ScriptError::make(ScriptError::NoSuchObject, tr("There are no '%1' elements here.").arg(classCode))
                 : ScriptError::make(ScriptError::CantHandleClass, tr("There is no class '%1'.").arg(classCode));
    return {};
}

QVariantMap ScriptingCommands::make(const QVariant& container, const QString& classCode, const QVariantMap& properties,
                                    ScriptCommandError* error)
{
    const auto target = resolveRecord(controller_, container, error);
    if (!target)
        return {};
    const auto code = pf::fourCharCodeFromString(classCode);
    if (target->kind == Target::DocumentKind && code == ScriptingClasses::pageCode) {
        bool selected = true;
        for (auto it = properties.begin(); it != properties.end(); ++it) {
            if (it.key() != QLatin1String("isSelected") || it.value().typeId() != QMetaType::Bool) {
                *error = ScriptError::make(ScriptError::CoercionFailed, tr("A new page takes only \"isSelected\"."));
                return {};
            }
            selected = it.value().toBool();
        }
        const auto page = asOneUndoStep(undoManagerOf(*target), [&] {
            return DocumentScripting::handleCreateScriptCommand(*target->document, selected);
        });
        const auto specifier = page ? CompositionScripting::objectSpecifier(*page) : std::nullopt;
        if (!specifier) {
            *error = ScriptError::make(ScriptError::CantHandleClass, tr("No page could be made."));
            return {};
        }
        return specifier->toRecord();
    }
    // Only the listed kinds can be made, and only on a page.
    const ShapeClass* shapeClass = code ? ScriptingClasses::objectClassForCode(*code) : nullptr;
    if (!shapeClass) {
        *error = ScriptError::make(ScriptError::CantHandleClass, tr("There is no class '%1' to make.").arg(classCode));
        return {};
    }
    if (target->kind != Target::Page) {
        *error = ScriptError::make(ScriptError::CantHandleClass, tr("Shapes are made on a page."));
        return {};
    }
    // The properties are checked against a shape of the kind before anything is made.
    const auto probe = shapeClass->newShape();
    for (auto it = properties.begin(); it != properties.end(); ++it)
        if (!shapeSetter(probe, it.key(), it.value(), error))
            return {};
    const auto shape = asOneUndoStep(undoManagerOf(*target), [&] {
        auto made = CompositionScripting::handleCreateScriptCommand(*target->page, shapeClass, error);
        if (made)
            for (auto it = properties.begin(); it != properties.end(); ++it)
                if (Setter set = shapeSetter(made, it.key(), it.value(), error))
                    set();
        return made;
    });
    if (!shape)
        return {};
    const auto specifier = ShapeScripting::objectSpecifier(*shape);
    return specifier ? specifier->toRecord() : QVariantMap();
}

bool ScriptingCommands::remove(const QVariant& specifier, ScriptCommandError* error)
{
    const auto target = resolveRecord(controller_, specifier, error);
    if (!target)
        return false;
    if (target->kind == Target::Page) {
        const auto refused = asOneUndoStep(undoManagerOf(*target), [&] {
            return DocumentScripting::handleDeleteScriptCommand(*target->document, target->page.get());
        });
        if (refused)
            *error = *refused;
        return !refused;
    }
    if (target->kind == Target::ShapeKind) {
        asOneUndoStep(undoManagerOf(*target), [&] {
            // A selected shape leaves the selection first, as the canvas's own delete does; any other
            // selection stays.
            const auto& children = target->page->children();
            const bool selected = std::any_of(children.begin(), children.end(), [&](const auto& child) {
                const auto* manipulator = dynamic_cast<const Manipulator*>(child.get());
                return manipulator && manipulator->containsShape(target->shape.get());
            });
            if (CompositionDelegate* delegate = target->page->compositionDelegate(); delegate && selected)
                delegate->compositionWantsSelectNone(*target->page);
            auto shapes = CompositionScripting::scriptShapes(*target->page);
            std::erase(shapes, target->shape);
            CompositionScripting::setScriptShapes(*target->page, shapes);
            return true;
        });
        return true;
    }
    *error = ScriptError::make(ScriptError::EventNotHandled, tr("Only pages and shapes can be deleted."));
    return false;
}

// ---- values, errors, the dictionary ----

std::optional<QVariant> throughDescriptors(const QVariant& value)
{
    // Empty lists and records have no descriptor of their own; they stand as they are.
    if ((value.typeId() == QMetaType::QVariantMap && value.toMap().isEmpty()) ||
        (value.typeId() == QMetaType::QVariantList && value.toList().isEmpty()))
        return value;
    const auto descriptor = pf::EventDescriptor::descriptorWithObject(value);
    if (!descriptor)
        return std::nullopt;
    return descriptor->objectValue();
}

QString scriptErrorName(int number)
{
    const char* name = "Failed";
    switch (number) {
    case ScriptError::PageIndexOutOfBounds: name = "PageIndexOutOfBounds"; break;
    case ScriptError::OnlyPage: name = "OnlyPage"; break;
    case ScriptError::CoercionFailed: name = "CoercionFailed"; break;
    case ScriptError::ParameterMissing: name = "ParameterMissing"; break;
    case ScriptError::EventNotHandled: name = "EventNotHandled"; break;
    case ScriptError::BadKeyForm: name = "BadKeyForm"; break;
    case ScriptError::NoSuchObject: name = "NoSuchObject"; break;
    case ScriptError::NotModifiable: name = "NotModifiable"; break;
    case ScriptError::CantHandleClass: name = "CantHandleClass"; break;
    default: break;
    }
    return QStringLiteral("com.thistlewick.Quorvel.Error.") + QLatin1String(name);
}

QString scriptingDictionary()
{
    QFile file(QStringLiteral(":/scripting/com.thistlewick.Quorvel.Scripting.xml"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

// ---- the bus ----

namespace {

// D-Bus arguments as plain values: structures and arrays as lists, dictionaries as maps, variants unwrapped.
QVariant fromDBus(const QVariant& value, int depth = 0)
{
    if (depth > 32)
        return {};
    if (value.userType() == qMetaTypeId<QDBusVariant>())
        return fromDBus(value.value<QDBusVariant>().variant(), depth + 1);
    if (value.userType() == qMetaTypeId<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    if (value.userType() == qMetaTypeId<QDBusSignature>())
        return value.value<QDBusSignature>().signature();
    if (value.userType() != qMetaTypeId<QDBusArgument>()) {
        if (value.typeId() == QMetaType::QVariantMap) {
            QVariantMap map = value.toMap();
            for (auto it = map.begin(); it != map.end(); ++it)
                *it = fromDBus(*it, depth + 1);
            return map;
        }
        if (value.typeId() == QMetaType::QVariantList) {
            QVariantList list = value.toList();
            for (QVariant& item : list)
                item = fromDBus(item, depth + 1);
            return list;
        }
        return value;
    }
    const auto argument = value.value<QDBusArgument>();
    switch (argument.currentType()) {
    case QDBusArgument::MapType: {
        QVariantMap map;
        argument.beginMap();
        while (!argument.atEnd()) {
            argument.beginMapEntry();
            const QVariant key = fromDBus(argument.asVariant(), depth + 1);
            const QVariant item = fromDBus(argument.asVariant(), depth + 1);
            argument.endMapEntry();
            map.insert(key.toString(), item);
        }
        argument.endMap();
        return map;
    }
    case QDBusArgument::ArrayType:
    case QDBusArgument::StructureType: {
        // A structure reads as the list of its fields.
        const bool array = argument.currentType() == QDBusArgument::ArrayType;
        QVariantList list;
        array ? argument.beginArray() : argument.beginStructure();
        while (!argument.atEnd())
            list.append(fromDBus(argument.asVariant(), depth + 1));
        array ? argument.endArray() : argument.endStructure();
        return list;
    }
    default:
        return fromDBus(argument.asVariant(), depth + 1);
    }
}

// Plain values as D-Bus arguments: null becomes the empty string (D-Bus has no null), maps a{sv}, lists av
// (their entries go as variants by themselves).
QVariant toDBus(const QVariant& value)
{
    if (pf::isNullValue(value) || !value.isValid())
        return QString();
    if (value.typeId() == QMetaType::QVariantMap) {
        QVariantMap map = value.toMap();
        for (auto it = map.begin(); it != map.end(); ++it)
            *it = toDBus(*it);
        return map;
    }
    if (value.typeId() == QMetaType::QVariantList) {
        QVariantList list = value.toList();
        for (QVariant& item : list)
            item = toDBus(item);
        return list;
    }
    if (value.typeId() == qMetaTypeId<pf::EventDescriptor>())
        return QString::fromLatin1(value.value<pf::EventDescriptor>().flattenedData().toBase64());
    return value;
}

} // namespace

class ScriptingBridge::Object : public QDBusVirtualObject {
public:
    explicit Object(pf::DocumentController& controller) : commands_(controller) {}

    QString introspect(const QString& path) const override
    {
        if (path != QLatin1String(ObjectPath))
            return {};
        // The description's interface element; the bus adds the standard ones.
        const QString description = scriptingDictionary();
        const qsizetype start = description.indexOf(QLatin1String("<interface"));
        const qsizetype end = description.lastIndexOf(QLatin1String("</interface>"));
        return start < 0 || end < start ? QString() : description.mid(start, end - start + qsizetype(sizeof("</interface>") - 1));
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.interface() != QLatin1String(InterfaceName) || message.path() != QLatin1String(ObjectPath))
            return false;
        // The bus does not check a virtual object's arguments: each call's signature is checked here.
        static const QHash<QString, QString> signatures{{QStringLiteral("Get"), QStringLiteral("a{sv}s")},
                                                        {QStringLiteral("Set"), QStringLiteral("a{sv}sv")},
                                                        {QStringLiteral("Elements"), QStringLiteral("a{sv}s")},
                                                        {QStringLiteral("Make"), QStringLiteral("a{sv}sa{sv}")},
                                                        {QStringLiteral("Delete"), QStringLiteral("a{sv}")}};
        const auto expected = signatures.constFind(message.member());
        if (expected == signatures.constEnd()) {
            reply(message, connection, ScriptError::make(ScriptError::EventNotHandled, message.member()));
            return true;
        }
        if (message.signature() != *expected) {
            reply(message, connection,
                  ScriptError::make(ScriptError::CoercionFailed, tr("%1 takes (%2).").arg(message.member(), *expected)));
            return true;
        }
        QVariantList arguments;
        for (const QVariant& argument : message.arguments()) {
            // Every value the script sends is read through the descriptor layer.
            const auto carried = throughDescriptors(fromDBus(argument));
            if (!carried) {
                reply(message, connection, ScriptError::make(ScriptError::CoercionFailed));
                return true;
            }
            arguments.append(*carried);
        }
        // A command that fails fills the error in (its message is never null).
        ScriptCommandError error;
        const auto succeeded = [&error] { return error.message.isNull(); };
        std::optional<QVariant> answer;
        const QString member = message.member();
        if (member == QLatin1String("Get")) {
            const QVariant value = commands_.get(arguments[0], arguments[1].toString(), &error);
            if (succeeded())
                answer = value;
        } else if (member == QLatin1String("Set")) {
            if (commands_.set(arguments[0], arguments[1].toString(), arguments[2], &error))
                answer = QVariant();
        } else if (member == QLatin1String("Elements")) {
            const QVariantList elements = commands_.elements(arguments[0], arguments[1].toString(), &error);
            if (succeeded())
                answer = elements;
        } else if (member == QLatin1String("Make")) {
            const QVariantMap made = commands_.make(arguments[0], arguments[1].toString(), arguments[2].toMap(), &error);
            if (succeeded())
                answer = made;
        } else {
            if (commands_.remove(arguments[0], &error))
                answer = QVariant();
        }
        if (!answer) {
            reply(message, connection, error);
            return true;
        }
        // And every value it gets back.
        const auto carried = throughDescriptors(*answer);
        if (!carried) {
            reply(message, connection, ScriptError::make(ScriptError::CoercionFailed));
            return true;
        }
        QDBusMessage out = message.createReply();
        if (member == QLatin1String("Get"))
            out << QVariant::fromValue(QDBusVariant(toDBus(*carried)));
        else if (member == QLatin1String("Elements") || member == QLatin1String("Make"))
            out << toDBus(member == QLatin1String("Make") && !carried->isValid() ? QVariant(QVariantMap()) : *carried);
        connection.send(out);
        return true;
    }

private:
    static void reply(const QDBusMessage& message, const QDBusConnection& connection, const ScriptCommandError& error)
    {
        connection.send(message.createErrorReply(scriptErrorName(error.number), error.message));
    }

    ScriptingCommands commands_;
};

ScriptingBridge::ScriptingBridge(pf::DocumentController& controller) : object_(std::make_unique<Object>(controller)) {}

ScriptingBridge::~ScriptingBridge() { stop(); }

bool ScriptingBridge::start()
{
    if (running_)
        return true;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        pf::logMessage(tr("Scripting is off: there is no session bus (%1).").arg(bus.lastError().message()));
        return false;
    }
    if (!bus.registerVirtualObject(QLatin1String(ObjectPath), object_.get())) {
        pf::logMessage(tr("Scripting is off: the object %1 could not be registered.").arg(QLatin1String(ObjectPath)));
        return false;
    }
    if (!bus.registerService(QLatin1String(ServiceName))) {
        bus.unregisterObject(QLatin1String(ObjectPath));
        pf::logMessage(tr("Scripting is off: the name %1 is taken.").arg(QLatin1String(ServiceName)));
        return false;
    }
    running_ = true;
    return true;
}

void ScriptingBridge::stop()
{
    if (!running_)
        return;
    running_ = false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(QLatin1String(ServiceName));
    bus.unregisterObject(QLatin1String(ObjectPath));
}
