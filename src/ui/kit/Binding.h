#pragma once
// A value a control reads and writes without owning it: the getter is asked at every paint,
// the setter is called with each edit, and the owner decides what to store.
#include <functional>
#include <memory>

namespace orvane::kit {

template <class T>
struct Binding {
    std::function<T()> get;
    std::function<void(T)> set;

    // A binding to a value the binding itself keeps (previews, tests, standalone use).
    static Binding stored(T initial) {
        auto value = std::make_shared<T>(initial);
        return {[value] { return *value; }, [value](T v) { *value = v; }};
    }
};

}  // namespace orvane::kit
