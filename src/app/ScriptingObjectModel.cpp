#include "app/ScriptingObjectModel.h"

#include "app/Document.h"
#include "geometry/QVColor.h"
#include "model/Composition.h"
#include "model/CompositionDelegate.h"
#include "model/Shape.h"
#include "model/ShapeClass.h"
#include "model/StickyDefaults.h"
#include "platform/docs/DocumentController.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/UndoManager.h"
#include "platform/text/AttributedString.h"
#include "shell/CanvasWindowController.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>

namespace {

QString tr(const char* text) { return QCoreApplication::translate("Scripting", text); }

constexpr int maxSpecifierDepth = 16;

QVariant codeValue(pf::FourCharCode code) { return pf::stringFromFourCharCode(code); }

std::optional<pf::FourCharCode> codeFromValue(const QVariant& value)
{
    if (value.typeId() == QMetaType::QString)
        return pf::fourCharCodeFromString(value.toString());
    bool ok = false;
    const qulonglong number = value.toULongLong(&ok);
    if (value.typeId() == QMetaType::Bool || !ok || number > std::numeric_limits<pf::FourCharCode>::max())
        return std::nullopt;
    return pf::FourCharCode(number);
}

// Scripting changes the selection only by clearing it, before a geometry edit.
void selectNoneFor(Shape& shape)
{
    auto* page = dynamic_cast<Composition*>(shape.composition());
    if (page && page->compositionDelegate())
        page->compositionDelegate()->compositionWantsSelectNone(*page);
}

Composition* pageOf(const Shape& shape)
{
    auto* page = dynamic_cast<Composition*>(shape.composition());
    return page && shape.parent() == page ? page : nullptr;
}

pf::Point displayOrigin(const Shape& shape)
{
    const pf::Point origin = shape.frame().origin;
    const auto* page = shape.composition();
    return page ? page->rulerOriginAdjustedPoint(origin) : origin;
}

std::int64_t rounded(double value)
{
    if (!std::isfinite(value))
        return 0;
    return std::int64_t(std::llround(std::clamp(value, -9.0e18, 9.0e18)));
}

} // namespace

// ---- errors ----

ScriptCommandError ScriptError::make(int number, const QString& detail)
{
    QString message;
    switch (number) {
    case PageIndexOutOfBounds:
        return {number, QStringLiteral("The specified page index is out of bounds.")};
    case OnlyPage:
        return {number, QStringLiteral("Can't remove only page in a document.")};
    case CoercionFailed:
        message = tr("Can't make the data into the expected type.");
        break;
    case ParameterMissing:
        message = tr("A required parameter is missing.");
        break;
    case EventNotHandled:
        message = tr("The command is not understood.");
        break;
    case BadKeyForm:
        message = tr("Invalid key form.");
        break;
    case NoSuchObject:
        message = tr("Can't get the object.");
        break;
    case NotModifiable:
        message = tr("Can't set a read-only property.");
        break;
    case CantHandleClass:
        message = tr("Can't make objects of that class.");
        break;
    default:
        message = tr("The command failed.");
        break;
    }
    return {number, detail.isEmpty() ? message : message + u' ' + detail};
}

// ---- specifiers ----

QVariantMap ObjectSpecifier::toRecord() const
{
    QVariantMap record{{QStringLiteral("want"), codeValue(want)},
                       {QStringLiteral("form"), codeValue(form)},
                       {QStringLiteral("seld"), seld}};
    if (from)
        record.insert(QStringLiteral("from"), from->toRecord());
    return record;
}

