#include "app/OAPreferenceClientRecord.h"

#include "app/OAPreferenceClient.h"
#include "app/OAPreferenceController.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Resources.h"
#include "platform/kit/Services.h"

const pf::Image* OAPreferenceClientRecord::iconImage() const
{
    if (iconImage_)
        return &*iconImage_;
    if (iconName_.startsWith(QLatin1String("app:"))) {
        // Another application's icon: the desktop gives no lookup by application identifier.
        pf::logMessage(QStringLiteral("%1: Cannot find '%2'").arg(QStringLiteral("iconImage"), iconName_.mid(4)));
        return nullptr;
    }
    // Every image is a resource of the application, whichever class names the bundle.
    const auto data = pf::resourceData(iconName_, QStringLiteral("png"));
    if (!data)
        return nullptr;
    pf::Image image = pf::Image::fromData(*data);
    if (!image.isValid())
        return nullptr;
    iconImage_ = std::move(image);
    return &*iconImage_;
}

namespace {

int compareTitles(const QString& a, const QString& b)
{
    const int order = QString::compare(a, b);
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

} // namespace

int OAPreferenceClientRecord::compare(const OAPreferenceClientRecord& other) const
{
    return compareTitles(shortTitle(), other.shortTitle());
}

int OAPreferenceClientRecord::compareOrdering(const OAPreferenceClientRecord& other) const
{
    if (ordering_ != other.ordering_)
        return ordering_ < other.ordering_ ? -1 : 1;
    return compare(other);
}

std::unique_ptr<OAPreferenceClient> OAPreferenceClientRecord::newClientInstanceInController(OAPreferenceController* controller) const
{
    if (controller)
        controller->setTitle(preferenceFrameworkText("Loading %@…").replace(QStringLiteral("%@"), title_));
    const auto* cls = pf::ClassRegistry::shared().lookup<OAPreferenceClientClass>(className_);
    if (!cls) {
        pf::logMessage(QStringLiteral("No preference pane class \"%1\" (pane \"%2\").").arg(className_, identifier_));
        return nullptr;
    }
    std::unique_ptr<OAPreferenceClient> client = cls->makeClient(*this, controller);
    if (client)
        client->loadInterfaceFile(nibName_);
    return client;
}

pf::Value OAPreferenceClientRecord::debugDictionary() const
{
    pf::Value dictionary = pf::Value::dictionary();
    const std::pair<const char*, const QString*> strings[] = {
        {"className", &className_}, {"identifier", &identifier_},   {"title", &title_},
        {"shortTitle", &shortTitle_}, {"iconName", &iconName_},     {"iconBundleClassName", &iconBundleClassName_},
        {"nibName", &nibName_},
    };
    for (const auto& [key, value] : strings)
        if (!value->isNull())
            dictionary.set(QString::fromLatin1(key), *value);
    if (!defaultsDictionary_.empty())
        dictionary.set(QStringLiteral("defaultsDictionary"), defaultsDictionary_);
    if (!defaultsArray_.isEmpty()) {
        pf::Value::Array keys;
        for (const QString& key : defaultsArray_)
            keys.emplace_back(key);
        dictionary.set(QStringLiteral("defaultsArray"), std::move(keys));
    }
    if (iconImage_)
        dictionary.set(QStringLiteral("iconImage"), iconName_);
    return dictionary;
}
