// The named transformers the panels bind through.
#include "palettes/InspectorValueTransformers.h"

#include "model/UserDefaults.h"
#include "platform/foundation/UserDefaultsStore.h"

#include <gtest/gtest.h>

namespace {

class InspectorValueTransformersTest : public testing::Test {
protected:
    void SetUp() override
    {
        auto store = std::make_unique<pf::UserDefaultsStore>();
        UserDefaults::registerDefaultValues(*store);
        previous_ = pf::UserDefaultsStore::replaceStandard(std::move(store));
    }
    void TearDown() override { pf::UserDefaultsStore::replaceStandard(std::move(previous_)); }

    static pf::Variant transform(const char* name, const pf::Variant& value)
    {
        const auto transformer = pf::valueTransformerForName(QString::fromLatin1(name));
        EXPECT_TRUE(transformer) << name;
        return transformer ? transformer->transformedValue(value) : pf::Variant();
    }
    static pf::VariantArray listOf(std::int64_t count) { return pf::VariantArray(std::size_t(count), pf::Variant(1)); }

private:
    std::unique_ptr<pf::UserDefaultsStore> previous_;
};

TEST_F(InspectorValueTransformersTest, NamedTransformersMapTheirInputs)
{
    UserDefaults::instance().setMaxFiltersPerObject(3);
    registerInspectorValueTransformers();
    struct Case {
        const char* name;
        pf::Variant input;
        pf::Variant output;
    };
    const Case cases[] = {
        {"QVIsLinearGradientFillType", 1, true},
        {"QVIsLinearGradientFillType", 0, false},
        {"QVIsLinearGradientFillType", 2, false},
        {"QVCollectionCountIsGreaterThanZero", pf::VariantArray(), false},
        {"QVCollectionCountIsGreaterThanZero", pf::Variant(), false},
        {"QVCollectionCountIsGreaterThanZero", listOf(1), true},
        {"QVCollectionCountIsLessThanFilterMax", pf::VariantArray(), true},
        {"QVCollectionCountIsLessThanFilterMax", listOf(2), true},
        {"QVCollectionCountIsLessThanFilterMax", listOf(3), false},
        {"QVResolutionUnitTypeTransformer", 0, std::int64_t(1)},
        {"QVResolutionUnitTypeTransformer", 2, std::int64_t(2)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(transform(c.name, c.input), c.output) << c.name << " of " << c.input.description().toStdString();

    // The maximum was read when the transformers were registered.
    UserDefaults::instance().setMaxFiltersPerObject(10);
    EXPECT_EQ(transform("QVCollectionCountIsLessThanFilterMax", listOf(5)), pf::Variant(false));

    EXPECT_FALSE(pf::valueTransformerForName(QStringLiteral("QVIsLinearGradientFillType"))->allowsReverseTransformation());
    EXPECT_TRUE(pf::valueTransformerForName(QStringLiteral("QVResolutionUnitTypeTransformer"))->allowsReverseTransformation());
}

TEST_F(InspectorValueTransformersTest, CountOperatorsCompareWithTheOperand)
{
    struct Case {
        std::int64_t op;
        bool below, equal, above; // count 1, 2, 3 against operand 2
    };
    const Case cases[] = {
        {-2, true, false, false}, {-1, true, true, false}, {0, false, true, false},
        {1, false, true, true},   {2, false, false, true},  {7, false, false, false},
    };
    for (const Case& c : cases) {
        const QVCollectionCountValueTransformer t(c.op, 2);
        EXPECT_EQ(t.transformedValue(listOf(1)), pf::Variant(c.below)) << c.op;
        EXPECT_EQ(t.transformedValue(listOf(2)), pf::Variant(c.equal)) << c.op;
        EXPECT_EQ(t.transformedValue(listOf(3)), pf::Variant(c.above)) << c.op;
    }
}

} // namespace
