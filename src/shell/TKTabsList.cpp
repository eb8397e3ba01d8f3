#include "shell/TKTabsList.h"

TKTabsList::Factory& TKTabsList::factory()
{
    static Factory factory = [] { return std::unique_ptr<TKTabsList>(std::make_unique<TKStandInTabsList>()); };
    return factory;
}
