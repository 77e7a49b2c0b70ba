#include "splscene.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace splscene {
namespace {

struct BlobSize {
  double radius;
  double mass;
};
constexpr BlobSize SIZES[] = {{20.0, 4.0}, {40.0, 5.0}, {80.0, 6.0}};
constexpr double MAX_DRIFT = 40.0;

// SplitMix64: small, and the same numbers on every platform, unlike the standard
// distributions.
class Random {
 public:
  explicit Random(std::uint64_t seed) : mState(seed) {}
  double uniform() {
    mState += 0x9E3779B97F4A7C15ull;
    std::uint64_t z = mState;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * 0x1.0p-53;
  }
  double uniform(double low, double high) { return low + (high - low) * uniform(); }

 private:
  std::uint64_t mState;
};

double meanBlobArea() {
  double sum = 0.0;
  for (const BlobSize& size : SIZES) sum += std::numbers::pi * size.radius * size.radius;
  return sum / std::size(SIZES);
}

}  // namespace

double ringOuterRadius(int count) {
  const double area = count * meanBlobArea() / COVERAGE;
  return std::max(RING_OUTER, std::sqrt(RING_INNER * RING_INNER + area / std::numbers::pi));
}

std::vector<Body> makeBodies(int count, std::uint64_t seed) {
  Random random(seed);
  const double outer = ringOuterRadius(count);
  std::vector<Body> bodies;
  bodies.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const BlobSize& size = SIZES[i % std::size(SIZES)];
    const double direction = random.uniform(0.0, 2.0 * std::numbers::pi);
    const double speed = random.uniform(0.0, MAX_DRIFT);
    bodies.push_back({size.radius, size.mass, SPLVector(), SPLVector(speed, 0.0).rotated(direction)});
  }

  // Largest first, so the big ones find room before the field fills; uniform over the ring's
  // area, rejecting spots that overlap a blob already placed.
  std::vector<std::size_t> order(bodies.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return bodies[a].radius > bodies[b].radius; });
  std::vector<std::size_t> placed;
  for (const std::size_t i : order) {
    Body& body = bodies[i];
    const double low = RING_INNER + body.radius;
    const double high = outer - body.radius;
    for (;;) {
      const double r = std::sqrt(random.uniform(low * low, high * high));
      const SPLVector spot = SPLVector(r, 0.0).rotated(random.uniform(0.0, 2.0 * std::numbers::pi));
      const bool free = std::none_of(placed.begin(), placed.end(), [&](std::size_t j) {
        const double reach = body.radius + bodies[j].radius;
        return (spot - bodies[j].position).squaredLength() < reach * reach;
      });
      if (free) {
        body.position = spot;
        placed.push_back(i);
        break;
      }
    }
  }
  return bodies;
}

SPLVortex gravity() {
  return SPLVortex(SPLVector(), SPLCoefficients(GRAVITY, 0.0, 0.0, 0.0), SPLCoefficients(), GRAVITY_MINIMUM,
                   GRAVITY_MAXIMUM);
}

SPLObjectLocker shield() {
  const SPLSphere sphere(SHIELD_RADIUS, 1.0, SPLShape::NON_SOLID, 0.0, SPLVector(), SPLVector(), SPLVector(),
                         0.0, nullptr);
  return SPLObjectLocker(sphere, SPLObjectLocker::LOCKED, SPLObjectLocker::LOCKED, SPLObjectLocker::LOCKED);
}

void* clientOf(std::size_t index) {
  return reinterpret_cast<void*>(static_cast<std::uintptr_t>(index + 1));
}

SPLSystem* buildSystem(const std::vector<Body>& bodies) {
  SPLSystem* system = createSystem();
  system->addVortex(gravity());
  system->addShape(shield());
  for (std::size_t i = 0; i < bodies.size(); ++i) {
    const Body& body = bodies[i];
    system->addShape(SPLSphere(body.radius, body.mass, SPLShape::SOLID, 0.0, body.position, body.velocity,
                               SPLVector(), 0.0, clientOf(i)));
  }
  return system;
}

void tearDown(SPLSystem* system) {
  while (!system->shapes().empty()) system->removeShape(system->shapes().back());
  while (!system->vortices().empty()) system->removeVortex(system->vortices().back());
  destroySystem(system);
}

std::size_t frame(SPLSystem& system) {
  system.beginFrame();
  system.stepMany(FRAME_SECONDS, STEPS_PER_FRAME);
  const std::size_t contacts = system.collisions().size() + system.overlaps().size();
  system.endFrame();
  return contacts;
}

}  // namespace splscene
