#pragma once
// The method check's question on screen: a stay-on-top tool window holding the card,
// centred on the display it asks about and activated, so its keys answer at once.
#include <memory>

#include <QWidget>

#include "app/MethodCheckController.h"

namespace orvane {

class MethodCheckCard;

class QtMethodCheckAsker final : public MethodCheckAsker {
public:
    // `titleOf` names a method in this computer's words; without it the plain titles.
    explicit QtMethodCheckAsker(std::function<std::string(TintMethod)> titleOf = {});
    ~QtMethodCheckAsker() override;

    void show(const DisplayInfo& display, TintMethod method, std::function<void(bool)> answer) override;
    void orderOut() override;

    // The window of the question held now (ordered out or not); none before the first.
    QWidget* window() const { return window_.get(); }
    MethodCheckCard* card() const { return card_; }

private:
    std::unique_ptr<QWidget> window_;
    MethodCheckCard* card_ = nullptr;
    std::function<std::string(TintMethod)> titleOf_;
};

}  // namespace orvane