std::optional<ObjectSpecifier> ObjectSpecifier::fromRecord(const QVariant& record, ScriptCommandError* error)
{
    const auto parse = [error](const auto& self, const QVariant& value, int depth) -> std::optional<ObjectSpecifier> {
        if (value.typeId() != QMetaType::QVariantMap || depth > maxSpecifierDepth) {
            *error = ScriptError::make(ScriptError::BadKeyForm, tr("An object specifier is a record of want, form, seld and from."));
            return std::nullopt;
        }
        const QVariantMap map = value.toMap();
        ObjectSpecifier specifier;
        const auto want = codeFromValue(map.value(QStringLiteral("want")));
        const auto form = codeFromValue(map.value(QStringLiteral("form")));
        if (!want || !form || (*form != formIndex && *form != formName && *form != formUniqueID)) {
            *error = ScriptError::make(ScriptError::BadKeyForm, tr("The want or form is not understood."));
            return std::nullopt;
        }
        specifier.want = *want;
        specifier.form = *form;
        specifier.seld = map.value(QStringLiteral("seld"));
        if (!specifier.seld.isValid()) {
            *error = ScriptError::make(ScriptError::ParameterMissing, tr("The specifier has no seld."));
            return std::nullopt;
        }
        if (const QVariant from = map.value(QStringLiteral("from")); from.isValid() && !pf::isNullValue(from)) {
            auto container = self(self, from, depth + 1);
            if (!container)
                return std::nullopt;
            specifier.from = std::make_shared<const ObjectSpecifier>(std::move(*container));
        }
        return specifier;
    };
    return parse(parse, record, 0);
}

// ---- the class table ----

const std::vector<ScriptableClass>& ScriptingClasses::allConcreateObjectClasses()
{
    struct Row {
        const char* name;
        const char code[5];
        const char* plural;
    };
    static constexpr Row rows[] = {
        {"Group", "sGrp", "Groups"},
        {"Bezier", "sBez", "Beziers"},
        {"Brush", "sBru", "Brushes"},
        {"ResizeText", "sTxt", "ResizeTexts"},
        {"Line", "sLin", "Lines"},
        {"SegmentedLine", "sSeg", "SegmentedLines"},
        {"Path", "sPth", "Paths"},
        {"Pointer", "sPtr", "Pointers"},
        {"Image", "sImg", "Images"},
        {"Rectangle", "sRct", "Rectangles"},
        {"RoundRectangle", "sRRt", "RoundRectangles"},
        {"Ellipse", "sElp", "Ellipses"},
        {"Triangle", "sTri", "Triangles"},
        {"RightTriangle", "sRTr", "RightTriangles"},
        {"Diamond", "sDia", "Diamonds"},
        {"PolygonShape", "sPly", "Polygons"},
        {"Star", "sStr", "Stars"},
        {"Arrow", "sArr", "Arrows"},
        {"DoubleArrow", "sDAr", "DoubleArrows"},
        {"Cloud", "sCld", "Clouds"},
        {"TitleBox", "sTBx", "TitleBoxes"},
        {"Redact", "sRdt", "Redacts"},
        {"Loupe", "sLup", "Loupes"},
        {"Bracket", "sBkt", "Brackets"},
        {"Man", "sMan", "Mans"},
        {"Arc", "sArc", "Arcs"},
        {"Blob", "sBlb", "Blobs"},
        {"Callout", "sCOt", "Callouts"},
        {"Cylinder", "sCyl", "Cylinders"},
        {"Pie", "sPie", "Pies"},
        {"Fan", "sFan", "Fans"},
        {"Box", "sBox", "Boxes"},
        {"Note", "sNot", "Notes"},
        {"Folder", "sFdr", "Folders"},
        {"Swoosh", "sSwo", "Swooshes"},
        {"Tearaway", "sTrw", "Tearaways"},
        {"DoubleTearaway", "sDTw", "DoubleTearaways"},
        {"Home", "sHom", "Homes"},
        {"Parallelogram", "sPrg", "Parallelograms"},
        {"Input", "sIpt", "Inputs"},
        {"DoubleInput", "sDIt", "DoubleInputs"},
    };
    // Made once all the kinds are registered; a lookup before that (nothing in the program does one)
    // answers what is there and tries again next time, so the table is never kept short.
    static std::mutex lock;
    static std::vector<ScriptableClass> classes;
    static bool complete = false;
    std::lock_guard guard(lock);
    if (complete)
        return classes;
    classes.clear();
    const pf::ClassRegistry& registry = pf::ClassRegistry::shared();
    for (const Row& row : rows)
        if (const auto* shapeClass = registry.lookup<ShapeClass>(QLatin1String(row.name)))
            classes.push_back({shapeClass, pf::fourCharCode(row.code), QLatin1String(row.plural)});
    complete = classes.size() == std::size(rows);
    return classes;
}

