// Fixtures of the tests of the table, sheet, alert, bar, field, keyboard, status bar, home indicator,
// switch and activity indicator kinds: their class-level text attributes made from this test's defaults,
// and helpers to read what a drawing recorded.
#pragma once

#include "ControlKindTestSupport.h"

#include "controls/EntryControls.h"
#include "controls/ListControls.h"
#include "controls/ScreenChrome.h"
#include "controls/SmallControls.h"

#include <string>
#include <vector>

class PhoneControlTest : public ControlKindTest {
protected:
    void SetUp() override
    {
        ControlKindTest::SetUp();
        for (const ShapeClass* kind :
             {&UITableView::staticClass(), &UIActionSheet::staticClass(), &UIAlertDialog::staticClass(),
              &UINavigationBar::staticClass(), &UITextField::staticClass(), &UIKeyboard::staticClass(),
              &UIStatusBar::staticClass(), &UIHomeIndicator::staticClass(), &UISwitch::staticClass(),
              &UIActivityIndicator::staticClass()})
            kind->clearDefaultTextAttributes();
    }

    // The control's own drawing (no shape layers) into a recording context.
    static std::vector<pf::RecordedCall> controlCalls(UIControl& control)
    {
        pf::RecordingContext context;
        control.drawControlInContextDirtyRect(context, pf::Rect(-1e4, -1e4, 2e4, 2e4));
        EXPECT_EQ(context.gstateDepth(), 0);
        return context.calls();
    }

    static std::vector<pf::RecordedCall> only(const std::vector<pf::RecordedCall>& calls, const std::string& operation)
    {
        std::vector<pf::RecordedCall> result;
        for (const auto& call : calls)
            if (call.operation == operation)
                result.push_back(call);
        return result;
    }

    // A recorded path's bounds in page coordinates (through the call's transform).
    static pf::Rect pageBounds(const pf::RecordedCall& call)
    {
        pf::Path p = call.path;
        p.transform(call.state.ctm);
        return p.bounds();
    }

    // The end points of a recorded two-point line, in page coordinates.
    static std::pair<pf::Point, pf::Point> lineEnds(const pf::RecordedCall& call)
    {
        EXPECT_GE(call.path.elementCount(), 2);
        return {call.state.ctm.apply(call.path.element(0).points[0]),
                call.state.ctm.apply(call.path.element(1).points[0])};
    }
};
