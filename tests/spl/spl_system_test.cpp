#include <algorithm>
#include <cmath>
#include <vector>

#include "spltest.h"

namespace {

using spltest::expectFailure;
using spltest::sphere;

class SPLSystemTest : public ::testing::Test {
 protected:
  void SetUp() override { system = createSystem(); }
  void TearDown() override {
    while (!system->shapes().empty()) system->removeShape(system->shapes().back());
    while (!system->vortices().empty()) system->removeVortex(system->vortices().back());
    destroySystem(system);
  }
  SPLShape* add(SPLVector position, int solidity = SPLShape::SOLID, double radius = 10.0) {
    return system->addShape(sphere(position, radius, solidity));
  }
  std::vector<SPLPair> pairs(std::initializer_list<SPLPair> list) { return list; }

  SPLSystem* system = nullptr;
};

// The two solid spheres of the worked example: radius 10 at (0, 0) and (15, 0), masses 1 and
// 3, the first moving at (4, 0). A step of no time leaves only the contact to act.
TEST_F(SPLSystemTest, SolidPairIsPushedApartAndBounced) {
  SPLShape* a =
      system->addShape(sphere(SPLVector(0.0, 0.0), 10.0, SPLShape::SOLID, 1.0, SPLVector(4.0, 0.0)));
  SPLShape* b = system->addShape(sphere(SPLVector(15.0, 0.0), 10.0, SPLShape::SOLID, 3.0));
  system->step(0.0);
  EXPECT_EQ(a->position(), SPLVector(-2.5, 0.0));
  EXPECT_EQ(b->position(), SPLVector(17.5, 0.0));
  EXPECT_EQ(a->velocity(), SPLVector(-2.0, 0.0));
  EXPECT_EQ(b->velocity(), SPLVector(2.0, 0.0));
  EXPECT_EQ(system->collisions(), pairs({{a, b}}));
  EXPECT_TRUE(system->overlaps().empty());
  // Momentum along the normal is kept: 1 x 4 before, 1 x -2 + 3 x 2 after.
  EXPECT_EQ(a->mass() * a->velocity().x() + b->mass() * b->velocity().x(), 4.0);
}

TEST_F(SPLSystemTest, PairWithANonSolidShapeIsOnlyReported) {
  const int solid = SPLShape::SOLID;
  const int ghost = SPLShape::NON_SOLID;
  const int cases[][2] = {{ghost, solid}, {solid, ghost}, {ghost, ghost}};
  for (const auto& c : cases) {
    SPLShape* a = system->addShape(sphere(SPLVector(0.0, 0.0), 10.0, c[0], 1.0, SPLVector(4.0, 0.0)));
    SPLShape* b = system->addShape(sphere(SPLVector(15.0, 0.0), 10.0, c[1], 3.0));
    system->step(0.0);
    EXPECT_EQ(a->position(), SPLVector(0.0, 0.0));
    EXPECT_EQ(b->position(), SPLVector(15.0, 0.0));
    EXPECT_EQ(a->velocity(), SPLVector(4.0, 0.0));
    EXPECT_EQ(system->overlaps(), pairs({{a, b}}));
    EXPECT_TRUE(system->collisions().empty());
    system->removeShape(a);
    system->removeShape(b);
  }
}

TEST_F(SPLSystemTest, TouchingIsNotAContact) {
  SPLShape* a = add(SPLVector(0.0, 0.0));
  SPLShape* b = add(SPLVector(20.0, 0.0));
  system->step(0.0);
  EXPECT_TRUE(system->collisions().empty());
  EXPECT_EQ(b->position(), SPLVector(20.0, 0.0));

  b->setPosition(SPLVector(std::nextafter(20.0, 0.0), 0.0));
  system->step(0.0);
  EXPECT_EQ(system->collisions(), pairs({{a, b}}));
}

TEST_F(SPLSystemTest, ThreeInALineFormOneClusterAndOnlyNeighboursMeet) {
  SPLShape* a = add(SPLVector(0.0, 0.0), SPLShape::NON_SOLID);
  SPLShape* c = add(SPLVector(30.0, 0.0), SPLShape::NON_SOLID);
  SPLShape* b = add(SPLVector(15.0, 0.0), SPLShape::NON_SOLID);
  const auto found = system->clusters(system->shapes(), SPLSystem::X_AXIS);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0], (std::vector<SPLShape*>{a, b, c}));
  system->step(0.0);
  EXPECT_EQ(system->overlaps(), pairs({{a, b}, {b, c}}));
}