namespace {

// The class's own row, or its nearest listed ancestor's; none for Shape and kinds outside the table.
const ScriptableClass* rowFor(const pf::ClassObject& shapeClass)
{
    const auto& classes = ScriptingClasses::allConcreateObjectClasses();
    for (const pf::ClassObject* cls = &shapeClass; cls; cls = cls->superclass())
        for (const ScriptableClass& row : classes)
            if (row.shapeClass == cls)
                return &row;
    return nullptr;
}

} // namespace

const ShapeClass* ScriptingClasses::objectClassForCode(pf::FourCharCode code)
{
    for (const ScriptableClass& row : allConcreateObjectClasses())
        if (row.code == code)
            return row.shapeClass;
    return nullptr;
}

bool ScriptingClasses::canHandleCreateCommandForClass(const pf::ClassObject* shapeClass)
{
    const auto& classes = allConcreateObjectClasses();
    return shapeClass && std::any_of(classes.begin(), classes.end(),
                                     [shapeClass](const ScriptableClass& row) { return row.shapeClass == shapeClass; });
}

bool ScriptingClasses::canHandleDeleteCommandForCode(pf::FourCharCode code) { return objectClassForCode(code) != nullptr; }

pf::FourCharCode ScriptingClasses::classCode(const pf::ClassObject& shapeClass)
{
    const ScriptableClass* row = rowFor(shapeClass);
    return row ? row->code : shapeCode;
}

QString ScriptingClasses::scriptPluralClassName(const pf::ClassObject& shapeClass)
{
    const ScriptableClass* row = rowFor(shapeClass);
    return row ? row->plural : QStringLiteral("Shapes");
}

QString ScriptingClasses::elementKey(const pf::ClassObject& shapeClass)
{
    return QStringLiteral("script") + scriptPluralClassName(shapeClass);
}

// ---- documents ----

CanvasWindowController* DocumentScripting::windowController(Document& document)
{
    return dynamic_cast<CanvasWindowController*>(document.canvasWindowController().get());
}

std::vector<std::shared_ptr<Composition>> DocumentScripting::orderedRepresentedObjects(Document& document)
{
    std::vector<std::shared_ptr<Composition>> pages;
    if (CanvasWindowController* window = windowController(document))
        for (const auto& model : window->tabModels())
            if (auto page = std::dynamic_pointer_cast<Composition>(model->representedObject()))
                pages.push_back(std::move(page));
    return pages;
}

void DocumentScripting::setOrderedRepresentedObjects(Document& document,
                                                     const std::vector<std::shared_ptr<Composition>>& pages)
{
    CanvasWindowController* window = windowController(document);
    if (!window)
        return;
    const auto old = orderedRepresentedObjects(document);
    pf::UndoManager* undo = window->undoManager();
    if (undo)
        undo->disableUndoRegistration();
    while (window->numberOfTabs() > 0)
        window->removeTabModelAtIndex(window->numberOfTabs() - 1);
    for (const auto& page : pages) {
        QString error;
        if (!window->addTabWithRepresentedObject(page, window->defaultType(), &error))
            qWarning("scripting: a page could not be added: %s", qPrintable(error));
    }
    if (!undo)
        return;
    undo->enableUndoRegistration();
    undo->registerUndo([weak = std::weak_ptr<pf::Document>(document.shared_from_this()), old] {
        if (auto alive = std::dynamic_pointer_cast<Document>(weak.lock()))
            setOrderedRepresentedObjects(*alive, old);
    });
    const auto added = std::ptrdiff_t(pages.size()) - std::ptrdiff_t(old.size());
    const QString verb = pages.size() > old.size() ? pf::localized("Add") : pf::localized("Remove");
    undo->setActionName(QStringLiteral("%1 %2").arg(verb, added < 2 ? window->localizedDisplayNameForTab()
                                                                     : window->localizedDisplayNameForTabPlural()));
}

std::shared_ptr<Composition> DocumentScripting::scriptSelectedRepresentedObject(Document& document)
{
    CanvasWindowController* window = windowController(document);
    const auto& model = window ? window->selectedTabModel() : nullptr;
    return model ? std::dynamic_pointer_cast<Composition>(model->representedObject()) : nullptr;
}

