#include "app/UpdateStandIn.h"

#include "platform/kit/Services.h"

#include <QCoreApplication>

namespace {

Updater* installed = nullptr;

QString tr(const char* text) { return QCoreApplication::translate("Updater", text); }

} // namespace

Updater& Updater::sharedUpdater()
{
    static Updater standIn;
    return installed ? *installed : standIn;
}

void Updater::checkForUpdates()
{
    pf::runAlert({tr("Updates come from your system's package manager."),
                  tr("Quorvel is installed and kept up to date by the software manager of your system. "
                     "Use it to look for a newer version."),
                  {}});
}

ScopedUpdater::ScopedUpdater(Updater& updater) : previous_(std::exchange(installed, &updater)) {}

ScopedUpdater::~ScopedUpdater() { installed = previous_; }
