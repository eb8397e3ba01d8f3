#include "app/OAPreferenceClient.h"

#include "app/OAPreferenceClientRecord.h"
#include "app/OAPreferenceController.h"
#include "app/OFPreference.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/kit/Services.h"
#include "platform/kit/View.h"
#include "platform/kit/ViewBuilders.h"

#include <QCoreApplication>
#include <QLineEdit>

#include <algorithm>

QString preferenceFrameworkText(const char* key)
{
    return pf::localized(QString::fromUtf8(key), QStringLiteral("PreferenceFramework"));
}

std::unique_ptr<OAPreferenceClient> OAPreferenceClientClass::makeClient(const OAPreferenceClientRecord& record,
                                                                        OAPreferenceController* controller) const
{
    return std::make_unique<OAPreferenceClient>(record, controller);
}

const OAPreferenceClientClass& OAPreferenceClient::staticClass()
{
    static const OAPreferenceClientClass cls(QStringLiteral("OAPreferenceClient"), nullptr);
    return cls;
}

OAPreferenceClient::OAPreferenceClient(const OAPreferenceClientRecord& record, OAPreferenceController* controller)
    : pf::UserDefaultsController(&OFPreferenceWrapper::sharedPreferenceWrapper())
{
    QStringList keys;
    for (const auto& [key, value] : record.defaultsDictionary())
        keys.push_back(key);
    keys += record.defaultsArray();
    initialize(record.title(), keys, controller);
}

void OAPreferenceClient::loadInterfaceFile(const QString& nibName)
{
    // A name with no builder leaves the pane without a view (size zero).
    if (pf::View* box = pf::loadViewNamed(nibName, this))
        setControlBox(box);
    awakeFromNib();
}

OAPreferenceClient::OAPreferenceClient(const QString& title, const QStringList& keys, OAPreferenceController* controller)
    : pf::UserDefaultsController(&OFPreferenceWrapper::sharedPreferenceWrapper())
{
    initialize(title, keys, controller);
}

void OAPreferenceClient::initialize(const QString& title, QStringList keys, OAPreferenceController* controller)
{
    controller_ = controller;
    title_ = title;
    const QString suffix = controller ? controller->defaultKeySuffix() : QString();
    if (!suffix.isEmpty()) {
        auto& store = pf::UserDefaultsStore::standard();
        pf::Value::Dictionary suffixed;
        for (QString& key : keys) {
            const pf::Value& registered = store.registrationDomain().objectForKey(key);
            key += u'-' + suffix;
            if (!registered.isNull())
                suffixed[key] = registered;
        }
        store.registerDefaults(suffixed);
        OFPreference::recacheRegisteredKeys();
    }
    pf::Value::Dictionary initial;
    for (const QString& key : keys) {
        OFPreference& preference = OFPreference::preferenceForKey(key);
        addPreference(preference);
        if (const pf::Value defaultValue = preference.defaultObjectValue(); !defaultValue.isNull())
            initial[key] = defaultValue;
    }
    setInitialValues(std::move(initial));
}

OAPreferenceClient::~OAPreferenceClient()
{
    // The controls go before the controller they are bound to; the preferences forget this pane.
    delete controlBox_.data();
    for (OFPreference* preference : preferences_)
        if (preference->controller() == this)
            preference->setController(nullptr, {});
}

void OAPreferenceClient::addPreference(OFPreference& preference)
{
    if (std::find(preferences_.begin(), preferences_.end(), &preference) == preferences_.end())
        preferences_.push_back(&preference);
    preference.setController(this, valuesKey);
}

void OAPreferenceClient::setControlBox(pf::View* box)
{
    if (controlBox_ == box)
        return;
    delete controlBox_.data();
    controlBox_ = box;
}

void OAPreferenceClient::restoreDefaults()
{
    QWidget* window = controlBox_ ? controlBox_->window() : nullptr;
    const QString process = QCoreApplication::applicationName();
    pf::beginAlertSheet(window,
                        {preferenceFrameworkText("Reset %@ preferences to their original values?").replace(QStringLiteral("%@"), title_),
                         preferenceFrameworkText("Choosing Reset will restore all settings in this pane to the state they were in when %@ was first installed.")
                             .replace(QStringLiteral("%@"), process),
                         {preferenceFrameworkText("Reset"), preferenceFrameworkText("Cancel")}},
                        [this](int button) {
                            if (button != 0)
                                return;
                            restoreDefaultsNoPrompt();
                            valuesHaveChanged();
                        });
}

void OAPreferenceClient::valuesHaveChanged()
{
    updateUI();
    OFPreferenceWrapper::sharedPreferenceWrapper().autoSynchronize();
}

bool OAPreferenceClient::haveAnyDefaultsChanged() const
{
    for (auto it = preferences_.rbegin(); it != preferences_.rend(); ++it)
        if ((*it)->hasNonDefaultValue())
            return true;
    return hasUnappliedChanges();
}

void OAPreferenceClient::resetFloatValueToDefaultNamed(const QString& key, QLineEdit* field)
{
    OFPreference& preference = OFPreference::preferenceForKey(key);
    preference.restoreDefaultValue();
    if (field)
        field->setText(QString::number(double(preference.floatValue()), 'g', 7));
    pf::beep();
}

void OAPreferenceClient::resetIntValueToDefaultNamed(const QString& key, QLineEdit* field)
{
    OFPreference& preference = OFPreference::preferenceForKey(key);
    preference.restoreDefaultValue();
    if (field)
        field->setText(QString::number(preference.integerValue()));
    pf::beep();
}