void DocumentScripting::setScriptSelectedRepresentedObject(Document& document, const std::shared_ptr<Composition>& page)
{
    CanvasWindowController* window = windowController(document);
    if (!window || !page)
        return;
    const std::size_t index = window->indexOfTabModelWithRepresentedObject(page.get());
    if (index != pf::NotFound)
        window->setSelectedTabIndex(index);
}

std::shared_ptr<Composition> DocumentScripting::handleCreateScriptCommand(Document& document, bool isSelected)
{
    CanvasWindowController* window = windowController(document);
    if (!window)
        return nullptr;
    if (isSelected) {
        window->newTab();
        return scriptSelectedRepresentedObject(document);
    }
    window->newBackgroundTab();
    const auto& models = window->tabModels();
    return models.empty() ? nullptr : std::dynamic_pointer_cast<Composition>(models.back()->representedObject());
}

std::optional<ScriptCommandError> DocumentScripting::handleDeleteScriptCommand(Document& document, const Composition* page)
{
    CanvasWindowController* window = windowController(document);
    const std::size_t index = window && page ? window->indexOfTabModelWithRepresentedObject(page) : pf::NotFound;
    if (index == pf::NotFound || index >= window->numberOfTabs())
        return ScriptError::make(ScriptError::PageIndexOutOfBounds);
    if (window->numberOfTabs() <= 1)
        return ScriptError::make(ScriptError::OnlyPage);
    window->removeTabModelAtIndex(index);
    return std::nullopt;
}

ObjectSpecifier DocumentScripting::objectSpecifier(Document& document)
{
    ObjectSpecifier specifier;
    specifier.want = ScriptingClasses::documentCode;
    specifier.form = ObjectSpecifier::formName;
    specifier.seld = document.displayName();
    return specifier;
}

// ---- pages ----

Document* CompositionScripting::owningDocument(const Composition& page)
{
    pf::DocumentController* controller = pf::DocumentController::shared();
    if (!controller)
        return nullptr;
    for (const auto& candidate : controller->documents()) {
        auto* document = dynamic_cast<Document*>(candidate.get());
        CanvasWindowController* window = document ? DocumentScripting::windowController(*document) : nullptr;
        if (window && window->indexOfTabModelWithRepresentedObject(&page) != pf::NotFound)
            return document;
    }
    return nullptr;
}

std::optional<ObjectSpecifier> CompositionScripting::objectSpecifier(Composition& page)
{
    Document* document = owningDocument(page);
    const std::int64_t index = orderedIndex(page);
    if (!document || index == 0)
        return std::nullopt;
    ObjectSpecifier specifier;
    specifier.want = ScriptingClasses::pageCode;
    specifier.form = ObjectSpecifier::formIndex;
    specifier.seld = qlonglong(index);
    specifier.from = std::make_shared<const ObjectSpecifier>(DocumentScripting::objectSpecifier(*document));
    return specifier;
}

std::int64_t CompositionScripting::orderedIndex(Composition& page)
{
    CompositionDelegate* delegate = page.compositionDelegate();
    const std::size_t index = delegate ? delegate->indexOfComposition(page) : pf::NotFound;
    return index == pf::NotFound ? 0 : std::int64_t(index) + 1;
}

std::vector<std::shared_ptr<Shape>> CompositionScripting::scriptShapes(const Composition& page)
{
    std::vector<std::shared_ptr<Shape>> shapes;
    for (const auto& child : page.children())
        if (!child->isManipulator() && !child->isLasso())
            shapes.push_back(child);
    return shapes;
}

