// The inspector in the document window at its default width: for every kind of shape, every control of
// every panel lies within the part of the palette left beside its vertical scroller, and every label and
// titled button has room for its whole text.
#include "app/AppWindowController.h"
#include "app/DocumentFixture.h"
#include "canvas/Canvas.h"
#include "model/Composition.h"
#include "model/ShapeClass.h"
#include "model/StickyDefaults.h"
#include "palettes/InspectorListItem.h"
#include "palettes/InspectorViewController.h"
#include "platform/docs/Document.h"
#include "platform/kit/ScrollView.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QCheckBox>
#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

class InspectorLayoutTest : public PalettedDocumentWindowFixture {
protected:
    void SetUp() override
    {
        PalettedDocumentWindowFixture::SetUp();
        window = openFixtureWindow().second;
        ASSERT_NE(window, nullptr);
        settle();
        window->windowWidget()->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window->windowWidget()));
        inspector = dynamic_cast<InspectorViewController*>(window->inspectorViewController());
        ASSERT_NE(inspector, nullptr);
        settle();
    }

    // The main queue's turns, then Qt's posted events (a scroll area shows its scroller on one of them).
    static void settle()
    {
        pf::drainMainQueue();
        pf::drainMainQueue();
        QCoreApplication::processEvents();
    }

    std::shared_ptr<Shape> select(const char* kind, const pf::Rect& frame)
    {
        Canvas* canvas = window->canvasView();
        const ShapeClass* k = pf::ClassRegistry::shared().lookup<ShapeClass>(QString::fromLatin1(kind));
        EXPECT_NE(k, nullptr) << kind;
        if (!canvas || !k)
            return nullptr;
        auto shape = StickyDefaults::doWithoutStickySetting([&] { return k->newShape(frame); });
        canvas->composition()->addShape(shape);
        canvas->replaceSelectionWithShape(shape);
        settle();
        // Every panel open, as a user opens them with their triangles.
        for (const auto& shown : *inspector->facets())
            if (shown->isCollapsed())
                for (QVListItem* item : inspector->listView()->items())
                    if (auto* row = dynamic_cast<InspectorListItem*>(item); row && row->facet() == shown.get())
                        row->disclosureButton()->performClick();
        settle();
        return shape;
    }

    // Inside a scroll area (a table), a widget is clipped by the area, which is checked itself.
    static bool insideScrollArea(const QWidget* w, const QWidget* panel)
    {
        for (const QWidget* p = w->parentWidget(); p && p != panel; p = p->parentWidget())
            if (qobject_cast<const QAbstractScrollArea*>(p))
                return true;
        return false;
    }

    // The width a text needs in a widget: a label's text, a check box's box and title, a button's title.
    static std::optional<int> neededWidth(const QWidget* w)
    {
        if (auto* label = qobject_cast<const QLabel*>(w); label && !label->text().isEmpty())
            return label->fontMetrics().horizontalAdvance(label->text()) + 2 * label->margin();
        if (qobject_cast<const QCheckBox*>(w))
            return w->sizeHint().width();
        auto* button = qobject_cast<const QToolButton*>(w);
        if (button && !button->text().isEmpty() && button->toolButtonStyle() == Qt::ToolButtonTextOnly
            && button->metaObject() == &QToolButton::staticMetaObject)
            return button->fontMetrics().horizontalAdvance(button->text()) + 4;
        return std::nullopt;
    }

    AppWindowController* window = nullptr;
    InspectorViewController* inspector = nullptr;
};

TEST_F(InspectorLayoutTest, EveryPanelOfEveryKindFitsBesideTheScrollerAtTheDefaultWidth)
{
    // A window of the default width, short enough for most kinds' panels to scroll.
    window->windowWidget()->resize(1000, 560);
    settle();
    pf::ScrollView* palette = inspector->scrollView();
    ASSERT_TRUE(palette);
    QWidget* viewport = palette->viewport();
    struct Kind {
        const char* name;
        pf::Rect frame;
    };
    const Kind kinds[] = {
        {"Rectangle", pf::Rect(100, 100, 75, 60)},       {"Ellipse", pf::Rect(100, 100, 75, 60)},
        {"Text", pf::Rect(100, 100, 120, 40)},           {"ResizeText", pf::Rect(100, 100, 120, 40)},
        {"TitleBox", pf::Rect(100, 100, 120, 80)},       {"Callout", pf::Rect(100, 100, 120, 60)},
        {"Star", pf::Rect(100, 100, 80, 80)},            {"PolygonShape", pf::Rect(100, 100, 80, 80)},
        {"Line", pf::Rect(100, 100, 120, 40)},           {"Pointer", pf::Rect(100, 100, 120, 40)},
        {"Arc", pf::Rect(100, 100, 120, 40)},            {"SegmentedLine", pf::Rect(100, 100, 120, 40)},
        {"Bezier", pf::Rect(100, 100, 120, 40)},         {"Path", pf::Rect(100, 100, 120, 40)},
        {"Image", pf::Rect(100, 100, 80, 60)},           {"Loupe", pf::Rect(100, 100, 80, 80)},
        {"Redact", pf::Rect(100, 100, 80, 40)},          {"UIButton", pf::Rect(100, 100, 120, 44)},
        {"UISegmentedControl", pf::Rect(100, 100, 240, 30)}, {"UITableView", pf::Rect(100, 100, 240, 200)},
        {"UISwitch", pf::Rect(100, 100, 60, 30)},        {"UIStatusBar", pf::Rect(0, 0, 320, 20)},
        {"UIAlertDialog", pf::Rect(100, 100, 270, 140)}, {"UITabBar", pf::Rect(0, 100, 320, 49)},
        {"UIToolbar", pf::Rect(0, 100, 320, 44)},        {"UIIcon", pf::Rect(100, 100, 30, 30)},
        {"UIKeyboard", pf::Rect(0, 100, 320, 216)},      {"UIActionSheet", pf::Rect(0, 100, 320, 200)},
    };
    // A picture without its file asks for one: the user cancels.
    pf::ScopedOpenPanelSink noPicture([](const QStringList&) { return QStringList(); });
    bool scrollerShown = false;
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        ASSERT_TRUE(select(kind.name, kind.frame));
        ASSERT_TRUE(inspector->facets() && !inspector->facets()->empty());
        scrollerShown |= palette->verticalScrollBar()->isVisible();
        for (const auto& shown : *inspector->facets()) {
            pf::View* content = shown->isContentViewLoaded() ? shown->contentView() : nullptr;
            if (!content || !content->isVisible())
                continue;
            SCOPED_TRACE(shown->facetName().toStdString());
            for (QWidget* w : content->findChildren<QWidget*>()) {
                if (!w->isVisible() || insideScrollArea(w, content))
                    continue;
                const QString what = QString::fromLatin1(w->metaObject()->className()) + QLatin1Char(' ')
                                     + w->objectName() + QLatin1Char(' ') + w->property("text").toString();
                SCOPED_TRACE(what.toStdString());
                const QRect inViewport(w->mapTo(viewport, QPoint(0, 0)), w->size());
                EXPECT_GE(inViewport.left(), 0);
                EXPECT_LE(inViewport.right() + 1, viewport->width()) << "cut by the palette's right edge";
                if (const auto needed = neededWidth(w)) {
                    EXPECT_LE(*needed, w->contentsRect().width()) << "its text is cut";
                }
            }
        }
    }
    // Most kinds' panels are taller than the inspector's part of the window.
    EXPECT_TRUE(scrollerShown);
}

} // namespace
