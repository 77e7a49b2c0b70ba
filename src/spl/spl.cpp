#include "spl/spl.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <new>

#include "dbg/dbg.h"

DBG_SOURCE("spl");

namespace {

// The shape and vortex sets are sorted by address, so membership is found by halving.
template <typename T>
void insertSorted(std::vector<T*>& set, T* item) {
  set.insert(std::lower_bound(set.begin(), set.end(), item, std::less<T*>()), item);
}

template <typename T>
bool eraseSorted(std::vector<T*>& set, T* item) {
  const auto at = std::lower_bound(set.begin(), set.end(), item, std::less<T*>());
  if (at == set.end() || *at != item) return false;
  set.erase(at);
  return true;
}

std::vector<const SPLSystem*>& liveSystems() {
  static std::vector<const SPLSystem*> systems;
  return systems;
}

// What a locked vector quantity becomes when asked to change to `wanted`; false when it keeps
// its value altogether.
bool lockedValue(int lock, const SPLVector& wanted, const SPLVector& current, SPLVector& result) {
  switch (lock) {
    case SPLObjectLocker::UNLOCKED:
      result = wanted;
      return true;
    case SPLObjectLocker::X_LOCKED:
      result = SPLVector(current.x(), wanted.y());
      return true;
    case SPLObjectLocker::Y_LOCKED:
      result = SPLVector(wanted.x(), current.y());
      return true;
    case SPLObjectLocker::LOCKED:
      return false;
    default:
      DBG_ERROR("Unknown lock.");
  }
}

// An integer that sorts as the value does: -0 as 0, NaN (which has no place in an order)
// after everything else.
std::uint64_t sortKey(double value) {
  if (std::isnan(value)) value = std::numeric_limits<double>::infinity();
  value += 0.0;
  const auto bits = std::bit_cast<std::uint64_t>(value);
  return (bits >> 63) != 0 ? ~bits : bits | (std::uint64_t{1} << 63);
}

// Stable by key: insertion for a few, otherwise a byte-wise radix sort, which costs a fixed
// number of passes where a comparison sort would grow with the logarithm of the count.
template <typename Item>
void stableSort(std::vector<Item>& items, std::vector<Item>& spare) {
  const std::size_t n = items.size();
  if (n < 64) {
    for (std::size_t i = 1; i < n; ++i) {
      const Item item = items[i];
      std::size_t j = i;
      for (; j > 0 && item.key < items[j - 1].key; --j) items[j] = items[j - 1];
      items[j] = item;
    }
    return;
  }
  std::uint32_t counts[8][256] = {};
  for (const Item& item : items) {
    for (int byte = 0; byte < 8; ++byte) ++counts[byte][(item.key >> (8 * byte)) & 0xFF];
  }
  spare.resize(n);
  for (int byte = 0; byte < 8; ++byte) {
    std::uint32_t* count = counts[byte];
    const int shift = 8 * byte;
    if (count[(items[0].key >> shift) & 0xFF] == n) continue;  // every key shares this byte
    std::uint32_t sum = 0;
    for (int digit = 0; digit < 256; ++digit) {
      const std::uint32_t c = count[digit];
      count[digit] = sum;
      sum += c;
    }
    for (const Item& item : items) spare[count[(item.key >> shift) & 0xFF]++] = item;
    items.swap(spare);
  }
}

// Below this size a cluster is cheaper to test pair by pair than to lay out on a grid.
constexpr std::size_t GRID_CLUSTER_SIZE = 32;

}  // namespace

// ---------------------------------------------------------------------------------------------
// Sphere

SPLSphere::SPLSphere(double radius, double mass, int solidity, double friction, const SPLVector& position,
                     const SPLVector& velocity, const SPLVector& force, double creationTime, void* client)
    : mRadius(radius),
      mForce(force),
      mVelocity(velocity),
      mPosition(position),
      mMass(mass),
      mSolidity(solidity),
      mFriction(friction),
      mCreationTime(creationTime),
      mClient(client) {
  // A massless body would accelerate without bound and poison its neighbours with NaNs.
  DBG_ASSERT("Mass is positive." && (0.0 < mass));
  refreshAcceleration();
  refreshBounds();
}

void SPLSphere::refreshAcceleration() {
  mAcceleration = mForce / mMass;
}

