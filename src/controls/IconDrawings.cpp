#include "controls/IconDrawings.h"

#include <sstream>

namespace icons {

namespace {

Step stroke(std::string g) { return {Op::Stroke, std::move(g)}; }
Step fill(std::string g) { return {Op::Fill, std::move(g)}; }
Step fillStroke(std::string g) { return {Op::FillStroke, std::move(g)}; }
Step outline(std::string g) { return {Op::Outline, std::move(g)}; }
Step knockOut(std::string g) { return {Op::KnockOut, std::move(g)}; }
Step knockOutStroke(std::string g) { return {Op::KnockOutStroke, std::move(g)}; }
Step lineWidth(double w) { return {Op::LineWidth, {}, w}; }
Step lineWidthHighlighted(double w) { return {Op::LineWidthHighlighted, {}, w}; }
const Step save{Op::Save, {}};
const Step restore{Op::Restore, {}};
const Step roundCapJoin{Op::RoundCapJoin, {}};

// Line icons: width 2 when highlighted.
Program lineIcon(std::vector<std::string> paths)
{
    Program p{lineWidthHighlighted(2)};
    for (auto& g : paths)
        p.push_back(stroke(std::move(g)));
    return p;
}

// Chevrons: other points and width 2 when highlighted.
Form chevron(std::string plain, std::string highlighted)
{
    return {{stroke(std::move(plain))}, {lineWidth(2), stroke(std::move(highlighted))}};
}

// One shape per entry, each painted by itself with the same step.
Program each(Step (*paint)(std::string), std::vector<std::string> paths)
{
    Program p;
    for (auto& g : paths)
        p.push_back(paint(std::move(g)));
    return p;
}

// The front shape, a knock-out of it (kept), then the back one, so the back never paints over the front.
Program frontThenBack(const std::string& front, const std::string& back)
{
    return {outline(front), knockOut(front), outline(back)};
}

// Arrow and tray (Downloads, Share): plain strokes both; highlighted fills the tray with the arrow's
// stroke knocked out, then strokes what of the arrow stands above the tray.
Form arrowInTray(const std::string& arrow, const std::string& tray, const std::string& trayFill,
                 const std::string& arrowAbove, std::string tipGap = {})
{
    Program highlighted;
    if (!tipGap.empty())
        highlighted.push_back(knockOut(std::move(tipGap)));
    highlighted.insert(highlighted.end(), {save, knockOutStroke(arrow), fill(trayFill), restore, stroke(arrowAbove)});
    return {{stroke(arrow), stroke(tray)}, std::move(highlighted)};
}

std::vector<Drawing> makeDrawings()
{
    // Shapes used more than once.
    const std::string star28 = "M6 5 L5.3 7.3 L3 7.3 L4.8 8.7 L3.9 11 L6 9.4 L8.1 11 L7.2 8.7 L9 7.3 L6.7 7.3 L6 5 Z";
    const std::string star20 = "M4.5 3 L3.9 4.9 L2 4.9 L3.5 6.1 L2.8 8 L4.5 6.7 L6.2 8 L5.5 6.1 L7 4.9 L5.1 4.9 L4.5 3 Z";
    const std::string stars28 = "T0 -0.5 " + star28 + " T0 5.5 " + star28 + " T0 11.5 " + star28 + " T0 0";
    const std::string stars20 = "T0 -0.5 " + star20 + " T0 4.5 " + star20 + " T0 9.5 " + star20 + " T0 0";
    const std::string bars28 = "R10.5 6.5 14 2 R10.5 12.5 14 2 R10.5 18.5 14 2";
    const std::string bars20 = "R7.5 4.5 10 2 R7.5 9.5 10 2 R7.5 14.5 10 2";
    const std::string tray28 = "M11.5 8 L5 8 L5 26 L23 26 L23 8 L16.5 8";
    const std::string tray20 = "M7.5 7 L4 7 L4 18 L16 18 L16 7 L12.5 7";

    // Browser (compass): needle halves A and B, the dial, and the small needle of the highlighted form.
    const auto browser = [](const std::string& a, const std::string& b, const std::string& dial,
                            const std::string& small) {
        return Form{{save, roundCapJoin, fillStroke(a), stroke(b), stroke(dial), restore},
                    {save, roundCapJoin, save, roundCapJoin, knockOut(a + " " + b), fillStroke(dial), restore,
                     fill(small), restore}};
    };
    // Clock: hands filled in a stroked dial; highlighted, the hands knocked out of a filled dial.
    const auto clock = [](const std::string& longHand, const std::string& shortHand,
                          const std::string& highlightedShortHand, const std::string& dial) {
        return Form{{fill(longHand), fill(shortHand), stroke(dial)},
                    {knockOut(longHand + " " + highlightedShortHand), fill(dial)}};
    };
    // A shape drawn through a knock-out that only it is under, then one drawn over everything.
    const auto behind = [](const std::string& gap, Step back, Step front) {
        return Program{save, knockOut(gap), std::move(back), restore, std::move(front)};
    };
    // Favorites List: stars and bars filled in a stroked frame; highlighted, knocked out of a filled one.
    const auto favorites = [](const std::string& stars, const std::string& bars, const std::string& frame) {
        Program plain{fill(stars), fill(bars), stroke(frame)};
        return Form{std::move(plain), {knockOut(stars + " " + bars), fillStroke(frame)}};
    };
    // Voicemail: two reels and the tape; highlighted, wider reels and a doubled tape.
    const auto voicemail = [](const char* reelA, const char* reelB, const char* tape, const char* wideReelA,
                              const char* wideReelB, const char* tapes) {
        return Form{{stroke(reelA), stroke(reelB), fill(tape)},
                    {lineWidth(2), stroke(wideReelA), stroke(wideReelB), lineWidth(1), stroke(tapes)}};
    };
    // A 3 x 3 grid of dots of the side, at the same whole-point offsets across and down, row by row.
    const auto keypad = [](int side, std::initializer_list<int> at) {
        std::vector<std::string> dots;
        // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) about a chain of + on strings.
        for (int y : at) {
            for (int x : at) {
                std::string dot = "O";
                for (int value : {x, y, side, side})
                    dot.append(std::to_string(value)).push_back(' ');
                dot.pop_back();
                dots.push_back(std::move(dot));
            }
        }
        return each(outline, std::move(dots));
    };

    std::vector<Drawing> d;
    // 1 Add
    d.push_back({{lineIcon({"M14 4.5 L14 23.5", "M4.5 14 L23.5 14"})},
                 {lineIcon({"M10 4.5 L10 15.5", "M4.5 10 L15.5 10"})}});
    // 2 Albums
    d.push_back({{{stroke("M6.5 3 L21.5 3"), stroke("M3.5 5 L24.5 5"), outline("R1 7 26 18")}},
                 {{stroke("M4.5 2 L15.5 2"), stroke("M2.5 4 L17.5 4"), outline("R1 6 18 12")}}});
    // 3 Archive: lid, box, handle
    d.push_back({{each(stroke, {"M4 5 L24 5 L24 10 L4 10 Z", "M5 10 L23 10 L23 23 L5 23 Z",
                                "M10 14.2 C10 14.2 10 13 11.2 13 L16.8 13 C16.8 13 18 13 18 14.2 L18 14.8 "
                                "C18 14.8 18 16 16.8 16 L11.2 16 C11.2 16 10 16 10 14.8 Z"})},
                 {each(stroke, {"M2 3 L18 3 L18 6 L2 6 Z", "M3 6 L17 6 L17 17 L3 17 Z",
                                "M7 11 C7 11 7 10 8 10 L12 10 C12 10 13 10 13 11 L13 11 C13 11 13 12 12 12 "
                                "L8 12 C8 12 7 12 7 11 Z"})}});
    // 4 At Sign
    d.push_back({{{{Op::AtSign, "5 0", 22}}}, {{{Op::AtSign, "4 -3", 16}}}});
    // 5 Back
    d.push_back({chevron("M18 6 L10 14 L18 22", "M17.5 5.5 L9.5 13.5 L17.5 21.5"),
                 chevron("M13 3 L7 10 L13 17", "M12.5 2.5 L6.5 9.5 L12.5 16.5")});
    // 6 Bookmarks (open book): the 28-point form is never filled
    d.push_back({{{stroke("M14 25 L14 5 C14 5 16 2 20 2 C24 2 26 5 26 5 L26 24 C26 24 24 21 20 21 C16 21 14 24 14 24 "
                          "C14 24 12 21 8 21 C4 21 2 24 2 24 L2 5 C2 5 4 2 8 2 C12 2 14 5 14 5")}},
                 {{outline("M10 19 L10 6 C10 6 10 3 14 3 C18 3 18 6 18 6 L18 18 C18 18 18 16 14 16 C10 16 10 18 10 18 "
                           "C10 18 10 16 6 16 C2 16 2 18 2 18 L2 6 C2 6 2 3 6 3 C10 3 10 6 10 6")}}});
    // 7 Browser
    d.push_back({browser("M12.5 12.5 L15.5 15.5 L21 7 Z", "M12.5 12.5 L7 21 L15.5 15.5 Z", "O2 2 24 24",
                         "M13 13 L9 19 L15 15 Z"),
                 browser("M8.5 8.5 L15 5 L11.5 11.5 Z", "M8.5 8.5 L5 15 L11.5 11.5 Z", "O2 2 16 16",
                         "M9.2 9.2 L10.8 10.8 L6.6 13.4 L9.2 9.2 Z")});
    // 8 Camera: body, two rules, lens
    d.push_back({{each(stroke, {"M3 20.8 C3 16.3 3 9.4 3 7.4 C3 6.3 4.1 5.2 5.2 5.2 C6.3 5.2 7.4 5.2 8.5 5.2 "
                                "C9.6 5.2 9.6 3 10.7 3 C12.4 3 16.3 3 17.3 3 C18.5 3 18.4 5.2 19.5 5.2 "
                                "C20.6 5.2 21.7 5.2 22.8 5.2 C23.9 5.2 25 6.3 25 7.4 C25 10.5 25 18.8 25 20.8 "
                                "C25 21.9 23.9 23 22.8 23 C19.5 23 8.5 23 5.2 23 C4.1 23 3 21.9 3 20.8 Z",
                                "M3 7 L25 7", "M3 21 L25 21", "O9 9 10 10"})},
                 {each(stroke, {"M2 15.4 C2 12.3 2 7.2 2 6.1 C2 5 2.3 4 3.8 4 C5.2 4 5.3 4 6.1 4 C6.9 4 6.8 3 7.6 3 "
                                "C8.8 3 11.7 3 12.4 3 C13.3 3 13.1 4 13.9 4 C14.7 4 15.7 4 16.5 4 "
                                "C17.8 4 18 5.1 18 6.1 C18 7.1 18 14.1 18 15.4 C18 16.2 17.2 17 16.4 17 "
                                "C14 17 6 17 3.6 17 C2.8 17 2 16.2 2 15.4 Z",
                                "M2 6 L18 6", "M2 15 L18 15", "O7 7.5 6 6"})}});
    // 9 Clock: the small highlighted short hand stands one point lower than the plain one
    d.push_back({clock("R13.5 5.5 1 10", "R8.5 14.5 5 1", "R8.5 14.5 5 1", "O2 2 24 24"),
                 clock("R10.5 5.5 1 6", "R6.5 10.5 5 1", "R6.5 11.5 5 1", "O2 2 16 16")});
    // 10 Cloud
    d.push_back({{{roundCapJoin,
                   outline("M0 18 C0 15.6 1.5 14 4.1 14 C4.1 10.9 5.6 6 11.1 6 C16.3 6 17.3 9.2 17.3 9.2 "
                           "C18 8.7 19.7 7.9 21.3 8.8 C22.9 9.6 23.5 10.9 23.5 12.3 C27.1 12.3 28.1 15.2 28.1 17.4 "
                           "C28.1 19.7 26.6 22 23.5 22 C12 22 6.6 22 4.1 22 C1.2 22 0 20.4 0 18 Z")}},
                 {{roundCapJoin,
                   outline("M2 12 C2 10.8 2.8 10 4.3 10 C4.3 8.4 5.2 6 8.3 6 C11 6 11.9 7.6 11.9 7.6 "
                           "C12.3 7.3 13.5 7 14.2 7.3 C15 7.6 15.5 8.3 15.4 9.1 C17.5 9.1 18.1 10.6 18.1 11.7 "
                           "C18.1 12.8 17.2 14 15.4 14 C8.8 14 5.8 14 4.3 14 C2.7 14 2 13.2 2 12 Z")}}});
    // 11 Compose: the sheet drawn with a gap for the pen; the 28-point form is never filled
    d.push_back({{[&] {
                     Program p = behind("R17.5 2.5 7 7", stroke("M4 5 L22 5 L22 23 L4 23 Z"),
                                        stroke("M22 3 L12 13 L12 15 L14 15 L24 5"));
                     p.push_back(stroke("M24 1 L23 2 L25 4 L26 3 L26 1 L24 1 Z"));
                     return p;
                 }()},
                 {[&] {
                     Program p = behind("R11.5 2.5 7 7", outline("M3 5 L16 5 L16 18 L3 18 Z"),
                                        outline("M15 4 L9 10 L9 12 L11 12 L17 6"));
                     p.push_back(outline("M17 2 L16 3 L18 5 L19 4 L19 2 L17 2 Z"));
                     return p;
                 }()}});
    // 12 Contacts: dial, then head and shoulders
    d.push_back({{{stroke("O2 2 24 24"),
                   outline("M14 5 C16 5 19 6 19 11 C19 16 16 17 16 19 C16 20 16 20 16 21 C16 22 17 23 18 23 "
                           "C19 23 21 23 21 23 C19 26 14 26 14 26 L14 26 C14 26 9 26 7 23 C7 23 9 23 10 23 "
                           "C11 23 12 22 12 21 C12 20 12 20 12 19 C12 17 9 16 9 11 C9 6 12 5 14 5 Z")}},
                 {{stroke("O2 2 16 16"),
                   outline("M10 4 C11.4 4 13.6 4.7 13.6 8 C13.6 11.3 11.4 12 11.4 13.3 C11.4 14 11.4 14 11.4 14.7 "
                           "C11.4 15.3 12.1 16 12.9 16 C13.6 16 15 16 15 16 C13.6 18 10 18 10 18 L10 18 "
                           "C10 18 6.4 18 5 16 C5 16 6.4 16 7.1 16 C7.9 16 8.6 15.3 8.6 14.7 "
                           "C8.6 14 8.6 14 8.6 13.3 C8.6 12 6.4 11.3 6.4 8 C6.4 4.7 8.6 4 10 4 Z")}}});
    // 13 Downloads
    d.push_back({arrowInTray("M14 1.5 L14 19.5 M10 17 L14 20 L18 17", tray28, "R4.5 7.5 19 19", "M14 1.5 L14 7.5",
                             "R13.4 18 1.2 1.1"),
                 arrowInTray("M7 13 L10 15 L13 13 M10 1.5 L10 15", tray20, "R3.5 6.5 13 12", "M10 1.5 L10 6.5",
                             "R9.4 14 1.2 1.1")});
    // 14 Fast Forward
    d.push_back({{frontThenBack("M14 8 L24 14 L14 20 Z", "M4 8 L14 14 L4 20 Z")},
                 {frontThenBack("M11 5 L18 10 L11 15 Z", "M3 5 L11 10 L3 15 Z")}});
    // 15 Favorites List: three stars and three bars in a frame
    d.push_back({favorites(stars28, bars28, "R0 1 28 25"), favorites(stars20, bars20, "R0 1 20 18")});
    // 16 Flag
    d.push_back({{{outline("M6 24 L6 4 C14 2 14 6 22 4 L22 14 C14 16 14 12 6 14")}},
                 {{outline("M4 19 L4 2 C10 0 10 4 16 2 L16 10 C10 12 10 8 4 10")}}});
    // 17 Folder: body and rule
    d.push_back({{each(stroke, {"M4 20 C4 16 4 7.8 4 6 C4 4.8 5 4 6 4 C7.5 4 9 4 9.9 4 C11 4 11 6 12 6 "
                                "C15 6 18 6 22 6 C23 6 24 7 24 8 C24 10.7 24 18.2 24 20 C24 21 23 22 22 22 "
                                "C19 22 9 22 6 22 C5 22 4 21 4 20 Z",
                                "M4 9 L24 9"})},
                 {each(stroke, {"M2 15.4 C2 12.3 2 5.9 2 4.6 C2 3.6 2.8 3 3.6 3 C4.8 3 6 3 6.7 3 C7.6 3 8.2 5 9 5 "
                                "C11.4 5 12.8 5 16 5 C16.9 5 18 5.3 18 6.1 C18 8.2 18 14.1 18 15.4 "
                                "C18 16.2 17.2 17 16.4 17 C14 17 6 17 3.6 17 C2.8 17 2 16.2 2 15.4 Z",
                                "M2 7 L18 7"})}});
    // 18 Forward
    d.push_back({chevron("M10 6 L18 14 L10 22", "M9.5 5.5 L17.5 13.5 L9.5 21.5"),
                 chevron("M7 3 L13 10 L7 17", "M6.5 2.5 L12.5 9.5 L6.5 16.5")});
    // 19 Heart
    d.push_back({{{outline("M14 8 C14 8 12 5 9 5 C7 5 4 6 4 10 C4 15 14 23 14 23 C14 23 24 15 24 10 "
                           "C24 6 21 5 19 5 C16 5 14 8 14 8 Z")}},
                 {{outline("M10 5 C10 5 9 3 6 3 C4 3 2 4 2 7 C2 11 10 17 10 17 C10 17 18 11 18 7 "
                           "C18 4 16 3 14 3 C11 3 10 5 10 5 Z")}}});
    // 20 Info
    d.push_back({{{stroke("O2 2 24 24"), {Op::InfoText, "10.2 3", 12}}},
                 {{stroke("O2 2 16 16"), {Op::InfoText, "7.3 3.2", 9}}}});
    // 21 Keypad: a 3 x 3 grid of dots, row by row
    d.push_back({{keypad(6, {2, 11, 20})}, {keypad(4, {2, 8, 14})}});
    // 22 List: bullets, then bars
    d.push_back({{each(fill, {"R4.5 6.5 2 2", "R4.5 12.5 2 2", "R4.5 18.5 2 2", "R8.5 6.5 15 2", "R8.5 12.5 15 2",
                              "R8.5 18.5 15 2"})},
                 {each(fill, {"R1.5 4.5 2 2", "R1.5 9.5 2 2", "R1.5 14.5 2 2", "R5.5 4.5 13 2", "R5.5 9.5 13 2",
                              "R5.5 14.5 13 2"})}});
    // 23 Menu
    d.push_back({{each(fill, {"R4.5 6.5 19 2", "R4.5 12.5 19 2", "R4.5 18.5 19 2"})},
                 {each(fill, {"R1.5 4.5 17 2", "R1.5 9.5 17 2", "R1.5 14.5 17 2"})}});
    // 24 More
    d.push_back({{each(outline, {"O2 11 6 6", "O11 11 6 6", "O20 11 6 6"})},
                 {each(outline, {"O2 8 4 4", "O8 8 4 4", "O14 8 4 4"})}});
    // 25 Navigate
    d.push_back({{{outline("M4 14 L23 5 L14 24 L14 14 L4 14 Z")}}, {{outline("M2 10 L18 3 L10 18 L10 10 L2 10 Z")}}});
    // 26 Pause
    d.push_back({{each(outline, {"R8 6 3 16", "R17 6 3 16"})}, {each(outline, {"R6 4 2 12", "R13 4 2 12"})}});
    // 27 Photos: the back print with the front one's corner cut away, then the front print
    d.push_back({{behind("R2.5 5.5 28 28", outline("R1 3 23 18"), outline("R4 7 23 18"))},
                 {behind("R2.5 4.5 20 20", outline("R1 2 15 12"), outline("R4 6 15 12"))}});
    // 28 Play
    d.push_back({{{outline("M7 6 L21 14 L7 22 Z")}}, {{outline("M5 4 L15 10 L5 16 Z")}}});
    // 29 Reading List (spectacles): lenses, bridge, temples
    d.push_back({{[] {
                     Program p{roundCapJoin};
                     for (const char* g : {"O1 10 11 11", "O16 10 11 11", "M12 15 C12 15 13 14 14 14 C15 14 16 15 16 15",
                                           "M0 15 L1 15", "M27 15 L28 15"})
                         p.push_back(stroke(g));
                     return p;
                 }()},
                 {[] {
                     Program p{roundCapJoin};
                     for (const char* g : {"O0 6 8 8", "O12 6 8 8", "M8 10 C8 10 9 9 10 9 C11 9 12 10 12 10",
                                           "M-1 10 L0 10", "M20 10 L21 10"})
                         p.push_back(stroke(g));
                     return p;
                 }()}});
    // 30 Refresh: a ring with a gap in its upper-right quarter, and the arrow head
    d.push_back({{behind("R14 1 14.5 14.5", stroke("O6 7 16 16"), fillStroke("M14 3 L18 7 L14 11 Z"))},
                 {behind("R10 0 11.5 11.5", stroke("O4 5 12 12"), fillStroke("M10 2 L13 5 L10 8 Z"))}});
    // 31 Remove
    d.push_back({{lineIcon({"M4.5 14 L23.5 14"})}, {lineIcon({"M4.5 10 L15.5 10"})}});
    // 32 Reply
    d.push_back({{{outline("M2 12.2 L13 4 L13 9 C13 9 26 9 26 22 C26 22 23.1 14 13 14 L13 19 L2 12.2 Z")}},
                 {{outline("M2 9 L9 3 L9 7 C9 7 18 7 18 17 C18 17 15.7 11 9 11 L9 15 L2 9 Z")}}});
    // 33 Rewind
    d.push_back({{frontThenBack("M14 8 L4 14 L14 20 Z", "M24 8 L14 14 L24 20 Z")},
                 {frontThenBack("M18 5 L11 10 L18 15 Z", "M11 5 L3 10 L11 15 Z")}});
    // 34 Search: lens and handle
    d.push_back({{lineIcon({"O3 3 18 18", "M18.5 18.5 L26.5 26.5"})},
                 {lineIcon({"O3 3 11 11", "M12.5 12.5 L18.5 18.5"})}});
    // 35 Share
    d.push_back({arrowInTray("M14 1 L14 19.5 M10 4 L14 1 L18 4", tray28, "R4.5 7.5 19 19",
                             "M14 1.5 L14 7.5 M10 4 L14 1 L18 4"),
                 arrowInTray("M7 4 L10 2 L13 4 M10 2 L10 15.5", tray20, "R3.5 6.5 13 12",
                             "M10 2 L10 6.5 M7 4 L10 2 L13 4")});
    // 36 Star
    d.push_back({{{outline("M14 1 L11 11 L1 11 L9 17 L5 27 L14 20 L23 27 L19 17 L27 11 L17 11 L14 1 Z")}},
                 {{outline("M10 2 L8 8 L2 8 L6.9 11.5 L5 18 L10 14 L15 18 L13.1 11.5 L18 8 L12 8 L10 2 Z")}}});
    // 37 Stop: one path of two lines
    d.push_back({{lineIcon({"M6 6 L22 22 M22 6 L6 22"})}, {lineIcon({"M5 5 L15 15 M15 5 L5 15"})}});
    // 38 Tabs: the back tab with the front one's corner cut away, then the front tab
    d.push_back({{behind("R1.5 5.5 20 20", stroke("R8 2 18 18"), stroke("R2 7 18 18"))},
                 {behind("R1.5 4.5 14 14", stroke("R6 2 12 12"), stroke("R2 6 12 12"))}});
    // 39 Trash: can, three ribs, rim, handle; the 28-point form is never filled
    d.push_back({{each(stroke, {"M6 4 L7 23 L9 25 L19 25 L21 23 L22 4", "M10 7 L11 22", "M14 7 L14 22",
                                "M18 7 L17 22", "M4 4 L24 4", "M10 4 L10 2 L11 1 L17 1 L18 2 L18 4"})},
                 {each(outline, {"M5 4 L6 17 L7 18 L13 18 L14 17 L15 4", "M7 6 L8 16", "M10 6 L10 16",
                                 "M13 6 L12 16", "M3 4 L17 4", "M8 4 L8 3 L9 2 L11 2 L12 3 L12 4"})}});
    // 40 Voicemail: reels and tape; highlighted, wide reels and a doubled tape
    d.push_back({voicemail("O0 9 12 12", "O16 9 12 12", "R6 20.5 16 1", "O-1 9 13 13.5", "O16 9 13 13.5",
                           "M8 22 L20 22 M6 23 L23 23"),
                 voicemail("O0 6 8 8", "O12 6 8 8", "R5 13.5 10 1", "O0 6 8 8.5", "O12 6 8 8.5",
                           "M7 14 L13 14 M5 15 L15 15")});
    return d;
}

} // namespace

const std::vector<Drawing>& drawings()
{
    static const std::vector<Drawing> all = makeDrawings();
    return all;
}

pf::Path parseGeometry(const std::string& text)
{
    pf::Path path;
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    double dx = 0, dy = 0;
    const auto point = [&](double x, double y) { return pf::Point(x + dx, y + dy); };
    char command = 0;
    while (in >> command) {
        double v[6] = {};
        const int count = command == 'C' ? 6 : command == 'R' || command == 'O' ? 4 : command == 'Z' ? 0 : 2;
        for (int i = 0; i < count; ++i)
            if (!(in >> v[i]))
                return path;
        switch (command) {
        case 'M': path.moveTo(point(v[0], v[1])); break;
        case 'L': path.lineTo(point(v[0], v[1])); break;
        case 'C': path.curveTo(point(v[0], v[1]), point(v[2], v[3]), point(v[4], v[5])); break;
        case 'Z': path.close(); break;
        case 'R': path.appendRect(pf::Rect(point(v[0], v[1]), pf::Size(v[2], v[3]))); break;
        case 'O': path.appendOval(pf::Rect(point(v[0], v[1]), pf::Size(v[2], v[3]))); break;
        case 'T': dx = v[0], dy = v[1]; break;
        default: return path;
        }
    }
    return path;
}

} // namespace icons
