#pragma once
// The accessors of a type that is one of several cases, each case a struct with its own
// payload, held in a std::variant member named `value`:
//
//     struct Anchor : OneOf<Anchor> {
//         struct Clock { ... };
//         struct Sun { ... };
//         std::variant<Clock, Sun> value = Clock{};
//
//         Anchor() = default;
//         template <class Case>
//         requires std::is_constructible_v<decltype(value), Case> Anchor(Case c) : value(std::move(c)) {}
//     };
//
//     if (anchor.is<Anchor::Sun>()) ...;
//     if (const auto* clock = anchor.as<Anchor::Clock>()) ...;
//
// The converting constructor stays with the type: a base cannot name the cases, which are
// declared inside the type after its bases.
#include <variant>

namespace orvane {

template <class Self>
class OneOf {
public:
    template <class Case>
    bool is() const {
        return std::holds_alternative<Case>(self().value);
    }
    // The case's payload, or null when the value is another case.
    template <class Case>
    const Case* as() const {
        return std::get_if<Case>(&self().value);
    }

    // Nothing of its own to compare, so a type's defaulted == compares its value alone.
    bool operator==(const OneOf&) const = default;

private:
    const Self& self() const { return static_cast<const Self&>(*this); }
};

}  // namespace orvane
