// Fixtures of the shape tests: a page that records what shapes ask of it, two minimal kinds (one in the
// "Shape" sticky family, one in another), and empty in-memory user defaults for each test.
#pragma once

#include "model/Shape.h"
#include "model/StickyDefaults.h"
#include "model/UserDefaults.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "support/QuietShapePage.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

class FakePage : public QuietShapePage {
public:
    // Without grouping by event, every registration outside a group is one undo step.
    FakePage() { undo.setGroupsByEvent(false); }

    pf::UndoManager* undoManager() const override { return &undo; }
    pf::Image imageForIdentifier(const QString& identifier) override
    {
        imageRequests.push_back(identifier);
        return {};
    }
    void incrementRefCountForImageIdentifier(const QString& identifier) override { ++refCounts[identifier]; }
    void decrementRefCountForImageIdentifier(const QString& identifier) override { --refCounts[identifier]; }
    void setNeedsDisplayInRectUpdatePalettes(const pf::Rect& rect, bool palettes) override
    {
        redisplays.push_back({rect, palettes});
    }
    void removeConnection(const std::shared_ptr<ShapeConnection>& connection) override
    {
        removedConnections.push_back(connection);
        if (Shape* shape = connectionShapes[connection.get()])
            shape->removeConnection(connection.get());
    }
    double zoomScale() const override { return zoom; }
    // Rulers counting from rulerOrigin (a page point).
    pf::Point rulerOriginAdjustedPoint(const pf::Point& point) const override { return point - rulerOrigin; }
    bool isDuplicating() const override { return duplicating; }

    struct Redisplay {
        pf::Rect rect;
        bool palettes;
    };
    mutable pf::UndoManager undo;
    bool duplicating = false;
    double zoom = 1.0;
    pf::Point rulerOrigin;
    // The shape each connection is attached to, so that removeConnection can detach it.
    std::map<const ShapeConnection*, Shape*> connectionShapes;
    std::vector<std::shared_ptr<ShapeConnection>> removedConnections;
    std::map<QString, int> refCounts;
    std::vector<QString> imageRequests;
    std::vector<Redisplay> redisplays;
};

// A kind of the "Shape" family with a short title and a sticky value, initialiser and stored key of its
// own, written as the kinds write theirs.
class TestBox : public Shape {
public:
    void initWithFrame(const pf::Rect& frame) override
    {
        Shape::initWithFrame(frame);
        setAdjustmentRatioX(shapeClass().stickyDoubleForKey("adjustmentRatioX"));
        setCurveRatio(shapeClass().stickyDoubleForKey("curveRatio"));
    }
    double curveRatio() const { return curveRatio_; }
    void setCurveRatio(double ratio)
    {
        static const PropertyChange change{"curveRatio", "Curve", nullptr, Sticky | Dirty | Redisplay};
        setProperty(curveRatio_, ratio, &TestBox::setCurveRatio, change);
    }
    pf::Value asPlist() const override
    {
        pf::Value plist = Shape::asPlist();
        plist.set("curveRatio", curveRatio_);
        return plist;
    }
    void readPlist(const pf::Value& plist) override
    {
        Shape::readPlist(plist);
        setCurveRatio(plist.doubleForKey("curveRatio"));
    }

    class Class : public ShapeClass {
    public:
        using ShapeClass::ShapeClass;
        QString shortTitle() const override { return QStringLiteral("Test Box"); }
        QString title() const override { return QStringLiteral("Test Box (T)"); }
        pf::Size defaultSize() const override { return {40, 20}; }
    };
    static const Class& staticClass()
    {
        static const Class c(QStringLiteral("TestBox"), &Shape::staticClass(), &Shape::allocate<TestBox>);
        return c;
    }
    const pf::ClassObject& classObject() const override { return staticClass(); }

protected:
    void copyFrom(const Shape& source) override
    {
        Shape::copyFrom(source);
        curveRatio_ = static_cast<const TestBox&>(source).curveRatio_;
    }

private:
    double curveRatio_ = 0;
};

// A kind of another sticky family.
class TestConnector : public Shape {
public:
    class Class : public ShapeClass {
    public:
        using ShapeClass::ShapeClass;
        QString stickyPhylumName() const override { return QStringLiteral("Connector"); }
    };
    static const Class& staticClass()
    {
        static const Class c(QStringLiteral("TestConnector"), &Shape::staticClass(), &Shape::allocate<TestConnector>);
        return c;
    }
    const pf::ClassObject& classObject() const override { return staticClass(); }
};

class ShapeTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        registerShapeClasses(pf::ClassRegistry::shared());
        pf::ClassRegistry::shared().add(TestBox::staticClass());
        pf::ClassRegistry::shared().add(TestConnector::staticClass());
    }
    void SetUp() override { previous_ = pf::UserDefaultsStore::replaceStandard(freshStore()); }
    void TearDown() override { pf::UserDefaultsStore::replaceStandard(std::move(previous_)); }

    // User defaults with nothing registered but the sticky-properties setting (on).
    static std::unique_ptr<pf::UserDefaultsStore> freshStore()
    {
        auto store = std::make_unique<pf::UserDefaultsStore>();
        store->registerDefaults({{QStringLiteral("StickyPropertiesEnabled"), true}});
        return store;
    }
    void resetStore() { pf::UserDefaultsStore::replaceStandard(freshStore()); }
    static pf::UserDefaultsStore& store() { return pf::UserDefaultsStore::standard(); }
    static void registerDefault(const QString& key, const pf::Value& value) { store().registerDefaults({{key, value}}); }
    // What was written at the user level.
    static const pf::Value::Dictionary& userValues() { return store().persistentDomain().asDictionary(); }
    static void clearUserValues()
    {
        const pf::Value::Dictionary values = userValues();
        for (const auto& entry : values)
            store().removeObjectForKey(entry.first);
    }

    // A box at (0, 0, 100, 50) on the fake page.
    std::shared_ptr<TestBox> boxOnPage()
    {
        auto box = Shape::make<TestBox>(pf::Rect(0, 0, 100, 50));
        box->setComposition(&page);
        return box;
    }

    FakePage page;

private:
    std::unique_ptr<pf::UserDefaultsStore> previous_;
};
