// A field crowded with blobs around the shield, falling in under the game's gravity: the
// scene the physics benchmark measures, shared with the tests that check it.
#pragma once

#include <cstdint>
#include <vector>

#include "spl/spl.h"

namespace splscene {

inline constexpr double SHIELD_RADIUS = 200.0;
inline constexpr double RING_INNER = 200.0;
inline constexpr double RING_OUTER = 1100.0;
inline constexpr double GRAVITY = -15.0;
inline constexpr double GRAVITY_MINIMUM = 1.0;
inline constexpr double GRAVITY_MAXIMUM = 1000000.0;
inline constexpr double FRAME_SECONDS = 1.0 / 60.0;
inline constexpr int STEPS_PER_FRAME = 2;
// Share of the ring's area the blobs cover. Large fields keep this crowding and grow the
// ring outwards instead, since a thousand blobs cannot fit between 200 and 1100 at all.
inline constexpr double COVERAGE = 0.24;

struct Body {
  double radius;
  double mass;
  SPLVector position;
  SPLVector velocity;
};

// The outer radius of the ring that holds `count` blobs at the scene's crowding.
double ringOuterRadius(int count);

// `count` blobs in turn small, medium and large (the game's radii 20, 40, 80 and masses 4, 5,
// 6), none overlapping another, each wholly inside the ring, drifting at up to 40 units/s.
// The same seed gives the same bodies.
std::vector<Body> makeBodies(int count, std::uint64_t seed = 1);

SPLVortex gravity();
SPLObjectLocker shield();

// A system holding the gravity, the shield and one solid sphere per body; sphere i has the
// client reference clientOf(i), the shield none.
SPLSystem* buildSystem(const std::vector<Body>& bodies);
void* clientOf(std::size_t index);
// Removes everything from the system and destroys it.
void tearDown(SPLSystem* system);

// One game tick: a frame of two steps. Returns how many contacts (collisions and overlaps)
// the frame reported.
std::size_t frame(SPLSystem& system);

}  // namespace splscene
