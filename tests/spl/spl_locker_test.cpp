#include "spltest.h"

namespace {

using spltest::expectFailure;
using spltest::sphere;

constexpr int UNLOCKED = SPLObjectLocker::UNLOCKED;
constexpr int X_LOCKED = SPLObjectLocker::X_LOCKED;
constexpr int Y_LOCKED = SPLObjectLocker::Y_LOCKED;
constexpr int LOCKED = SPLObjectLocker::LOCKED;

TEST(SPLObjectLocker, XLockedPositionKeepsXAndNamesTheLockerInItsEdges) {
  SPLObjectLocker locker(sphere(SPLVector(1.0, 2.0), 1.0), X_LOCKED, UNLOCKED, UNLOCKED);
  locker.setPosition(SPLVector(5.0, 7.0));
  EXPECT_EQ(locker.position(), SPLVector(1.0, 7.0));
  EXPECT_EQ(locker.bounds(), SPLRectangle(SPLInterval(0.0, 2.0), SPLInterval(6.0, 8.0)));
  const double values[] = {0.0, 2.0, 8.0, 6.0};
  for (int number = SPLShape::LEFT_EDGE; number <= SPLShape::BOTTOM_EDGE; ++number) {
    EXPECT_EQ(locker.edge(number).owner(), &locker);
    EXPECT_EQ(locker.edge(number).value(), values[number - 1]);
    EXPECT_EQ(locker.edge(number).kind(), locker.innerShape().edge(number).kind());
  }
}

TEST(SPLObjectLocker, EachLockOnEachVectorQuantity) {
  struct Case {
    int lock;
    SPLVector expected;  // from (1, 2) asked to become (5, 7)
  };
  const Case cases[] = {{UNLOCKED, SPLVector(5.0, 7.0)},
                        {X_LOCKED, SPLVector(1.0, 7.0)},
                        {Y_LOCKED, SPLVector(5.0, 2.0)},
                        {LOCKED, SPLVector(1.0, 2.0)}};
  const SPLVector start(1.0, 2.0);
  const SPLVector wanted(5.0, 7.0);
  const SPLSphere inner(1.0, 1.0, SPLShape::SOLID, 0.0, start, start, start, 0.0, nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lock);
    SPLObjectLocker position(inner, c.lock, UNLOCKED, UNLOCKED);
    SPLObjectLocker velocity(inner, UNLOCKED, c.lock, UNLOCKED);
    SPLObjectLocker force(inner, UNLOCKED, UNLOCKED, c.lock);
    position.setPosition(wanted);
    velocity.setVelocity(wanted);
    force.setForce(wanted);
    EXPECT_EQ(position.position(), c.expected);
    EXPECT_EQ(position.edge(SPLShape::LEFT_EDGE).value(), c.expected.x() - 1.0);
    EXPECT_EQ(velocity.velocity(), c.expected);
    EXPECT_EQ(force.force(), c.expected);
    EXPECT_EQ(force.acceleration(), c.expected);
    // The other two quantities are free in each locker.
    EXPECT_EQ(position.velocity(), start);
    EXPECT_EQ(velocity.position(), start);
  }
}

TEST(SPLObjectLocker, UnknownLockIsRefusedWhenAChangeIsMade) {
  for (const int lock : {0, 5}) {
    SCOPED_TRACE(lock);
    SPLObjectLocker locker(sphere(SPLVector()), lock, lock, lock);  // building it is fine
    expectFailure([&] { locker.setPosition(SPLVector(1.0, 1.0)); }, "Error", "Unknown lock.");
    expectFailure([&] { locker.setVelocity(SPLVector(1.0, 1.0)); }, "Error", "Unknown lock.");
    expectFailure([&] { locker.setForce(SPLVector(1.0, 1.0)); }, "Error", "Unknown lock.");
  }
}

