// Class objects along a class chain, and lookups restricted to a base kind.
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/Object.h"
#include "WarningCapture.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

// Two kinds with class-level operations of their own, as shape kinds and tools have.
class ShapeKind : public pf::ClassObject {
public:
    using ClassObject::ClassObject;
    virtual QString title() const { return QStringLiteral("Shape"); }
};
class RectangleKind : public ShapeKind {
public:
    using ShapeKind::ShapeKind;
    QString title() const override { return QStringLiteral("Rectangle"); }
};
class ToolKind : public pf::ClassObject {
public:
    using ClassObject::ClassObject;
};

class Shape : public pf::Object {
public:
    static const ShapeKind& staticClass()
    {
        static const ShapeKind cls(QStringLiteral("TestShape"), &pf::Object::staticClass());
        return cls;
    }
    const pf::ClassObject& classObject() const override { return staticClass(); }
};
class Rectangle : public Shape {
public:
    static const RectangleKind& staticClass()
    {
        static const RectangleKind cls(QStringLiteral("TestRectangle"), &Shape::staticClass());
        return cls;
    }
    const pf::ClassObject& classObject() const override { return staticClass(); }
};
// Inherits Rectangle's class-level operations through the class object type.
class RoundRectangle : public Rectangle {
public:
    static const RectangleKind& staticClass()
    {
        static const RectangleKind cls(QStringLiteral("TestRoundRectangle"), &Rectangle::staticClass());
        return cls;
    }
    const pf::ClassObject& classObject() const override { return staticClass(); }
};
const ToolKind& selectTool()
{
    static const ToolKind cls(QStringLiteral("TestSelectTool"), nullptr);
    return cls;
}

void registerTestClasses(pf::ClassRegistry& registry)
{
    registry.add(Shape::staticClass());
    registry.add(Rectangle::staticClass());
    registry.add(RoundRectangle::staticClass());
    registry.add(selectTool());
}

TEST(ClassRegistry, LookupsAnswerOnlyRegisteredClassesOfTheExpectedKind)
{
    pf::ClassRegistry registry;
    registerTestClasses(registry);

    const ShapeKind* round = registry.lookup<ShapeKind>("TestRoundRectangle");
    ASSERT_NE(round, nullptr);
    EXPECT_EQ(round->title(), "Rectangle");
    EXPECT_EQ(registry.lookup<ShapeKind>("NoSuchShape"), nullptr);
    EXPECT_EQ(registry.lookup<ShapeKind>("TestSelectTool"), nullptr); // registered, but not a shape kind
    EXPECT_EQ(registry.lookup<RectangleKind>("TestShape"), nullptr);  // a superclass is not a kind below it
    EXPECT_EQ(registry.lookup<ToolKind>("TestSelectTool"), &selectTool());

    EXPECT_EQ(registry.lookupSubclassOf("TestRoundRectangle", Rectangle::staticClass()), round);
    EXPECT_EQ(registry.lookupSubclassOf("TestShape", Rectangle::staticClass()), nullptr);
    EXPECT_EQ(registry.lookupSubclassOf("TestSelectTool", Shape::staticClass()), nullptr);
    EXPECT_EQ(registry.lookup(""), nullptr);

    const std::vector<const ShapeKind*> kinds = registry.classesOfKind<ShapeKind>();
    ASSERT_EQ(kinds.size(), 3u) << "the tool is no shape kind";
    EXPECT_EQ(kinds[0]->className(), "TestRectangle");
    EXPECT_EQ(kinds[1]->className(), "TestRoundRectangle");
    EXPECT_EQ(kinds[2]->className(), "TestShape");
}

TEST(ClassRegistry, ANameIsNeverTakenOverByAnotherClass)
{
    pf::ClassRegistry registry;
    registerTestClasses(registry);
    EXPECT_TRUE(registry.add(Rectangle::staticClass())); // again: harmless
    const RectangleKind impostor(QStringLiteral("TestRectangle"), &Shape::staticClass());
    WarningCapture warnings;
    EXPECT_FALSE(registry.add(impostor));
    EXPECT_EQ(registry.lookup("TestRectangle"), &Rectangle::staticClass());
    EXPECT_EQ(warnings.messages().size(), 1);
}

TEST(ClassRegistry, InstancesAnswerTheirClassAndItsChain)
{
    RoundRectangle shape;
    const pf::Object& asObject = shape;
    EXPECT_EQ(asObject.classObject().className(), "TestRoundRectangle");
    EXPECT_TRUE(shape.isKindOfClass(Shape::staticClass()));
    EXPECT_TRUE(shape.isKindOfClass(pf::Object::staticClass()));
    EXPECT_FALSE(Shape().isKindOfClass(Rectangle::staticClass()));
    EXPECT_FALSE(RoundRectangle::staticClass().isSubclassOf(selectTool()));

    QStringList chain;
    for (const pf::ClassObject* c : asObject.classObject().classChain())
        chain << c->className();
    EXPECT_EQ(chain, QStringList({"TestRoundRectangle", "TestRectangle", "TestShape", "Object"}));
    EXPECT_EQ(Rectangle::staticClass().superclass(), &Shape::staticClass());
}

} // namespace
