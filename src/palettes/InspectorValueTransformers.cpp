#include "palettes/InspectorValueTransformers.h"

#include "model/UserDefaults.h"

#include <memory>

namespace {

std::int64_t countOf(const pf::Variant& value)
{
    if (const pf::VariantArray* array = value.array())
        return std::int64_t(array->size());
    if (const pf::VariantMap* map = value.map())
        return std::int64_t(map->size());
    return 0;
}

} // namespace

pf::Variant QVIsLinearGradientFillTypeValueTransformer::transformedValue(const pf::Variant& value) const
{
    return pf::Variant(std::uint64_t(value.toInt()) == 1);
}

pf::Variant QVCollectionCountValueTransformer::transformedValue(const pf::Variant& value) const
{
    const std::int64_t count = countOf(value);
    switch (operator_) {
    case -2:
        return pf::Variant(count < operand_);
    case -1:
        return pf::Variant(count <= operand_);
    case 0:
        return pf::Variant(count == operand_);
    case 1:
        return pf::Variant(count >= operand_);
    case 2:
        return pf::Variant(count > operand_);
    default:
        return pf::Variant(false);
    }
}

pf::Variant QVResolutionUnitTypeTransformer::transformedValue(const pf::Variant& value) const
{
    const std::int64_t unit = value.toInt();
    return pf::Variant(std::int64_t(unit == 0 ? 1 : unit));
}

void registerInspectorValueTransformers()
{
    pf::setValueTransformer(std::make_shared<QVIsLinearGradientFillTypeValueTransformer>(),
                            QStringLiteral("QVIsLinearGradientFillType"));
    pf::setValueTransformer(std::make_shared<QVCollectionCountValueTransformer>(2, 0),
                            QStringLiteral("QVCollectionCountIsGreaterThanZero"));
    pf::setValueTransformer(
        std::make_shared<QVCollectionCountValueTransformer>(-2, UserDefaults::instance().maxFiltersPerObject()),
        QStringLiteral("QVCollectionCountIsLessThanFilterMax"));
    pf::setValueTransformer(std::make_shared<QVResolutionUnitTypeTransformer>(),
                            QStringLiteral("QVResolutionUnitTypeTransformer"));
}
