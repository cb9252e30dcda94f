#pragma once
// What the DDC tests share: the I2C functions of the simulated machine with a sleep that
// moves the fake clock (so nothing waits), and the DDC/CI traffic as the monitors saw it.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "EngineFixture.h"
#include "engine/DDCLibrary.h"
#include "engine/DDCService.h"

namespace orvane::testing {

class DDCTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        library = makeLibrary();
        defaults = sim->standardUserDefaults();
    }

    std::shared_ptr<DDCLibrary> makeLibrary() {
        return std::make_shared<DDCLibrary>(sim, [this](TimeInterval s) {
            sleeps.push_back(s);
            clock->advance(s);
        });
    }
    std::shared_ptr<DDCService> service(std::uint32_t display = 2) {
        return std::make_shared<DDCService>(library, sim->i2c().createChannel(display), display);
    }

    struct Packet {
        std::uint32_t display = 0;
        std::int64_t chip = 0;
        std::int64_t address = 0;
        platform::Bytes bytes;
        double time = 0;  // monotonic
    };
    // Every bus write, in order.
    std::vector<Packet> packets() const {
        std::vector<Packet> out;
        for (const auto& call : calls("i2c.write")) {
            const auto* d = call.arguments.dictionary();
            const auto* bytes = d ? d->at("bytes").data() : nullptr;
            if (!bytes) continue;
            out.push_back({static_cast<std::uint32_t>(d->at("display").integer().value_or(0)),
                           d->at("chip").integer().value_or(0), d->at("address").integer().value_or(0), *bytes,
                           d->at("time").number().value_or(0)});
        }
        return out;
    }
    // The Set VCP feature commands a display received, as (code, value), in order.
    std::vector<std::pair<int, int>> sets(std::uint32_t display = 2) const {
        std::vector<std::pair<int, int>> out;
        for (const auto& p : packets())
            if (p.display == display && p.bytes.size() == 7 && p.bytes[1] == 0x84)
                out.emplace_back(p.bytes[3], (p.bytes[4] << 8) | p.bytes[5]);
        return out;
    }
    std::size_t requests(std::uint32_t display = 2) const {
        std::size_t n = 0;
        for (const auto& p : packets()) n += p.display == display && p.bytes.size() == 5;
        return n;
    }

    int value(std::uint32_t display, std::uint8_t code) const {
        return sim->state().display(display)->ddc->features.at(code).current;
    }
    void setFeature(std::uint32_t display, std::uint8_t code, std::uint16_t current, std::uint16_t maximum = 100) {
        sim->changeDisplay(display, [&](platform::sim::SimDisplay& d) { d.ddc->features[code] = {current, maximum}; });
    }
    void removeFeature(std::uint32_t display, std::uint8_t code) {
        sim->changeDisplay(display, [&](platform::sim::SimDisplay& d) { d.ddc->features.erase(code); });
    }
    // A second external monitor right of the first, with its own identity and values.
    std::uint32_t addMonitor(std::uint16_t brightness, std::uint16_t red, std::uint16_t green, std::uint16_t blue) {
        platform::sim::SimDisplay d;
        d.uuid = "0C4E8A21-5D3B-4F6E-9A7C-2B1D0E3F4A5B";
        d.vendor = 4268;
        d.model = 16532;
        d.name = "Second Monitor";
        d.frame = {1512 + 2560, 0, 1920, 1080};
        d.ddc = platform::sim::DdcMonitor{
            {{0x10, {brightness, 100}}, {0x16, {red, 100}}, {0x18, {green, 100}}, {0x1A, {blue, 100}}}};
        return sim->addDisplay(d);
    }

    std::shared_ptr<DDCLibrary> library;
    std::shared_ptr<platform::UserDefaults> defaults;
    std::vector<TimeInterval> sleeps;
};

}  // namespace orvane::testing
