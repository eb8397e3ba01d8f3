// The source side of a drag, on plain values: masks per context and modifier keys, the picture's grip,
// the moves and the one end with the operation the context allows.
#include "platform/kit/DraggingSource.h"

#include <QMimeData>

#include <gtest/gtest.h>

#include <vector>

namespace {

class Source : public pf::DraggingSource {
public:
    pf::DragOperation inside = pf::DragOp::Move;
    pf::DragOperation outside = pf::DragOp::None;
    bool ignoresModifiers = true;
    std::vector<pf::Point> moves;
    std::vector<std::pair<pf::Point, pf::DragOperation>> ends;

    pf::DragOperation sourceOperationMaskForDraggingContext(pf::DraggingContext c) override
    {
        return c == pf::DraggingContext::WithinApplication ? inside : outside;
    }
    bool ignoreModifierKeysForDraggingSession() override { return ignoresModifiers; }
    void draggingSessionMovedToPoint(pf::Point p) override { moves.push_back(p); }
    void draggingSessionEndedAtPoint(pf::Point p, pf::DragOperation op) override { ends.emplace_back(p, op); }
};

pf::DraggingItem item(const QString& type, const QByteArray& data, pf::Rect frame)
{
    pf::DraggingItem it{pf::PasteboardContent({type}), frame, QImage(int(frame.width()), int(frame.height()),
                                                                      QImage::Format_ARGB32_Premultiplied)};
    it.content.setData(type, data);
    return it;
}

} // namespace

TEST(DraggingSessionTest, MasksFollowTheContextAndModifierKeysUnlessTheSourceIgnoresThem)
{
    Source source;
    source.inside = pf::DragOp::Move | pf::DragOp::Copy;
    source.outside = pf::DragOp::Copy;
    const pf::DraggingSession session(source, {}, {}, {});
    using pf::DraggingContext;
    EXPECT_EQ(session.offeredActions(), Qt::MoveAction | Qt::CopyAction);

    struct Case {
        bool ignores;
        DraggingContext context;
        pf::ModifierFlags keys;
        pf::DragOperation mask;
    };
    const Case cases[] = {
        {true, DraggingContext::WithinApplication, pf::OptionKeyMask, pf::DragOp::Move | pf::DragOp::Copy},
        {true, DraggingContext::OutsideApplication, 0, pf::DragOp::Copy},
        {false, DraggingContext::WithinApplication, pf::OptionKeyMask, pf::DragOp::Copy},
        {false, DraggingContext::WithinApplication, pf::CommandKeyMask, pf::DragOp::Move},
        // Link is not allowed: the key narrows nothing away.
        {false, DraggingContext::WithinApplication, pf::ControlKeyMask, pf::DragOp::Move | pf::DragOp::Copy},
        {false, DraggingContext::OutsideApplication, pf::CommandKeyMask, pf::DragOp::Copy},
    };
    for (const Case& c : cases) {
        source.ignoresModifiers = c.ignores;
        EXPECT_EQ(session.operationMask(c.context, c.keys), c.mask) << c.ignores << " " << c.keys;
    }
}

TEST(DraggingSessionTest, MovesAndTheEndReportThePicturesCornerAndTheEndComesOnce)
{
    Source source;
    // The picture is centred on the pointer at (50, 30) in the view, (550, 430) on the screen.
    pf::DraggingSession session(source, {item("row", "r", pf::Rect(30, 20, 40, 20))}, pf::Point(50, 30),
                                pf::Point(550, 430));
    EXPECT_EQ(session.hotSpot(), pf::Point(20, 10));
    EXPECT_EQ(session.image().size(), QSize(40, 20));

    session.movedTo(pf::Point(550, 430)); // not a move
    session.movedTo(pf::Point(600, 400));
    session.movedTo(pf::Point(600, 400));
    ASSERT_EQ(source.moves.size(), 1u);
    EXPECT_EQ(source.moves[0], pf::Point(580, 390));

    // A move inside the program is allowed; outside it only what the outside mask allows.
    EXPECT_EQ(session.endedAt(pf::Point(700, 500), Qt::MoveAction, pf::DraggingContext::WithinApplication),
              pf::DragOp::Move);
    EXPECT_EQ(session.endedAt(pf::Point(700, 500), Qt::MoveAction, pf::DraggingContext::WithinApplication),
              pf::DragOp::None);
    session.movedTo(pf::Point(1, 1));
    ASSERT_EQ(source.ends.size(), 1u);
    EXPECT_EQ(source.ends[0].first, pf::Point(680, 490));
    EXPECT_EQ(source.moves.size(), 1u);

    Source other;
    pf::DraggingSession outside(other, {}, {}, {});
    EXPECT_EQ(outside.endedAt(pf::Point(), Qt::MoveAction, pf::DraggingContext::OutsideApplication), pf::DragOp::None);
    EXPECT_EQ(outside.endedAt(pf::Point(), Qt::IgnoreAction, pf::DraggingContext::WithinApplication), pf::DragOp::None);
}

TEST(DraggingSessionTest, TheDragCarriesEveryItemsTypesTheFirstWinning)
{
    Source source;
    auto first = item("a", "1", pf::Rect(0, 0, 4, 4));
    auto second = item("a", "2", pf::Rect(0, 0, 4, 4));
    auto third = item("b", "3", pf::Rect(0, 0, 4, 4));
    const pf::DraggingSession session(source, {first, second, third}, {}, {});
    const auto mime = session.makeMimeData();
    EXPECT_EQ(mime->data(pf::mimeTypeForPasteboardType("a")), QByteArray("1"));
    EXPECT_EQ(mime->data(pf::mimeTypeForPasteboardType("b")), QByteArray("3"));
}
