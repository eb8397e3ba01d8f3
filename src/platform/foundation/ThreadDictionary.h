// Per-thread string-keyed values, for context that travels down a call tree on one thread (the reading of a
// document publishes its format version and the page being built here).
#pragma once

#include "platform/foundation/Variant.h"

#include <QString>

#include <optional>

namespace pf {

// The stored format version while pages are read.
inline constexpr char TlsVersionKey[] = "PLOVIX_TLS_VERSION_KEY";
// The page whose children are being built.
inline constexpr char TlsCompositionKey[] = "PLOVIX_TLS_COMPOSITION_KEY";

namespace threadDictionary {

// Null when the key is not set on this thread.
Variant value(const QString& key);
bool contains(const QString& key);
void setValue(const QString& key, Variant value);
void remove(const QString& key);

} // namespace threadDictionary

// Sets a key on this thread for its scope and puts back what was there before (or removes the key) when
// the scope ends, also when an exception passes.
class ThreadValueScope {
public:
    ThreadValueScope(const QString& key, Variant value);
    ~ThreadValueScope();
    ThreadValueScope(const ThreadValueScope&) = delete;
    ThreadValueScope& operator=(const ThreadValueScope&) = delete;

private:
    QString key_;
    std::optional<Variant> previous_;
};

} // namespace pf
