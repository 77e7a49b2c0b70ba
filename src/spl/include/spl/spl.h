// SPL: the game's own 2D physics. Spheres and vortices live in systems that step them, find
// the pairs of shapes that touch, push apart and bounce the solid ones and report every contact.
//
// Everything is in doubles; the library has no units of its own. A system owns heap copies
// (made by clone) of the shapes and vortices handed to it and gives back plain pointers to
// those copies; the caller keeps whatever it passed in.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

class SPLVector {
 public:
  constexpr SPLVector() = default;
  constexpr SPLVector(double x, double y) : mX(x), mY(y) {}

  constexpr double x() const { return mX; }
  constexpr double y() const { return mY; }

  constexpr SPLVector operator+(const SPLVector& other) const { return {mX + other.mX, mY + other.mY}; }
  constexpr SPLVector operator-(const SPLVector& other) const { return {mX - other.mX, mY - other.mY}; }
  constexpr SPLVector operator-() const { return {-mX, -mY}; }
  constexpr SPLVector operator*(double s) const { return {s * mX, s * mY}; }
  constexpr SPLVector operator/(double s) const { return {mX / s, mY / s}; }
  constexpr bool operator==(const SPLVector& other) const = default;

  double length() const { return std::sqrt(mX * mX + mY * mY); }
  constexpr double squaredLength() const { return mX * mX + mY * mY; }
  // A zero vector has no direction; it stays (0, 0) rather than turning into NaNs that
  // would then spread through every body they touch.
  SPLVector unit() const {
    const double l = length();
    return l == 0.0 ? SPLVector() : *this / l;
  }
  // Counter-clockwise by angle radians.
  SPLVector rotated(double angle) const {
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    return {mX * c - mY * s, mY * c + mX * s};
  }

 private:
  double mX = 0.0;
  double mY = 0.0;
};

constexpr SPLVector operator*(double s, const SPLVector& v) {
  return v * s;
}
constexpr double dot(const SPLVector& a, const SPLVector& b) {
  return a.x() * b.x() + a.y() * b.y();
}
// The part of v along n; n need not be a unit vector. Nothing lies along a zero direction.
constexpr SPLVector projection(const SPLVector& v, const SPLVector& n) {
  const double nn = dot(n, n);
  return nn == 0.0 ? SPLVector() : n * (dot(v, n) / nn);
}
constexpr SPLVector fromTo(const SPLVector& from, const SPLVector& to) {
  return to - from;
}

class SPLInterval {
 public:
  constexpr SPLInterval() = default;
  constexpr SPLInterval(double low, double high) : mLow(low), mHigh(high) {}
  constexpr double low() const { return mLow; }
  constexpr double high() const { return mHigh; }
  constexpr bool operator==(const SPLInterval& other) const = default;

 private:
  double mLow = 0.0;
  double mHigh = 0.0;
};

// A shape's bounds: the x interval, then the y interval.
class SPLRectangle {
 public:
  constexpr SPLRectangle() = default;
  constexpr SPLRectangle(const SPLInterval& x, const SPLInterval& y) : mX(x), mY(y) {}
  constexpr const SPLInterval& x() const { return mX; }
  constexpr const SPLInterval& y() const { return mY; }
  constexpr bool operator==(const SPLRectangle& other) const = default;

 private:
  SPLInterval mX;
  SPLInterval mY;
};

// c0 + c1/r + c2/r^2 + c3/r^3 of a distance r.
class SPLCoefficients {
 public:
  constexpr SPLCoefficients() = default;
  constexpr SPLCoefficients(double c0, double c1, double c2, double c3)
      : mC0(c0), mC1(c1), mC2(c2), mC3(c3) {}

  void clear() { set(0.0, 0.0, 0.0, 0.0); }
  void set(double c0, double c1, double c2, double c3) {
    mC0 = c0;
    mC1 = c1;
    mC2 = c2;
    mC3 = c3;
  }
  double c0() const { return mC0; }
  double c1() const { return mC1; }
  double c2() const { return mC2; }
  double c3() const { return mC3; }
  double valueAt(double r) const { return mC0 + mC1 / r + mC2 / (r * r) + mC3 / (r * r * r); }

 private:
  double mC0 = 0.0;
  double mC1 = 0.0;
  double mC2 = 0.0;
  double mC3 = 0.0;
};

class SPLShape;

// One end of a shape's extent on one axis. The owner is the shape that reports the edge, which
// for a locker is the locker and not the shape it wraps.
class SPLEdge {
 public:
  static constexpr int NO_EDGE = 1;  // only while a shape is being built
  static constexpr int MIN_EDGE = 2;
  static constexpr int MAX_EDGE = 3;

