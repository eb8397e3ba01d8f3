// A one-line text field with what the editor's panels need of it: a tag, a number formatter, and a value
// binding to an object's key path (the field shows the value, formatted when it is a number, and writes
// what is typed back when editing ends).
//
// A field tagged IncrementFieldEditor::Tag (7777) also steps: Up and Down add ±1 to the shown number and
// write it at once, all selected for the next key; Return writes the shown number. Other fields do not
// step. A field that shows no number (the bound objects differ, so there is no one value) writes nothing,
// whatever key is pressed.
#pragma once

#include "platform/foundation/Object.h"

#include <QLineEdit>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace pf {

// Numbers as a panel shows them: at most maximumFractionDigits decimals, at least minimumFractionDigits,
// a point for the decimal separator whatever the locale, no grouping. Reading takes the whole text (spaces
// around it aside) as one finite number, or none.
class NumberFormatter {
public:
    int minimumFractionDigits = 0;
    int maximumFractionDigits = 2;

    QString stringForNumber(double value) const;
    std::optional<double> numberForString(const QString& text) const;
};

class TextField : public QLineEdit {
public:
    explicit TextField(QWidget* parent = nullptr);
    ~TextField() override;

    std::int64_t tag() const { return tag_; }
    void setTag(std::int64_t tag) { tag_ = tag; }

    // None: numbers show in their shortest form and any number is read.
    const std::shared_ptr<const NumberFormatter>& formatter() const { return formatter_; }
    void setFormatter(std::shared_ptr<const NumberFormatter> formatter) { formatter_ = std::move(formatter); }
    QString stringForNumber(double value) const;

    // Binds the shown value to the object's key path; the field shows it now and again whenever a plain key
    // (no dots) changes. The object is held weakly: once it is gone the field writes nothing.
    void bindValue(const std::shared_ptr<Object>& object, const QString& keyPath);
    void unbindValue();
    bool hasValueBinding() const { return !bindingKeyPath_.isEmpty(); }
    // Shows the bound value: a number formatted, a string as it is, anything else (no common value) as
    // empty.
    void updateFromBinding();
    // Writes the number through the binding; false when there is none to write to.
    bool writeValue(double value);

    // The shown text read as a number; none when it shows none.
    std::optional<double> numberValue() const;
    // Writes the shown number when the text was edited; a text that is no number puts the bound value back.
    void commitEditing();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    std::int64_t tag_ = 0;
    std::shared_ptr<const NumberFormatter> formatter_;
    std::weak_ptr<Object> bindingObject_;
    QString bindingKeyPath_;
    ObservationToken bindingObservation_;
};

// The stepping behaviour of the fields tagged 7777: the geometry panels' numbers and the page-size sheet's
// sizes. Stateless; every window shares it.
class IncrementFieldEditor {
public:
    static constexpr std::int64_t Tag = 7777;

    static bool steps(const TextField& field) { return field.tag() == Tag; }
    // Up: the shown number plus 1, written and shown formatted, all selected. Nothing without a number.
    static void moveUp(TextField& field) { step(field, 1); }
    // Down: the same with minus 1.
    static void moveDown(TextField& field) { step(field, -1); }
    // Return: the shown number written unchanged and shown formatted (not selected). Nothing without a
    // number.
    static void insertNewline(TextField& field);

private:
    static void step(TextField& field, double by);
};

} // namespace pf