void CompositionScripting::setScriptShapes(Composition& page, const std::vector<std::shared_ptr<Shape>>& shapes)
{
    pf::UndoManager* undo = page.undoManager();
    const pf::UndoGroupToken group = undo ? undo->beginUndoGrouping() : pf::UndoGroupToken();
    // Shapes that are not wanted any more leave through the ordinary removal.
    for (const auto& shape : scriptShapes(page))
        if (std::find(shapes.begin(), shapes.end(), shape) == shapes.end())
            page.removeShape(shape);
    // Then each wanted shape takes its place among the scripted ones, the selection objects left where
    // they are.
    for (std::size_t wanted = 0; wanted < shapes.size(); ++wanted) {
        const auto& shape = shapes[wanted];
        if (!shape || std::find(shapes.begin(), shapes.begin() + std::ptrdiff_t(wanted), shape) != shapes.begin() + std::ptrdiff_t(wanted))
            continue;
        const auto& children = page.children();
        // The child index of the scripted position `wanted` (past the last scripted child when at the end).
        std::size_t target = children.size();
        std::size_t seen = 0;
        for (std::size_t i = 0; i < children.size(); ++i) {
            if (children[i]->isManipulator() || children[i]->isLasso())
                continue;
            if (seen++ == wanted) {
                target = i;
                break;
            }
        }
        const auto current = std::find(children.begin(), children.end(), shape);
        if (current == children.end()) {
            page.insertShapeAtIndex(shape, target);
        } else {
            const auto from = std::size_t(current - children.begin());
            if (from != target)
                page.moveShapeAtIndexToIndex(from, target);
        }
    }
    if (undo)
        undo->endUndoGrouping(group);
    page.notifyDelegateEditedInRect(page.frame());
}

std::vector<std::shared_ptr<Shape>> CompositionScripting::scriptChildrenOfClass(const Composition& page,
                                                                                const pf::ClassObject& shapeClass)
{
    auto shapes = scriptShapes(page);
    if (&shapeClass == &Shape::staticClass())
        return shapes;
    std::erase_if(shapes, [&shapeClass](const auto& shape) { return &shape->classObject() != &shapeClass; });
    return shapes;
}

std::optional<std::vector<std::shared_ptr<Shape>>> CompositionScripting::elementsForKey(const Composition& page,
                                                                                       const QString& key)
{
    if (key == QLatin1String("scriptShapes"))
        return scriptShapes(page);
    for (const ScriptableClass& row : ScriptingClasses::allConcreateObjectClasses())
        if (key == QStringLiteral("script") + row.plural)
            return scriptChildrenOfClass(page, *row.shapeClass);
    return std::nullopt;
}

std::shared_ptr<Shape> CompositionScripting::handleCreateScriptCommand(Composition& page, const pf::ClassObject* shapeClass,
                                                                       ScriptCommandError* error)
{
    if (!ScriptingClasses::canHandleCreateCommandForClass(shapeClass)) {
        *error = ScriptError::make(ScriptError::CantHandleClass);
        return nullptr;
    }
    auto shape = page.addShapeFromPlist(static_cast<const ShapeClass*>(shapeClass)->plist());
    if (!shape)
        *error = ScriptError::make(ScriptError::CantHandleClass, tr("No %1 could be made.").arg(shapeClass->className()));
    return shape;
}

std::optional<ScriptCommandError> CompositionScripting::handleDeleteScriptCommand(Composition& page)
{
    Document* document = owningDocument(page);
    if (!document)
        return ScriptError::make(ScriptError::PageIndexOutOfBounds);
    return DocumentScripting::handleDeleteScriptCommand(*document, &page);
}

// ---- shapes ----

pf::FourCharCode ShapeScripting::classCode(const Shape& shape) { return ScriptingClasses::classCode(shape.classObject()); }

QString ShapeScripting::scriptPluralClassName(const Shape& shape)
{
    return ScriptingClasses::scriptPluralClassName(shape.classObject());
}

std::optional<ObjectSpecifier> ShapeScripting::objectSpecifier(Shape& shape)
{
    Composition* page = pageOf(shape);
    auto container = page ? CompositionScripting::objectSpecifier(*page) : std::nullopt;
    if (!container)
        return std::nullopt;
    ObjectSpecifier specifier;
    specifier.want = classCode(shape);
    specifier.from = std::make_shared<const ObjectSpecifier>(std::move(*container));
    const QString& name = shape.title();
    const auto shapes = CompositionScripting::scriptShapes(*page);
    const auto sameName = std::count_if(shapes.begin(), shapes.end(), [&name](const auto& s) { return s->title() == name; });
    if (!name.isEmpty() && sameName == 1) {
        specifier.form = ObjectSpecifier::formName;
        specifier.seld = name;
    } else {
        specifier.form = ObjectSpecifier::formUniqueID;
        specifier.seld = shape.identifier();
    }
    return specifier;
}

