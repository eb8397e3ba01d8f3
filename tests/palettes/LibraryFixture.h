// The library palette beside a canvas in one shown window (the palette at the left, 170 points wide),
// with the front document window faked over that canvas and the tool notices of the window recorded.
#pragma once

#include "canvas/support/CanvasFixture.h"
#include "kit/KitTestSupport.h"
#include "palettes/LibraryListItem.h"
#include "palettes/LibraryViewController.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/Window.h"

#include <QLineEdit>
#include <QTest>

#include <memory>

class RecordingFrontWindow : public LibraryFrontWindow {
public:
    QWidget* canvasWindowWidget() override { return widget; }
    void addShapeFromPlist(const pf::Value& info) override
    {
        added.push_back(info);
        if (canvas)
            canvas->addShapeFromPlist(info);
    }
    void revertCanvasToDefaultMouseMode() override
    {
        calls << QStringLiteral("revert");
        if (canvas)
            canvas->revertToDefaultMouseMode();
    }
    void focusCanvas() override
    {
        calls << QStringLiteral("focus");
        if (canvas)
            canvas->setFocus(Qt::OtherFocusReason);
    }

    QWidget* widget = nullptr;
    Canvas* canvas = nullptr;
    QStringList calls;
    std::vector<pf::Value> added;
};

class LibraryFixture : public CanvasFixture {
protected:
    static constexpr double paletteWidth = 170;

    static void SetUpTestSuite()
    {
        CanvasFixture::SetUpTestSuite();
        LibraryViewController::registerInterfaceFile();
    }

    void SetUp() override
    {
        CanvasFixture::SetUp();
        makeCanvas();
        // The real palette answers the canvas's tool keys.
        library.reset();
        pf::Window::attach(window.get())->becomeMainWindow();
        front.widget = window.get();
        front.canvas = canvas;
        scrollView->setGeometry(int(paletteWidth), 0, 1000 - int(paletteWidth), 800);
        controller = std::make_unique<LibraryViewController>();
        controller->setFrontWindowProvider([this] { return &front; });
        pf::View* palette = controller->view();
        pf::View::moveWidget(palette, window.get());
        palette->setFrame(pf::Rect(0, 0, paletteWidth, 800));
        palette->show();
        auto& center = pf::NotificationCenter::defaultCenter();
        for (const char* name : {Canvas::ShapeModeWasActivatedNotification, Canvas::BezierModeWasActivatedNotification,
                                 Canvas::BrushModeWasActivatedNotification, Canvas::PathModeWasActivatedNotification})
            notices_.push_back(center.addObserver(QString::fromLatin1(name), window.get(),
                                                  [this](const pf::Notification& n) {
                                                      const auto it = n.userInfo.find(QStringLiteral("ShapeClassName"));
                                                      posted << (it == n.userInfo.end()
                                                                     ? n.name
                                                                     : n.name + u' ' + it->second.toString());
                                                  }));
        endTurn();
    }

    void TearDown() override
    {
        notices_.clear();
        controller.reset();
        CanvasFixture::TearDown();
    }

    LibraryListView& list() const { return *controller->libraryListView(); }
    LibrarySearchField& field() const { return *controller->searchField(); }
    std::size_t rowOf(const char* className) const
    {
        const auto& rows = controller->filteredShapeInfos();
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].stringForKey(u"className") == QLatin1String(className))
                return i;
        return pf::NotFound;
    }
    QString selectedClass() const
    {
        const std::size_t i = controller->selectedIndex();
        return i < controller->filteredShapeInfos().size()
                   ? controller->filteredShapeInfos()[i].stringForKey(u"className")
                   : QString();
    }

    // The middle of the row in the list's points, scrolled into view first.
    pf::Point rowCentre(std::size_t row)
    {
        const pf::Rect frame = list().frameForItemAtIndex(row);
        list().scrollView()->scrollRectToVisible(frame);
        endTurn();
        return pf::Point(frame.midX(), frame.midY());
    }
    void pressRow(std::size_t row)
    {
        listTime_ += 1000;
        kittest::sendMouse(list(), QEvent::MouseButtonPress, rowCentre(row).toQt(), Qt::LeftButton, Qt::LeftButton,
                           listTime_);
    }
    void releaseRow(std::size_t row)
    {
        listTime_ += 10;
        kittest::sendMouse(list(), QEvent::MouseButtonRelease, rowCentre(row).toQt(), Qt::LeftButton, {}, listTime_);
    }
    void clickRow(std::size_t row)
    {
        pressRow(row);
        releaseRow(row);
    }
    void doubleClickRow(std::size_t row)
    {
        clickRow(row);
        const pf::Point p = rowCentre(row);
        listTime_ += 50;
        kittest::sendMouse(list(), QEvent::MouseButtonPress, p.toQt(), Qt::LeftButton, Qt::LeftButton, listTime_);
        listTime_ += 10;
        kittest::sendMouse(list(), QEvent::MouseButtonRelease, p.toQt(), Qt::LeftButton, {}, listTime_);
    }
    // Typing as a user does: each character a key press on the field.
    void type(const QString& text) { QTest::keyClicks(&field(), text); }
    void key(int key) { QTest::keyClick(&field(), Qt::Key(key)); }

    RecordingFrontWindow front;
    std::unique_ptr<LibraryViewController> controller;
    QStringList posted;

private:
    std::vector<pf::NotificationToken> notices_;
    quint64 listTime_ = 100000;
};
