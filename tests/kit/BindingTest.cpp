// Bindings: a control follows "first.rest" as its first object changes and as the value changes, shows
// transformed values, and writes edits back through the path.
#include "platform/foundation/Object.h"
#include "platform/kit/Binding.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

class Model : public pf::Object {
public:
    std::int64_t count() const { return count_; }
    void setCount(std::int64_t count)
    {
        pf::ChangeNotice notice(*this, QStringLiteral("count"));
        count_ = count;
    }
    static const pf::PropertyTable& properties()
    {
        static const pf::PropertyTable table = [] {
            pf::PropertyTable t(&pf::Object::properties());
            t.add(QStringLiteral("count"), &Model::count, &Model::setCount);
            return t;
        }();
        return table;
    }
    const pf::PropertyTable& propertyTable() const override { return properties(); }

private:
    std::int64_t count_ = 0;
};

// An owner whose "model" changes, as a panel's selection does.
class Owner : public pf::Object {
public:
    std::shared_ptr<Model> model;
    void setModel(std::shared_ptr<Model> m)
    {
        pf::ChangeNotice notice(*this, QStringLiteral("model"));
        model = std::move(m);
    }
    const pf::PropertyTable& propertyTable() const override
    {
        static const pf::PropertyTable table = [] {
            pf::PropertyTable t(&pf::Object::properties());
            t.add(QStringLiteral("model"),
                  pf::Property{[](const pf::Object& o) { return pf::Variant(static_cast<const Owner&>(o).model); }, {}});
            return t;
        }();
        return table;
    }
};

class Doubling : public pf::ValueTransformer {
public:
    explicit Doubling(bool reverse) : reverse_(reverse) {}
    pf::Variant transformedValue(const pf::Variant& v) const override { return pf::Variant(v.toInt() * 2); }
    bool allowsReverseTransformation() const override { return reverse_; }
    pf::Variant reverseTransformedValue(const pf::Variant& v) const override { return pf::Variant(v.toInt() / 2); }

private:
    bool reverse_;
};

TEST(BindingTest, FollowsTheObjectAndTheValue)
{
    Owner owner;
    std::vector<pf::Variant> shown;
    pf::Binding binding(owner, QStringLiteral("model.count"), [&](const pf::Variant& v) { shown.push_back(v); });
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown.back().isNull());

    auto first = std::make_shared<Model>();
    first->setCount(3);
    owner.setModel(first);
    EXPECT_EQ(shown.back(), pf::Variant(3));
    first->setCount(4);
    EXPECT_EQ(shown.back(), pf::Variant(4));

    auto second = std::make_shared<Model>();
    owner.setModel(second);
    EXPECT_EQ(shown.back(), pf::Variant(0));
    const std::size_t seen = shown.size();
    first->setCount(9); // no longer bound
    EXPECT_EQ(shown.size(), seen);

    binding.write(pf::Variant(7));
    EXPECT_EQ(second->count(), 7);
    EXPECT_EQ(shown.back(), pf::Variant(7));
    owner.setModel(nullptr);
    binding.write(pf::Variant(8)); // no object on the way: nothing written
    EXPECT_EQ(second->count(), 7);
}

TEST(BindingTest, ValuesPassThroughNamedTransformers)
{
    pf::setValueTransformer(std::make_shared<Doubling>(true), QStringLiteral("Doubling"));
    pf::setValueTransformer(std::make_shared<Doubling>(false), QStringLiteral("OneWayDoubling"));
    Owner owner;
    owner.setModel(std::make_shared<Model>());
    owner.model->setCount(5);
    pf::Variant shown;
    pf::Binding twoWay(owner, QStringLiteral("model.count"), [&](const pf::Variant& v) { shown = v; },
                       QStringLiteral("Doubling"));
    EXPECT_EQ(shown, pf::Variant(10));
    twoWay.write(pf::Variant(12));
    EXPECT_EQ(owner.model->count(), 6);

    pf::Binding oneWay(owner, QStringLiteral("model.count"), [](const pf::Variant&) {},
                       QStringLiteral("OneWayDoubling"));
    oneWay.write(pf::Variant(40));
    EXPECT_EQ(owner.model->count(), 6);
    pf::setValueTransformer(nullptr, QStringLiteral("Doubling"));
    pf::setValueTransformer(nullptr, QStringLiteral("OneWayDoubling"));
    EXPECT_FALSE(pf::valueTransformerForName(QStringLiteral("Doubling")));
}

} // namespace
