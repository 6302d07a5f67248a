#pragma once
// The values a number control takes: what its rule accepts, as a spin box
// would show it (its bounds, its step and the decimals it is typed with).

namespace km640::fieldtext {

struct NumberRange {
    double lowest = 0;
    double highest = 0;
    double step = 1;
    int decimals = 0;
    bool operator==(const NumberRange&) const = default;
};

}  // namespace km640::fieldtext