void SPLSphere::refreshBounds() {
  const double left = mPosition.x() - mRadius;
  const double bottom = mPosition.y() - mRadius;
  mBounds =
      SPLRectangle(SPLInterval(left, left + 2.0 * mRadius), SPLInterval(bottom, bottom + 2.0 * mRadius));
  mEdges[LEFT_EDGE - 1] = SPLEdge(SPLEdge::MIN_EDGE, this, left);
  mEdges[RIGHT_EDGE - 1] = SPLEdge(SPLEdge::MAX_EDGE, this, mBounds.x().high());
  mEdges[TOP_EDGE - 1] = SPLEdge(SPLEdge::MAX_EDGE, this, mBounds.y().high());
  mEdges[BOTTOM_EDGE - 1] = SPLEdge(SPLEdge::MIN_EDGE, this, bottom);
}

void SPLSphere::setClient(void* client) {
  mClient = client;
}
void SPLSphere::setCreationTime(double time) {
  mCreationTime = time;
}

void SPLSphere::setForce(const SPLVector& force) {
  mForce = force;
  refreshAcceleration();
}

void SPLSphere::setFriction(double friction) {
  mFriction = friction;
}
void SPLSphere::setHeight(double) {
  DBG_ERROR("Spheres have no height.");
}

void SPLSphere::setMass(double mass) {
  DBG_ASSERT("Mass is positive." && (0.0 < mass));
  mMass = mass;
  refreshAcceleration();
}

void SPLSphere::setPosition(const SPLVector& position) {
  mPosition = position;
  refreshBounds();
}

void SPLSphere::setRadius(double radius) {
  mRadius = radius;
  refreshBounds();
}

void SPLSphere::setSolidity(int solidity) {
  mSolidity = solidity;
}
void SPLSphere::setVelocity(const SPLVector& velocity) {
  mVelocity = velocity;
}
void SPLSphere::setWidth(double) {
  DBG_ERROR("Spheres have no width.");
}

void SPLSphere::integrate(double seconds) {
  const SPLVector a = mAcceleration;
  const SPLVector v = mVelocity;
  mVelocity = v + a * seconds;
  mPosition = mPosition + seconds * (v + 0.5 * a * seconds);
  refreshBounds();
}

const SPLVector& SPLSphere::acceleration() const {
  return mAcceleration;
}
void* SPLSphere::client() const {
  return mClient;
}

SPLShape* SPLSphere::clone() const {
  SPLSphere* sphere = new (std::nothrow)
      SPLSphere(mRadius, mMass, mSolidity, mFriction, mPosition, mVelocity, mForce, mCreationTime, mClient);
  DBG_ASSERT("Sphere created successfully." && sphere);
  return sphere;
}

double SPLSphere::creationTime() const {
  return mCreationTime;
}

const SPLEdge& SPLSphere::edge(int number) const {
  switch (number) {
    case LEFT_EDGE:
    case RIGHT_EDGE:
    case TOP_EDGE:
    case BOTTOM_EDGE:
      return mEdges[number - 1];
    default:
      DBG_ERROR("Unknown edge.");
  }
}

const SPLVector& SPLSphere::force() const {
  return mForce;
}
const SPLRectangle& SPLSphere::bounds() const {
  return mBounds;
}
double SPLSphere::friction() const {
  return mFriction;
}
double SPLSphere::height() const {
  DBG_ERROR("Spheres have no height.");
}
double SPLSphere::mass() const {
  return mMass;
}
const SPLVector& SPLSphere::position() const {
  return mPosition;
}
double SPLSphere::radius() const {
  return mRadius;
}
int SPLSphere::shapeClass() const {
  return SPHERE_CLASS;
}
int SPLSphere::solidity() const {
  return mSolidity;
}
const SPLVector& SPLSphere::velocity() const {
  return mVelocity;
}
double SPLSphere::width() const {
  DBG_ERROR("Sheres have no width.");
}

// ---------------------------------------------------------------------------------------------
// Vortex

SPLVortex::SPLVortex(const SPLVector& centre, const SPLCoefficients& radialCoefficients,
                     const SPLCoefficients& tangentialCoefficients, double minimumDistance,
                     double maximumDistance)
    : mCentre(centre),
      mRadialCoefficients(radialCoefficients),
      mTangentialCoefficients(tangentialCoefficients),
      mMinimumDistance(minimumDistance),
      mMaximumDistance(maximumDistance) {}

