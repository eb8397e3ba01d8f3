// What every outline kind shares: registration, the stored form, and the ratios new shapes take.
#include "OutlineTestSupport.h"

#include "model/StickyDefaults.h"

namespace {

struct RatioKind {
    const char* name;
    bool x, y;
};
const RatioKind ratioKinds[] = {{"RoundRectangle", true, false}, {"Diamond", true, false}, {"Home", true, false},
                                {"Parallelogram", true, false},  {"Input", true, false},   {"DoubleInput", true, false},
                                {"Star", true, false},           {"Cylinder", false, true}, {"Arrow", true, true},
                                {"DoubleArrow", true, true},     {"Note", true, true},     {"Folder", true, true},
                                {"Box", true, true},             {"Pie", true, false}};

} // namespace

TEST_F(OutlineTest, EveryKindRoundTripsThroughItsStoredForm)
{
    for (const char* kind : allOutlineKinds) {
        auto shape = make(kind, pf::Rect(10, 20, 120, 80));
        ASSERT_TRUE(shape) << kind;
        shape->setAdjustmentRatioX(0.35);
        shape->setAdjustmentRatioY(0.45);
        shape->setRotationAngle(30);
        EXPECT_FALSE(shape->path().isEmpty()) << kind;
        const pf::Value plist = shape->asPlist();
        EXPECT_EQ(plist.stringForKey("className"), QString::fromLatin1(kind));
        auto back = Shape::fromPlist(plist);
        ASSERT_TRUE(back) << kind;
        EXPECT_EQ(back->shapeClass().className(), QString::fromLatin1(kind));
        EXPECT_TRUE(back->isEqual(*shape)) << kind;
        EXPECT_TRUE(back->path().sameElements(shape->path())) << kind;
        EXPECT_EQ(back->adjustPoint(), shape->adjustPoint()) << kind;
    }
}

TEST_F(OutlineTest, TurnedShapesAtFractionalFramesReadBackEqual)
{
    // The ratio kinds set their ratios at creation; a frame rounded then (rotation still 0) would move a
    // turned shape by up to half a point on every read or paste.
    std::vector<const char*> kinds(std::begin(allOutlineKinds), std::end(allOutlineKinds));
    for (const char* more : {"Rectangle", "Text", "Redact", "Loupe"})
        kinds.push_back(more);
    for (const char* kind : kinds) {
        auto shape = make(kind, pf::Rect(10, 20, 120, 80));
        ASSERT_TRUE(shape) << kind;
        shape->setAttributedText(nullptr); // the stored text keeps characters, fonts and colours only
        shape->setRotationAngle(30);
        shape->setFrame(pf::Rect(10.3, 20.6, 120.45, 80.7));
        ASSERT_EQ(shape->frame(), pf::Rect(10.3, 20.6, 120.45, 80.7)) << kind;
        auto back = Shape::fromPlist(shape->asPlist());
        ASSERT_TRUE(back) << kind;
        EXPECT_EQ(back->frame(), shape->frame()) << kind;
        EXPECT_TRUE(back->isEqual(*shape)) << kind;
        EXPECT_TRUE(back->path().sameElements(shape->path())) << kind;
        EXPECT_EQ(back->asPlist(), shape->asPlist()) << kind;
    }
}

