// Key-value coding through property tables, key paths, and observing with nested and dependent notices.
#include "platform/foundation/Object.h"
#include "WarningCapture.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

namespace {

using pf::ChangePhase;
using pf::Variant;

// A page-size-like record: a stored width, a unit, and widths derived from both.
class Sheet : public pf::Object {
public:
    double width() const { return width_; }
    void setWidth(double w)
    {
        if (w == width_)
            return;
        pf::ChangeNotice notice(*this, QStringLiteral("width"));
        width_ = w;
        ++widthWrites;
    }
    unsigned unitType() const { return unitType_; }
    void setUnitType(unsigned t)
    {
        if (t == unitType_)
            return;
        pf::ChangeNotice notice(*this, QStringLiteral("unitType"));
        unitType_ = t;
    }
    double unitWidth() const { return unitType_ == 1 ? width_ / 72.0 : width_; }
    QString title() const { return title_; }
    void setTitle(const QString& t)
    {
        pf::ChangeNotice notice(*this, QStringLiteral("title"));
        title_ = t;
    }
    enum class Corner { TopLeft = 0, Middle = 4 };
    Corner anchor() const { return anchor_; }
    void setAnchor(Corner c) { anchor_ = c; }
    std::shared_ptr<Sheet> child() const { return child_; }
    void setChild(std::shared_ptr<Sheet> c) { child_ = std::move(c); }

    // A change of five keys at once, as a frame setter makes.
    void setEverything()
    {
        pf::ChangeNotice notice(*this, {"a", "b", "c", "d", "e"});
    }

    static const pf::PropertyTable& properties()
    {
        static const pf::PropertyTable table = [] {
            pf::PropertyTable t(&pf::Object::properties());
            t.add("width", &Sheet::width, &Sheet::setWidth);
            t.add("unitType", &Sheet::unitType, &Sheet::setUnitType);
            t.add("unitWidth", &Sheet::unitWidth);
            t.add("title", &Sheet::title, &Sheet::setTitle);
            t.add("child", &Sheet::child, &Sheet::setChild);
            t.add("anchor", &Sheet::anchor, &Sheet::setAnchor);
            t.addDependency("unitWidth", {"width", "unitType"});
            t.addDependency("unitHeight", {"unitType"});
            return t;
        }();
        return table;
    }
    const pf::PropertyTable& propertyTable() const override { return properties(); }

