// Writes the sample document package that scripts/run previews: a page of every shape kind and a page of
// every phone control, each as the user gets it from the library, with a picture kept in the package's
// "Resources" on an image shape and a loupe and a redaction over it.
//
//     quorvel_sample_document resources/samples/Sample.quorveldoc
//
// The output is committed; run this again when kinds are added. Identifiers are numbered, so the same
// program writes the same bytes.
#include "controls/ControlKinds.h"
#include "model/Composition.h"
#include "model/Parent.h"
#include "model/UserDefaults.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "shapes/PictureKinds.h"
#include "shapes/ShapeKinds.h"
#include "shapes/Text.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>
#include <set>

namespace {

const QString pictureIdentifier = QStringLiteral("5A3E0C2D-7B1F-4E8A-9C6D-000000000001");

QString numberedIdentifier(int n)
{
    return QStringLiteral("5A3E0C2D-7B1F-4E8A-9C6D-%1").arg(n + 100, 12, 10, QLatin1Char('0'));
}

// The kinds the library lists (those with a title; containers are made by grouping, not placed), by name.
std::vector<const ShapeClass*> listedKinds(void (*registerKinds)(pf::ClassRegistry&))
{
    pf::ClassRegistry registry;
    registerKinds(registry);
    std::vector<const ShapeClass*> kinds;
    for (const ShapeClass* kind : registry.classesOfKind<ShapeClass>())
        if (!kind->title().isEmpty() && !kind->isSubclassOf(Parent::staticClass()))
            kinds.push_back(kind);
    return kinds;
}

// The kinds one registration adds to another's.
std::vector<const ShapeClass*> added(const std::vector<const ShapeClass*>& all, const std::vector<const ShapeClass*>& below)
{
    const std::set<const ShapeClass*> known(below.begin(), below.end());
    std::vector<const ShapeClass*> result;
    for (const ShapeClass* kind : all)
        if (!known.count(kind))
            result.push_back(kind);
    return result;
}

// A page laying out one library shape per kind in rows, each shape in a cell of its own size: controls
// keep their fixed sizes, and a kind whose frame follows its text is narrowed until it fits the cell's
// height. The page grows downwards when the rows need it.
std::shared_ptr<Composition> pageOfKinds(const std::vector<const ShapeClass*>& kinds, pf::Size pageSize, pf::Size cell,
                                         int& identifier)
{
    constexpr double margin = 20;
    std::vector<std::shared_ptr<Shape>> shapes;
    double x = margin, y = margin, rowHeight = 0;
    for (const ShapeClass* kind : kinds) {
        // As the user gets it from the library: the class's own initialiser and built-in defaults.
        auto shape = kind->newShape(pf::Rect(0, 0, cell.width - margin, cell.height - margin));
        // Text that overflows its library frame gets a frame that holds it.
        if (shape->hasText() && shape->textBoundingRect().size.height > shape->frame().size.height)
            shape->sizeToFitText(false);
        for (int i = 0; i < 8 && shape->frame().size.height > cell.height - margin; ++i) {
            const pf::Size size = shape->frame().size;
            shape->setFrame(pf::Rect(0, 0, size.width * (cell.height - margin) / size.height, cell.height - margin));
            if (shape->frame().size.height >= size.height) { // its height does not follow its width
                shape->setFrame(pf::Rect(pf::Point(), size));
                break;
            }
        }
        const pf::Size size = shape->frame().size;
        if (x > margin && x + size.width > pageSize.width - margin) {
            x = margin;
            y += rowHeight + margin;
            rowHeight = 0;
        }
        // Kinds that refit about their centre may not land where asked: move them there.
        shape->setFrame(pf::Rect(x, y, size.width, size.height));
        const pf::Point landed = shape->frame().origin;
        if (landed.x != x || landed.y != y)
            shape->setFrame(shape->frame().offsetBy(x - landed.x, y - landed.y));
        shape->setIdentifier(numberedIdentifier(identifier++));
        shapes.push_back(shape);
        x += std::max(size.width, cell.width - margin) + margin;
        rowHeight = std::max(rowHeight, size.height);
    }
    auto metrics = std::make_shared<Metrics>();
    metrics->setWidth(pageSize.width);
    metrics->setHeight(std::max(pageSize.height, y + rowHeight + margin));
    auto page = Composition::make(metrics);
    page->setIdentifier(numberedIdentifier(identifier++));
    for (const auto& shape : shapes)
        page->addShape(shape);
    return page;
}

QByteArray picture()
{
    const pf::Image image = pf::Image::drawn(pf::Size(160, 120), 1.0, [](pf::GraphicsContext& context) {
        context.setFillColor(pf::Color(0.98, 0.85, 0.45, 1));
        context.fillRect(pf::Rect(0, 0, 160, 120));
        context.setFillColor(pf::Color(0.95, 0.45, 0.2, 1));
        context.fillPath(pf::Path::oval(pf::Rect(50, 20, 60, 60)));
        context.setFillColor(pf::Color(0.2, 0.55, 0.3, 1));
        context.fillRect(pf::Rect(0, 90, 160, 30));
    });
    return image.pngData();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: quorvel_sample_document PACKAGE\n");
        return 2;
    }
    // Built-in style only: the sample does not depend on whoever runs this.
    auto store = std::make_unique<pf::UserDefaultsStore>();
    UserDefaults::registerDefaultValues(*store);
    pf::UserDefaultsStore::replaceStandard(std::move(store));
    registerControlKinds(pf::ClassRegistry::shared());