TEST_F(OutlineTest, NewShapesTakeTheClassRatiosNeverTheUsersLast)
{
    for (const RatioKind& kind : ratioKinds) {
        const QString name = QString::fromLatin1(kind.name);
        auto& store = pf::UserDefaultsStore::standard();
        // A user who last dragged the handle to 0.9 (written at the user level, as a setter writes it).
        store.setObjectForKey(0.9, QStringLiteral("User-Shape-adjustmentRatioX"));
        store.setObjectForKey(0.9, QStringLiteral("User-Shape-adjustmentRatioY"));
        store.setObjectForKey(0.15, name + QStringLiteral("-adjustmentRatioX"));
        store.setObjectForKey(0.25, name + QStringLiteral("-adjustmentRatioY"));
        auto shape = make(kind.name, pf::Rect(0, 0, 100, 100));
        EXPECT_EQ(shape->adjustmentRatioX(), kind.x ? 0.15 : 0.0) << kind.name;
        EXPECT_EQ(shape->adjustmentRatioY(), kind.y ? 0.25 : 0.0) << kind.name;
        // Taking them wrote nothing back.
        EXPECT_EQ(store.doubleForKey(QStringLiteral("User-Shape-adjustmentRatioX")), 0.9);

        // The library entry carries the same values, so previews show them.
        const pf::Value entry = shape->shapeClass().plist();
        EXPECT_EQ(entry.contains("adjustmentRatioX"), kind.x) << kind.name;
        EXPECT_EQ(entry.contains("adjustmentRatioY"), kind.y) << kind.name;
        if (kind.x) {
            EXPECT_EQ(entry.doubleForKey("adjustmentRatioX"), 0.15);
        }

        // Without a class value, the built-in one of the defaults resource.
        store.removeObjectForKey(name + QStringLiteral("-adjustmentRatioX"));
        store.removeObjectForKey(name + QStringLiteral("-adjustmentRatioY"));
        auto plain = make(kind.name, pf::Rect(0, 0, 100, 100));
        if (kind.x) {
            EXPECT_EQ(plain->adjustmentRatioX(), shape->shapeClass().stickyDoubleForKey(QStringLiteral("adjustmentRatioX")));
        }
    }
}

TEST_F(OutlineTest, BuiltInRatiosShapeEveryRatioKindVisibly)
{
    for (const RatioKind& kind : ratioKinds) {
        auto shape = make(kind.name, pf::Rect(0, 0, 100, 100));
        if (kind.x) {
            EXPECT_GT(shape->adjustmentRatioX(), 0) << kind.name;
        }
        if (kind.y) {
            EXPECT_GT(shape->adjustmentRatioY(), 0) << kind.name;
        }
        EXPECT_LE(shape->adjustmentRatioX(), 1) << kind.name;
        EXPECT_LE(shape->adjustmentRatioY(), 1) << kind.name;
    }
}

TEST_F(OutlineTest, KindsNameTheirOwnManipulatorAndFamily)
{
    const std::pair<const char*, const char*> manipulators[] = {
        {"RoundRectangle", "RoundRectManipulator"}, {"Home", "DiamondManipulator"},
        {"DoubleInput", "InputManipulator"},        {"Star", "StarManipulator"},
        {"Cylinder", "CylinderManipulator"},        {"Note", "ArrowManipulator"},
        {"Folder", "FolderManipulator"},            {"Box", "BoxManipulator"},
        {"Pie", "PieManipulator"},                  {"Bracket", "GroupManipulator"},
        {"Ellipse", "Manipulator"},                 {"Cloud", "Manipulator"}};
    for (const auto& [kind, manipulator] : manipulators)
        EXPECT_EQ(make(kind, pf::Rect(0, 0, 10, 10))->shapeClass().manipulatorClassName(), QString::fromLatin1(manipulator))
            << kind;
    // People and brackets keep a style of their own; the rest share the shapes' one.
    EXPECT_EQ(make("Man", pf::Rect(0, 0, 10, 10))->shapeClass().stickyPhylumName(), QStringLiteral("Man"));
    EXPECT_EQ(make("Bracket", pf::Rect(0, 0, 10, 10))->shapeClass().stickyPhylumName(), QStringLiteral("Bracket"));
    EXPECT_EQ(make("Cloud", pf::Rect(0, 0, 10, 10))->shapeClass().stickyPhylumName(), QStringLiteral("Shape"));
    EXPECT_EQ(pf::ClassRegistry::shared().lookup<ShapeClass>(QStringLiteral("Man"))->newShape()->frame(),
              pf::Rect(0, 0, 40, 100));
}