TEST_F(SPLSystemTest, OverlapOnOneAxisOnlyIsNeverTested) {
  add(SPLVector(0.0, 0.0));
  add(SPLVector(5.0, 100.0));
  EXPECT_TRUE(system->clusters(system->shapes(), SPLSystem::X_AXIS).empty());
  EXPECT_TRUE(system->clusters(system->shapes(), SPLSystem::Y_AXIS).empty());
  system->step(0.0);
  EXPECT_TRUE(system->collisions().empty());
}

TEST_F(SPLSystemTest, ClustersSplitAlternatelyOnBothAxes) {
  // One column in x, which y splits into two pairs and a loner; a pair far to the right.
  SPLShape* top1 = add(SPLVector(0.0, 500.0));
  SPLShape* top2 = add(SPLVector(8.0, 515.0));
  SPLShape* bottom1 = add(SPLVector(4.0, 0.0));
  SPLShape* bottom2 = add(SPLVector(-5.0, 12.0));
  add(SPLVector(2.0, 250.0));
  SPLShape* right1 = add(SPLVector(1000.0, 0.0));
  SPLShape* right2 = add(SPLVector(1000.0, 19.0));
  const auto found = system->clusters(system->shapes(), SPLSystem::X_AXIS);
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(found[0], (std::vector<SPLShape*>{bottom1, bottom2}));
  EXPECT_EQ(found[1], (std::vector<SPLShape*>{top1, top2}));
  EXPECT_EQ(found[2], (std::vector<SPLShape*>{right1, right2}));
}

TEST_F(SPLSystemTest, SpheresOnOneCentreArePartedAlongX) {
  SPLShape* a =
      system->addShape(sphere(SPLVector(5.0, 5.0), 10.0, SPLShape::SOLID, 1.0, SPLVector(1.0, 2.0)));
  SPLShape* b = system->addShape(sphere(SPLVector(5.0, 5.0), 10.0, SPLShape::SOLID, 1.0));
  system->step(0.0);
  ASSERT_EQ(system->collisions().size(), 1u);
  const SPLPair& pair = system->collisions()[0];
  EXPECT_EQ(pair.first()->position(), SPLVector(-5.0, 5.0));
  EXPECT_EQ(pair.second()->position(), SPLVector(15.0, 5.0));
  // Equal masses swap their x velocities; y is across the normal and stays.
  EXPECT_EQ(a->velocity().y(), 2.0);
  EXPECT_EQ(a->velocity().x() + b->velocity().x(), 1.0);
  EXPECT_EQ(a->velocity().x() * b->velocity().x(), 0.0);
}

// A sphere that claims another class, or reports edges of another kind (0: its own edges).
class OddSphere : public SPLSphere {
 public:
  OddSphere(SPLVector position, int shapeClass, int edgeKind)
      : SPLSphere(10.0, 1.0, SOLID, 0.0, position, SPLVector(), SPLVector(), 0.0, nullptr),
        mClass(shapeClass),
        mEdgeKind(edgeKind) {}
  SPLShape* clone() const override { return new OddSphere(position(), mClass, mEdgeKind); }
  int shapeClass() const override { return mClass; }
  const SPLEdge& edge(int number) const override {
    const SPLEdge& real = SPLSphere::edge(number);
    if (mEdgeKind == 0) return real;
    mEdge = SPLEdge(mEdgeKind, real.owner(), real.value());
    return mEdge;
  }

