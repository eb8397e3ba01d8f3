// The named value transformers that the panels' bindings use: whether a fill type is the linear gradient,
// whether a list's count compares with an operand (the filter list against zero and against the most
// filters a shape may hold), and a resolution unit with 0 read as 1.
#pragma once

#include "platform/kit/Binding.h"

#include <cstdint>

// Yes exactly when the value's unsigned integer value is 1 (the linear gradient fill). No reverse.
class QVIsLinearGradientFillTypeValueTransformer : public pf::ValueTransformer {
public:
    pf::Variant transformedValue(const pf::Variant& value) const override;
};

// Compares a collection's count (0 for none) with the operand: operator -2 <, -1 <=, 0 =, 1 >=, 2 >; any
// other operator answers no.
class QVCollectionCountValueTransformer : public pf::ValueTransformer {
public:
    QVCollectionCountValueTransformer(std::int64_t op, std::int64_t operand) : operator_(op), operand_(operand) {}
    std::int64_t op() const { return operator_; }
    void setOperator(std::int64_t op) { operator_ = op; }
    std::int64_t operand() const { return operand_; }
    void setOperand(std::int64_t operand) { operand_ = operand; }

    pf::Variant transformedValue(const pf::Variant& value) const override;
    bool allowsReverseTransformation() const override { return true; }

private:
    std::int64_t operator_;
    std::int64_t operand_;
};

// The value's integer, with 0 replaced by 1.
class QVResolutionUnitTypeTransformer : public pf::ValueTransformer {
public:
    pf::Variant transformedValue(const pf::Variant& value) const override;
    bool allowsReverseTransformation() const override { return true; }
};

// Registers "QVIsLinearGradientFillType", "QVCollectionCountIsGreaterThanZero",
// "QVCollectionCountIsLessThanFilterMax" (the settings' filter maximum, read now, once) and
// "QVResolutionUnitTypeTransformer". The settings' built-in values are in place before any read.
void registerInspectorValueTransformers();
