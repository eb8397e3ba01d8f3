// Fixtures of the control tests: a concrete control kind that records what the base asks of it, and a
// test base that registers it with the shape kinds.
#pragma once

#include "model/ShapeTestSupport.h"

#include "controls/ControlKinds.h"
#include "controls/UIControl.h"
#include "model/Rectangle.h"
#include "platform/graphics/RecordingContext.h"

#include <string>
#include <vector>

// A control whose class has rounded corners, a fixed item range and its own tint, and which draws one
// rect in its own coordinates.
class TestControl : public UIControl {
public:
    class Class : public UIControlClass {
    public:
        using UIControlClass::UIControlClass;
        pf::Size defaultSize() const override { return {80, 44}; }
        bool hasRoundedCorners() const override { return true; }
        std::int64_t maxControlItems() const override { return 12; }
    };
    static const Class& staticClass()
    {
        static const Class c(QStringLiteral("TestControl"), &UIControl::staticClass(), &Shape::allocate<TestControl>);
        return c;
    }
    const pf::ClassObject& classObject() const override { return staticClass(); }

    void updateControlImageIdentifier() override
    {
        calls.push_back("identifier");
        setControlImageIdentifier(pictureName);
    }
    void updateControlImage() override
    {
        calls.push_back("image");
        UIControl::updateControlImage();
    }
    void updateFrame() override { calls.push_back("frame"); }
    void updateContentImage() override { calls.push_back("content"); }
    void drawControlInContextDirtyRect(pf::GraphicsContext& context, const pf::Rect&) override
    {
        context.fillRect(frame());
    }

    // The text pass: where it would draw.
    void drawTextInContext(pf::GraphicsContext& context) override { textCTMs.push_back(context.getCTM()); }

    QString pictureName;
    std::vector<pf::AffineTransform> textCTMs;
    std::vector<std::string> calls;
};

// A control kind with fixed sides, set before the base initialiser as such kinds do.
class FixedControl : public UIControl {
public:
    static const UIControlClass& staticClass()
    {
        static const UIControlClass c(QStringLiteral("FixedControl"), &UIControl::staticClass(),
                                      &Shape::allocate<FixedControl>);
        return c;
    }
    const pf::ClassObject& classObject() const override { return staticClass(); }
    void initWithFrame(const pf::Rect& frame) override
    {
        setFixedHeight(30);
        UIControl::initWithFrame(frame);
    }
};

class ControlTest : public ShapeTest {
protected:
    static void SetUpTestSuite()
    {
        ShapeTest::SetUpTestSuite();
        registerControlKinds(pf::ClassRegistry::shared());
        pf::ClassRegistry::shared().add(TestControl::staticClass());
        pf::ClassRegistry::shared().add(FixedControl::staticClass());
    }

    std::shared_ptr<TestControl> control(const pf::Rect& frame = pf::Rect(10, 20, 80, 44))
    {
        auto c = Shape::make<TestControl>(frame);
        c->setComposition(&page);
        return c;
    }

    static std::shared_ptr<UIControlItem> item(const QString& title, std::int64_t icon = 0, bool highlighted = false)
    {
        auto i = UIControlItem::make();
        i->setTitle(title);
        i->setIconType(icon);
        i->setHighlighted(highlighted);
        return i;
    }
};