 private:
  int mClass;
  int mEdgeKind;
  mutable SPLEdge mEdge;
};

TEST_F(SPLSystemTest, Errors) {
  add(SPLVector(0.0, 0.0));
  // A single shape forms no cluster, so the axis is never looked at.
  EXPECT_TRUE(system->clusters(system->shapes(), 3).empty());
  add(SPLVector(100.0, 0.0));
  expectFailure([&] { system->clusters(system->shapes(), 3); }, "Error", "Unknown axis.");
  expectFailure([&] { system->clusters(system->shapes(), 0); }, "Error", "Unknown axis.");

  SPLShape* odd = system->addShape(OddSphere(SPLVector(5.0, 0.0), SPLShape::SPHERE_CLASS, SPLEdge::NO_EDGE));
  expectFailure([&] { system->step(0.0); }, "Error", "Unknoen edge type.");
  system->removeShape(odd);

  // Another class is only refused when it meets something.
  odd = system->addShape(OddSphere(SPLVector(50.0, 300.0), SPLShape::BOX_CLASS, 0));
  EXPECT_NO_THROW(system->step(0.0));
  odd->setPosition(SPLVector(5.0, 0.0));
  expectFailure([&] { system->step(0.0); }, "Error", "Unknown Shape.");
}

TEST_F(SPLSystemTest, StepManyListsAPairOncePerStepUntilTheFrameEnds) {
  SPLShape* a = add(SPLVector(0.0, 0.0), SPLShape::NON_SOLID);
  SPLShape* b = add(SPLVector(5.0, 0.0), SPLShape::NON_SOLID);
  SPLShape* mover =
      system->addShape(sphere(SPLVector(500.0, 0.0), 1.0, SPLShape::SOLID, 1.0, SPLVector(1.0, 0.0)));
  system->beginFrame();
  system->stepMany(0.05, 5);
  EXPECT_EQ(system->overlaps(), pairs({{a, b}, {a, b}, {a, b}, {a, b}, {a, b}}));
  EXPECT_DOUBLE_EQ(system->time(), 0.05);
  EXPECT_DOUBLE_EQ(mover->position().x(), 500.05);
  system->endFrame();
  EXPECT_TRUE(system->overlaps().empty());

  system->stepMany(1.0, 0);  // no steps at all
  EXPECT_DOUBLE_EQ(system->time(), 0.05);
  EXPECT_TRUE(system->overlaps().empty());
}

TEST_F(SPLSystemTest, NestedFramesEmptyTheListsOnlyAtTheOutermostEnd) {
  SPLShape* a = add(SPLVector(0.0, 0.0), SPLShape::NON_SOLID);
  SPLShape* b = add(SPLVector(5.0, 0.0), SPLShape::NON_SOLID);
  system->beginFrame();
  system->beginFrame();
  system->step(0.01);
  system->endFrame();
  EXPECT_EQ(system->frameNesting(), 1);
  EXPECT_EQ(system->overlaps(), pairs({{a, b}}));
  system->step(0.01);
  EXPECT_EQ(system->overlaps().size(), 2u);
  system->endFrame();
  EXPECT_EQ(system->frameNesting(), 0);
  EXPECT_TRUE(system->overlaps().empty());
  expectFailure([&] { system->endFrame(); }, "Assertion failure",
                "\"Frame was begun.\" && (0 < mFrameNesting)");
  EXPECT_EQ(system->frameNesting(), 0);
}