  constexpr SPLEdge() = default;
  constexpr SPLEdge(int kind, SPLShape* owner, double value) : mKind(kind), mOwner(owner), mValue(value) {}

  constexpr int kind() const { return mKind; }
  constexpr SPLShape* owner() const { return mOwner; }
  constexpr double value() const { return mValue; }

 private:
  int mKind = NO_EDGE;
  SPLShape* mOwner = nullptr;
  double mValue = 0.0;
};

class SPLShape {
 public:
  // Edge numbers.
  static constexpr int LEFT_EDGE = 1;
  static constexpr int RIGHT_EDGE = 2;
  static constexpr int TOP_EDGE = 3;
  static constexpr int BOTTOM_EDGE = 4;
  // Shape classes; class 2 is kept for an axis-aligned box that does not exist yet.
  static constexpr int SPHERE_CLASS = 1;
  static constexpr int BOX_CLASS = 2;
  // Solidities: only contacts between two solid shapes are resolved, the rest are reported.
  static constexpr int SOLID = 1;
  static constexpr int NON_SOLID = 2;

  virtual ~SPLShape() = default;

  virtual void setClient(void* client) = 0;
  virtual void setCreationTime(double time) = 0;
  virtual void setForce(const SPLVector& force) = 0;
  virtual void setFriction(double friction) = 0;
  virtual void setHeight(double height) = 0;
  virtual void setMass(double mass) = 0;
  virtual void setPosition(const SPLVector& position) = 0;
  virtual void setRadius(double radius) = 0;
  virtual void setSolidity(int solidity) = 0;
  virtual void setVelocity(const SPLVector& velocity) = 0;
  virtual void setWidth(double width) = 0;
  virtual void integrate(double seconds) = 0;
  virtual const SPLVector& acceleration() const = 0;
  virtual void* client() const = 0;
  // A new heap copy; the caller owns it.
  virtual SPLShape* clone() const = 0;
  virtual double creationTime() const = 0;
  virtual const SPLEdge& edge(int number) const = 0;
  virtual const SPLVector& force() const = 0;
  virtual const SPLRectangle& bounds() const = 0;
  virtual double friction() const = 0;
  virtual double height() const = 0;
  virtual double mass() const = 0;
  virtual const SPLVector& position() const = 0;
  virtual double radius() const = 0;
  virtual int shapeClass() const = 0;
  virtual int solidity() const = 0;
  virtual const SPLVector& velocity() const = 0;
  virtual double width() const = 0;

 protected:
  SPLShape() = default;
  SPLShape(const SPLShape&) = default;
  SPLShape& operator=(const SPLShape&) = default;
};

class SPLSphere : public SPLShape {
 public:
  // The mass must be positive: the acceleration is force / mass.
  SPLSphere(double radius, double mass, int solidity, double friction, const SPLVector& position,
            const SPLVector& velocity, const SPLVector& force, double creationTime, void* client);
  // Copies would carry edges naming the original; clone() is the way to copy a sphere.
  SPLSphere(const SPLSphere&) = delete;
  SPLSphere& operator=(const SPLSphere&) = delete;

  void setClient(void* client) override;
  void setCreationTime(double time) override;
  void setForce(const SPLVector& force) override;
  void setFriction(double friction) override;
  void setHeight(double height) override;
  void setMass(double mass) override;
  void setPosition(const SPLVector& position) override;
  void setRadius(double radius) override;
  void setSolidity(int solidity) override;
  void setVelocity(const SPLVector& velocity) override;
  void setWidth(double width) override;
  // Constant acceleration over the step: v' = v + a dt, p' = p + dt (v + a dt / 2).
  void integrate(double seconds) override;
  const SPLVector& acceleration() const override;
  void* client() const override;
  SPLShape* clone() const override;
  double creationTime() const override;
  const SPLEdge& edge(int number) const override;
  const SPLVector& force() const override;
  const SPLRectangle& bounds() const override;
  double friction() const override;
  double height() const override;
  double mass() const override;
  const SPLVector& position() const override;
  double radius() const override;
  int shapeClass() const override;
  int solidity() const override;
  const SPLVector& velocity() const override;
  double width() const override;

 private:
  void refreshAcceleration();
  void refreshBounds();

  double mRadius;
  SPLVector mForce;
  SPLVector mAcceleration;
  SPLVector mVelocity;
  SPLVector mPosition;
  double mMass;
  int mSolidity;
  double mFriction;
  double mCreationTime;
  void* mClient;
  SPLRectangle mBounds;
  SPLEdge mEdges[4];
};

// A force field around a centre, acting on points between the minimum and the maximum
// distance (both ends included): a radial part (positive pushes away) and a tangential part
// (positive turns counter-clockwise), each a polynomial in 1/r.
class SPLVortex {
 public:
  SPLVortex(const SPLVector& centre, const SPLCoefficients& radialCoefficients,
            const SPLCoefficients& tangentialCoefficients, double minimumDistance, double maximumDistance);
  virtual ~SPLVortex() = default;

