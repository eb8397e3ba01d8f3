// Registration of every concrete shape kind, so stored documents can name them.
#pragma once

namespace pf {
class ClassRegistry;
}

// Registers the model's own classes and every shape kind of this area. Each family of kinds adds
// itself here through its own function, declared beside its classes.
void registerShapeKinds(pf::ClassRegistry& registry);
