// Bindings: control properties that follow a key path of a model object and write edits back to it, the
// way interface files tie a panel's fields to the object they edit (the inspector's panels through their
// selection, the preference panes through the settings).
//
// A key path "first.rest" is observed in two steps: `first` on the root object, and `rest`, as one key, on
// the object `first` answers. That is what a proxy standing for other objects (the selection) expects:
// it answers and notifies whole paths itself. When `first` changes, the binding moves to the new object
// and applies its value at once.
//
// Values may pass through a named value transformer on their way to the control (and back, when the
// transformer allows it). Transformers are registered once by name, before any panel is built.
#pragma once

#include "platform/foundation/KeyValue.h"
#include "platform/foundation/Variant.h"

#include <QString>

class QWidget;

#include <functional>
#include <memory>
#include <vector>

namespace pf {

class Object;

// Turns a model value into the value a control shows (and back, when allowed).
class ValueTransformer {
public:
    virtual ~ValueTransformer() = default;
    virtual Variant transformedValue(const Variant& value) const = 0;
    virtual bool allowsReverseTransformation() const { return false; }
    // By default the same mapping as forward.
    virtual Variant reverseTransformedValue(const Variant& value) const { return transformedValue(value); }
};

// Registers (or, with null, removes) the transformer of a name, process-wide.
void setValueTransformer(std::shared_ptr<ValueTransformer> transformer, const QString& name);
std::shared_ptr<ValueTransformer> valueTransformerForName(const QString& name);

// One control property bound to a key path of a root object, for the binding's life.
class Binding {
public:
    // Receives the bound value: the common value of the path, or null where there is none (no object on
    // the way, or a selection whose members differ). Controls show null as empty.
    using Apply = std::function<void(const Variant& value)>;

    // Applies the current value at once. An unknown transformer name is logged and the value passes as is.
    Binding(Object& root, QString keyPath, Apply apply, QString transformerName = {});
    ~Binding();
    Binding(const Binding&) = delete;
    Binding& operator=(const Binding&) = delete;

    const QString& keyPath() const { return keyPath_; }
    // The value as the control shows it (after the transformer).
    Variant value() const;
    // A control's edit: through the reverse transformer, then to the root under the whole path (so a
    // proxy writes every member). Nothing is written when a transformer forbids the reverse, or when the
    // path meets no object.
    void write(const Variant& controlValue);
    // Reads the path again and applies it.
    void refresh();

private:
    void observeRest();
    Variant modelValue() const;

    Object& root_;
    QString keyPath_;
    QString first_;
    QString rest_;
    Apply apply_;
    std::shared_ptr<ValueTransformer> transformer_;
    ObservationToken firstToken_;
    ObservationToken restToken_;
    std::shared_ptr<Object> restObject_;
};

// The bindings of one panel, made and dropped together.
class BindingSet {
public:
    // Binds a control property; answers the binding for writes.
    Binding& bind(Object& root, const QString& keyPath, Binding::Apply apply, const QString& transformerName = {});
    // A control enabled, or hidden, while the path's value is true (a null value counts as false). The
    // control is watched: once it is gone the binding applies nothing.
    Binding& bindEnabled(QWidget& control, Object& root, const QString& keyPath, const QString& transformerName = {});
    Binding& bindHidden(QWidget& control, Object& root, const QString& keyPath, const QString& transformerName = {});
    void refreshAll();
    void clear() { bindings_.clear(); }
    std::size_t size() const { return bindings_.size(); }

private:
    std::vector<std::unique_ptr<Binding>> bindings_;
};

} // namespace pf
