#include "model/FilterInfo.h"
#include "model/FilterSpec.h"
#include "model/LineDash.h"
#include "model/QVGradientElement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

struct DashCase {
    double width;
    double on, off, phase;
};

TEST(LineDash, PresetsScaleWithTheStrokeWidth)
{
    for (const DashCase& c : std::vector<DashCase>{{4, 8, 4, 0}, {16, 10, 6, 11}, {1, 8, 4, -3}}) {
        const LineDash d = LineDash::dashedLineDashWithStrokeLineWidth(c.width);
        EXPECT_EQ(d.count(), 2u);
        EXPECT_EQ(d.onLength(), c.on) << c.width;
        EXPECT_EQ(d.offLength(), c.off) << c.width;
        EXPECT_EQ(d.phase(), c.phase) << c.width;
    }
    for (const DashCase& c : std::vector<DashCase>{{4, 4, 5, -4}, {1, 1, 2, -1}, {0, 0, 2, 0}}) {
        const LineDash d = LineDash::dottedLineDashWithStrokeLineWidth(c.width);
        EXPECT_EQ(d.onLength(), c.on) << c.width;
        EXPECT_EQ(d.offLength(), c.off) << c.width;
        EXPECT_EQ(d.phase(), c.phase) << c.width;
    }
    // A negative width has no square root: the floors hold.
    const LineDash odd = LineDash::dashedLineDashWithStrokeLineWidth(-4);
    EXPECT_EQ(odd.onLength(), 8.0);
    EXPECT_EQ(odd.offLength(), 4.0);
}

TEST(LineDash, LengthsOnlyForOnOffPatterns)
{
    std::array<double, 2> lengths{-1, -1};
    EXPECT_EQ(LineDash::solidLineDash().getLengths(lengths), 0u);
    EXPECT_EQ(lengths[0], -1.0);
    EXPECT_EQ(LineDash(3, 5, 0).getLengths(lengths), 2u);
    EXPECT_EQ(lengths, (std::array<double, 2>{3, 5}));
    EXPECT_EQ(&LineDash::solidLineDash(), &LineDash::solidLineDash());
}

TEST(LineDash, StoredForm)
{
    const LineDash dash = LineDash::dottedLineDashWithStrokeLineWidth(4);
    EXPECT_EQ(LineDash::fromPlist(dash.asPlist()), dash);
    EXPECT_EQ(dash.asPlist().integerForKey(u"count"), 2);

    // Counts other than 0 and 2 have no lengths to draw: they read as solid.
    for (const pf::Value& count : {pf::Value(3), pf::Value(1), pf::Value(-2), pf::Value("7"), pf::Value()}) {
        pf::Value stored = dash.asPlist();
        stored.set("count", count);
        EXPECT_EQ(LineDash::fromPlist(stored).count(), 0u) << count.description().toStdString();
    }
    pf::Value stored = dash.asPlist();
    stored.set("phase", "nan");
    stored.set("onLength", "-1e999");
    const LineDash read = LineDash::fromPlist(stored);
    EXPECT_EQ(read.phase(), 0.0);
    EXPECT_EQ(read.onLength(), 0.0);
    EXPECT_EQ(LineDash::fromPlist(pf::Value()), LineDash::solidLineDash());
}

TEST(QVGradientElement, StoredFormWithAndWithoutColour)
{
    const QVGradientElement red(pf::Color(1, 0, 0, 1), 0.25);
    EXPECT_EQ(red.asPlist().stringForKey(u"color"), "1.000000:0.000000:0.000000:1.000000");
    EXPECT_EQ(QVGradientElement::fromPlist(red.asPlist()), red);

    const QVGradientElement none(std::nullopt, 1.0);
    EXPECT_EQ(none.asPlist().stringForKey(u"color"), "");
    const QVGradientElement back = QVGradientElement::fromPlist(none.asPlist());
    EXPECT_FALSE(back.color().has_value());
    EXPECT_EQ(back.ratio(), 1.0);

    EXPECT_NE(red, QVGradientElement(pf::Color(1, 0, 0, 1), 0.5));
    EXPECT_NE(red, none);
}

TEST(FilterInfo, CatalogueStartsWithNone)
{
    const auto& catalogue = FilterInfo::allFilterInfos();
    ASSERT_GE(catalogue.size(), 2u);
    EXPECT_EQ(catalogue.front()->name(), "none");
    EXPECT_FALSE(catalogue.front()->sliderEnabled());
    EXPECT_EQ(catalogue.front()->localizedName(), "None");
    for (std::size_t i = 0; i < catalogue.size(); ++i) {
        EXPECT_EQ(catalogue[i]->type(), i) << "entry types follow their positions";
        EXPECT_GT(catalogue[i]->sliderValueMultiple(), 0.0);
        if (catalogue[i]->sliderEnabled()) {
            EXPECT_FALSE(catalogue[i]->sliderKey().isEmpty());
            EXPECT_LE(catalogue[i]->minSliderValue(), catalogue[i]->defaultSliderValue());
            EXPECT_LE(catalogue[i]->defaultSliderValue(), catalogue[i]->maxSliderValue());
        }
    }
    EXPECT_EQ(catalogue[1]->name(), "CIGaussianBlur");
    EXPECT_EQ(catalogue[1]->localizedName(), "Gaussian Blur");
}

