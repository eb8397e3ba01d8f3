// The filter and phone-control panels as drawn, against their reference pictures.
#include "ItemPanelFixture.h"

#include <gtest/gtest.h>

namespace {

using ItemPanelPictureTest = ItemPanelFixture;

TEST_F(ItemPanelPictureTest, TwoFiltersOneOfThemOff)
{
    rectangle->setContentFilterSpecs({spec(1, 12), spec(3, 60, false)});
    select({rectangle});
    filters().tableView()->controller().setSelectionIndex(1);
    filters().tableView()->reload();
    expectRowMatches("FilterFacet", "filters");
}

TEST_F(ItemPanelPictureTest, ASegmentedControlAndAButton)
{
    const auto segments = addControl("UISegmentedControl");
    segments->setControlItems(itemsTitled({"Day", "Week", "Month"}));
    segments->setControlItemValueForKey(1, pf::Variant(true), QStringLiteral("highlighted"));
    segments->setControlItemValueForKey(2, pf::Variant(std::int64_t(5)), QStringLiteral("iconType"));
    select({segments});
    expectRowMatches("UISegmentedControlFacet", "segmented-control");

    const auto button = addControl("UIButton", pf::Rect(100, 300, 120, 44));
    button->setValueForKey(pf::Variant(std::int64_t(2)), QStringLiteral("iconPosition"));
    select({button});
    expectRowMatches("UIButtonFacet", "button");
}

TEST_F(ItemPanelPictureTest, SeveralControls)
{
    const auto first = addControl("UITabBar", pf::Rect(0, 300, 320, 49));
    const auto second = addControl("UITabBar", pf::Rect(0, 400, 320, 49));
    first->setControlItems(itemsTitled({"Home", "Search"}));
    second->setControlItems(itemsTitled({"Home"}));
    select({first, second});
    expectRowMatches("UITabBarFacet", "several-controls");
}

} // namespace
