// The application's tab: its represented object is one page, and its title is the page's title.
#pragma once

#include "shell/TKTabModel.h"

#include <memory>

class Composition;

class TabModel : public TKTabModel {
public:
    using TKTabModel::TKTabModel;

    // The page shown, or null.
    std::shared_ptr<Composition> composition() const;
    // Stores the title and sets it on the page.
    void setTitle(const QString& title) override;

protected:
    std::shared_ptr<TKTabModel> makeEmpty() const override { return std::make_shared<TabModel>(); }
    // A page's deep copy.
    std::shared_ptr<pf::Object> copyRepresentedObject() const override;
};
