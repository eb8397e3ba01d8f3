// The outline as drawn: the hint on an empty page; the tree with an open group, two rows selected, a
// shape hidden and one renamed.
#include "OutlineFixture.h"

#include "support/ReferencePicture.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

class OutlinePictureTest : public OutlineFixture {
protected:
    static QString reference(const char* state)
    {
        return QStringLiteral(QUORVEL_TEST_DATA "/palettes/outline-") + QString::fromLatin1(state) +
               QStringLiteral(".png");
    }
    QImage palette()
    {
        outline->view()->setFrame(pf::Rect(1000, 0, paletteWidth, 200));
        endTurn();
        return outline->view()->grab(QRect(0, 0, paletteWidth, 200)).toImage();
    }
};

TEST_F(OutlinePictureTest, EmptyPage)
{
    for (const auto& shape : pageShapes())
        page->removeShape(shape);
    feed();
    expectMatchesReferencePicture(palette(), reference("empty"));
}

TEST_F(OutlinePictureTest, AnOpenGroupTwoRowsSelectedAShapeHiddenOneRenamed)
{
    outline->setItemExpanded(group.get(), true);
    ellipse->setHidden(true);
    line->setTitle(QStringLiteral("Divider"));
    line->setUserSetTitle(true);
    canvas->replaceSelectionWithShapes({rectangle, line});
    feed();
    ASSERT_EQ(outline->selectedItems().size(), 2u);
    expectMatchesReferencePicture(palette(), reference("tree"));
}

} // namespace
