// The registration of one preference pane: its category, identifier, pane class, titles, icon, interface
// file, ordering and the settings keys it edits, as read from the application's "OFRegistrations".
#pragma once

#include "platform/foundation/Value.h"
#include "platform/graphics/Image.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class OAPreferenceClient;
class OAPreferenceController;

class OAPreferenceClientRecord {
public:
    explicit OAPreferenceClientRecord(QString categoryName) : categoryName_(std::move(categoryName)) {}

    const QString& categoryName() const { return categoryName_; }
    const QString& identifier() const { return identifier_; }
    void setIdentifier(QString v) { identifier_ = std::move(v); }
    const QString& className() const { return className_; }
    void setClassName(QString v) { className_ = std::move(v); }
    const QString& title() const { return title_; }
    void setTitle(QString v) { title_ = std::move(v); }
    // The short title, or the title when there is none.
    const QString& shortTitle() const { return shortTitle_.isNull() ? title_ : shortTitle_; }
    void setShortTitle(QString v) { shortTitle_ = std::move(v); }
    const QString& iconName() const { return iconName_; }
    void setIconName(QString v) { iconName_ = std::move(v); }
    const QString& iconBundleClassName() const { return iconBundleClassName_; }
    void setIconBundleClassName(QString v) { iconBundleClassName_ = std::move(v); }
    const QString& nibName() const { return nibName_; }
    void setNibName(QString v) { nibName_ = std::move(v); }
    const QString& helpURL() const { return helpURL_; }
    void setHelpURL(QString v) { helpURL_ = std::move(v); }
    double ordering() const { return ordering_; }
    void setOrdering(double v) { ordering_ = v; }
    const pf::Value::Dictionary& defaultsDictionary() const { return defaultsDictionary_; }
    void setDefaultsDictionary(pf::Value::Dictionary v) { defaultsDictionary_ = std::move(v); }
    const QStringList& defaultsArray() const { return defaultsArray_; }
    void setDefaultsArray(QStringList v) { defaultsArray_ = std::move(v); }

    // The icon: an image resource of that name (a PNG under resources/), found once and kept. An "app:"
    // name (another application's icon) has nothing to find here: logged, no icon, asked again next time.
    const pf::Image* iconImage() const;

    // Short titles compared.
    int compare(const OAPreferenceClientRecord& other) const;
    // Orderings compared, ties by short title.
    int compareOrdering(const OAPreferenceClientRecord& other) const;

    // A new pane of the registered class (titles the window "Loading …" meanwhile); null, logged, when no
    // pane class has that name.
    std::unique_ptr<OAPreferenceClient> newClientInstanceInController(OAPreferenceController* controller) const;

    // The fields that are set, for logs.
    pf::Value debugDictionary() const;

private:
    QString categoryName_;
    QString identifier_;
    QString className_;
    QString title_;
    QString shortTitle_;
    QString iconName_;
    QString iconBundleClassName_;
    QString nibName_;
    QString helpURL_;
    double ordering_ = 0;
    pf::Value::Dictionary defaultsDictionary_;
    QStringList defaultsArray_;
    mutable std::optional<pf::Image> iconImage_;
};