SPLVortex* SPLVortex::clone() const {
  SPLVortex* vortex = new (std::nothrow) SPLVortex(*this);
  DBG_ASSERT("Vortex created successfully." && vortex);
  return vortex;
}

void SPLVortex::setRadialCoefficients(const SPLCoefficients& coefficients) {
  mRadialCoefficients = coefficients;
}

bool SPLVortex::reach(const SPLVector& point, SPLVector& direction, double& distance) const {
  const SPLVector d = fromTo(mCentre, point);
  const double r = d.length();
  // A point on the centre itself has no direction to be pushed in, whatever the range says.
  if (!(r >= mMinimumDistance) || r > mMaximumDistance || r == 0.0) return false;
  direction = d / r;
  distance = r;
  return true;
}

SPLVector SPLVortex::radialForce(const SPLVector& point) const {
  SPLVector direction;
  double r = 0.0;
  if (!reach(point, direction, r)) return SPLVector();
  return mRadialCoefficients.valueAt(r) * direction;
}

SPLVector SPLVortex::tangentialForce(const SPLVector& point) const {
  SPLVector direction;
  double r = 0.0;
  if (!reach(point, direction, r)) return SPLVector();
  // The direction turned a quarter counter-clockwise, exactly.
  return mTangentialCoefficients.valueAt(r) * SPLVector(-direction.y(), direction.x());
}

SPLVector SPLVortex::force(const SPLVector& point) const {
  SPLVector direction;
  double r = 0.0;
  if (!reach(point, direction, r)) return SPLVector();
  return mRadialCoefficients.valueAt(r) * direction +
         mTangentialCoefficients.valueAt(r) * SPLVector(-direction.y(), direction.x());
}

// ---------------------------------------------------------------------------------------------
// Object locker

SPLObjectLocker::SPLObjectLocker(const SPLShape& shape, int positionLock, int velocityLock, int forceLock)
    : mPositionLock(positionLock), mVelocityLock(velocityLock), mForceLock(forceLock), mShape(shape.clone()) {
  refresh();
}

SPLObjectLocker::~SPLObjectLocker() {
  delete mShape;
}

void SPLObjectLocker::refresh() {
  mBounds = mShape->bounds();
  for (int number = LEFT_EDGE; number <= BOTTOM_EDGE; ++number) {
    const SPLEdge& inner = mShape->edge(number);
    mEdges[number - 1] = SPLEdge(inner.kind(), this, inner.value());
  }
}

void SPLObjectLocker::setClient(void* client) {
  mShape->setClient(client);
}
void SPLObjectLocker::setCreationTime(double time) {
  mShape->setCreationTime(time);
}

void SPLObjectLocker::setForce(const SPLVector& force) {
  SPLVector result;
  if (lockedValue(mForceLock, force, mShape->force(), result)) mShape->setForce(result);
}

void SPLObjectLocker::setFriction(double friction) {
  mShape->setFriction(friction);
}

void SPLObjectLocker::setHeight(double height) {
  mShape->setHeight(height);
  refresh();
}

void SPLObjectLocker::setMass(double mass) {
  mShape->setMass(mass);
}

void SPLObjectLocker::setPosition(const SPLVector& position) {
  SPLVector result;
  if (lockedValue(mPositionLock, position, mShape->position(), result)) mShape->setPosition(result);
  refresh();
}

void SPLObjectLocker::setRadius(double radius) {
  mShape->setRadius(radius);
  refresh();
}

void SPLObjectLocker::setSolidity(int solidity) {
  mShape->setSolidity(solidity);
}

void SPLObjectLocker::setVelocity(const SPLVector& velocity) {
  SPLVector result;
  if (lockedValue(mVelocityLock, velocity, mShape->velocity(), result)) mShape->setVelocity(result);
}

void SPLObjectLocker::setWidth(double width) {
  mShape->setWidth(width);
  refresh();
}

void SPLObjectLocker::integrate(double seconds) {
  mShape->integrate(seconds);
  refresh();
}

const SPLVector& SPLObjectLocker::acceleration() const {
  return mShape->acceleration();
}
void* SPLObjectLocker::client() const {
  return mShape->client();
}

SPLShape* SPLObjectLocker::clone() const {
  SPLObjectLocker* objectLocker =
      new (std::nothrow) SPLObjectLocker(*mShape, mPositionLock, mVelocityLock, mForceLock);
  DBG_ASSERT("Object locker created successfully." && objectLocker);
  return objectLocker;
}

