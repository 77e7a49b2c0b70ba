#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "splscene.h"
#include "spltest.h"

namespace {

using ClientPairs = std::vector<std::pair<void*, void*>>;

ClientPairs clientPairs(const std::vector<SPLPair>& pairs) {
  ClientPairs result;
  for (const SPLPair& pair : pairs) result.emplace_back(pair.first()->client(), pair.second()->client());
  return result;
}

std::map<void*, const SPLShape*> byClient(const SPLSystem& system) {
  std::map<void*, const SPLShape*> result;
  for (const SPLShape* shape : system.shapes()) result[shape->client()] = shape;
  return result;
}

bool sameBits(const SPLVector& a, const SPLVector& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Every body of one system sits where its twin in the other does, to the last bit.
void expectSameState(const SPLSystem& one, const SPLSystem& other) {
  const auto mine = byClient(one);
  const auto theirs = byClient(other);
  ASSERT_EQ(mine.size(), theirs.size());
  for (const auto& [client, shape] : mine) {
    const SPLShape* twin = theirs.at(client);
    EXPECT_TRUE(sameBits(shape->position(), twin->position())) << client;
    EXPECT_TRUE(sameBits(shape->velocity(), twin->velocity())) << client;
  }
}

// The scene's bodies squeezed towards the centre so that they overlap in heaps.
std::vector<splscene::Body> crowdedBodies(int count) {
  auto bodies = splscene::makeBodies(count, 7);
  for (auto& body : bodies) body.position = body.position * 0.4;
  return bodies;
}

TEST(SPLScene, BodiesFillTheRingWithoutOverlap) {
  const auto bodies = splscene::makeBodies(100);
  ASSERT_EQ(bodies.size(), 100u);
  EXPECT_EQ(splscene::ringOuterRadius(100), splscene::RING_OUTER);
  const double radii[] = {20.0, 40.0, 80.0};
  const double masses[] = {4.0, 5.0, 6.0};
  for (std::size_t i = 0; i < bodies.size(); ++i) {
    EXPECT_EQ(bodies[i].radius, radii[i % 3]);
    EXPECT_EQ(bodies[i].mass, masses[i % 3]);
    const double distance = bodies[i].position.length();
    EXPECT_GE(distance - bodies[i].radius, splscene::RING_INNER);
    EXPECT_LE(distance + bodies[i].radius, splscene::RING_OUTER);
    EXPECT_LE(bodies[i].velocity.length(), 40.0);
    for (std::size_t j = i + 1; j < bodies.size(); ++j) {
      EXPECT_GE((bodies[i].position - bodies[j].position).length(), bodies[i].radius + bodies[j].radius);
    }
  }
  const auto again = splscene::makeBodies(100);
  EXPECT_TRUE(sameBits(again[57].position, bodies[57].position));
  EXPECT_FALSE(sameBits(splscene::makeBodies(100, 2)[57].position, bodies[57].position));
  // A larger field keeps the crowding by growing outwards.
  EXPECT_GT(splscene::ringOuterRadius(1000), 3.0 * splscene::RING_OUTER);
}

TEST(SPLScene, SystemHoldsGravityShieldAndBodies) {
  SPLSystem* system = splscene::buildSystem(splscene::makeBodies(30));
  EXPECT_EQ(system->shapes().size(), 31u);
  ASSERT_EQ(system->vortices().size(), 1u);
  const SPLVortex& gravity = *system->vortices()[0];
  EXPECT_EQ(gravity.radialForce(SPLVector(0.0, 500.0)), SPLVector(0.0, -15.0));
  EXPECT_EQ(gravity.minimumDistance(), 1.0);
  EXPECT_EQ(gravity.maximumDistance(), 1000000.0);
  const SPLShape* shield = byClient(*system).at(nullptr);
  EXPECT_EQ(shield->radius(), 200.0);
  EXPECT_EQ(shield->solidity(), SPLShape::NON_SOLID);
  for (int i = 0; i < 120; ++i) splscene::frame(*system);
  EXPECT_EQ(shield->position(), SPLVector());
  EXPECT_NEAR(system->time(), 2.0, 1e-12);
  splscene::tearDown(system);
}

TEST(SPLScene, SameStartSameRunToTheLastBit) {
  const auto bodies = crowdedBodies(200);
  SPLSystem* one = splscene::buildSystem(bodies);
  SPLSystem* other = splscene::buildSystem(bodies);
  std::size_t contacts = 0;
  for (int frame = 0; frame < 120; ++frame) {
    for (SPLSystem* system : {one, other}) {
      system->beginFrame();
      system->stepMany(splscene::FRAME_SECONDS, splscene::STEPS_PER_FRAME);
    }
    ASSERT_EQ(clientPairs(one->collisions()), clientPairs(other->collisions())) << frame;
    ASSERT_EQ(clientPairs(one->overlaps()), clientPairs(other->overlaps())) << frame;
    contacts += one->collisions().size();
    one->endFrame();
    other->endFrame();
  }
  EXPECT_GT(contacts, 100u);
  expectSameState(*one, *other);
  splscene::tearDown(one);
  splscene::tearDown(other);
}

// A heap large enough that the step lays its clusters out on a grid; it must come to exactly
// what testing every pair of every cluster in order comes to.
TEST(SPLScene, LargeClustersGiveWhatEveryPairInOrderGives) {
  const auto bodies = crowdedBodies(300);
  SPLSystem* fast = splscene::buildSystem(bodies);
  SPLSystem* plain = splscene::buildSystem(bodies);
  std::size_t largest = 0;
  for (int step = 0; step < 40; ++step) {
    fast->step(0.01);
    plain->moveShapes(0.01);
    for (const auto& cluster : plain->clusters(plain->shapes(), SPLSystem::X_AXIS)) {
      largest = std::max(largest, cluster.size());
      for (std::size_t i = 0; i < cluster.size(); ++i) {
        for (std::size_t j = i + 1; j < cluster.size(); ++j) plain->testPair(*cluster[i], *cluster[j]);
      }
    }
    ASSERT_EQ(clientPairs(fast->collisions()), clientPairs(plain->collisions())) << step;
    ASSERT_EQ(clientPairs(fast->overlaps()), clientPairs(plain->overlaps())) << step;
  }
  EXPECT_GE(largest, 100u);
  EXPECT_GT(fast->collisions().size(), 1000u);
  expectSameState(*fast, *plain);
  splscene::tearDown(fast);
  splscene::tearDown(plain);
}

std::vector<std::vector<void*>> clientClusters(SPLSystem& system) {
  std::vector<std::vector<void*>> result;
  for (const auto& cluster : system.clusters(system.shapes(), SPLSystem::X_AXIS)) {
    result.emplace_back();
    for (const SPLShape* shape : cluster) result.back().push_back(shape->client());
  }
  return result;
}

// A system remembers how its last sweeps ended to sort the next ones faster; what it finds
// must not depend on that memory, also when everything has moved at once.
TEST(SPLScene, ClustersDoNotDependOnEarlierSteps) {
  SPLSystem* system = splscene::buildSystem(crowdedBodies(300));
  for (int step = 0; step < 30; ++step) {
    system->step(0.01);
    if (step == 20) {
      for (SPLShape* shape : system->shapes()) {
        shape->setPosition(SPLVector(-shape->position().y(), shape->position().x()));
      }
    }
    SPLSystem* fresh = createSystem();
    for (const SPLShape* shape : system->shapes()) fresh->addShape(*shape);
    ASSERT_EQ(clientClusters(*system), clientClusters(*fresh)) << step;
    splscene::tearDown(fresh);
  }
  splscene::tearDown(system);
}

TEST(SPLScene, EveryTouchingPairSharesACluster) {
  SPLSystem* system = splscene::buildSystem(crowdedBodies(300));
  std::map<const SPLShape*, std::size_t> clusterOf;
  const auto clusters = system->clusters(system->shapes(), SPLSystem::X_AXIS);
  for (std::size_t c = 0; c < clusters.size(); ++c) {
    for (const SPLShape* shape : clusters[c]) clusterOf[shape] = c;
  }
  std::size_t touching = 0;
  const auto& shapes = system->shapes();
  for (std::size_t i = 0; i < shapes.size(); ++i) {
    for (std::size_t j = i + 1; j < shapes.size(); ++j) {
      const double distance = (shapes[i]->position() - shapes[j]->position()).length();
      if (distance >= shapes[i]->radius() + shapes[j]->radius()) continue;
      ++touching;
      ASSERT_TRUE(clusterOf.contains(shapes[i]) && clusterOf.contains(shapes[j]));
      EXPECT_EQ(clusterOf[shapes[i]], clusterOf[shapes[j]]);
    }
  }
  EXPECT_GT(touching, 100u);
  splscene::tearDown(system);
}

}  // namespace