TEST(FilterInfo, LookupBeyondTheCatalogue)
{
    EXPECT_EQ(FilterInfo::filterInfoWithType(1), FilterInfo::allFilterInfos()[1]);
    EXPECT_EQ(FilterInfo::filterInfoWithType(1000), FilterInfo::allFilterInfos().front());

    const auto none = FilterInfo::filterInfoWithTypeInCatalogue({}, 0);
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->name(), "none");
    EXPECT_EQ(FilterInfo::filterInfoWithTypeInCatalogue({}, 5), none);
    EXPECT_TRUE(FilterInfo::catalogueFromPlist(pf::Value("not an array")).empty());
}

TEST(FilterInfo, StoredForm)
{
    pf::Value stored = pf::Value::dictionary();
    stored.set("type", 3);
    stored.set("name", "CISepiaTone");
    stored.set("sliderKey", "inputIntensity");
    stored.set("sliderEnabled", true);
    stored.set("maxSliderValue", 100.0);
    const auto info = FilterInfo::fromPlist(stored);
    EXPECT_EQ(info->sliderValueMultiple(), 1.0) << "absent multiple";
    const pf::Value written = info->asPlist();
    EXPECT_EQ(written.stringForKey(u"name"), "CISepiaTone");
    EXPECT_EQ(written.doubleForKey(u"maxSliderValue"), 100.0);
    EXPECT_FALSE(FilterInfo().asPlist().contains(u"name"));

    // The filter gets sliderValue / multiple: a zero or non-finite multiple would divide by nothing.
    stored.set("sliderValueMultiple", 0.0);
    EXPECT_EQ(FilterInfo::fromPlist(stored)->sliderValueMultiple(), 1.0);
    stored.set("sliderValueMultiple", "1e999");
    EXPECT_EQ(FilterInfo::fromPlist(stored)->sliderValueMultiple(), 1.0);
}

TEST(FilterSpec, EqualityToleratesSliderJitter)
{
    FilterSpec a, b;
    a.setSliderValue(0.50);
    b.setSliderValue(0.55);
    EXPECT_EQ(a, b);
    b.setSliderValue(0.7);
    EXPECT_NE(a, b);
    b.setSliderValue(0.5);
    b.setEnabled(false);
    EXPECT_NE(a, b);
}

TEST(FilterSpec, NewTypeTakesItsDefaultSliderValue)
{
    auto spec = FilterSpec::filterSpec();
    EXPECT_TRUE(spec->enabled());
    std::vector<std::string> heard;
    auto token = spec->addObserver("sliderValue", [&heard](pf::Object&, const QString& key, pf::ChangePhase phase) {
        if (phase == pf::ChangePhase::Did)
            heard.push_back(key.toStdString());
    });
    spec->setSliderValue(42);
    heard.clear();
    spec->setType(1);
    EXPECT_EQ(spec->sliderValue(), FilterInfo::allFilterInfos()[1]->defaultSliderValue());
    EXPECT_EQ(heard, std::vector<std::string>{"sliderValue"});
    EXPECT_EQ(spec->name(), "CIGaussianBlur");

    spec->setSliderValue(3);
    spec->setType(1); // unchanged: the slider stays
    EXPECT_EQ(spec->sliderValue(), 3.0);
}

TEST(FilterSpec, TypeBeyondTheCatalogueAnswersTheFirstEntry)
{
    FilterSpec spec;
    spec.setType(999);
    EXPECT_EQ(spec.name(), "none");
    EXPECT_EQ(spec.maxSliderValue(), FilterInfo::allFilterInfos().front()->maxSliderValue());
}

TEST(FilterSpec, StoredForm)
{
    FilterSpec spec;
    spec.setType(2);
    spec.setSliderValue(12.5);
    spec.setEnabled(false);
    const auto back = FilterSpec::fromPlist(spec.asPlist());
    EXPECT_EQ(back->type(), 2u);
    EXPECT_EQ(back->sliderValue(), 12.5);
    EXPECT_FALSE(back->enabled());

    const auto empty = FilterSpec::fromPlist(pf::Value::dictionary());
    EXPECT_EQ(empty->type(), 0u);
    EXPECT_FALSE(empty->enabled());
    pf::Value stored = spec.asPlist();
    stored.set("sliderValue", "1e999");
    EXPECT_EQ(FilterSpec::fromPlist(stored)->sliderValue(), 0.0);
    // A stored type past 32 bits must not wrap onto a real filter (2^32 + 1 would read as 1).
    stored.set("type", std::int64_t(4294967297));
    EXPECT_EQ(FilterSpec::fromPlist(stored)->name(), "none");
}

} // namespace
