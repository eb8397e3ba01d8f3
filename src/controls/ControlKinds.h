// Registration of the phone-control shape kinds, so stored documents can name them.
#pragma once

namespace pf {
class ClassRegistry;
}

// Registers every shape kind below the controls (registerShapeKinds) and every control kind.
void registerControlKinds(pf::ClassRegistry& registry);