double SPLObjectLocker::creationTime() const {
  return mShape->creationTime();
}

const SPLEdge& SPLObjectLocker::edge(int number) const {
  switch (number) {
    case LEFT_EDGE:
    case RIGHT_EDGE:
    case TOP_EDGE:
    case BOTTOM_EDGE:
      return mEdges[number - 1];
    default:
      DBG_ERROR("Unknown edge.");
  }
}

const SPLVector& SPLObjectLocker::force() const {
  return mShape->force();
}
const SPLRectangle& SPLObjectLocker::bounds() const {
  return mBounds;
}
double SPLObjectLocker::friction() const {
  return mShape->friction();
}
double SPLObjectLocker::height() const {
  return mShape->height();
}
double SPLObjectLocker::mass() const {
  return mShape->mass();
}
const SPLVector& SPLObjectLocker::position() const {
  return mShape->position();
}
double SPLObjectLocker::radius() const {
  return mShape->radius();
}
int SPLObjectLocker::shapeClass() const {
  return mShape->shapeClass();
}
int SPLObjectLocker::solidity() const {
  return mShape->solidity();
}
const SPLVector& SPLObjectLocker::velocity() const {
  return mShape->velocity();
}
double SPLObjectLocker::width() const {
  return mShape->width();
}

// ---------------------------------------------------------------------------------------------
// System

SPLSystem* createSystem() {
  SPLSystem* system = new (std::nothrow) SPLSystem();
  DBG_ASSERT("System created successfully." && system);
  insertSorted(liveSystems(), static_cast<const SPLSystem*>(system));
  return system;
}

void destroySystem(SPLSystem* system) {
  eraseSorted(liveSystems(), static_cast<const SPLSystem*>(system));
  system->mCollisions.clear();
  system->mOverlaps.clear();
  delete system;
}

bool systemIsLive(const SPLSystem* system) {
  const auto& systems = liveSystems();
  return std::binary_search(systems.begin(), systems.end(), system, std::less<const SPLSystem*>());
}

SPLSystem::~SPLSystem() {
  // Whatever the user left behind is still ours to free.
  for (SPLShape* shape : mShapes) delete shape;
  for (SPLVortex* vortex : mVortices) delete vortex;
}

SPLShape* SPLSystem::addShape(const SPLShape& shape) {
  SPLShape* copy = shape.clone();
  copy->setCreationTime(mTime);
  insertSorted(mShapes, copy);
  return copy;
}

void SPLSystem::removeShape(SPLShape* shape) {
  const bool found = eraseSorted(mShapes, shape);
  DBG_ASSERT("Shape belongs to the system." && found);
  const auto namesShape = [shape](const SPLPair& pair) {
    return pair.first() == shape || pair.second() == shape;
  };
  std::erase_if(mCollisions, namesShape);
  std::erase_if(mOverlaps, namesShape);
  delete shape;
}

SPLVortex* SPLSystem::addVortex(const SPLVortex& vortex) {
  SPLVortex* copy = vortex.clone();
  insertSorted(mVortices, copy);
  return copy;
}

void SPLSystem::removeVortex(SPLVortex* vortex) {
  const bool found = eraseSorted(mVortices, vortex);
  DBG_ASSERT("Vortex belongs to the system." && found);
  delete vortex;
}

void SPLSystem::beginFrame() {
  ++mFrameNesting;
}

void SPLSystem::endFrame() {
  // An unmatched end would leave the count below zero and the lists growing for ever.
  DBG_ASSERT("Frame was begun." && (0 < mFrameNesting));
  if (mFrameNesting == 1) {
    mCollisions.clear();
    mOverlaps.clear();
  }
  --mFrameNesting;
}

void SPLSystem::stepMany(double seconds, int n) {
  if (n <= 0) return;
  const double each = seconds / n;
  for (int i = 0; i < n; ++i) step(each);
}

void SPLSystem::step(double seconds) {
  moveShapes(seconds);
  mClusterMembers.clear();
  mClusterEnds.clear();
  findClusters(mShapes.data(), nullptr, mShapes.size(), X_AXIS, 0);
  std::size_t start = 0;
  for (const std::size_t end : mClusterEnds) {
    testCluster(mClusterMembers.data() + start, end - start);
    start = end;
  }
}

