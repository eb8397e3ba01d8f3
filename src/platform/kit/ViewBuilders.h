// Interface files as code: each view the editor would load from an interface file is made by a builder
// function registered under that file's name. The builder makes the view tree and connects its owner's
// outlets (the owner casts itself back to its own type). Loading a name that has no builder answers no
// view, as loading a missing file does; the caller reports it.
#pragma once

#include <QString>

#include <functional>

namespace pf {

class Responder;
class View;

// owner: the object the interface file is loaded for (a view controller, a window controller); may be null.
// Answers the top view, owned by the caller.
using ViewBuilder = std::function<View*(Responder* owner)>;

// Registers (or replaces) the builder of a name; an empty builder removes it.
void registerViewBuilder(const QString& name, ViewBuilder builder);
bool hasViewBuilder(const QString& name);
// The built view, or null when no builder has that name or the builder made none.
View* loadViewNamed(const QString& name, Responder* owner);

// Registers a builder for its lifetime and puts back what the name had before (tests).
class ScopedViewBuilder {
public:
    ScopedViewBuilder(QString name, ViewBuilder builder);
    ~ScopedViewBuilder();
    ScopedViewBuilder(const ScopedViewBuilder&) = delete;
    ScopedViewBuilder& operator=(const ScopedViewBuilder&) = delete;

private:
    QString name_;
    ViewBuilder previous_;
};

} // namespace pf
