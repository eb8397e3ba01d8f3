// A large document as users make them: pages of mixed shapes (gradient ellipses, stroked rounded
// rectangles, stars, text boxes, curves and arrows; about 3 KB a shape when stored), in a document whose
// window is the tests' recording tab host.
#pragma once

#include "app/Document.h"
#include "app/RecordingTabHost.h"
#include "controls/ControlKinds.h"
#include "model/Composition.h"
#include "model/Metrics.h"
#include "model/UserDefaults.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/text/AttributedString.h"

#include <QString>

#include <memory>

namespace largedocument {

inline void setUp()
{
    static const bool done = [] {
        // The built-in settings in memory: the user's own must not change the figures.
        auto store = std::make_unique<pf::UserDefaultsStore>();
        UserDefaults::registerDefaultValues(*store);
        pf::UserDefaultsStore::replaceStandard(std::move(store));
        registerControlKinds(pf::ClassRegistry::shared());
        Document::windowControllerFactory() = [](Document& document) {
            return std::make_shared<RecordingTabHost>(document);
        };
        return true;
    }();
    (void)done;
}

// Shape i of a page: kinds and styles cycle, each shape in a cell of a 100-column grid.
inline std::shared_ptr<Shape> mixedShape(int i)
{
    static const char* const kinds[] = {"Ellipse", "RoundRectangle", "Text", "Bezier", "Pointer", "Star"};
    const ShapeClass* kind = pf::ClassRegistry::shared().lookup<ShapeClass>(QString::fromLatin1(kinds[i % 6]));
    const pf::Rect frame((i % 100) * 40.0 + 4, (i / 100) * 40.0 + 4, 30 + i % 7, 24 + i % 5);
    auto shape = kind->newShape(frame);
    const pf::Color light(0.95, 0.9 + (i % 10) / 100.0, 1.0, 1.0);
    const pf::Color dark((i % 17) / 17.0, 0.4, 0.8, 1.0);
    shape->setStrokeColor(pf::Color(0.1, 0.1, (i % 13) / 13.0, 1.0));
    shape->setStrokeLineWidth(1 + i % 3);
    if (i % 2 == 0) {
        shape->setFillType(1);
        shape->setFillAngle(90);
        shape->setFillGradientElements({{light, 0.0}, {dark, 1.0}});
    } else {
        shape->setFillColor(dark);
    }
    if (i % 6 == 2)
        shape->setAttributedText(pf::AttributedString(QStringLiteral("Label %1").arg(i), shape->textAttributes()));
    shape->setRotationAngle(i % 9 == 0 ? 15 : 0);
    return shape;
}

// An untitled document whose one page holds count mixed shapes.
inline std::shared_ptr<Document> document(int count)
{
    setUp();
    auto document = std::make_shared<Document>();
    document->makeWindowControllers();
    document->canvasWindowControllerDidLoadWindow();
    auto page = std::dynamic_pointer_cast<Composition>(document->canvasWindowController()->tabModels().front()->representedObject());
    auto metrics = std::make_shared<Metrics>();
    metrics->setWidth(4000);
    metrics->setHeight(40.0 * (count / 100 + 1));
    page->setMetrics(metrics);
    for (int i = 0; i < count; ++i)
        page->addShape(mixedShape(i));
    return document;
}

} // namespace largedocument
