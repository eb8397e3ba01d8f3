#include "platform/foundation/UserDefaultsStore.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PropertyList.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>

namespace pf {

const QString UserDefaultsStore::didChangeNotification = QStringLiteral("NSUserDefaultsDidChangeNotification");

namespace {

std::unique_ptr<UserDefaultsStore>& standardStore()
{
    static std::unique_ptr<UserDefaultsStore> store;
    return store;
}

void (*&standardSetUp())(UserDefaultsStore&)
{
    static void (*setUp)(UserDefaultsStore&) = nullptr;
    return setUp;
}

std::atomic<std::uint64_t> changes{1};

void changed()
{
    changes.fetch_add(1, std::memory_order_relaxed);
}

} // namespace

UserDefaultsStore::UserDefaultsStore()
{
    changed();
}

UserDefaultsStore::UserDefaultsStore(QString path) : path_(std::move(path))
{
    load();
    changed();
}

std::uint64_t UserDefaultsStore::generation()
{
    return changes.load(std::memory_order_relaxed);
}

UserDefaultsStore::~UserDefaultsStore() = default;

QString UserDefaultsStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/Quorvel/Quorvel.plist");
}

namespace {

// The shared store, made on first use by whichever thread comes first (previews run on several at once):
// made and replaced under the lock, and read through the published pointer.
std::mutex standardMutex;
std::atomic<UserDefaultsStore*> publishedStandard{nullptr};

} // namespace

UserDefaultsStore& UserDefaultsStore::standard()
{
    if (UserDefaultsStore* published = publishedStandard.load(std::memory_order_acquire))
        return *published;
    const std::lock_guard lock(standardMutex);
    auto& store = standardStore();
    if (!store) {
        store = std::make_unique<UserDefaultsStore>(defaultPath());
        if (auto setUp = standardSetUp())
            setUp(*store);
    }
    publishedStandard.store(store.get(), std::memory_order_release);
    return *store;
}

void UserDefaultsStore::setStandardSetUp(void (*setUp)(UserDefaultsStore&))
{
    const std::lock_guard lock(standardMutex);
    standardSetUp() = setUp;
    if (setUp && standardStore())
        setUp(*standardStore());
}

std::unique_ptr<UserDefaultsStore> UserDefaultsStore::replaceStandard(std::unique_ptr<UserDefaultsStore> store)
{
    {
        const std::lock_guard lock(standardMutex);
        std::swap(standardStore(), store);
        publishedStandard.store(standardStore().get(), std::memory_order_release);
    }
    changed();
    return store;
}

void UserDefaultsStore::load()
{
    QFile file(path_);
    if (!file.exists())
        return;
    QString error;
    if (file.open(QIODevice::ReadOnly)) {
        auto result = readPropertyList(file.readAll());
        file.close();
        if (result.ok() && result.value->isDictionary()) {
            user_ = std::move(*result.value);
            return;
        }
        error = result.ok() ? QStringLiteral("the root is not a dictionary") : result.error;
    } else {
        error = file.errorString();
    }
    // Keep the user's file for inspection; the next write would otherwise replace it.
    const QString aside = path_ + QStringLiteral(".unreadable");
    QFile::remove(aside);
    const bool moved = QFile::rename(path_, aside);
    qWarning("Settings file %s is unreadable (%s); starting from the built-in settings%s", qPrintable(path_),
             qPrintable(error), moved ? qPrintable(QStringLiteral(", the file is kept as ") + aside) : "");
}

void UserDefaultsStore::registerDefaults(const Value::Dictionary& defaults)
{
    for (const auto& [key, value] : defaults)
        registered_.set(key, value);
    changed();
}

const Value& UserDefaultsStore::objectForKey(QAnyStringView key) const
{
    const Value& user = user_.objectForKey(key);
    return user.isNull() ? registered_.objectForKey(key) : user;
}

void UserDefaultsStore::setObjectForKey(const Value& value, const QString& key)
{
    if (user_.objectForKey(key) == value)
        return;
    // A value with no property-list form would make every later save fail: refuse it here, by the
    // writer's own rules. Bools, integers, finite reals and strings of printable ASCII always have one
    // (shapes write many numbers and colours as sticky defaults).
    const auto printable = [](const QString& text) {
        return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7f; });
    };
    const bool plainScalar = value.isBool() || value.isInteger() || (value.isReal() && std::isfinite(value.doubleValue()))
        || (value.isString() && printable(value.asString()));
    if (!value.isNull() && !plainScalar) {
        if (const auto written = writePropertyList(value); !written.ok()) {
            qWarning("Setting \"%s\" refused: %s", qPrintable(key), qPrintable(written.error));
            return;
        }
    }
    user_.set(key, value);
    dirty_ = true;
    changed();
    NotificationCenter::defaultCenter().post(didChangeNotification, this);
}

void UserDefaultsStore::removePersistentDomain()
{
    if (user_.count() == 0)
        return;
    user_ = Value::dictionary();
    dirty_ = true;
    changed();
    NotificationCenter::defaultCenter().post(didChangeNotification, this);
}

bool UserDefaultsStore::synchronize()
{
    if (path_.isEmpty() || !dirty_)
        return true;
    const auto written = writePropertyList(user_);
    if (!written.ok()) {
        qWarning("Settings not saved: %s", qPrintable(written.error));
        return false;
    }
    QDir().mkpath(QFileInfo(path_).absolutePath());
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly) || file.write(*written.data) != written.data->size() || !file.commit()) {
        qWarning("Settings not saved to %s: %s", qPrintable(path_), qPrintable(file.errorString()));
        return false;
    }
    dirty_ = false;
    return true;
}

} // namespace pf