void SPLSystem::moveShapes(double seconds) {
  // Each shape's motion depends on nothing but itself and the vortices, so doing all of it
  // shape by shape gives the same values as doing each stage for all shapes in turn.
  for (SPLShape* shape : mShapes) {
    shape->setForce(SPLVector());
    shape->setForce(shape->force() - shape->friction() * shape->velocity());
    for (const SPLVortex* vortex : mVortices)
      shape->setForce(shape->force() + vortex->force(shape->position()));
    shape->integrate(seconds);
  }
  mTime += seconds;
}

std::vector<std::vector<SPLShape*>> SPLSystem::clusters(const std::vector<SPLShape*>& shapes, int axis) {
  mClusterMembers.clear();
  mClusterEnds.clear();
  findClusters(shapes.data(), nullptr, shapes.size(), axis, 0);
  std::vector<std::vector<SPLShape*>> result;
  std::size_t start = 0;
  for (const std::size_t end : mClusterEnds) {
    result.emplace_back(mClusterMembers.begin() + static_cast<std::ptrdiff_t>(start),
                        mClusterMembers.begin() + static_cast<std::ptrdiff_t>(end));
    start = end;
  }
  return result;
}

void SPLSystem::findClusters(SPLShape* const* shapes, const std::uint32_t* labels, std::size_t count,
                             int axis, std::size_t depth) {
  if (count < 2) return;
  int lowEdge = SPLShape::LEFT_EDGE;
  int highEdge = SPLShape::RIGHT_EDGE;
  switch (axis) {
    case X_AXIS:
      break;
    case Y_AXIS:
      lowEdge = SPLShape::BOTTOM_EDGE;
      highEdge = SPLShape::TOP_EDGE;
      break;
    default:
      DBG_ERROR("Unknown axis.");
  }

  // A deque keeps this level in place while deeper levels are added below it.
  if (mLevels.size() <= depth) mLevels.emplace_back();
  Level& level = mLevels[depth];
  level.edges.clear();
  level.spare.clear();
  level.owners.clear();
  level.upperOwners.clear();
  level.members.clear();
  level.memberLabels.clear();
  level.groupEnds.clear();

  // Lower ends get the first places, then upper ends, each in the order of the list: sorting
  // by value and then place puts a lower end before an upper end of the same value, so shapes
  // that just touch share a group and a shape of no extent cannot drive the depth below zero,
  // and ends still equal keep the order of the list, so a cluster's order does not hang on how
  // ties are broken.
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t shapeLabel = labels ? labels[i] : static_cast<std::uint32_t>(i);
    for (const int number : {lowEdge, highEdge}) {
      const SPLEdge& edge = shapes[i]->edge(number);
      const std::uint32_t label = 2 * shapeLabel + (number == highEdge ? 1 : 0);
      if (edge.kind() == SPLEdge::MIN_EDGE) {
        level.edges.push_back(
            {sortKey(edge.value()), label, static_cast<std::uint32_t>(level.owners.size())});
        level.owners.push_back(edge.owner());
      } else if (edge.kind() == SPLEdge::MAX_EDGE) {
        level.spare.push_back(
            {sortKey(edge.value()), label, static_cast<std::uint32_t>(level.upperOwners.size())});
        level.upperOwners.push_back(edge.owner());
      } else {
        // Nothing has changed yet, so failing here is the same as failing when the sweep
        // reaches it.
        DBG_ERROR("Unknoen edge type.");
      }
    }
  }
  const auto lowerCount = static_cast<std::uint32_t>(level.owners.size());
  for (const SweepEdge& upper : level.spare)
    level.edges.push_back({upper.key, upper.label, upper.place + lowerCount});
  level.owners.insert(level.owners.end(), level.upperOwners.begin(), level.upperOwners.end());
  sortEdges(level);

  int open = 0;
  for (const SweepEdge& edge : level.edges) {
    if (edge.place < lowerCount) {
      level.members.push_back(level.owners[edge.place]);
      level.memberLabels.push_back(edge.label / 2);
      ++open;
    } else {
      --open;
      if (open == 0) level.groupEnds.push_back(level.members.size());
    }
  }
  // Only a shape with its ends reversed (a negative radius) can leave the sweep unbalanced.
  if (level.groupEnds.empty() || level.groupEnds.back() != level.members.size()) {
    level.groupEnds.push_back(level.members.size());
  }

  if (level.groupEnds.size() == 1 && axis == Y_AXIS) {
    mClusterMembers.insert(mClusterMembers.end(), level.members.begin(), level.members.end());
    mClusterEnds.push_back(mClusterMembers.size());
    return;
  }
  const int otherAxis = axis == X_AXIS ? Y_AXIS : X_AXIS;
  std::size_t start = 0;
  for (std::size_t g = 0; g < level.groupEnds.size(); ++g) {
    const std::size_t end = level.groupEnds[g];
    if (end - start >= 2) {
      findClusters(level.members.data() + start, level.memberLabels.data() + start, end - start, otherAxis,
                   depth + 1);
    }
    start = end;
  }
}

