// One page holding every outline kind, drawn and compared with the reference picture, so that a change
// of any outline shows.
#include "OutlineTestSupport.h"

#include "platform/graphics/PainterContext.h"
#include "support/ReferencePicture.h"

namespace {

constexpr int columns = 7;
constexpr double cell = 110;

QString referencePath() { return QStringLiteral(QUORVEL_TEST_DATA "/shapes/outline-kinds.png"); }

} // namespace

TEST_F(OutlineTest, EveryKindOnOnePageMatchesTheReferencePicture)
{
    const int rows = int((std::size(allOutlineKinds) + columns - 1) / columns);
    pf::BitmapContext context(pf::Size(columns * cell, rows * cell), 1.0, true, false);
    context.setFillColor(pf::Color(1, 1, 1, 1));
    context.fillPath(pf::Path::rect(pf::Rect(0, 0, columns * cell, rows * cell)));
    // The canvas's half-point offset, so strokes of odd widths land on whole pixels.
    context.translate(0.5, 0.5);
    for (std::size_t i = 0; i < std::size(allOutlineKinds); ++i) {
        const double x = double(i % columns) * cell + 10, y = double(i / columns) * cell + 15;
        auto shape = make(allOutlineKinds[i], pf::Rect(x, y, 90, 80));
        ASSERT_TRUE(shape) << allOutlineKinds[i];
        shape->setFillType(0);
        shape->setFillColor(pf::Color(0.55, 0.75, 0.95, 1));
        shape->setFillShadowHidden(true);
        shape->setStrokeType(0);
        shape->setStrokeLineWidth(1);
        shape->setStrokeColor(pf::Color(0.1, 0.1, 0.3, 1));
        shape->setStrokeShadowHidden(true);
        shape->drawInContextDirtyRect(context, pf::Rect(-1e4, -1e4, 2e4, 2e4));
    }
    expectMatchesReferencePicture(context.bitmap(), referencePath());
}

// A gradient fills exactly the fill's outline: drawn small in one colour, every kind (turned or not) covers
// the same pixels as its plain-filled twin, with no sliver between fill and edge.
TEST_F(OutlineTest, AGradientFillCoversExactlyThePlainFillsPixels)
{
    const pf::Color colour(0.8, 0.1, 0.1, 1);
    const auto draw = [&](const char* kind, std::int64_t angle, std::uint64_t fillType) {
        pf::BitmapContext context(pf::Size(100, 90), 4.0, true, false);
        context.setFillColor(pf::Color(1, 1, 1, 1));
        context.fillPath(pf::Path::rect(pf::Rect(0, 0, 100, 90)));
        auto shape = make(kind, pf::Rect(10, 12, 75, 60));
        shape->setRotationAngle(angle);
        shape->setFillType(fillType);
        shape->setFillColor(colour);
        shape->setFillGradientElements({{colour, 0}, {colour, 1}});
        shape->setFillShadowHidden(true);
        shape->setStrokeType(3);
        shape->drawInContextDirtyRect(context, pf::Rect(-1e4, -1e4, 2e4, 2e4));
        return context.bitmap();
    };
    for (const char* kind : allOutlineKinds) {
        for (const std::int64_t angle : {0, 30}) {
            const QImage plain = draw(kind, angle, 0);
            for (const std::uint64_t type : {1u, 2u}) {
                const QImage gradient = draw(kind, angle, type);
                int differing = 0;
                for (int y = 0; y < plain.height(); ++y)
                    for (int x = 0; x < plain.width(); ++x) {
                        const QColor a = plain.pixelColor(x, y), b = gradient.pixelColor(x, y);
                        if (std::abs(a.red() - b.red()) > 2 || std::abs(a.green() - b.green()) > 2 || std::abs(a.blue() - b.blue()) > 2)
                            ++differing;
                    }
                EXPECT_EQ(differing, 0) << kind << " at " << angle << " degrees, fill type " << type;
            }
        }
    }
}