std::int64_t ShapeScripting::orderedIndex(const Shape& shape)
{
    const Composition* page = pageOf(shape);
    if (!page)
        return 0;
    const auto shapes = CompositionScripting::scriptShapes(*page);
    const auto found = std::find_if(shapes.begin(), shapes.end(), [&shape](const auto& s) { return s.get() == &shape; });
    return found == shapes.end() ? 0 : std::int64_t(found - shapes.begin()) + 1;
}

QString ShapeScripting::scriptName(const Shape& shape) { return shape.title(); }

void ShapeScripting::setScriptName(Shape& shape, const QString& name) { shape.setTitle(name); }

QString ShapeScripting::scriptText(const Shape& shape)
{
    const pf::AttributedString* text = shape.attributedText();
    return text ? text->string() : QString();
}

void ShapeScripting::setScriptText(Shape& shape, const QString& text)
{
    const pf::AttributedString* current = shape.attributedText();
    const pf::TextAttributes attributes =
        current && !current->string().isEmpty() ? current->attributesAtIndex(0) : shape.textAttributes();
    const pf::AttributedString replacement(text, attributes);
    shape.setAttributedText(&replacement);
    shape.setNeedsDisplay();
}

QString ShapeScripting::scriptColorForKey(const Shape& shape, const QString& key)
{
    const pf::Variant value = shape.valueForKey(key);
    const auto hex = QVHexaStringFromColor(value.get<pf::OptionalColor>().value_or(pf::OptionalColor()));
    return hex ? u'#' + *hex : QStringLiteral("");
}

std::optional<pf::Color> ShapeScripting::colorFromScriptString(const QString& color)
{
    if (!color.startsWith(u'#'))
        return std::nullopt;
    const QStringView digits = QStringView(color).mid(1);
    if (digits.size() != 6 && digits.size() != 8)
        return std::nullopt;
    // Every character a hex digit: no sign, space or prefix that a number reading would let through.
    const auto isHex = [](QChar c) { return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); };
    if (!std::all_of(digits.begin(), digits.end(), isHex))
        return std::nullopt;
    bool ok = false;
    const std::uint32_t value = digits.toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return digits.size() == 8 ? QVHexaColor(value) : QVHexColor(value);
}

std::optional<ScriptCommandError> ShapeScripting::setScriptColorForKey(Shape& shape, const QString& color, const QString& key)
{
    const auto parsed = colorFromScriptString(color);
    if (!parsed)
        return ScriptError::make(ScriptError::CoercionFailed,
                                 tr("\"%1\" is not a colour of the form #RRGGBB or #RRGGBBAA.").arg(color));
    StickyDefaults::doWithoutStickySetting([&] { shape.setValueForKey(pf::Variant(*parsed), key); });
    return std::nullopt;
}

QString ShapeScripting::scriptFillColor(const Shape& shape) { return scriptColorForKey(shape, QStringLiteral("fillColor")); }

QString ShapeScripting::scriptStrokeColor(const Shape& shape) { return scriptColorForKey(shape, QStringLiteral("strokeColor")); }

std::int64_t ShapeScripting::scriptX(const Shape& shape) { return rounded(displayOrigin(shape).x); }
std::int64_t ShapeScripting::scriptY(const Shape& shape) { return rounded(displayOrigin(shape).y); }
std::int64_t ShapeScripting::scriptWidth(const Shape& shape) { return rounded(shape.frame().width()); }
std::int64_t ShapeScripting::scriptHeight(const Shape& shape) { return rounded(shape.frame().height()); }

void ShapeScripting::setScriptX(Shape& shape, std::int64_t x)
{
    selectNoneFor(shape);
    shape.setDisplayFrameX(double(x));
}

void ShapeScripting::setScriptY(Shape& shape, std::int64_t y)
{
    selectNoneFor(shape);
    shape.setDisplayFrameY(double(y));
}

void ShapeScripting::setScriptWidth(Shape& shape, std::int64_t width)
{
    selectNoneFor(shape);
    shape.setDisplayFrameWidth(double(width));
}

void ShapeScripting::setScriptHeight(Shape& shape, std::int64_t height)
{
    selectNoneFor(shape);
    shape.setDisplayFrameHeight(double(height));
}

