// A scroll view holding one document view. The visible origin is kept in points as doubles (the scroll
// bars show it rounded), so scrolling to a rect of the visible size shows exactly that rect. Viewport
// margins leave room where rulers stand.
#pragma once

#include "platform/foundation/Geometry.h"
#include "platform/foundation/Color.h"

#include <QString>

#include <QAbstractScrollArea>
#include <QPointer>

namespace pf {

class Cursor;
class RulerView;
class View;

class ScrollView : public QAbstractScrollArea {
public:
    // Posted, with the scroll view as object, when the visible part of the document moves or changes
    // size (scrolling, a resized clip area): views in the document lay out what has come into view.
    static const QString visibleRectDidChangeNotification;

    explicit ScrollView(QWidget* parent = nullptr);
    ~ScrollView() override;

    // Takes the view as its document view (the previous one is deleted).
    void setDocumentView(View* view);
    View* documentView() const { return document_; }

    // The width a vertical scroller takes from the clip area when shown: scrollers stand beside the
    // document, never over it.
    static double verticalScrollerWidth();

    // The size of the clip area in points.
    Size contentSize() const;
    // The visible part of the document view, in its points: from the visible origin, the content size
    // cut to the document.
    Rect documentVisibleRect() const;
    Point scrollOrigin() const { return origin_; }

    // Makes p (document points) the visible origin, kept within the scrollable range.
    void scrollPoint(Point p);
    // Scrolls the least that shows r (document points), each axis on its own: no scroll when r is
    // already in view; a rect larger than the view is scrolled just until it fills the view. False when
    // the origin did not move.
    bool scrollRectToVisible(const Rect& r);

    // The colour of the clip area where the document view does not reach.
    void setBackgroundColor(const Color& color);

    // Room around the clip area (for rulers), in points.
    void setViewportMargins(int left, int top, int right, int bottom)
    {
        QAbstractScrollArea::setViewportMargins(left, top, right, bottom);
    }

    // ---- rulers: made on demand, shown in the margins while the rulers are visible ----
    void setHasHorizontalRuler(bool has);
    void setHasVerticalRuler(bool has);
    bool hasHorizontalRuler() const { return horizontalRuler_ != nullptr; }
    bool hasVerticalRuler() const { return verticalRuler_ != nullptr; }
    RulerView* horizontalRulerView() const { return horizontalRuler_; }
    RulerView* verticalRulerView() const { return verticalRuler_; }
    void setRulersVisible(bool visible);
    bool rulersVisible() const { return rulersVisible_; }
    // Sets the margins for the shown rulers and places them: the horizontal one across the top, over the
    // corner, the vertical one down the left below it.
    void tileRulers();

    // The cursor over the document view.
    void setDocumentCursor(const Cursor& cursor);

    // Lays the document view out again after its frame or the clip area changed.
    void tile();

protected:
    void resizeEvent(QResizeEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* e) override;

private:
    void setOrigin(Point origin);
    Point maximumOrigin() const;

    void resizeDocumentWithClip(Size delta);
    void postIfVisibleRectChanged();

    QPointer<View> document_;
    RulerView* horizontalRuler_ = nullptr;
    RulerView* verticalRuler_ = nullptr;
    bool rulersVisible_ = false;
    // The margins were set for rulers.
    bool rulerMargins_ = false;
    Point origin_;
    Rect lastVisibleRect_;
    Size lastClipSize_;
    bool tiling_ = false;
    bool retile_ = false;
    // The bars are being set from the origin, not moved by the user.
    bool adjustingBars_ = false;
};

} // namespace pf
