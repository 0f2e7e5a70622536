// The cycle time of a program as the machine would run it: every move
// accelerates and brakes within the axes' limits instead of jumping to its
// speed, and corners are taken at the speed the cornering tolerance allows.
//
// Model (a planner of the kind small motion controllers run, over the whole
// program at once):
// - Each move has a target speed: a rapid the fastest its axes allow along its
//   direction; a feed move the feed in force, or, without one, the plot's cut
//   speed while cutting and its rapid speed otherwise (the speeds of the
//   simple time). No move exceeds any axis's maximum speed along it (an axis
//   carrying the fraction u of the motion limits the speed to its maximum / u),
//   and an arc no speed whose centripetal acceleration v^2 / r exceeds its
//   plane's smaller axis acceleration.
// - Along a move the speed changes at the acceleration its axes allow (each
//   axis's acceleration / u, the smallest; an arc takes its plane's smaller
//   one): a trapezoid, or a triangle when the move is too short to reach its
//   target speed.
// - At a corner between unit directions u1 and u2 the speed is limited by
//   junction deviation: v^2 = a * d * s / (1 - s), s = sin(theta / 2), cos theta
//   = -u1.u2, d the cornering tolerance and a the acceleration allowed along
//   u2 - u1. A straight continuation is unlimited, a reversal stops. Arcs
//   join along their tangents.
// - The machine is at rest at the start and the end, and where the cut is
//   switched on or off.
// - A backward pass lowers each corner speed to what the rest of the program
//   can brake from, a forward pass to what can be reached from the start.
//
// Units: lengths in program units, speeds in units per minute (as F and the
// plot's speed fields), accelerations in units per second squared, the
// result in minutes. No conversion between inch and mm: the machine file's
// figures are in the units its programs are written in.
#pragma once

#include <optional>
#include <vector>

#include "plot/move.h"

namespace tolva {

class MachineSettings;

// The machine's motion limits, X Y Z.
struct MotionLimits {
    double maxSpeed[3] = {0, 0, 0};  // units per minute, > 0
    double accel[3] = {0, 0, 0};     // units per second squared, > 0
    double junctionDeviation = 0;    // units, >= 0 (0 stops at every corner)
};

// The limits the machine file gives, or nothing when any of them is absent or
// not a number in range.
std::optional<MotionLimits> ReadMotionLimits(const MachineSettings& settings);

class CycleTime : public MoveSink {
public:
    CycleTime() = default;
    explicit CycleTime(const MotionLimits& limits) : limits_(limits) {}

    // Forgets the moves taken and takes new limits.
    void Start(const MotionLimits& limits);
    void TakeMove(const Move& move) override;
    // Minutes to run the moves taken. `cutSpeed` and `traverseSpeed` (units
    // per minute, > 0) are the speeds of feed moves without a feed while the
    // cut is on and off.
    double Minutes(double cutSpeed, double traverseSpeed) const;
    int Moves() const { return static_cast<int>(blocks_.size()); }

private:
    enum class Speed : unsigned char { Own, Cut, Traverse };
    // Single precision: a long program holds one per move, and the estimate
    // needs no more than six figures.
    struct Block {
        float length;    // units
        float accel;     // units/s^2 along the move
        float cap;       // units/s: the axes' and the centripetal limit
        float feed;      // units/s, when `speed` is Own
        float junction;  // units/s: the most the corner before it allows; 0 at a stop
        Speed speed;
    };
    double target(const Block& b, double cutSpeed, double traverseSpeed) const;

    MotionLimits limits_;
    std::vector<Block> blocks_;
    double lastDirection_[3] = {0, 0, 0};  // unit direction at the end of the last block
    bool lastCutOn_ = false;
    bool stopPending_ = false;  // the cut was switched since the last block
};

}  // namespace tolva
