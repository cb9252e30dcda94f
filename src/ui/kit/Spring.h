#pragma once
// A damped spring in the response/damping-fraction form: the natural frequency is
// 2π / response, and a damping fraction of 1 is critical (fastest without overshoot).
// Solved in closed form, so any time can be evaluated without stepping.
namespace orvane::kit {

struct Spring {
    double response = 0.3;
    double dampingFraction = 1.0;

    // Displacement from the target and velocity, `t` seconds after starting at
    // displacement `d0` with velocity `v0`.
    struct Motion {
        double displacement;
        double velocity;
    };
    Motion motion(double d0, double v0, double t) const;

    // Progress of a move from 0 to 1 at rest, after `t` seconds.
    double progress(double t) const { return 1.0 - motion(1.0, 0.0, t).displacement; }

    // The kit's selection spring: critically damped, response 0.3 s.
    static constexpr Spring selection() { return {0.3, 1.0}; }
};

}  // namespace orvane::kit
