#pragma once

#include "platform/ComputerDiscovery.h"

#include <systemd/sd-bus.h>

#include <memory>
#include <string>
#include <vector>

namespace vespern {

// The computers that Avahi sees announcing Windows file sharing (_smb._tcp) or a workstation
// (_workstation._tcp), through its interface on the system bus.
class AvahiDiscovery final : public ComputerDiscovery {
public:
    AvahiDiscovery();
    ~AvahiDiscovery() override;
    AvahiDiscovery(const AvahiDiscovery&) = delete;
    AvahiDiscovery& operator=(const AvahiDiscovery&) = delete;

    bool Available(std::string& reason) override;
    bool Start(Found found) override;
    int EventFd() const override;
    void Dispatch() override;
    void Stop() override;

    // The computer a service announcement names: a workstation's "host [mac address]" gives "host".
    static std::string ComputerName(const std::string& serviceName, const std::string& serviceType);

private:
    struct BusUnref {
        void operator()(sd_bus* bus) const;
    };
    struct SlotUnref {
        void operator()(sd_bus_slot* slot) const;
    };

    static int OnItemNew(sd_bus_message* message, void* self, sd_bus_error* error);
    void ItemNew(sd_bus_message* message);
    bool Connect(std::string& reason);

    std::unique_ptr<sd_bus, BusUnref> bus_;
    std::unique_ptr<sd_bus_slot, SlotUnref> match_;
    std::string avahi_; // the daemon's unique bus name
    std::vector<std::string> browsers_;
    std::vector<std::string> seen_;
    Found found_;
    bool broken_ = false;
};

} // namespace vespern