  virtual SPLVortex* clone() const;
  void setRadialCoefficients(const SPLCoefficients& coefficients);
  SPLVector radialForce(const SPLVector& point) const;
  SPLVector tangentialForce(const SPLVector& point) const;
  // Both parts together, for one range test instead of two.
  SPLVector force(const SPLVector& point) const;

  const SPLVector& centre() const { return mCentre; }
  const SPLCoefficients& radialCoefficients() const { return mRadialCoefficients; }
  const SPLCoefficients& tangentialCoefficients() const { return mTangentialCoefficients; }
  double minimumDistance() const { return mMinimumDistance; }
  double maximumDistance() const { return mMaximumDistance; }

 private:
  // The unit direction from the centre to the point and the distance, or false when the
  // point lies outside the vortex's range.
  bool reach(const SPLVector& point, SPLVector& direction, double& distance) const;

  SPLVector mCentre;
  SPLCoefficients mRadialCoefficients;
  SPLCoefficients mTangentialCoefficients;
  double mMinimumDistance;
  double mMaximumDistance;
};

// Wraps a copy of a shape and refuses some changes of its position, velocity and force; the
// game holds its shield in place with one.
class SPLObjectLocker : public SPLShape {
 public:
  static constexpr int UNLOCKED = 1;
  static constexpr int X_LOCKED = 2;  // x keeps its value, y may change
  static constexpr int Y_LOCKED = 3;  // y keeps its value, x may change
  static constexpr int LOCKED = 4;

  SPLObjectLocker(const SPLShape& shape, int positionLock, int velocityLock, int forceLock);
  ~SPLObjectLocker() override;
  SPLObjectLocker(const SPLObjectLocker&) = delete;
  SPLObjectLocker& operator=(const SPLObjectLocker&) = delete;

  void setClient(void* client) override;
  void setCreationTime(double time) override;
  void setForce(const SPLVector& force) override;
  void setFriction(double friction) override;
  void setHeight(double height) override;
  void setMass(double mass) override;
  void setPosition(const SPLVector& position) override;
  void setRadius(double radius) override;
  void setSolidity(int solidity) override;
  void setVelocity(const SPLVector& velocity) override;
  void setWidth(double width) override;
  void integrate(double seconds) override;
  const SPLVector& acceleration() const override;
  void* client() const override;
  SPLShape* clone() const override;
  double creationTime() const override;
  const SPLEdge& edge(int number) const override;
  const SPLVector& force() const override;
  const SPLRectangle& bounds() const override;
  double friction() const override;
  double height() const override;
  double mass() const override;
  const SPLVector& position() const override;
  double radius() const override;
  int shapeClass() const override;
  int solidity() const override;
  const SPLVector& velocity() const override;
  double width() const override;

  int positionLock() const { return mPositionLock; }
  int velocityLock() const { return mVelocityLock; }
  int forceLock() const { return mForceLock; }
  const SPLShape& innerShape() const { return *mShape; }

 private:
  void refresh();

  int mPositionLock;
  int mVelocityLock;
  int mForceLock;
  SPLShape* mShape;
  SPLRectangle mBounds;
  SPLEdge mEdges[4];
};

// Two shapes of a system that touched in a step; the system owns both.
class SPLPair {
 public:
  constexpr SPLPair(SPLShape* first, SPLShape* second) : mFirst(first), mSecond(second) {}
  constexpr SPLShape* first() const { return mFirst; }
  constexpr SPLShape* second() const { return mSecond; }
  constexpr bool operator==(const SPLPair& other) const = default;

 private:
  SPLShape* mFirst;
  SPLShape* mSecond;
};

class SPLSystem {
 public:
  static constexpr int X_AXIS = 1;
  static constexpr int Y_AXIS = 2;

  SPLSystem(const SPLSystem&) = delete;
  SPLSystem& operator=(const SPLSystem&) = delete;

  // Adds a clone of the shape, stamped with the system's time, and returns the clone, which is
  // the one to talk to from then on.
  SPLShape* addShape(const SPLShape& shape);
  // The shape must be one that addShape returned and that is still in this system. Pairs that
  // name it are dropped from the pair lists, which would otherwise point at freed memory.
  void removeShape(SPLShape* shape);
  SPLVortex* addVortex(const SPLVortex& vortex);
  void removeVortex(SPLVortex* vortex);

  // Frames nest; the pair lists gather every contact until the outermost frame ends.
  void beginFrame();
  void endFrame();
  void step(double seconds);
  // n equal steps that together last the given time.
  void stepMany(double seconds, int n);

