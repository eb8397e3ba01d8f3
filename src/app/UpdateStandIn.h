// Software update: the program is installed and updated by the system's package manager, so the updater
// checks nothing itself; asking it to check says where updates come from. Tests install their own.
#pragma once

class Updater {
public:
    virtual ~Updater() = default;

    // The updater in use: the stand-in unless one is installed with ScopedUpdater.
    static Updater& sharedUpdater();

    // Never on: there is no server of our own to ask.
    virtual bool automaticallyChecksForUpdates() const { return false; }
    virtual void checkForUpdatesInBackground() {}
    // The user's own request: an alert naming the package manager.
    virtual void checkForUpdates();
};

// Installs an updater for its lifetime.
class ScopedUpdater {
public:
    explicit ScopedUpdater(Updater& updater);
    ~ScopedUpdater();
    ScopedUpdater(const ScopedUpdater&) = delete;
    ScopedUpdater& operator=(const ScopedUpdater&) = delete;

private:
    Updater* previous_;
};
