// A window controller for documents under test: it keeps tab models in order, records what the document
// asks of it, and gives every page a delegate that takes its undo manager, picture counts and changes from
// the document, as the canvas view controller does.
#pragma once

#include "app/Document.h"
#include "model/Composition.h"
#include "model/CompositionDelegate.h"
#include "shell/TabHost.h"
#include "shell/TabModel.h"

#include <QStringList>

#include <algorithm>

class DocumentPageDelegate : public QuietCompositionDelegate {
public:
    explicit DocumentPageDelegate(Document& document) : document_(document) {}
    pf::UndoManager* undoManagerForComposition(Composition&) override { return &document_.undoManager(); }
    pf::Image compositionImageForIdentifier(Composition&, const QString& identifier) override
    {
        return document_.imageForIdentifier(identifier);
    }
    void compositionIncrementRefCountForImageIdentifier(Composition&, const QString& identifier) override
    {
        document_.incrementRefCountForImageIdentifier(identifier);
    }
    void compositionDecrementRefCountForImageIdentifier(Composition&, const QString& identifier) override
    {
        document_.decrementRefCountForImageIdentifier(identifier);
    }
    void compositionChangeDone(Composition&) override { document_.updateChangeCount(); }

private:
    Document& document_;
};

class RecordingTabHost : public TabHost {
public:
    explicit RecordingTabHost(Document& document) : delegate(document) {}

    QString defaultType() const override { return QStringLiteral("composition"); }
    const std::vector<std::shared_ptr<TKTabModel>>& tabModels() const override { return models; }
    void removeTabModel(const std::shared_ptr<TKTabModel>& model) override
    {
        calls << QStringLiteral("remove %1").arg(model->title());
        models.erase(std::remove(models.begin(), models.end(), model), models.end());
    }
    std::shared_ptr<TKTabModel> addTabWithRepresentedObject(std::shared_ptr<pf::Object> object, const QString& type,
                                                            QString*) override
    {
        auto model = std::make_shared<TabModel>(QString(), type);
        model->setRepresentedObject(object);
        if (auto page = model->composition())
            model->setTitle(page->title());
        model->setIndex(models.size());
        models.push_back(model);
        calls << QStringLiteral("add %1").arg(model->title());
        return model;
    }
    void addTabModelAtIndex(std::size_t index) override
    {
        auto page = Composition::make();
        page->setCompositionDelegate(&delegate);
        auto model = std::make_shared<TabModel>(QString(), defaultType());
        model->setRepresentedObject(page);
        model->setIndex(index);
        models.insert(models.begin() + static_cast<std::ptrdiff_t>(std::min(index, models.size())), model);
        calls << QStringLiteral("new page at %1").arg(index);
    }
    void selectTabAtIndex(std::size_t index) override { calls << QStringLiteral("select %1").arg(index); }
    void reloadTabs() override { calls << QStringLiteral("reload"); }
    CompositionDelegate* compositionDelegate() override { return &delegate; }
    const void* canvas() const override { return &canvasIdentity; }
    void synchronizeWindowTitleWithDocumentName() override { ++titleUpdates; }

    std::shared_ptr<Composition> page(std::size_t index) const
    {
        return std::dynamic_pointer_cast<Composition>(models.at(index)->representedObject());
    }
    QStringList titles() const
    {
        QStringList titles;
        for (const auto& model : models)
            titles << model->title();
        return titles;
    }

    std::vector<std::shared_ptr<TKTabModel>> models;
    DocumentPageDelegate delegate;
    QStringList calls;
    int titleUpdates = 0;
    int canvasIdentity = 0;
};