// Sorts the level's edges by key, then place. When the same edges were swept at this depth in
// the last step, it starts from the order they ended in and sorts by insertion, which costs
// little more than a pass while bodies move a little per step; it falls back on the full
// sort when they are other edges or once the insertion has done as much work as that would.
// Either way the result is the one order of key and place.
void SPLSystem::sortEdges(Level& level) {
  std::vector<SweepEdge>& edges = level.edges;
  const std::size_t n = edges.size();
  const auto before = [](const SweepEdge& a, const SweepEdge& b) {
    return a.key < b.key || (a.key == b.key && a.place < b.place);
  };
  bool sorted = false;
  if (n >= 64 && level.lastOrder.size() == n) {
    if (mStamp >= std::numeric_limits<std::uint32_t>::max() - 2) {
      std::fill(mStamps.begin(), mStamps.end(), 0);
      mStamp = 0;
    }
    mStamp += 2;  // mStamp marks an edge that is here, mStamp + 1 one already placed
    sorted = true;
    for (std::size_t k = 0; k < n && sorted; ++k) {
      const std::uint32_t label = edges[k].label;
      if (label >= mSlots.size()) {
        mSlots.resize(label + 1);
        mStamps.resize(label + 1, 0);
      }
      sorted = mStamps[label] != mStamp;  // a label twice: not the edges of last time
      mStamps[label] = mStamp;
      mSlots[label] = static_cast<std::uint32_t>(k);
    }
    level.spare.resize(n);
    for (std::size_t k = 0; k < n && sorted; ++k) {
      const std::uint32_t label = level.lastOrder[k];
      sorted = label < mStamps.size() && mStamps[label] == mStamp;
      if (!sorted) break;
      mStamps[label] = mStamp + 1;
      level.spare[k] = edges[mSlots[label]];
    }
    std::size_t budget = 8 * n;
    for (std::size_t i = 1; i < n && sorted; ++i) {
      const SweepEdge item = level.spare[i];
      std::size_t j = i;
      for (; j > 0 && before(item, level.spare[j - 1]); --j) {
        if (--budget == 0) {
          sorted = false;
          break;
        }
        level.spare[j] = level.spare[j - 1];
      }
      level.spare[j] = item;
    }
    if (sorted) edges.swap(level.spare);
  }
  if (!sorted) stableSort(edges, level.spare);
  level.lastOrder.resize(n);
  for (std::size_t k = 0; k < n; ++k) level.lastOrder[k] = edges[k].label;
}

void SPLSystem::testCluster(SPLShape* const* members, std::size_t count) {
  if (count >= GRID_CLUSTER_SIZE && testClusterOnGrid(members, count)) return;
  for (std::size_t i = 0; i < count; ++i) {
    for (std::size_t j = i + 1; j < count; ++j) resolvePair(*members[i], *members[j]);
  }
}

