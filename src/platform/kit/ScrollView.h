// A scroll view holding one document view. The visible origin is kept in points as doubles (the scroll
// bars show it rounded), so scrolling to a rect of the visible size shows exactly that rect. Viewport
// margins leave room where rulers stand.
#pragma once

#include "platform/foundation/Geometry.h"

#include <QString>

#include <QAbstractScrollArea>
#include <QPointer>

namespace pf {

class Cursor;
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

    // Room around the clip area (for rulers), in points.
    void setViewportMargins(int left, int top, int right, int bottom)
    {
        QAbstractScrollArea::setViewportMargins(left, top, right, bottom);
    }

    // The cursor over the document view.
    void setDocumentCursor(const Cursor& cursor);

    // Lays the document view out again after its frame or the clip area changed.
    void tile();

protected:
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* e) override;

private:
    void setOrigin(Point origin);
    Point maximumOrigin() const;

    void resizeDocumentWithClip(Size delta);
    void postIfVisibleRectChanged();

    QPointer<View> document_;
    Point origin_;
    Rect lastVisibleRect_;
    Size lastClipSize_;
    bool tiling_ = false;
    bool retile_ = false;
    // The bars are being set from the origin, not moved by the user.
    bool adjustingBars_ = false;
};

} // namespace pf