TEST(SPLObjectLocker, PassesTheRestToItsCopyOfTheShape) {
  SPLSphere original = sphere(SPLVector(3.0, 4.0), 2.0);
  SPLObjectLocker locker(original, LOCKED, LOCKED, LOCKED);
  original.setRadius(50.0);  // the locker holds its own copy
  EXPECT_EQ(locker.radius(), 2.0);
  EXPECT_NE(&locker.innerShape(), &original);

  int client = 0;
  locker.setClient(&client);
  locker.setCreationTime(4.0);
  locker.setFriction(0.5);
  locker.setMass(3.0);
  locker.setSolidity(SPLShape::NON_SOLID);
  locker.setRadius(5.0);
  EXPECT_EQ(locker.client(), &client);
  EXPECT_EQ(locker.creationTime(), 4.0);
  EXPECT_EQ(locker.friction(), 0.5);
  EXPECT_EQ(locker.mass(), 3.0);
  EXPECT_EQ(locker.solidity(), SPLShape::NON_SOLID);
  EXPECT_EQ(locker.shapeClass(), SPLShape::SPHERE_CLASS);
  EXPECT_EQ(locker.bounds(), SPLRectangle(SPLInterval(-2.0, 8.0), SPLInterval(-1.0, 9.0)));
  EXPECT_EQ(locker.edge(SPLShape::TOP_EDGE).value(), 9.0);

  expectFailure([&] { locker.setWidth(1.0); }, "Error", "Spheres have no width.");
  expectFailure([&] { locker.width(); }, "Error", "Sheres have no width.");
  expectFailure([&] { locker.setHeight(1.0); }, "Error", "Spheres have no height.");
  expectFailure([&] { locker.height(); }, "Error", "Spheres have no height.");
  expectFailure([&] { locker.edge(0); }, "Error", "Unknown edge.");
  expectFailure([&] { locker.edge(5); }, "Error", "Unknown edge.");
}

TEST(SPLObjectLocker, CloneIsALockerWithTheSameLocksAndState) {
  SPLObjectLocker locker(sphere(SPLVector(1.0, 2.0)), X_LOCKED, Y_LOCKED, LOCKED);
  locker.setPosition(SPLVector(9.0, 9.0));
  SPLShape* copy = locker.clone();
  auto* copyLocker = dynamic_cast<SPLObjectLocker*>(copy);
  ASSERT_NE(copyLocker, nullptr);
  EXPECT_EQ(copyLocker->positionLock(), X_LOCKED);
  EXPECT_EQ(copyLocker->velocityLock(), Y_LOCKED);
  EXPECT_EQ(copyLocker->forceLock(), LOCKED);
  EXPECT_EQ(copy->position(), SPLVector(1.0, 9.0));
  EXPECT_EQ(copy->bounds(), locker.bounds());
  EXPECT_EQ(copy->edge(SPLShape::LEFT_EDGE).owner(), copy);
  copy->setPosition(SPLVector(7.0, 0.0));
  EXPECT_EQ(copy->position(), SPLVector(1.0, 0.0));
  EXPECT_EQ(locker.position(), SPLVector(1.0, 9.0));
  delete copy;
}

TEST(SPLObjectLocker, FullyLockedNeverMovesInASystem) {
  SPLSystem* system = createSystem();
  SPLSphere wall(10.0, 1.0, SPLShape::SOLID, 0.5, SPLVector(100.0, 0.0), SPLVector(), SPLVector(), 0.0,
                 nullptr);
  SPLShape* locked = system->addShape(SPLObjectLocker(wall, LOCKED, LOCKED, LOCKED));
  // A body overlapping it and flying into it, and a vortex pulling at both.
  SPLShape* ball =
      system->addShape(sphere(SPLVector(85.0, 0.0), 10.0, SPLShape::SOLID, 1.0, SPLVector(50.0, 0.0)));
  SPLVortex* pull = system->addVortex(SPLVortex(SPLVector(), SPLCoefficients(-15.0, 0.0, 0.0, 0.0),
                                                SPLCoefficients(3.0, 0.0, 0.0, 0.0), 1.0, 1000000.0));
  system->beginFrame();
  system->stepMany(1.0, 100);
  EXPECT_FALSE(system->collisions().empty());
  system->endFrame();
  EXPECT_EQ(locked->position(), SPLVector(100.0, 0.0));
  EXPECT_EQ(locked->velocity(), SPLVector());
  EXPECT_EQ(locked->force(), SPLVector());
  EXPECT_EQ(locked->edge(SPLShape::LEFT_EDGE).value(), 90.0);
  EXPECT_LT(ball->position().x(), 80.0);  // the ball alone was pushed off the wall
  system->removeVortex(pull);
  system->removeShape(ball);
  system->removeShape(locked);
  destroySystem(system);
}

}  // namespace
