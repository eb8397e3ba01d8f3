// The preference tests' surroundings: a fresh in-memory settings store for each case (preference objects
// live for the process, so each case also starts a new generation of registered defaults), an empty pane
// registry, and stub panes that record their life calls.
#pragma once

#include "app/OAPreferenceClient.h"
#include "app/OAPreferenceClientRecord.h"
#include "app/OAPreferenceController.h"
#include "app/OFPreference.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/kit/View.h"
#include "platform/kit/ViewBuilders.h"

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

namespace preftest {

// Every life call of every stub pane, as "<title> <call>".
inline QStringList& lifeLog()
{
    static QStringList log;
    return log;
}

class StubPane : public OAPreferenceClient {
public:
    static const OAPreferenceClientClassOf<StubPane>& staticClass()
    {
        static const OAPreferenceClientClassOf<StubPane> cls(QStringLiteral("StubPane"), &OAPreferenceClient::staticClass());
        return cls;
    }
    using OAPreferenceClient::OAPreferenceClient;

    void updateUI() override { lifeLog().push_back(title() + " updateUI"); }
    void willBecomeCurrentPreferenceClient() override { lifeLog().push_back(title() + " willBecome"); }
    void didBecomeCurrentPreferenceClient() override { lifeLog().push_back(title() + " didBecome"); }
    void resignCurrentPreferenceClient() override { lifeLog().push_back(title() + " resign"); }
};

class PreferencesFixture : public ::testing::Test {
protected:
    PreferencesFixture()
    {
        previous_ = pf::UserDefaultsStore::replaceStandard(std::make_unique<pf::UserDefaultsStore>());
        OFPreference::recacheRegisteredKeys();
        pf::ClassRegistry::shared().add(StubPane::staticClass());
        lifeLog().clear();
    }
    ~PreferencesFixture() override { pf::UserDefaultsStore::replaceStandard(std::move(previous_)); }

    static pf::UserDefaultsStore& store() { return pf::UserDefaultsStore::standard(); }

    // A record of a stub pane, built as a registration builds it.
    static OAPreferenceController::RecordPointer record(const QString& identifier, double ordering = 0,
                                                       const QString& category = QStringLiteral("General"),
                                                       const QString& nib = QStringLiteral("StubNib"),
                                                       pf::Value::Dictionary defaults = {}, QStringList keys = {})
    {
        auto r = std::make_shared<OAPreferenceClientRecord>(category);
        r->setIdentifier(identifier);
        r->setClassName(QStringLiteral("StubPane"));
        r->setTitle(identifier);
        r->setIconName(identifier);
        r->setNibName(nib);
        r->setOrdering(ordering);
        store().registerDefaults(defaults);
        r->setDefaultsDictionary(std::move(defaults));
        r->setDefaultsArray(std::move(keys));
        return r;
    }

    std::unique_ptr<pf::UserDefaultsStore> previous_;
    OAPreferenceController::ScopedRegistry registry_;
};

} // namespace preftest
