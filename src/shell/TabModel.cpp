#include "shell/TabModel.h"

#include "model/Composition.h"

std::shared_ptr<Composition> TabModel::composition() const
{
    return std::dynamic_pointer_cast<Composition>(representedObject());
}

void TabModel::setTitle(const QString& title)
{
    TKTabModel::setTitle(title);
    if (auto page = composition(); page && page->title() != title)
        page->setTitle(title);
}

std::shared_ptr<pf::Object> TabModel::copyRepresentedObject() const
{
    if (auto page = composition())
        return page->copy();
    return representedObject();
}
