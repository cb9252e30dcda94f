// The change notifications the windows will subscribe to.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/Observers.h"

namespace orvane {
namespace {

TEST(Observers, DeliversToEverySubscriberUntilItsHandleGoes) {
    Observers<std::string> observers;
    std::vector<std::string> a, b;
    auto first = observers.subscribe([&](const std::string& s) { a.push_back(s); });
    {
        auto second = observers.subscribe([&](const std::string& s) { b.push_back(s); });
        observers.notify("one");
    }
    observers.notify("two");
    first.cancel();
    observers.notify("three");
    EXPECT_EQ(a, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(b, (std::vector<std::string>{"one"}));
    EXPECT_EQ(observers.count(), 0u);
}

TEST(Observers, SubscribersMayUnsubscribeOthersOrThemselvesWhileNotified) {
    Observers<int> observers;
    std::vector<std::string> calls;
    std::optional<Subscription> later;
    auto self = std::make_shared<Subscription>();
    *self = observers.subscribe([&, self](const int&) {
        calls.push_back("self");
        self->cancel();  // this callback is running; it must survive its own removal
        later.reset();
    });
    later = observers.subscribe([&](const int&) { calls.push_back("later"); });
    observers.notify(1);
    observers.notify(2);
    EXPECT_EQ(calls, (std::vector<std::string>{"self"}));
}

TEST(Observers, ASubscriptionOutlivingItsObserversCancelsHarmlessly) {
    Subscription subscription;
    {
        Observers<> observers;
        subscription = observers.subscribe([] {});
    }
    subscription.cancel();
    EXPECT_FALSE(subscription.active());
}

}  // namespace
}  // namespace orvane
