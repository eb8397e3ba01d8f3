#include "platform/kit/ViewBuilders.h"

#include "platform/kit/View.h"

#include <map>

namespace pf {

namespace {

std::map<QString, ViewBuilder>& builders()
{
    static std::map<QString, ViewBuilder> table;
    return table;
}

ViewBuilder builderNamed(const QString& name)
{
    const auto it = builders().find(name);
    return it == builders().end() ? ViewBuilder() : it->second;
}

} // namespace

void registerViewBuilder(const QString& name, ViewBuilder builder)
{
    if (builder)
        builders()[name] = std::move(builder);
    else
        builders().erase(name);
}

bool hasViewBuilder(const QString& name)
{
    return builders().count(name) != 0;
}

View* loadViewNamed(const QString& name, Responder* owner)
{
    // A copy: the builder may register others while it runs.
    const ViewBuilder builder = builderNamed(name);
    return builder ? builder(owner) : nullptr;
}

ScopedViewBuilder::ScopedViewBuilder(QString name, ViewBuilder builder)
    : name_(std::move(name)), previous_(builderNamed(name_))
{
    registerViewBuilder(name_, std::move(builder));
}

ScopedViewBuilder::~ScopedViewBuilder()
{
    registerViewBuilder(name_, std::move(previous_));
}

} // namespace pf