// A crowded field can make every shape one cluster, and testing all its pairs would cost the
// square of its size. The grid gives the same result at a cost that grows with the size: it
// visits the pairs in the same order, i < j, and only skips pairs that are too far apart to
// touch at the moment they would be tested. Since a push moves only the two shapes of its
// pair, the first shape's neighbours are looked up again after every push, and the second
// shape is moved to its new cell.
bool SPLSystem::testClusterOnGrid(SPLShape* const* members, std::size_t count) {
  Grid& grid = mGrid;
  const int n = static_cast<int>(count);
  grid.xs.resize(count);
  grid.ys.resize(count);
  grid.radii.resize(count);
  double radiusSum = 0.0;
  for (std::size_t i = 0; i < count; ++i) {
    // Only spheres can be laid out; anything else must fail where the plain order fails.
    if (members[i]->shapeClass() != SPLShape::SPHERE_CLASS) return false;
    const SPLVector& p = members[i]->position();
    grid.xs[i] = p.x();
    grid.ys[i] = p.y();
    grid.radii[i] = members[i]->radius();
    radiusSum += grid.radii[i];
  }
  // Spheres much larger than the average (the shield) would make every cell large; they are
  // kept aside and offered to every sphere instead.
  const double largeRadius = 2.0 * radiusSum / n;
  double reach = 0.0;
  double minX = std::numeric_limits<double>::infinity();
  double minY = minX;
  double maxX = -minX;
  double maxY = -minX;
  grid.large.clear();
  grid.cells.assign(count, -1);
  for (std::size_t i = 0; i < count; ++i) {
    if (!(grid.radii[i] <= largeRadius)) {
      grid.large.push_back(static_cast<int>(i));
      continue;
    }
    reach = std::max(reach, grid.radii[i]);
    minX = std::min(minX, grid.xs[i]);
    maxX = std::max(maxX, grid.xs[i]);
    minY = std::min(minY, grid.ys[i]);
    maxY = std::max(maxY, grid.ys[i]);
  }
  const double width = maxX - minX;
  const double height = maxY - minY;
  if (!std::isfinite(width) || !std::isfinite(height) || !std::isfinite(reach) || !(reach > 0.0))
    return false;

  // Cells twice the largest kept radius wide, so a sphere's neighbours lie in the 3 x 3 cells
  // around it; coarser when the members are spread thinly over a large area.
  double cellSize = 2.0 * reach;
  const double cellLimit = 4.0 * n + 16.0;
  while ((std::floor(width / cellSize) + 1.0) * (std::floor(height / cellSize) + 1.0) > cellLimit)
    cellSize *= 2.0;
  grid.originX = minX;
  grid.originY = minY;
  grid.cellSize = cellSize;
  grid.reach = reach;
  grid.columns = static_cast<int>(std::floor(width / cellSize)) + 1;
  grid.rows = static_cast<int>(std::floor(height / cellSize)) + 1;
  grid.heads.assign(static_cast<std::size_t>(grid.columns) * static_cast<std::size_t>(grid.rows), -1);
  grid.next.assign(count, -1);
  grid.previous.assign(count, -1);
  for (int i = n - 1; i >= 0; --i) {
    const auto m = static_cast<std::size_t>(i);
    if (grid.radii[m] <= largeRadius) link(i, cellOf(SPLVector(grid.xs[m], grid.ys[m])));
  }

  for (int i = 0; i < n; ++i) {
    // Every pair of i with a lower member has been tested; it is no one's neighbour any more.
    if (grid.cells[static_cast<std::size_t>(i)] >= 0) unlink(i);
    SPLShape& first = *members[i];
    const double radius = grid.radii[static_cast<std::size_t>(i)];
    gatherCandidates(first.position(), radius, i);
    std::size_t c = 0;
    while (c < grid.candidates.size()) {
      const int j = grid.candidates[c];
      if (!resolvePair(first, *members[j])) {
        ++c;
        continue;
      }
      const auto m = static_cast<std::size_t>(j);
      const SPLVector& moved = members[j]->position();
      grid.xs[m] = moved.x();
      grid.ys[m] = moved.y();
      if (grid.cells[m] >= 0) {
        const int cell = cellOf(moved);
        if (cell != grid.cells[m]) {
          unlink(j);
          link(j, cell);
        }
      }
      gatherCandidates(first.position(), radius, j);
      c = 0;
    }
  }
  return true;
}