TEST_F(SPLSystemTest, StepResetsForceThenAddsDragAndVorticesThenIntegrates) {
  SPLShape* s = system->addShape(SPLSphere(1.0, 2.0, SPLShape::SOLID, 0.5, SPLVector(10.0, 0.0),
                                           SPLVector(4.0, 0.0), SPLVector(), 0.0, nullptr));
  system->addVortex(
      SPLVortex(SPLVector(), SPLCoefficients(-6.0, 0.0, 0.0, 0.0), SPLCoefficients(), 1.0, 100.0));
  s->setForce(SPLVector(100.0, 100.0));  // wiped by the step
  system->step(0.5);
  // force = -0.5 x (4, 0) + (-6, 0); acceleration (-4, 0) over 0.5 s.
  EXPECT_EQ(s->force(), SPLVector(-8.0, 0.0));
  EXPECT_EQ(s->velocity(), SPLVector(2.0, 0.0));
  EXPECT_EQ(s->position(), SPLVector(11.5, 0.0));
  EXPECT_EQ(system->time(), 0.5);
}

TEST_F(SPLSystemTest, ShapesAndVorticesAreCopiesOwnedByTheSystem) {
  system->step(0.25);
  const SPLSphere mine = sphere(SPLVector(0.0, 0.0), 10.0, SPLShape::SOLID, 1.0, SPLVector(8.0, 0.0));
  SPLShape* ours = system->addShape(mine);
  EXPECT_NE(ours, &mine);
  EXPECT_EQ(ours->creationTime(), 0.25);
  EXPECT_EQ(mine.creationTime(), 0.0);
  const SPLVortex pull(SPLVector(), SPLCoefficients(-1.0, 0.0, 0.0, 0.0), SPLCoefficients(), 1.0, 100.0);
  SPLVortex* vortex = system->addVortex(pull);
  EXPECT_NE(vortex, &pull);
  system->step(1.0);
  EXPECT_EQ(mine.position(), SPLVector(0.0, 0.0));
  EXPECT_NE(ours->position(), SPLVector(0.0, 0.0));

  expectFailure([&] { system->removeShape(const_cast<SPLSphere*>(&mine)); }, "Assertion failure",
                "\"Shape belongs to the system.\" && found");
  expectFailure([&] { system->removeVortex(const_cast<SPLVortex*>(&pull)); }, "Assertion failure",
                "\"Vortex belongs to the system.\" && found");
  system->removeVortex(vortex);
  EXPECT_TRUE(system->vortices().empty());
}

TEST_F(SPLSystemTest, RemovingAShapeDropsThePairsThatNameIt) {
  SPLShape* a = add(SPLVector(0.0, 0.0), SPLShape::NON_SOLID);
  SPLShape* b = add(SPLVector(5.0, 0.0), SPLShape::NON_SOLID);
  SPLShape* c = add(SPLVector(300.0, 0.0));
  SPLShape* d = add(SPLVector(305.0, 0.0));
  system->beginFrame();
  system->step(0.0);
  EXPECT_EQ(system->overlaps().size(), 1u);
  EXPECT_EQ(system->collisions().size(), 1u);
  system->removeShape(b);
  system->removeShape(d);
  EXPECT_TRUE(system->overlaps().empty());
  EXPECT_TRUE(system->collisions().empty());
  system->endFrame();
  EXPECT_EQ(system->shapes().size(), 2u);
  EXPECT_NE(std::find(system->shapes().begin(), system->shapes().end(), a), system->shapes().end());
  EXPECT_NE(std::find(system->shapes().begin(), system->shapes().end(), c), system->shapes().end());
}

TEST(SPLSystemLibrary, KeepsTheSetOfLiveSystems) {
  SPLSystem* first = createSystem();
  SPLSystem* second = createSystem();
  EXPECT_TRUE(systemIsLive(first));
  EXPECT_TRUE(systemIsLive(second));
  EXPECT_EQ(first->time(), 0.0);
  EXPECT_EQ(first->frameNesting(), 0);
  destroySystem(first);
  EXPECT_TRUE(systemIsLive(second));
  // Shapes left behind go with their system (the leak check would notice otherwise).
  second->addShape(sphere(SPLVector()));
  second->addVortex(SPLVortex(SPLVector(), SPLCoefficients(), SPLCoefficients(), 1.0, 2.0));
  destroySystem(second);
}

}  // namespace
