// A tabbed window for tests: a controller whose tabs show small named pages and which records its hooks,
// a tab strip that records what it is asked, and a fixture with fresh user defaults, the window's
// interface file and a beep counter.
#pragma once

#include "shell/TKMainWindowController.h"
#include "shell/TKTabsList.h"

#include "platform/foundation/KeyValue.h"
#include "platform/foundation/NotFound.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Services.h"
#include "platform/kit/View.h"
#include "platform/kit/ViewBuilders.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

namespace tabbed_test {

// What a tab shows: a named thing that copies itself.
class Sheet : public pf::Object {
public:
    explicit Sheet(QString name) : name(std::move(name)) {}
    QString name;
};

class SheetTabModel : public TKTabModel {
protected:
    std::shared_ptr<TKTabModel> makeEmpty() const override { return std::make_shared<SheetTabModel>(); }
    std::shared_ptr<pf::Object> copyRepresentedObject() const override
    {
        auto sheet = std::dynamic_pointer_cast<Sheet>(representedObject());
        return sheet ? std::make_shared<Sheet>(sheet->name + " copied") : nullptr;
    }
};

// Records every call; the strip's item frames are 30 points a tab.
class RecordingTabsList : public TKTabsList {
public:
    explicit RecordingTabsList(QStringList& log) : log_(log) {}
    void setDelegate(TKTabsListViewControllerDelegate* delegate) override { delegate_ = delegate; }
    TKTabsListViewControllerDelegate* delegate() const override { return delegate_; }
    void updateAllTabModels() override { log_ << "reload"; }
    pf::Rect frameForItemAtIndex(std::size_t index) override { return {{0, 30.0 * double(index)}, {80, 30}}; }
    void scrollRectToVisible(const pf::Rect& rect) override { log_ << "scroll " + pf::toString(rect); }
    QString defaultEditableKeyPath() const override { return "title"; }
    void beginEditingListItemAtIndex(std::size_t index, const QString& keyPath) override
    {
        log_ << QString("edit %1 %2").arg(index).arg(keyPath);
    }

private:
    QStringList& log_;
    TKTabsListViewControllerDelegate* delegate_ = nullptr;
};

// Tabs of sheets titled "Page N"; every hook is logged.
class RecordingWindowController : public TKMainWindowController {
public:
    explicit RecordingWindowController(QString nib = "TestTabbedWindow") : TKMainWindowController(std::move(nib)) {}

    QString defaultType() const override { return "sheet"; }
    std::shared_ptr<TKTabModel> makeTabModel() const override { return std::make_shared<SheetTabModel>(); }
    std::shared_ptr<pf::Object> newRepresentedObjectWithContentsOfURLString(const QString&, const QString&,
                                                                            QString*) override
    {
        return std::make_shared<Sheet>(newTitleForRepresentedObjectAtIndex(numberOfTabs()));
    }
    QString newTitleForRepresentedObjectAtIndex(std::size_t index) const override
    {
        return QString("Page %1").arg(index + 1);
    }
    void willAddTabModelAtIndex(std::size_t i) override { log << QString("willAdd %1").arg(i); }
    void didAddTabModelAtIndex(std::size_t i) override { log << QString("didAdd %1").arg(i); }
    void willRemoveTabModelAtIndex(std::size_t i) override { log << QString("willRemove %1").arg(i); }
    void didRemoveTabModel() override { log << "didRemove"; }
    void willSwapTabModelsAtIndex(std::size_t a, std::size_t b) override { log << QString("willSwap %1 %2").arg(a).arg(b); }
    void didSwapTabModelsAtIndex(std::size_t a, std::size_t b) override { log << QString("didSwap %1 %2").arg(a).arg(b); }
    void selectedTabIndexWillChange() override { log << QString("selectionWillChange %1").arg(selectedTabIndex()); }
    void selectedTabIndexDidChange() override
    {
        log << QString("selectionDidChange %1")
                   .arg(selectedTabIndex() == pf::NotFound ? QString("none") : QString::number(selectedTabIndex()));
    }
    void windowDidVirginLoad() override { log << "virginLoad"; }

    // Adds tabs titled by their page names.
    void addSheets(const QStringList& names)
    {
        for (const QString& name : names) {
            auto model = std::make_shared<SheetTabModel>();
            model->setTitle(name);
            model->setRepresentedObject(std::make_shared<Sheet>(name));
            addTabModel(model);
        }
    }
    QStringList titles() const
    {
        QStringList out;
        for (const auto& model : tabModels())
            out << model->title();
        return out;
    }

    QStringList log;
};

class TabbedWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousDefaults_ = pf::UserDefaultsStore::replaceStandard(std::make_unique<pf::UserDefaultsStore>());
        previousFactory_ = std::exchange(TKTabsList::factory(), [this] {
            return std::unique_ptr<TKTabsList>(std::make_unique<RecordingTabsList>(stripLog));
        });
    }
    void TearDown() override
    {
        TKTabsList::factory() = std::move(previousFactory_);
        pf::UserDefaultsStore::replaceStandard(std::move(previousDefaults_));
    }

    // A loaded window with tabs of the names given, the first selected, logs cleared.
    std::shared_ptr<RecordingWindowController> makeWindow(const QStringList& names)
    {
        auto controller = std::make_shared<RecordingWindowController>();
        controller->window();
        controller->addSheets(names);
        if (!names.isEmpty())
            controller->setSelectedTabIndex(0);
        controller->log.clear();
        stripLog.clear();
        beeps = 0;
        return controller;
    }

    static pf::MenuItem tagged(std::int64_t tag)
    {
        pf::MenuItem item;
        item.setTag(tag);
        return item;
    }

    QStringList stripLog;
    int beeps = 0;
    pf::ScopedBeepSink beepSink{[this] { ++beeps; }};
    pf::ScopedViewBuilder windowFile{"TestTabbedWindow", [](pf::Responder*) {
        auto* view = new pf::View;
        view->setFrame({{0, 0}, {640, 480}});
        return view;
    }};

private:
    std::unique_ptr<pf::UserDefaultsStore> previousDefaults_;
    TKTabsList::Factory previousFactory_;
};

} // namespace tabbed_test