// The members after `after` that may touch a sphere at this position with this radius, in
// order. The test is a little wider than the exact one, so rounding never hides a neighbour;
// the pair test decides.
void SPLSystem::gatherCandidates(const SPLVector& position, double radius, int after) {
  Grid& grid = mGrid;
  grid.candidates.clear();
  const double x = position.x();
  const double y = position.y();
  const double range = radius + grid.reach;
  const double margin = 1e-9 * (std::fabs(x) + std::fabs(y) + range) + 1e-9;
  const auto near = [&](int j) {
    const auto m = static_cast<std::size_t>(j);
    const double dx = grid.xs[m] - x;
    const double dy = grid.ys[m] - y;
    const double reach = radius + grid.radii[m];
    return dx * dx + dy * dy <= reach * reach * (1.0 + 1e-9) + margin * margin;
  };
  const int low = cellOf(SPLVector(x - range - margin, y - range - margin));
  const int high = cellOf(SPLVector(x + range + margin, y + range + margin));
  const int lowColumn = low % grid.columns;
  const int highColumn = high % grid.columns;
  for (int row = low / grid.columns; row <= high / grid.columns; ++row) {
    for (int column = lowColumn; column <= highColumn; ++column) {
      for (int j = grid.heads[static_cast<std::size_t>(row * grid.columns + column)]; j >= 0;
           j = grid.next[static_cast<std::size_t>(j)]) {
        if (j > after && near(j)) grid.candidates.push_back(j);
      }
    }
  }
  for (const int j : grid.large) {
    if (j > after && near(j)) grid.candidates.push_back(j);
  }
  // Usually none or a few, and mostly in order already.
  std::vector<int>& candidates = grid.candidates;
  for (std::size_t k = 1; k < candidates.size(); ++k) {
    const int j = candidates[k];
    std::size_t at = k;
    for (; at > 0 && candidates[at - 1] > j; --at) candidates[at] = candidates[at - 1];
    candidates[at] = j;
  }
}

int SPLSystem::cellOf(const SPLVector& position) const {
  // Clamped, so shapes pushed beyond the grid's first extent still land in an edge cell, and
  // NaN lands in the first one.
  const auto index = [](double t, int count) {
    if (!(t >= 0.0)) return 0;
    if (t >= count) return count - 1;
    return static_cast<int>(t);  // truncation is the floor here
  };
  const int column = index((position.x() - mGrid.originX) / mGrid.cellSize, mGrid.columns);
  const int row = index((position.y() - mGrid.originY) / mGrid.cellSize, mGrid.rows);
  return row * mGrid.columns + column;
}

void SPLSystem::link(int member, int cell) {
  Grid& grid = mGrid;
  const auto m = static_cast<std::size_t>(member);
  const int head = grid.heads[static_cast<std::size_t>(cell)];
  grid.next[m] = head;
  grid.previous[m] = -1;
  if (head >= 0) grid.previous[static_cast<std::size_t>(head)] = member;
  grid.heads[static_cast<std::size_t>(cell)] = member;
  grid.cells[m] = cell;
}

void SPLSystem::unlink(int member) {
  Grid& grid = mGrid;
  const auto m = static_cast<std::size_t>(member);
  const int before = grid.previous[m];
  const int after = grid.next[m];
  if (before >= 0) {
    grid.next[static_cast<std::size_t>(before)] = after;
  } else {
    grid.heads[static_cast<std::size_t>(grid.cells[m])] = after;
  }
  if (after >= 0) grid.previous[static_cast<std::size_t>(after)] = before;
  grid.cells[m] = -1;
}

void SPLSystem::testPair(SPLShape& first, SPLShape& second) {
  resolvePair(first, second);
}

bool SPLSystem::resolvePair(SPLShape& first, SPLShape& second) {
  if (first.shapeClass() != SPLShape::SPHERE_CLASS || second.shapeClass() != SPLShape::SPHERE_CLASS) {
    DBG_ERROR("Unknown Shape.");
  }
  const SPLVector d = fromTo(first.position(), second.position());
  const double distance = d.length();
  const double reach = first.radius() + second.radius();
  // Spheres that only touch do not count (nor does a distance that is not a number).
  if (!(distance < reach)) return false;
  if (first.solidity() != SPLShape::SOLID || second.solidity() != SPLShape::SOLID) {
    mOverlaps.emplace_back(&first, &second);
    return false;
  }
  const double h = (reach - distance) * 0.5;
  // Two spheres on one centre have no direction between them; they are parted along +x.
  const bool sameCentre = distance == 0.0;
  const SPLVector u = sameCentre ? SPLVector(1.0, 0.0) : d / distance;
  const SPLVector normal = sameCentre ? u : d;
  first.setPosition(first.position() + -h * u);
  second.setPosition(second.position() + h * u);

  // A perfectly elastic exchange of the velocity components along the normal; the tangential
  // components stay, and momentum is kept.
  const SPLVector a = projection(first.velocity(), normal);
  const SPLVector b = projection(second.velocity(), normal);
  const double massA = first.mass();
  const double massB = second.mass();
  const SPLVector c = (massA * a + massB * b) / (massA + massB);
  first.setVelocity(first.velocity() + 2.0 * (c - a));
  second.setVelocity(second.velocity() + 2.0 * (c - b));
  mCollisions.emplace_back(&first, &second);
  return true;
}
