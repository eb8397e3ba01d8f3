// Fixtures of the tests of concrete control kinds: the built-in defaults registered (the kinds' text
// and style defaults come from them), kinds made on the fake page with undo cleared, and the checks
// every kind's stored form and copy must pass.
#pragma once

#include "ControlTestSupport.h"

#include "model/UserDefaults.h"
#include "platform/foundation/PropertyList.h"

// The recorded calls of one operation ("glyphs", "image" …), in order.
inline std::vector<const pf::RecordedCall*> callsNamed(const pf::RecordingContext& context, const char* operation)
{
    std::vector<const pf::RecordedCall*> calls;
    for (const auto& call : context.calls())
        if (call.operation == operation)
            calls.push_back(&call);
    return calls;
}

class ControlKindTest : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        UserDefaults::registerDefaultValues(store());
        // Class-level text attributes are kept between tests; they must come from this store.
        for (const char* name : {"UIButton", "UIGradientButton", "UIBackButton", "UIIcon", "UISearchField",
                                 "UISegmentedControl", "UITabBar", "UIToolbar"})
            if (const auto* kind = pf::ClassRegistry::shared().lookup<ShapeClass>(QString::fromLatin1(name)))
                kind->clearDefaultTextAttributes();
    }

    template <class Kind>
    std::shared_ptr<Kind> make(const pf::Rect& frame)
    {
        auto shape = Shape::make<Kind>(frame);
        shape->setComposition(&page);
        page.undo.removeAllActions();
        return shape;
    }

    static std::shared_ptr<Shape> withoutText(const Shape& shape)
    {
        auto copy = shape.copy();
        copy->setAttributedText(nullptr);
        return copy;
    }

    // The shape written, read back and written again gives the same dictionary and an equal shape; a copy
    // is equal too.
    static std::shared_ptr<Shape> expectRoundTrip(const Shape& shape)
    {
        const pf::Value plist = shape.asPlist();
        // Through the written bytes, as a document goes.
        const auto bytes = pf::writePropertyList(plist);
        EXPECT_TRUE(bytes.ok());
        const auto reread = pf::readPropertyList(*bytes.data);
        EXPECT_TRUE(reread.ok());
        auto read = Shape::fromPlist(*reread.value);
        EXPECT_TRUE(read) << shape.classObject().className().toStdString();
        if (!read)
            return nullptr;
        // A label comes back with the styling the rich-text reader gives it, which the text layer's own
        // tests cover; the kinds' values are compared without it.
        EXPECT_TRUE(withoutText(*read)->isEqual(*withoutText(shape))) << shape.classObject().className().toStdString();
        EXPECT_TRUE(read->asPlist() == plist) << shape.classObject().className().toStdString();
        EXPECT_TRUE(shape.copy()->isEqual(shape)) << shape.classObject().className().toStdString();
        return read;
    }
};
