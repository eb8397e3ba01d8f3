// Fixture of the text kinds' tests: the drawing fixture of the model tests with the text kinds registered.
#pragma once

#include "model/ShapeDrawingTestSupport.h"

#include "shapes/Text.h"

class TextShapesTest : public ShapeDrawingTest {
protected:
    static void SetUpTestSuite()
    {
        ShapeDrawingTest::SetUpTestSuite();
        registerTextShapes(pf::ClassRegistry::shared());
    }

    // A kind made on the canvas page (with its undo manager), as a new shape of the library is.
    template <class Kind>
    std::shared_ptr<Kind> onPage(const pf::Rect& frame)
    {
        auto shape = Shape::make<Kind>(frame);
        shape->setComposition(&canvasPage);
        return shape;
    }

    static pf::AttributedString styled(const QString& s, double size = 12, const pf::Color& color = pf::Color::black())
    {
        pf::TextAttributes a;
        a.font = pf::Font(QStringLiteral("Helvetica"), size);
        a.foregroundColor = color;
        return pf::AttributedString(s, a);
    }
};
