#include "app/OFPreference.h"

#include "platform/foundation/UserDefaultsStore.h"

#include <map>
#include <memory>
#include <optional>

const QString OFPreference::didChangeNotification = QStringLiteral("OFPreferenceDidChangeNotification");

namespace {

// The class-wide state: set up on first use, never freed.
struct ClassState {
    std::mutex lock;
    std::map<QString, std::unique_ptr<OFPreference>> registry;
    std::optional<std::set<QString>> registeredKeys;
    std::uint32_t generation = 1;
    pf::NotificationCenter center;
};

ClassState& state()
{
    static ClassState* shared = new ClassState;
    return *shared;
}

pf::UserDefaultsStore& store()
{
    return pf::UserDefaultsStore::standard();
}

} // namespace

OFPreference::OFPreference(QString key) : key_(std::move(key)) {}

OFPreference& OFPreference::preferenceForKey(const QString& key)
{
    ClassState& s = state();
    const std::lock_guard lock(s.lock);
    auto& slot = s.registry[key];
    if (!slot)
        slot.reset(new OFPreference(key));
    return *slot;
}

std::set<QString> OFPreference::registeredKeys()
{
    ClassState& s = state();
    const std::lock_guard lock(s.lock);
    if (!s.registeredKeys) {
        std::set<QString> keys;
        for (const auto& [key, preference] : s.registry)
            keys.insert(key);
        for (const auto& [key, value] : store().registrationDomain().asDictionary())
            keys.insert(key);
        s.registeredKeys = std::move(keys);
    }
    return *s.registeredKeys;
}

void OFPreference::recacheRegisteredKeys()
{
    ClassState& s = state();
    const std::lock_guard lock(s.lock);
    s.registeredKeys.reset();
    ++s.generation;
}

pf::NotificationToken OFPreference::addObserver(std::function<void(OFPreference&)> handler, const OFPreference* preference)
{
    return state().center.addObserver(didChangeNotification, preference, [handler = std::move(handler)](const pf::Notification& n) {
        handler(*const_cast<OFPreference*>(static_cast<const OFPreference*>(n.object)));
    });
}

pf::UserDefaultsController* OFPreference::controller() const
{
    const std::lock_guard lock(monitor_);
    return controller_;
}

QString OFPreference::controllerKey() const
{
    const std::lock_guard lock(monitor_);
    return controllerKey_;
}

void OFPreference::setController(pf::UserDefaultsController* controller, const QString& controllerKey)
{
    const std::lock_guard lock(monitor_);
    controller_ = controller;
    controllerKey_ = controllerKey;
}

pf::Value OFPreference::objectValue() const
{
    for (;;) {
        {
            const std::lock_guard lock(monitor_);
            if (valueGeneration_ != 0 && valueGeneration_ == pf::UserDefaultsStore::generation())
                return value_;
        }
        // Read under the class lock, cache under the object's: never both at once.
        std::uint64_t generation = 0;
        pf::Value read;
        {
            const std::lock_guard lock(state().lock);
            generation = pf::UserDefaultsStore::generation();
            read = store().objectForKey(key_);
        }
        const std::lock_guard lock(monitor_);
        if (valueGeneration_ != generation) {
            value_ = std::move(read);
            valueGeneration_ = generation;
        }
        // Loops only when the store changed meanwhile.
        if (valueGeneration_ == pf::UserDefaultsStore::generation())
            return value_;
    }
}

QString OFPreference::stringValue() const
{
    const pf::Value value = objectValue();
    if (value.isNull())
        return {};
    // A boolean reads as the number it is stored as.
    if (value.isBool())
        return value.boolValue() ? QStringLiteral("1") : QStringLiteral("0");
    return value.isString() ? value.asString() : value.description();
}

QStringList OFPreference::stringArrayValue() const
{
    QStringList strings;
    for (const pf::Value& element : arrayValue())
        if (element.isString())
            strings.push_back(element.asString());
    return strings;
}

void OFPreference::setObjectValue(const pf::Value& value)
{
    {
        const std::lock_guard lock(monitor_);
        const QString keyPath = !controller_ ? QString()
                                : controllerKey_.isEmpty() ? key_
                                                           : controllerKey_ + u'.' + key_;
        const bool updatesController = controller_ && !updatingController_;
        if (updatesController)
            updatingController_ = true;
        // Cleared however the writes end.
        struct Reset {
            bool& flag;
            bool active;
            ~Reset()
            {
                if (active)
                    flag = false;
            }
        } reset{updatingController_, updatesController};

        store().setObjectForKey(value, key_);
        // Cached as the store now holds it: a value the store refused, or a removal, is read again.
        if (!value.isNull() && store().objectForKey(key_) == value) {
            value_ = value;
            valueGeneration_ = pf::UserDefaultsStore::generation();
        } else {
            valueGeneration_ = 0;
        }
        if (updatesController) {
            controller_->setValueForKeyPath(value, keyPath);
            // The controller's write may have stored the value again: keep the cache current.
            if (valueGeneration_ != 0)
                valueGeneration_ = pf::UserDefaultsStore::generation();
        }
    }
    state().center.post(didChangeNotification, this);
}

pf::Value OFPreference::defaultObjectValue() const
{
    std::uint32_t generation = 0;
    {
        const std::lock_guard lock(state().lock);
        generation = state().generation;
    }
    {
        const std::lock_guard lock(monitor_);
        if (defaultGeneration_ == generation)
            return defaultValue_;
    }
    const pf::Value read = store().registrationDomain().objectForKey(key_);
    const std::lock_guard lock(monitor_);
    if (defaultGeneration_ != generation) {
        defaultValue_ = read;
        defaultGeneration_ = generation;
    }
    return read;
}

bool OFPreference::hasNonDefaultValue() const
{
    const pf::Value value = objectValue();
    const pf::Value defaultValue = defaultObjectValue();
    if (value == defaultValue)
        return false;
    if (!value.isNull())
        return true;
    // No value against a default: differs.
    return !defaultValue.isNull();
}

OFPreferenceWrapper& OFPreferenceWrapper::sharedPreferenceWrapper()
{
    static OFPreferenceWrapper* shared = new OFPreferenceWrapper;
    return *shared;
}

bool OFPreferenceWrapper::synchronize()
{
    return pf::UserDefaultsStore::standard().synchronize();
}

pf::Value::Dictionary OFPreferenceWrapper::volatileDomainForName(const QString&) const
{
    return {};
}
