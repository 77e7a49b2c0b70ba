#include <cmath>
#include <numbers>

#include "spltest.h"

namespace {

using spltest::expectFailure;

TEST(SPLVector, Operations) {
  const SPLVector a(3.0, 4.0);
  const SPLVector b(1.0, -2.0);
  EXPECT_EQ(a + b, SPLVector(4.0, 2.0));
  EXPECT_EQ(a - b, SPLVector(2.0, 6.0));
  EXPECT_EQ(-a, SPLVector(-3.0, -4.0));
  EXPECT_EQ(a * 2.0, SPLVector(6.0, 8.0));
  EXPECT_EQ(2.0 * a, SPLVector(6.0, 8.0));
  EXPECT_EQ(a / 2.0, SPLVector(1.5, 2.0));
  EXPECT_EQ(dot(a, b), -5.0);
  EXPECT_EQ(a.length(), 5.0);
  EXPECT_EQ(a.squaredLength(), 25.0);
  EXPECT_EQ(a.unit(), SPLVector(0.6, 0.8));
  EXPECT_EQ(fromTo(a, b), SPLVector(-2.0, -6.0));
  // The direction need not be a unit vector.
  EXPECT_EQ(projection(a, SPLVector(0.0, 10.0)), SPLVector(0.0, 4.0));
  EXPECT_EQ(projection(a, SPLVector(2.0, 0.0)), SPLVector(3.0, 0.0));
  const SPLVector turned = SPLVector(1.0, 0.0).rotated(std::numbers::pi / 2.0);
  EXPECT_NEAR(turned.x(), 0.0, 1e-15);
  EXPECT_NEAR(turned.y(), 1.0, 1e-15);
  const SPLVector half = a.rotated(std::numbers::pi);
  EXPECT_NEAR(half.x(), -3.0, 1e-15);
  EXPECT_NEAR(half.y(), -4.0, 1e-15);
}

TEST(SPLVector, ZeroDirectionsGiveZeroNotNaN) {
  EXPECT_EQ(SPLVector().unit(), SPLVector());
  EXPECT_EQ(projection(SPLVector(3.0, 4.0), SPLVector()), SPLVector());
}

TEST(SPLCoefficients, PolynomialInTheInverseDistance) {
  SPLCoefficients c(1.0, 2.0, 4.0, 8.0);
  EXPECT_EQ(c.valueAt(2.0), 4.0);  // 1 + 1 + 1 + 1
  c.set(3.0, 0.0, 0.0, 9.0);
  EXPECT_EQ(c.valueAt(3.0), 3.0 + 9.0 / 27.0);
  c.clear();
  EXPECT_EQ(c.valueAt(0.5), 0.0);
}

TEST(SPLSphere, BoundsAndEdges) {
  SPLSphere s = spltest::sphere(SPLVector(10.0, 20.0), 5.0);
  EXPECT_EQ(s.bounds(), SPLRectangle(SPLInterval(5.0, 15.0), SPLInterval(15.0, 25.0)));
  const double values[] = {5.0, 15.0, 25.0, 15.0};
  const int kinds[] = {SPLEdge::MIN_EDGE, SPLEdge::MAX_EDGE, SPLEdge::MAX_EDGE, SPLEdge::MIN_EDGE};
  for (int number = SPLShape::LEFT_EDGE; number <= SPLShape::BOTTOM_EDGE; ++number) {
    SCOPED_TRACE(number);
    EXPECT_EQ(s.edge(number).value(), values[number - 1]);
    EXPECT_EQ(s.edge(number).kind(), kinds[number - 1]);
    EXPECT_EQ(s.edge(number).owner(), &s);
  }
  EXPECT_EQ(s.shapeClass(), SPLShape::SPHERE_CLASS);

  // Moving and growing refresh them; a new velocity does not touch them.
  s.setPosition(SPLVector(0.0, 0.0));
  s.setRadius(2.0);
  s.setVelocity(SPLVector(100.0, 100.0));
  EXPECT_EQ(s.bounds(), SPLRectangle(SPLInterval(-2.0, 2.0), SPLInterval(-2.0, 2.0)));
  EXPECT_EQ(s.edge(SPLShape::TOP_EDGE).value(), 2.0);
  EXPECT_EQ(s.edge(SPLShape::LEFT_EDGE).value(), -2.0);
}

TEST(SPLSphere, IntegrateUnderConstantAcceleration) {
  SPLSphere s(1.0, 2.0, SPLShape::SOLID, 0.0, SPLVector(3.0, 4.0), SPLVector(1.0, 0.0), SPLVector(2.0, 0.0),
              0.0, nullptr);
  s.integrate(0.5);
  EXPECT_EQ(s.velocity(), SPLVector(1.5, 0.0));
  EXPECT_EQ(s.position(), SPLVector(3.625, 4.0));  // 0.5 x (1 + 0.25)
  EXPECT_EQ(s.force(), SPLVector(2.0, 0.0));
  EXPECT_EQ(s.acceleration(), SPLVector(1.0, 0.0));
  EXPECT_EQ(s.edge(SPLShape::RIGHT_EDGE).value(), 4.625);
}

TEST(SPLSphere, AccelerationFollowsForceAndMass) {
  SPLSphere s = spltest::sphere(SPLVector(), 1.0, SPLShape::SOLID, 2.0);
  s.setForce(SPLVector(4.0, -2.0));
  EXPECT_EQ(s.acceleration(), SPLVector(2.0, -1.0));
  s.setMass(4.0);
  EXPECT_EQ(s.acceleration(), SPLVector(1.0, -0.5));
  const SPLRectangle before = s.bounds();
  s.setVelocity(SPLVector(7.0, 7.0));
  EXPECT_EQ(s.acceleration(), SPLVector(1.0, -0.5));
  EXPECT_EQ(s.bounds(), before);
}

TEST(SPLSphere, Errors) {
  SPLSphere s = spltest::sphere(SPLVector());
  expectFailure([&] { s.edge(0); }, "Error", "Unknown edge.");
  expectFailure([&] { s.edge(5); }, "Error", "Unknown edge.");
  expectFailure([&] { s.setWidth(1.0); }, "Error", "Spheres have no width.");
  expectFailure([&] { s.width(); }, "Error", "Sheres have no width.");
  expectFailure([&] { s.setHeight(1.0); }, "Error", "Spheres have no height.");
  expectFailure([&] { s.height(); }, "Error", "Spheres have no height.");
}

TEST(SPLSphere, RefusesMassThatIsNotPositive) {
  for (const double mass : {0.0, -1.0, std::nan("")}) {
    SCOPED_TRACE(mass);
    expectFailure([&] { spltest::sphere(SPLVector(), 1.0, SPLShape::SOLID, mass); }, "Assertion failure",
                  "\"Mass is positive.\" && (0.0 < mass)");
    SPLSphere s = spltest::sphere(SPLVector());
    expectFailure([&] { s.setMass(mass); }, "Assertion failure", "\"Mass is positive.\" && (0.0 < mass)");
    EXPECT_EQ(s.mass(), 1.0);
  }
}

TEST(SPLSphere, CloneCarriesEverything) {
  int client = 0;
  SPLSphere s(5.0, 2.0, SPLShape::NON_SOLID, 0.25, SPLVector(1.0, 2.0), SPLVector(3.0, 4.0),
              SPLVector(6.0, 8.0), 7.5, &client);
  s.setPosition(SPLVector(10.0, 20.0));
  const SPLShape* copy = s.clone();
  EXPECT_EQ(copy->radius(), 5.0);
  EXPECT_EQ(copy->mass(), 2.0);
  EXPECT_EQ(copy->solidity(), SPLShape::NON_SOLID);
  EXPECT_EQ(copy->friction(), 0.25);
  EXPECT_EQ(copy->position(), SPLVector(10.0, 20.0));
  EXPECT_EQ(copy->velocity(), SPLVector(3.0, 4.0));
  EXPECT_EQ(copy->force(), SPLVector(6.0, 8.0));
  EXPECT_EQ(copy->acceleration(), SPLVector(3.0, 4.0));
  EXPECT_EQ(copy->creationTime(), 7.5);
  EXPECT_EQ(copy->client(), &client);
  EXPECT_EQ(copy->bounds(), s.bounds());
  for (int number = SPLShape::LEFT_EDGE; number <= SPLShape::BOTTOM_EDGE; ++number) {
    EXPECT_EQ(copy->edge(number).value(), s.edge(number).value());
    EXPECT_EQ(copy->edge(number).kind(), s.edge(number).kind());
    EXPECT_EQ(copy->edge(number).owner(), copy);
  }
  delete copy;
}

TEST(SPLVortex, GravityExample) {
  const SPLVortex v(SPLVector(), SPLCoefficients(-15.0, 0.0, 0.0, 0.0), SPLCoefficients(1.0, 0.0, 0.0, 0.0),
                    1.0, 1000000.0);
  const SPLVector radial = v.radialForce(SPLVector(3.0, 4.0));
  EXPECT_DOUBLE_EQ(radial.x(), -9.0);
  EXPECT_DOUBLE_EQ(radial.y(), -12.0);
  const SPLVector tangential = v.tangentialForce(SPLVector(3.0, 4.0));
  EXPECT_DOUBLE_EQ(tangential.x(), -0.8);
  EXPECT_DOUBLE_EQ(tangential.y(), 0.6);
  EXPECT_EQ(v.force(SPLVector(3.0, 4.0)), radial + tangential);
}

TEST(SPLVortex, RangeIncludesBothEnds) {
  // Range 2 to 10, a pull of 1 and a turn of 1 wherever it acts.
  const SPLVortex v(SPLVector(), SPLCoefficients(-1.0, 0.0, 0.0, 0.0), SPLCoefficients(1.0, 0.0, 0.0, 0.0),
                    2.0, 10.0);
  struct Case {
    double distance;
    bool inside;
  };
  const Case cases[] = {{2.0, true},  {std::nextafter(2.0, 0.0), false},
                        {10.0, true}, {std::nextafter(10.0, 20.0), false},
                        {5.0, true},  {0.0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.distance);
    const SPLVector point(0.0, c.distance);
    EXPECT_EQ(v.radialForce(point), c.inside ? SPLVector(0.0, -1.0) : SPLVector());
    EXPECT_EQ(v.tangentialForce(point), c.inside ? SPLVector(-1.0, 0.0) : SPLVector());
  }
}

TEST(SPLVortex, CentreItselfFeelsNoForceEvenWithNoMinimum) {
  const SPLVortex v(SPLVector(2.0, 3.0), SPLCoefficients(-15.0, 1.0, 0.0, 0.0),
                    SPLCoefficients(1.0, 0.0, 0.0, 0.0), 0.0, 100.0);
  EXPECT_EQ(v.radialForce(SPLVector(2.0, 3.0)), SPLVector());
  EXPECT_EQ(v.tangentialForce(SPLVector(2.0, 3.0)), SPLVector());
}

TEST(SPLVortex, CloneAndNewRadialCoefficients) {
  SPLVortex v(SPLVector(), SPLCoefficients(-15.0, 0.0, 0.0, 0.0), SPLCoefficients(), 1.0, 100.0);
  const SPLVortex* copy = v.clone();
  v.setRadialCoefficients(SPLCoefficients(0.0, 10.0, 0.0, 0.0));
  EXPECT_EQ(v.radialForce(SPLVector(5.0, 0.0)), SPLVector(2.0, 0.0));
  EXPECT_EQ(copy->radialForce(SPLVector(5.0, 0.0)), SPLVector(-15.0, 0.0));
  EXPECT_EQ(copy->minimumDistance(), 1.0);
  EXPECT_EQ(copy->maximumDistance(), 100.0);
  delete copy;
}

}  // namespace
