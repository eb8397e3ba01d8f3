#include "platform/kit/Binding.h"

#include "platform/foundation/Object.h"
#include "platform/kit/Services.h"

#include <QPointer>
#include <QWidget>

#include <map>

namespace pf {

namespace {

std::map<QString, std::shared_ptr<ValueTransformer>>& transformers()
{
    static std::map<QString, std::shared_ptr<ValueTransformer>> registry;
    return registry;
}

} // namespace

void setValueTransformer(std::shared_ptr<ValueTransformer> transformer, const QString& name)
{
    if (transformer)
        transformers()[name] = std::move(transformer);
    else
        transformers().erase(name);
}

std::shared_ptr<ValueTransformer> valueTransformerForName(const QString& name)
{
    const auto it = transformers().find(name);
    return it == transformers().end() ? nullptr : it->second;
}

Binding::Binding(Object& root, QString keyPath, Apply apply, QString transformerName)
    : root_(root), keyPath_(std::move(keyPath)), apply_(std::move(apply))
{
    const qsizetype dot = keyPath_.indexOf(QLatin1Char('.'));
    first_ = dot < 0 ? keyPath_ : keyPath_.left(dot);
    rest_ = dot < 0 ? QString() : keyPath_.mid(dot + 1);
    if (!transformerName.isEmpty()) {
        transformer_ = valueTransformerForName(transformerName);
        if (!transformer_)
            logMessage(QStringLiteral("No value transformer named %1 for the binding of %2")
                           .arg(transformerName, keyPath_));
    }
    firstToken_ = root_.addObserver(first_, [this](Object&, const QString&, ChangePhase phase) {
        if (phase != ChangePhase::Did)
            return;
        observeRest();
        refresh();
    });
    observeRest();
    refresh();
}

Binding::~Binding() = default;

void Binding::observeRest()
{
    restToken_.reset();
    restObject_.reset();
    if (rest_.isEmpty())
        return;
    restObject_ = root_.valueForKey(first_).toObject();
    if (!restObject_)
        return;
    restToken_ = restObject_->addObserver(rest_, [this](Object&, const QString&, ChangePhase phase) {
        if (phase == ChangePhase::Did)
            refresh();
    });
}

Variant Binding::modelValue() const
{
    if (rest_.isEmpty())
        return root_.valueForKey(first_);
    return restObject_ ? restObject_->valueForKeyPath(rest_) : Variant();
}

Variant Binding::value() const
{
    const Variant v = modelValue();
    return transformer_ ? transformer_->transformedValue(v) : v;
}

void Binding::write(const Variant& controlValue)
{
    Variant v = controlValue;
    if (transformer_) {
        if (!transformer_->allowsReverseTransformation())
            return;
        v = transformer_->reverseTransformedValue(controlValue);
    }
    if (rest_.isEmpty())
        root_.setValueForKey(v, first_);
    else if (restObject_)
        restObject_->setValueForKeyPath(v, rest_);
}

void Binding::refresh()
{
    if (apply_)
        apply_(value());
}

Binding& BindingSet::bind(Object& root, const QString& keyPath, Binding::Apply apply, const QString& transformerName)
{
    bindings_.push_back(std::make_unique<Binding>(root, keyPath, std::move(apply), transformerName));
    return *bindings_.back();
}

namespace {

// Applies the path's truth to a widget while it lives.
Binding::Apply widgetFlag(QWidget& control, void (QWidget::*set)(bool))
{
    QPointer<QWidget> watched(&control);
    return [watched, set](const Variant& v) {
        if (watched)
            (watched.data()->*set)(v.toBool());
    };
}

} // namespace

Binding& BindingSet::bindEnabled(QWidget& control, Object& root, const QString& keyPath, const QString& transformerName)
{
    return bind(root, keyPath, widgetFlag(control, &QWidget::setEnabled), transformerName);
}

Binding& BindingSet::bindHidden(QWidget& control, Object& root, const QString& keyPath, const QString& transformerName)
{
    return bind(root, keyPath, widgetFlag(control, &QWidget::setHidden), transformerName);
}

void BindingSet::refreshAll()
{
    for (const auto& binding : bindings_)
        binding->refresh();
}

} // namespace pf
