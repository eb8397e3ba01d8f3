// What drawing keeps between frames (the shifted stroke, the fill and gradient outlines, the gradient's
// brush, the painting forms of paths) must follow every change of the shape: a shape draws as it is now,
// never as it was at an earlier frame.
#include "ShapeDrawingTestSupport.h"

#include <functional>

namespace {

const pf::Color red(1, 0, 0, 1);
const pf::Color blue(0, 0, 1, 1);

const pf::RecordedCall* firstCall(const pf::RecordingContext& context, const std::string& operation)
{
    for (const pf::RecordedCall& call : context.calls())
        if (call.operation == operation)
            return &call;
    return nullptr;
}

TEST_F(ShapeDrawingTest, WhatDrawingKeepsFollowsTheShape)
{
    struct Case {
        const char* change;
        std::function<void(Shape&)> apply;
    };
    const Case cases[] = {
        {"moved", [](Shape& s) { s.setFrame(pf::Rect(30, 40, 60, 20)); }},
        {"turned", [](Shape& s) { s.setRotationAngle(90); }},
        {"odd stroke", [](Shape& s) { s.setStrokeLineWidth(3); }},
        {"gradient angle", [](Shape& s) { s.setFillAngle(0); }},
    };
    for (const Case& c : cases) {
        auto shape = box(pf::Rect(10, 10, 40, 30));
        shape->setFillType(1);
        shape->setFillAngle(90);
        shape->setFillGradientElements({{red, 0.0}, {blue, 1.0}});
        shape->setStrokeType(0);
        shape->setStrokeLineWidth(2);
        shape->setStrokeColor(blue);
        // Two frames before the change, so that everything kept has been made and used.
        (void)record(*shape);
        (void)record(*shape);
        c.apply(*shape);
        const auto kept = record(*shape);

        // A copy of the changed shape's state drawn by a shape that never drew before.
        auto fresh = box(shape->frame());
        fresh->setRotationAngle(shape->rotationAngle());
        fresh->setFrame(shape->frame());
        fresh->setFillType(1);
        fresh->setFillAngle(shape->fillAngle());
        fresh->setFillGradientElements({{red, 0.0}, {blue, 1.0}});
        fresh->setStrokeType(0);
        fresh->setStrokeLineWidth(shape->strokeLineWidth());
        fresh->setStrokeColor(blue);
        const auto expected = record(*fresh);

        for (const char* operation : {"stroke", "gradient"}) {
            const pf::RecordedCall* a = firstCall(*kept, operation);
            const pf::RecordedCall* b = firstCall(*expected, operation);
            ASSERT_TRUE(a && b) << c.change << ": " << operation;
            EXPECT_TRUE(a->path.sameElements(b->path)) << c.change << ": " << operation;
            EXPECT_EQ(a->start, b->start) << c.change << ": " << operation;
            EXPECT_EQ(a->end, b->end) << c.change << ": " << operation;
        }
        // And the same pixels.
        canvasPage.zoom = 1.0;
        EXPECT_EQ(render(*shape, pf::Size(120, 120)), render(*fresh, pf::Size(120, 120))) << c.change;
    }
}

// Across zoom 1 the fill's half-point shift changes, so the kept fill outline must too.
TEST_F(ShapeDrawingTest, KeptOutlinesFollowTheZoomAcrossScale1)
{
    auto shape = box(pf::Rect(10, 10, 40, 30));
    shape->setFillType(0);
    shape->setFillColor(red);
    canvasPage.zoom = 1.0;
    (void)record(*shape);
    canvasPage.zoom = 2.0;
    const auto zoomed = record(*shape);
    const pf::RecordedCall* fill = firstCall(*zoomed, "fill");
    ASSERT_TRUE(fill);
    EXPECT_EQ(fill->path.bounds(), pf::Rect(10, 10, 40, 30));
    canvasPage.zoom = 1.0;
    const auto unzoomed = record(*shape);
    fill = firstCall(*unzoomed, "fill");
    ASSERT_TRUE(fill);
    EXPECT_EQ(fill->path.bounds(), pf::Rect(9.5, 9.5, 40, 30));
}

} // namespace