    const std::vector<const ShapeClass*> shapes = listedKinds(registerShapeKinds);
    const std::vector<const ShapeClass*> controls = added(listedKinds(registerControlKinds), shapes);

    int identifier = 0;
    pf::Value pages = pf::Value::array();
    auto first = pageOfKinds(shapes, pf::Size(800, 600), pf::Size(95, 80), identifier);
    // The package's picture on its own image shape, and a title.
    const QByteArray pictureData = picture();
    auto framed = Image::imageWithImage(pf::Image::fromData(pictureData), pictureIdentifier, 0);
    framed->setIdentifier(numberedIdentifier(identifier++));
    framed->setFrame(pf::Rect(600, 440, 160, 120));
    first->addShape(framed);
    // A loupe and a redaction over the picture, each showing the page beneath it.
    auto loupe = Shape::make<Loupe>(pf::Rect(610, 450, 60, 60));
    loupe->setIdentifier(numberedIdentifier(identifier++));
    first->addShape(loupe);
    auto redaction = Shape::make<Redact>(pf::Rect(690, 500, 60, 50));
    redaction->setIdentifier(numberedIdentifier(identifier++));
    first->addShape(redaction);
    auto title = Shape::make<Text>(pf::Rect(20, 540, 400, 40));
    title->setIdentifier(numberedIdentifier(identifier++));
    title->setAttributedText(pf::AttributedString(QStringLiteral("Quorvel: every shape kind"), title->textAttributes()));
    first->addShape(title);
    pages.append(first->asPlist());
    pages.append(pageOfKinds(controls, pf::Size(1024, 768), pf::Size(240, 110), identifier)->asPlist());

    pf::Value counts = pf::Value::dictionary();
    counts.set(pictureIdentifier, 1);
    pf::Value document = pf::Value::dictionary();
    document.set("version", 8);
    document.set("image_ref_counts", counts);
    document.set("compositions", pages);
    const pf::PropertyListWriteResult written = pf::writePropertyList(document);

    const QString package = QString::fromLocal8Bit(argv[1]);
    if (!written.ok() || !QDir().mkpath(package + QStringLiteral("/Resources"))
        || !writeFile(package + QStringLiteral("/composition_data.plist"), *written.data)
        || !writeFile(package + QStringLiteral("/Resources/") + pictureIdentifier, pictureData)) {
        std::fprintf(stderr, "quorvel_sample_document: cannot write %s %s\n", argv[1], qPrintable(written.error));
        return 1;
    }
    std::printf("quorvel_sample_document: wrote %s (%zu shape kinds, %zu controls)\n", argv[1], shapes.size(), controls.size());
    return 0;
}
