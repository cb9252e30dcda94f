#include "platform/FrameworkAdapters.h"

#include <cstring>

#include "platform/Status.h"

namespace orvane::platform {

std::int32_t applyAdjustmentDictionary(ColorAdjustments& adjustments, const Dictionary& dictionary) {
    const auto target = dictionary.find(adjustmentKey::targetDisplay);
    if (target == dictionary.end() || !target->second.get<std::int64_t>()) return status::illegalArgument;
    const std::int64_t id = *target->second.get<std::int64_t>();
    if (id < 0 || id > 0xFFFFFFFFll) return status::illegalArgument;
    const auto display = static_cast<std::uint32_t>(id);
    const auto matrix = dictionary.find(adjustmentKey::matrix);
    if (dictionary.size() == 1) return adjustments.reset(display);
    if (matrix == dictionary.end() || !matrix->second.data() || matrix->second.data()->size() != 36)
        return status::illegalArgument;
    Matrix3x3 m{};
    std::memcpy(m.data(), matrix->second.data()->data(), 36);
    for (float f : m)
        if (f != f) return status::illegalArgument;
    return adjustments.set(display, m);
}

std::shared_ptr<SymbolTable> makeAccessibilityImage(std::shared_ptr<ColorAdjustments> adjustments,
                                                    SymbolTable::Filter present) {
    auto image = std::make_shared<SymbolTable>(std::move(present));
    image->add(symbolName::setAccessibilityAdjustments,
               symbol::SetAccessibilityAdjustments(
                   [adjustments](const Dictionary& d) { return applyAdjustmentDictionary(*adjustments, d); }));
    image->add(symbolName::targetDisplay, std::string(adjustmentKey::targetDisplay));
    image->add(symbolName::adjustmentMatrix, std::string(adjustmentKey::matrix));
    image->add(symbolName::adjustmentScale, std::string(adjustmentKey::scale));
    image->add(symbolName::adjustmentOptions, std::string(adjustmentKey::options));
    return image;
}

std::shared_ptr<SymbolTable> makeBrightnessImage(std::shared_ptr<Backlight> backlight, SymbolTable::Filter present) {
    auto image = std::make_shared<SymbolTable>(std::move(present));
    image->add(symbolName::getBrightness, symbol::GetBrightness([backlight](std::uint32_t d, float* level) {
                   return level ? backlight->brightness(d, *level) : status::illegalArgument;
               }));
    image->add(symbolName::getLinearBrightness, symbol::GetBrightness([backlight](std::uint32_t d, float* level) {
                   return level ? backlight->linearBrightness(d, *level) : status::illegalArgument;
               }));
    image->add(symbolName::setBrightness, symbol::SetBrightness([backlight](std::uint32_t d, float level) {
                   return backlight->setBrightness(d, level);
               }));
    image->add(symbolName::setLinearBrightness, symbol::SetBrightness([backlight](std::uint32_t d, float level) {
                   return backlight->setLinearBrightness(d, level);
               }));
    image->add(symbolName::canChangeBrightness,
               symbol::CanChangeBrightness([backlight](std::uint32_t d) { return backlight->canChangeBrightness(d); }));
    return image;
}

std::shared_ptr<SymbolTable> makeNightShiftImage(std::function<std::shared_ptr<NightShiftClient>()> makeClient,
                                                 SymbolTable::Filter present) {
    auto image = std::make_shared<SymbolTable>(std::move(present));
    image->add(symbolName::blueLightClient, symbol::BlueLightClientClass(std::move(makeClient)));
    return image;
}

std::shared_ptr<SymbolTable> makeI2CImage(std::shared_ptr<I2C> i2c, SymbolTable::Filter present) {
    auto image = std::make_shared<SymbolTable>(std::move(present));
    image->add(symbolName::avServiceCreateWithService,
               symbol::AVServiceCreateWithService([i2c](std::uint64_t entry) { return i2c->createChannel(entry); }));
    image->add(
        symbolName::avServiceReadI2C,
        symbol::AVServiceReadI2C([](I2CChannel& service, std::uint32_t chip, std::uint32_t offset, std::uint8_t* buffer,
                                    std::uint32_t length) { return service.read(chip, offset, buffer, length); }));
    image->add(symbolName::avServiceWriteI2C,
               symbol::AVServiceWriteI2C(
                   [](I2CChannel& service, std::uint32_t chip, std::uint32_t address, std::uint8_t* buffer,
                      std::uint32_t length) { return service.write(chip, address, buffer, length); }));
    return image;
}

}  // namespace orvane::platform