QVariantMap ShapeScripting::scriptLocation(const Shape& shape)
{
    const pf::Point origin = displayOrigin(shape);
    return {{QStringLiteral("x"), origin.x}, {QStringLiteral("y"), origin.y}};
}

QVariantMap ShapeScripting::scriptSize(const Shape& shape)
{
    return {{QStringLiteral("width"), shape.frame().width()}, {QStringLiteral("height"), shape.frame().height()}};
}

QVariantMap ShapeScripting::scriptFrame(const Shape& shape)
{
    QVariantMap frame = scriptLocation(shape);
    frame.insert(scriptSize(shape));
    return frame;
}

std::optional<ScriptCommandError> ShapeScripting::componentError(const QString& key, double value)
{
    const double limit = Shape::displayFrameLimit;
    const bool size = key == QLatin1String("width") || key == QLatin1String("height");
    if (!std::isfinite(value))
        return ScriptError::make(ScriptError::CoercionFailed, tr("The %1 is not a number.").arg(key));
    if (size && (value < 0 || value > limit))
        return ScriptError::make(ScriptError::CoercionFailed,
                                 tr("The %1 %2 is not between 0 and %3.").arg(key).arg(value).arg(limit, 0, 'f', 0));
    if (!size && std::fabs(value) > limit)
        return ScriptError::make(ScriptError::CoercionFailed,
                                 tr("The %1 %2 is not between -%3 and %3.").arg(key).arg(value).arg(limit, 0, 'f', 0));
    return std::nullopt;
}

std::optional<std::vector<std::pair<QString, double>>> ShapeScripting::frameComponents(
    const QVariantMap& map, std::span<const char* const> keys, ScriptCommandError* error)
{
    for (const QString& key : map.keys()) {
        if (std::none_of(keys.begin(), keys.end(), [&key](const char* k) { return key == QLatin1String(k); })) {
            *error = ScriptError::make(ScriptError::CoercionFailed, tr("Unknown field \"%1\".").arg(key));
            return std::nullopt;
        }
    }
    std::vector<std::pair<QString, double>> values;
    for (const char* key : keys) {
        const auto found = map.constFind(QLatin1String(key));
        if (found == map.constEnd())
            continue;
        const int type = found->typeId();
        bool ok = false;
        const double value = found->toDouble(&ok);
        if (type == QMetaType::QString || type == QMetaType::Bool || !ok) {
            *error = ScriptError::make(ScriptError::CoercionFailed, tr("The %1 is not a number.").arg(QLatin1String(key)));
            return std::nullopt;
        }
        if (auto refused = componentError(QLatin1String(key), value)) {
            *error = *refused;
            return std::nullopt;
        }
        values.emplace_back(QLatin1String(key), value);
    }
    if (values.empty()) {
        *error = ScriptError::make(ScriptError::CoercionFailed, tr("The record names none of its fields."));
        return std::nullopt;
    }
    return values;
}

namespace {

std::optional<ScriptCommandError> setComponents(Shape& shape, const QVariantMap& map, std::span<const char* const> keys)
{
    ScriptCommandError error;
    const auto values = ShapeScripting::frameComponents(map, keys, &error);
    if (!values)
        return error;
    selectNoneFor(shape);
    for (const auto& [key, value] : *values) {
        if (key == QLatin1String("x"))
            shape.setDisplayFrameX(value);
        else if (key == QLatin1String("y"))
            shape.setDisplayFrameY(value);
        else if (key == QLatin1String("width"))
            shape.setDisplayFrameWidth(value);
        else
            shape.setDisplayFrameHeight(value);
    }
    return std::nullopt;
}

} // namespace

std::optional<ScriptCommandError> ShapeScripting::setScriptLocation(Shape& shape, const QVariantMap& location)
{
    return setComponents(shape, location, locationKeys);
}

std::optional<ScriptCommandError> ShapeScripting::setScriptSize(Shape& shape, const QVariantMap& size)
{
    return setComponents(shape, size, sizeKeys);
}

std::optional<ScriptCommandError> ShapeScripting::setScriptFrame(Shape& shape, const QVariantMap& frame)
{
    return setComponents(shape, frame, frameKeys);
}
