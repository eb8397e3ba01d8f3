#include "shell/SharingService.h"

#include <algorithm>

namespace {

std::vector<std::shared_ptr<SharingService>>& registry()
{
    static std::vector<std::shared_ptr<SharingService>> services;
    return services;
}

} // namespace

std::vector<std::shared_ptr<SharingService>> SharingService::sharingServicesForItems(const std::vector<pf::Image>& items)
{
    std::vector<std::shared_ptr<SharingService>> out;
    for (const auto& service : registry())
        if (service->canPerformWithItems(items))
            out.push_back(service);
    return out;
}

void SharingService::registerService(std::shared_ptr<SharingService> service)
{
    if (service)
        registry().push_back(std::move(service));
}

void SharingService::unregisterService(const std::shared_ptr<SharingService>& service)
{
    auto& services = registry();
    services.erase(std::remove(services.begin(), services.end(), service), services.end());
}
