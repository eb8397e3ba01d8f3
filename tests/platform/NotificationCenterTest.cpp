// The synchronous notification centre: filters, token removal, and re-entrant handlers.
#include "platform/foundation/NotificationCenter.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

TEST(NotificationCenter, ObserversFilterByNameAndObject)
{
    pf::NotificationCenter center;
    int pageA = 0, pageB = 0;
    QStringList heard;
    auto record = [&heard](const QString& who) {
        return [&heard, who](const pf::Notification& n) { heard << who + ":" + n.name; };
    };
    pf::NotificationToken any = center.addObserver({}, nullptr, record("any"));
    pf::NotificationToken byName = center.addObserver("Changed", nullptr, record("name"));
    pf::NotificationToken byObject = center.addObserver({}, &pageA, record("object"));
    pf::NotificationToken both = center.addObserver("Changed", &pageA, record("both"));

    center.post("Changed", &pageA, {{"count", 2}});
    EXPECT_EQ(heard, QStringList({"any:Changed", "name:Changed", "object:Changed", "both:Changed"}));
    heard.clear();
    center.post("Changed", &pageB);
    EXPECT_EQ(heard, QStringList({"any:Changed", "name:Changed"}));
    heard.clear();
    center.post("Other", &pageA);
    EXPECT_EQ(heard, QStringList({"any:Other", "object:Other"}));

    pf::Variant count;
    pf::NotificationToken info = center.addObserver("Info", nullptr, [&](const pf::Notification& n) {
        count = n.userInfo.at("count");
        EXPECT_EQ(n.object, &pageB);
    });
    center.post("Info", &pageB, {{"count", 2}});
    EXPECT_EQ(count, pf::Variant(2));
}

TEST(NotificationCenter, TokensRemoveTheirObserver)
{
    pf::NotificationCenter center;
    int calls = 0;
    {
        pf::NotificationToken token = center.addObserver("N", nullptr, [&](const pf::Notification&) { ++calls; });
        center.post("N");
        pf::NotificationToken moved = std::move(token);
        center.post("N");
    }
    center.post("N");
    EXPECT_EQ(calls, 2);

    // A token that outlives its centre is harmless.
    auto shortLived = std::make_unique<pf::NotificationCenter>();
    pf::NotificationToken late = shortLived->addObserver("N", nullptr, [](const pf::Notification&) {});
    shortLived.reset();
    late.reset();
}

TEST(NotificationCenter, HandlersMayPostAddAndRemoveObservers)
{
    pf::NotificationCenter& center = pf::NotificationCenter::defaultCenter();
    QStringList heard;
    pf::NotificationToken second;
    pf::NotificationToken added;
    pf::NotificationToken first = center.addObserver("Outer", nullptr, [&](const pf::Notification&) {
        heard << "first";
        second.reset(); // removed before its turn in this post
        added = center.addObserver("Outer", nullptr, [&](const pf::Notification&) { heard << "added"; });
        center.post("Inner");
    });
    second = center.addObserver("Outer", nullptr, [&](const pf::Notification&) { heard << "second"; });
    pf::NotificationToken inner = center.addObserver("Inner", nullptr, [&](const pf::Notification&) {
        heard << "inner";
        first.reset(); // a handler removing the observer that is running
    });

    center.post("Outer");
    EXPECT_EQ(heard, QStringList({"first", "inner"}));
    heard.clear();
    center.post("Outer");
    EXPECT_EQ(heard, QStringList({"added"}));
}

} // namespace
