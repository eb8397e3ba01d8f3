// Per-thread values and the scope guard that always puts them back.
#include "platform/foundation/ThreadDictionary.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

namespace {

TEST(ThreadDictionary, AScopeRestoresTheKeyAlsoWhenAnExceptionPasses)
{
    const QString key = pf::TlsVersionKey;
    EXPECT_EQ(key, "PLOVIX_TLS_VERSION_KEY");
    EXPECT_EQ(QString(pf::TlsCompositionKey), "PLOVIX_TLS_COMPOSITION_KEY");
    ASSERT_FALSE(pf::threadDictionary::contains(key));

    try {
        pf::ThreadValueScope scope(key, 3);
        EXPECT_EQ(pf::threadDictionary::value(key), pf::Variant(3));
        throw std::runtime_error("malformed page");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(pf::threadDictionary::contains(key));

    pf::threadDictionary::setValue(key, 2);
    {
        pf::ThreadValueScope outer(key, 5);
        {
            pf::ThreadValueScope inner(key, 6);
            EXPECT_EQ(pf::threadDictionary::value(key), pf::Variant(6));
        }
        EXPECT_EQ(pf::threadDictionary::value(key), pf::Variant(5));
    }
    EXPECT_EQ(pf::threadDictionary::value(key), pf::Variant(2));
    pf::threadDictionary::remove(key);
    EXPECT_TRUE(pf::threadDictionary::value(key).isNull());
}

TEST(ThreadDictionary, ValuesBelongToTheirThread)
{
    pf::ThreadValueScope scope(pf::TlsCompositionKey, "main");
    pf::Variant seen = "unset";
    std::thread other([&seen] { seen = pf::threadDictionary::value(pf::TlsCompositionKey); });
    other.join();
    EXPECT_TRUE(seen.isNull());
    EXPECT_EQ(pf::threadDictionary::value(pf::TlsCompositionKey), pf::Variant("main"));
}

} // namespace