  const std::vector<SPLPair>& collisions() const { return mCollisions; }
  const std::vector<SPLPair>& overlaps() const { return mOverlaps; }
  double time() const { return mTime; }
  int frameNesting() const { return mFrameNesting; }
  // In no meaningful order (they are sorted by address).
  const std::vector<SPLShape*>& shapes() const { return mShapes; }
  const std::vector<SPLVortex*>& vortices() const { return mVortices; }

  // The pieces a step is made of, open so that other contact searches can be measured
  // against the clustering on the same motion and the same contact rule.
  // Forces, drag, vortices and integration of every shape, and the clock.
  void moveShapes(double seconds);
  // The groups of shapes whose bounds overlap on both axes, found by sweeping the given axis
  // first; only shapes within one group can touch.
  std::vector<std::vector<SPLShape*>> clusters(const std::vector<SPLShape*>& shapes, int axis);
  // Resolves (both solid) or reports one pair of spheres.
  void testPair(SPLShape& first, SPLShape& second);

 private:
  friend SPLSystem* createSystem();
  friend void destroySystem(SPLSystem* system);

  // One end of a shape's extent on the axis being swept: its value as an integer that sorts
  // the same way; a label that follows the edge from step to step and level to level (twice
  // the shape's place in the system, plus one for the upper end); and its place among this
  // sweep's edges, lower ends first, which breaks ties.
  struct SweepEdge {
    std::uint64_t key;
    std::uint32_t label;
    std::uint32_t place;
  };
  // Scratch space for one depth of the cluster search, kept between steps so that a step
  // allocates nothing once the scene has settled.
  struct Level {
    std::vector<SweepEdge> edges;
    std::vector<SweepEdge> spare;
    std::vector<SPLShape*> owners;  // by place
    std::vector<SPLShape*> upperOwners;
    std::vector<SPLShape*> members;
    std::vector<std::uint32_t> memberLabels;  // each member's shape label
    std::vector<std::size_t> groupEnds;
    // The labels in the order the last sweep at this depth ended in. Bodies move little
    // between steps, so starting from it leaves little to sort.
    std::vector<std::uint32_t> lastOrder;
  };

  SPLSystem() = default;
  ~SPLSystem();

  // Where a large cluster keeps its spheres so that each one only looks at its neighbours.
  struct Grid {
    std::vector<int> heads;  // first member of each cell, -1 when empty
    std::vector<int> next;
    std::vector<int> previous;
    std::vector<int> cells;  // each member's cell, -1 for a large member
    std::vector<int> large;  // members too big for the cells, ascending
    std::vector<int> candidates;
    // Each member's centre and radius, kept up to date as pushes move them, so that the
    // search for neighbours reads them side by side.
    std::vector<double> xs;
    std::vector<double> ys;
    std::vector<double> radii;
    double originX = 0.0;
    double originY = 0.0;
    double cellSize = 0.0;
    double reach = 0.0;  // the largest radius kept in the cells
    int columns = 0;
    int rows = 0;
  };

  // Appends the clusters of shapes[0..count) to mClusterMembers / mClusterEnds.
  // labels: each shape's label, or null for the shapes' places in the list.
  void findClusters(SPLShape* const* shapes, const std::uint32_t* labels, std::size_t count, int axis,
                    std::size_t depth);
  void sortEdges(Level& level);
  // Every pair i < j of the cluster in order, as testPair would see them one after another.
  void testCluster(SPLShape* const* members, std::size_t count);
  bool testClusterOnGrid(SPLShape* const* members, std::size_t count);
  void gatherCandidates(const SPLVector& position, double radius, int after);
  int cellOf(const SPLVector& position) const;
  void link(int member, int cell);
  void unlink(int member);
  // True when the pair was pushed apart.
  bool resolvePair(SPLShape& first, SPLShape& second);

  std::vector<SPLShape*> mShapes;
  std::vector<SPLVortex*> mVortices;
  std::vector<SPLPair> mCollisions;
  std::vector<SPLPair> mOverlaps;
  double mTime = 0.0;
  int mFrameNesting = 0;

  std::deque<Level> mLevels;
  std::vector<SPLShape*> mClusterMembers;
  std::vector<std::size_t> mClusterEnds;
  std::vector<std::uint32_t> mSlots;   // by label: where that edge sits in the sweep
  std::vector<std::uint32_t> mStamps;  // by label: when mSlots was last written for it
  std::uint32_t mStamp = 0;
  Grid mGrid;
};

// The library keeps the set of live systems.
SPLSystem* createSystem();
// Remove the system's shapes and vortices first; any left over are deleted with it.
void destroySystem(SPLSystem* system);
bool systemIsLive(const SPLSystem* system);
