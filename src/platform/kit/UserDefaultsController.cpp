#include "platform/kit/UserDefaultsController.h"

#include "platform/foundation/UserDefaultsStore.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QObject>
#include <QPointer>

#include <cmath>

namespace pf {

namespace {

// The name under which a change of the whole store reaches every binding.
const QString anyKey = QStringLiteral("*");

} // namespace

DefaultsObject::~DefaultsObject() = default;

StandardDefaults& StandardDefaults::shared()
{
    static StandardDefaults defaults;
    return defaults;
}

Value StandardDefaults::valueForKey(const QString& key) const
{
    return UserDefaultsStore::standard().objectForKey(key);
}

void StandardDefaults::setValueForKey(const Value& value, const QString& key)
{
    UserDefaultsStore::standard().setObjectForKey(value, key);
}

const QString UserDefaultsController::valuesKey = QStringLiteral("values");

UserDefaultsController::UserDefaultsController(DefaultsObject* defaults, Value::Dictionary initialValues)
    : defaults_(defaults ? defaults : &StandardDefaults::shared()), initialValues_(std::move(initialValues))
{
    // Whatever changes the store (a menu command, a reset of everything) may change a bound key.
    storeToken_ = NotificationCenter::defaultCenter().addObserver(
        UserDefaultsStore::didChangeNotification, nullptr, [this](const Notification&) { valueMayHaveChanged(anyKey); });
}

UserDefaultsController::~UserDefaultsController() = default;

void UserDefaultsController::setDefaultsObject(DefaultsObject* defaults)
{
    defaults_ = defaults ? defaults : &StandardDefaults::shared();
    valueMayHaveChanged(anyKey);
}

QString UserDefaultsController::keyOfPath(const QString& keyPath)
{
    const QString prefix = valuesKey + u'.';
    if (!keyPath.startsWith(prefix) || keyPath.size() == prefix.size())
        return {};
    return keyPath.mid(prefix.size());
}

Value UserDefaultsController::valueForKeyPath(const QString& keyPath) const
{
    const QString key = keyOfPath(keyPath);
    return key.isEmpty() ? Value() : defaults_->valueForKey(key);
}

void UserDefaultsController::setValueForKeyPath(const Value& value, const QString& keyPath)
{
    const QString key = keyOfPath(keyPath);
    if (key.isEmpty())
        return;
    defaults_->setValueForKey(value, key);
    valueMayHaveChanged(key);
}

void UserDefaultsController::revertToInitialValues()
{
    // A copy: a write may run code that sets new initial values.
    const Value::Dictionary initial = initialValues_;
    for (const auto& [key, value] : initial)
        setValueForKeyPath(value, valuesKey + u'.' + key);
}

NotificationToken UserDefaultsController::observeKey(const QString& key, std::function<void()> handler)
{
    return bindings_.addObserver({}, nullptr, [key, handler = std::move(handler)](const Notification& n) {
        if (n.name == key || n.name == anyKey)
            handler();
    });
}

void UserDefaultsController::valueMayHaveChanged(const QString& key)
{
    bindings_.post(key);
}

namespace {

// Keeps a binding's observation for as long as its control lives.
class BindingLifetime : public QObject {
public:
    BindingLifetime(QObject* control, NotificationToken token) : QObject(control), token_(std::move(token)) {}

private:
    NotificationToken token_;
};

// Connects control and controller: show() now and on every change, the control's own signal writes.
template <class Control>
void bind(Control* control, UserDefaultsController& controller, const QString& keyPath, std::function<void()> show)
{
    show();
    new BindingLifetime(control, controller.observeKey(UserDefaultsController::keyOfPath(keyPath), std::move(show)));
}

bool isOn(const Value& value)
{
    return value.boolValue();
}

} // namespace

void bindCheckBox(QAbstractButton* box, UserDefaultsController& controller, const QString& keyPath,
                  std::function<void()> afterWrite, bool writesIntegers)
{
    box->setCheckable(true);
    QPointer<QAbstractButton> guarded(box);
    bind(box, controller, keyPath, [guarded, &controller, keyPath] {
        if (guarded)
            guarded->setChecked(isOn(controller.valueForKeyPath(keyPath)));
    });
    // clicked comes from the user (and click()), never from setChecked, so showing a value writes nothing.
    QObject::connect(box, &QAbstractButton::clicked, box, [&controller, keyPath, afterWrite, writesIntegers](bool on) {
        controller.setValueForKeyPath(writesIntegers ? Value(on ? 1 : 0) : Value(on), keyPath);
        if (afterWrite)
            afterWrite();
    });
}

void bindPopUpTag(QComboBox* popUp, UserDefaultsController& controller, const QString& keyPath,
                  std::function<void()> afterWrite)
{
    QPointer<QComboBox> guarded(popUp);
    bind(popUp, controller, keyPath, [guarded, &controller, keyPath] {
        if (!guarded)
            return;
        const Value value = controller.valueForKeyPath(keyPath);
        guarded->setCurrentIndex(value.isNull() ? -1 : guarded->findData(QVariant::fromValue(value.intValue())));
    });
    QObject::connect(popUp, &QComboBox::activated, popUp, [guarded, &controller, keyPath, afterWrite](int index) {
        if (!guarded || index < 0)
            return;
        controller.setValueForKeyPath(Value(guarded->itemData(index).toInt()), keyPath);
        if (afterWrite)
            afterWrite();
    });
}

void bindTextField(QLineEdit* field, UserDefaultsController& controller, const QString& keyPath,
                   std::function<void()> afterWrite)
{
    QPointer<QLineEdit> guarded(field);
    auto show = [guarded, &controller, keyPath] {
        if (!guarded)
            return;
        const Value value = controller.valueForKeyPath(keyPath);
        guarded->setText(value.isString() ? value.asString() : value.isNull() ? QString() : value.description());
    };
    bind(field, controller, keyPath, show);
    QObject::connect(field, &QLineEdit::editingFinished, field, [guarded, &controller, keyPath, afterWrite, show] {
        if (!guarded)
            return;
        const QString text = guarded->text();
        const Value current = controller.valueForKeyPath(keyPath);
        Value written(text);
        if (current.isNumber()) {
            bool ok = false;
            if (current.isInteger()) {
                const qlonglong number = text.trimmed().toLongLong(&ok);
                written = Value(std::int64_t(number));
            } else {
                const double number = text.trimmed().toDouble(&ok);
                ok = ok && std::isfinite(number);
                written = Value(number);
            }
            if (!ok) {
                show();
                return;
            }
        }
        if (written == current)
            return;
        controller.setValueForKeyPath(written, keyPath);
        if (afterWrite)
            afterWrite();
    });
}

} // namespace pf
