#pragma once
// Change notifications of our own, so the windows can follow the model without a toolkit
// in this layer: a subscriber gets a handle that ends the subscription when destroyed.
// A subscriber removed while a notification is being delivered is not called afterwards;
// one added meanwhile is called from the next notification on.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/Scheduler.h"

namespace orvane {

using Subscription = platform::Handle;

template <class... Args>
class Observers {
public:
    using Callback = std::function<void(const Args&...)>;

    // Const: watching an object does not change it, so a view given a const state may follow it.
    [[nodiscard]] Subscription subscribe(Callback callback) const {
        const std::uint64_t id = table_->next++;
        table_->entries.emplace(id, std::make_shared<Callback>(std::move(callback)));
        return Subscription([weak = std::weak_ptr<Table>(table_), id] {
            if (auto table = weak.lock()) table->entries.erase(id);
        });
    }

    void notify(const Args&... args) const {
        // Hold the table and weak copies, so callbacks may subscribe, unsubscribe or even
        // destroy the owner while the notification runs.
        const auto table = table_;
        std::vector<std::weak_ptr<Callback>> callbacks;
        callbacks.reserve(table->entries.size());
        for (const auto& [id, callback] : table->entries) callbacks.push_back(callback);
        for (const auto& weak : callbacks)
            if (const auto callback = weak.lock()) (*callback)(args...);
    }

    std::size_t count() const { return table_->entries.size(); }

private:
    struct Table {
        std::map<std::uint64_t, std::shared_ptr<Callback>> entries;
        std::uint64_t next = 1;
    };
    std::shared_ptr<Table> table_ = std::make_shared<Table>();
};

// A hook of an owner: anyone may subscribe, only the owner fires it.
template <class Owner, class... Args>
class Hook {
public:
    [[nodiscard]] Subscription subscribe(typename Observers<Args...>::Callback callback) const {
        return observers_.subscribe(std::move(callback));
    }
    std::size_t count() const { return observers_.count(); }

private:
    friend Owner;
    void notify(const Args&... args) const { observers_.notify(args...); }

    Observers<Args...> observers_;
};

}  // namespace orvane