    int widthWrites = 0;

private:
    double width_ = 0;
    unsigned unitType_ = 0;
    QString title_;
    std::shared_ptr<Sheet> child_;
    Corner anchor_ = Corner::TopLeft;
};

// Overrides one inherited key and adds a dependency of its own.
class TitledSheet : public Sheet {
public:
    static const pf::PropertyTable& properties()
    {
        static const pf::PropertyTable table = [] {
            pf::PropertyTable t(&Sheet::properties());
            t.add("title", pf::Property{[](const pf::Object&) { return Variant("fixed"); }, {}});
            t.addDependency("summary", {"unitWidth"});
            return t;
        }();
        return table;
    }
    const pf::PropertyTable& propertyTable() const override { return properties(); }
};

struct Log {
    QStringList entries;
    pf::KeyObserver observer()
    {
        return [this](pf::Object&, const QString& key, ChangePhase phase) {
            entries << (phase == ChangePhase::Will ? QStringLiteral("will-") : QStringLiteral("did-")) + key;
        };
    }
};

TEST(KeyValueObserving, NoticesOfSeveralKeysNestWillsInOrderDidsInReverse)
{
    Sheet sheet;
    Log log;
    std::vector<pf::ObservationToken> tokens;
    for (const char* key : {"a", "b", "c", "d", "e"})
        tokens.push_back(sheet.addObserver(key, log.observer()));

    sheet.setEverything();

    EXPECT_EQ(log.entries, QStringList({"will-a", "will-b", "will-c", "will-d", "will-e", "did-e", "did-d", "did-c",
                               "did-b", "did-a"}));
}

TEST(KeyValueObserving, DependentKeysAreNotifiedInsideTheirSourcesNotice)
{
    TitledSheet sheet;
    Log log;
    std::vector<pf::ObservationToken> tokens;
    for (const char* key : {"unitType", "unitWidth", "unitHeight", "summary", "width"})
        tokens.push_back(sheet.addObserver(key, log.observer()));

    sheet.setUnitType(1);
    // Inherited dependencies, and the subclass's "summary" through "unitWidth" (indirect).
    EXPECT_EQ(log.entries, QStringList({"will-unitType", "will-unitWidth", "will-unitHeight", "will-summary",
                               "did-summary", "did-unitHeight", "did-unitWidth", "did-unitType"}));

    log.entries.clear();
    sheet.setWidth(144);
    EXPECT_EQ(log.entries,
        QStringList({"will-width", "will-unitWidth", "will-summary", "did-summary", "did-unitWidth", "did-width"}));
    EXPECT_EQ(sheet.valueForKey("unitWidth"), Variant(2));
}

TEST(KeyValueObserving, TokensEndObservationAlsoDuringANotice)
{
    auto sheet = std::make_shared<Sheet>();
    Log log;
    pf::ObservationToken second;
    pf::ObservationToken first = sheet->addObserver("width", [&](pf::Object&, const QString&, ChangePhase phase) {
        log.entries << QStringLiteral("first");
        if (phase == ChangePhase::Will)
            second.reset(); // removed before its turn in this very notice
    });
    second = sheet->addObserver("width", [&](pf::Object&, const QString&, ChangePhase) { log.entries << "second"; });

    sheet->setWidth(10);
    EXPECT_EQ(log.entries, QStringList({"first", "first"}));

    {
        pf::ObservationToken moved = std::move(first);
    }
    log.entries.clear();
    sheet->setWidth(20);
    EXPECT_TRUE(log.entries.isEmpty());
    EXPECT_FALSE(sheet->isObserved());

    // A token that outlives its object ends nothing and does not crash.
    pf::ObservationToken late = sheet->addObserver("width", log.observer());
    sheet.reset();
    late.reset();
}

TEST(KeyValueObserving, CopiesStartUnobserved)
{
    Sheet sheet;
    Log log;
    pf::ObservationToken token = sheet.addObserver("width", log.observer());
    Sheet copy = sheet;
    copy.setWidth(5);
    EXPECT_TRUE(log.entries.isEmpty());
    EXPECT_FALSE(copy.isObserved());
}

TEST(KeyValueCoding, ReadsAndWritesGoThroughTheClassesAccessors)
{
    auto sheet = std::make_shared<TitledSheet>();
    Log log;
    pf::ObservationToken token = sheet->addObserver("width", log.observer());

    sheet->setValueForKey(Variant(72), "width"); // an integer into a double setter
    EXPECT_EQ(sheet->width(), 72.0);
    EXPECT_EQ(sheet->widthWrites, 1);
    EXPECT_EQ(log.entries, QStringList({"will-width", "did-width"}));
    EXPECT_EQ(sheet->valueForKey("width"), Variant(72.0));
    EXPECT_EQ(sheet->valueForKey("title"), Variant("fixed")); // overridden by the subclass

    sheet->setValueForKey(Variant(4), "anchor"); // enumerations travel as their integer value
    EXPECT_EQ(sheet->anchor(), Sheet::Corner::Middle);
    EXPECT_EQ(sheet->valueForKey("anchor"), Variant(4));

    auto child = std::make_shared<Sheet>();
    sheet->setValueForKey(Variant(child), "child");
    sheet->setValueForKeyPath(Variant("Inner"), "child.title");
    EXPECT_EQ(child->title(), "Inner");
    EXPECT_EQ(sheet->valueForKeyPath("child.title"), Variant("Inner"));
    child->setWidth(1);
    EXPECT_EQ(sheet->valueForKeyPath("child.child.width"), Variant()); // a null on the way ends the path
    sheet->setValueForKeyPath(Variant(3), "child.child.width");         // and writes nothing
}

TEST(KeyValueCoding, UnknownKeysWrongKindsAndReadOnlyKeysAreLoggedAndIgnored)
{
    Sheet sheet;
    sheet.setWidth(10);
    WarningCapture warnings;

    EXPECT_EQ(sheet.valueForKey("noSuchKey"), Variant());
    sheet.setValueForKey(Variant(5), "noSuchKey");
    sheet.setValueForKey(Variant("wide"), "width");
    sheet.setValueForKey(Variant(), "width"); // nil for a number
    sheet.setValueForKey(Variant(3), "unitWidth");
    EXPECT_EQ(sheet.valueForKeyPath("width.value"), Variant()); // a number has no keys

    EXPECT_EQ(sheet.width(), 10.0);
    EXPECT_EQ(sheet.widthWrites, 1);
    EXPECT_EQ(warnings.messages().size(), 6);
    EXPECT_TRUE(warnings.contains("noSuchKey"));
    EXPECT_TRUE(warnings.contains("read-only"));
}

TEST(Variant, NumbersCompareByValueAcrossIntegerRealAndBool)
{
    struct Case {
        Variant a, b;
        bool equal;
    };
    const Case cases[] = {
        {Variant(1), Variant(1.0), true},
        {Variant(true), Variant(1), true},
        {Variant(false), Variant(0.0), true},
        {Variant(2), Variant(2.5), false},
        {Variant(0.1 + 0.2), Variant(0.3), false},
        {Variant(std::int64_t(9007199254740993)), Variant(9007199254740992.0), false}, // not rounded to fit
        {Variant(std::numeric_limits<std::int64_t>::max()), Variant(9223372036854775808.0), false},
        {Variant(std::nan("")), Variant(std::nan("")), false},
        {Variant(1), Variant("1"), false},
        {Variant(), Variant(), true},
        {Variant(), Variant(0), false},
        {Variant(pf::Point(1, 2)), Variant(pf::Point(1, 2)), true},
        {Variant(pf::OptionalColor()), Variant(), true},
        {Variant(pf::VariantArray{1, 2.0}), Variant(pf::VariantArray{1.0, 2}), true},
        {Variant(pf::VariantMap{{"k", 1}}), Variant(pf::VariantMap{{"k", true}}), true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.a == c.b, c.equal) << qPrintable(c.a.description()) << " vs " << qPrintable(c.b.description());
        EXPECT_EQ(c.b == c.a, c.equal) << qPrintable(c.b.description()) << " vs " << qPrintable(c.a.description());
    }

    auto object = std::make_shared<Sheet>();
    EXPECT_EQ(Variant(object), Variant(object));
    EXPECT_FALSE(Variant(object) == Variant(std::make_shared<Sheet>())); // identity, not contents
}

TEST(Variant, TypedReadsConvertNumbersAndRefuseOtherKinds)
{
    EXPECT_EQ(Variant(2.9).get<int>(), 2);
    EXPECT_EQ(Variant(-2.9).get<int>(), -2);
    EXPECT_EQ(Variant(1e300).get<std::int64_t>(), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(Variant(0.5).get<bool>(), true);
    EXPECT_EQ(Variant("x").get<double>(), std::nullopt);
    EXPECT_EQ(Variant(pf::Rect(0, 0, 1, 1)).get<pf::Point>(), std::nullopt);
    EXPECT_EQ(Variant().get<QString>(), QString());
    using ColorRead = std::optional<pf::OptionalColor>; // read, and the colour read (nil is a valid colour)
    EXPECT_EQ(Variant().get<pf::OptionalColor>(), ColorRead(pf::OptionalColor()));
    EXPECT_EQ(Variant(pf::Color::white()).get<pf::OptionalColor>(), ColorRead(pf::Color::white()));
    EXPECT_EQ(Variant(1).get<pf::OptionalColor>(), ColorRead());
    EXPECT_EQ(Variant(3).toString(), QString());

    auto titled = std::make_shared<TitledSheet>();
    EXPECT_EQ(Variant(titled).get<std::shared_ptr<Sheet>>(), std::shared_ptr<Sheet>(titled));
    EXPECT_EQ(Variant(std::make_shared<Sheet>()).get<std::shared_ptr<TitledSheet>>(), std::nullopt);
}

} // namespace
