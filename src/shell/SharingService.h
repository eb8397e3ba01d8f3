// A service the share menu can hand a picture to. The desktop offers no sharing services to programs, so
// none is registered and the share menu holds the export choices alone; the registry is the place where
// one would join (tests register fakes).
#pragma once

#include "platform/foundation/Object.h"
#include "platform/graphics/Image.h"

#include <QString>

#include <memory>
#include <vector>

class SharingService : public pf::Object {
public:
    // The service's name; the menu shows menuItemTitle when it has one.
    virtual QString title() const = 0;
    virtual QString menuItemTitle() const { return {}; }
    virtual pf::Image image() const { return {}; }
    virtual bool canPerformWithItems(const std::vector<pf::Image>& items) const = 0;
    virtual void performWithItems(const std::vector<pf::Image>& items) = 0;

    // The registered services that can perform with the items, in order of registration.
    static std::vector<std::shared_ptr<SharingService>> sharingServicesForItems(const std::vector<pf::Image>& items);
    static void registerService(std::shared_ptr<SharingService> service);
    static void unregisterService(const std::shared_ptr<SharingService>& service);
};

// Registers a service for its lifetime (tests).
class ScopedSharingService {
public:
    explicit ScopedSharingService(std::shared_ptr<SharingService> service) : service_(std::move(service))
    {
        SharingService::registerService(service_);
    }
    ~ScopedSharingService() { SharingService::unregisterService(service_); }
    ScopedSharingService(const ScopedSharingService&) = delete;
    ScopedSharingService& operator=(const ScopedSharingService&) = delete;

private:
    std::shared_ptr<SharingService> service_;
};
