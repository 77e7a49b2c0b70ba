#include "rnd/rndtoolimp.h"

#include <cmath>
#include <limits>
#include <new>

#include "dbg/dbg.h"

DBG_SOURCE("rndtoolimp");

namespace {
// 2 pi, cut to 15 significant digits.
constexpr double TWO_PI = 6.28318530717958;

// The low 32 bits of the value's integer part. Every finite double has one, so huge values
// wrap as a 64-bit conversion would instead of being undefined; NaN and the infinities have
// none and seed with 0.
std::int32_t lowSeedBits(double seed) {
  if (!std::isfinite(seed)) return 0;
  const double whole = std::trunc(seed);
  constexpr double TWO_TO_63 = 9223372036854775808.0;
  if (-TWO_TO_63 <= whole && whole < TWO_TO_63) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::int64_t>(whole)));
  }
  // Beyond 2^63 a double is a multiple of 2^11, and fmod is exact, so this is the true
  // remainder modulo 2^32.
  double low = std::fmod(whole, 4294967296.0);
  if (low < 0) low += 4294967296.0;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(low));
}
}  // namespace

RNDToolImp::RNDToolImp(const RNDGenerator& generator, std::int32_t gausseanMethod)
    : mGenerator(nullptr), mGausseanMethod(gausseanMethod) {
  DBG_ASSERT_TEXT((gausseanMethod > LEAST_GAUSSEAN_METHOD) && (gausseanMethod < LARGEST_GAUSSEAN_METHOD),
                  "(gausseanMethod>LEAST_GAUSSEAN_METHOD)&&(gausseanMethod<LARGEST_GAUSSEAN_METHOD)&&"
                  "\"Valid method.\"");
  mGenerator = generator.clone();
  DBG_ASSERT(invariant());
}

RNDToolImp::RNDToolImp(const RNDToolImp& other)
    : RNDTool(other), mGenerator(nullptr), mGausseanMethod(other.mGausseanMethod) {
  DBG_ASSERT(other.invariant());
  mGenerator = other.mGenerator->clone();
  DBG_ASSERT(invariant());
}

RNDToolImp::~RNDToolImp() noexcept(false) {
  DBG_ASSERT(invariant());
  delete mGenerator;
}

bool RNDToolImp::invariant() const {
  return mGenerator && LEAST_GAUSSEAN_METHOD < mGausseanMethod && mGausseanMethod < LARGEST_GAUSSEAN_METHOD;
}

double RNDToolImp::gaussean(double mean, double deviation) {
  double z = 0.0;
  switch (mGausseanMethod) {
    case BOX_MULLER_GAUSSEAN_METHOD:
      // u1 = 0 makes the logarithm infinite; draw the pair again.
      do {
        const double u1 = mGenerator->random();
        const double u2 = mGenerator->random();
        z = std::cos(u2 * TWO_PI) * std::sqrt(-2.0 * std::log(u1));
      } while (!std::isfinite(z));
      break;
    case POLAR_GAUSSEAN_METHOD: {
      // The point must fall inside the unit circle, and not on its centre: there the
      // logarithm is infinite and the result would be NaN.
      double p = 0.0;
      double s = 0.0;
      do {
        p = 2.0 * mGenerator->random() - 1.0;
        const double q = 2.0 * mGenerator->random() - 1.0;
        s = p * p + q * q;
      } while (s >= 1.0 || s == 0.0);
      z = p * std::sqrt(-2.0 * std::log(s) / s);
      break;
    }
    default:
      DBG_ERROR("Unknown gaussean method.");
  }
  return mean + deviation * z;
}

void RNDToolImp::popState() {
  DBG_ASSERT(invariant());
  mGenerator->popState();
  DBG_ASSERT(invariant());
}

bool RNDToolImp::chance(double probability) {
  return mGenerator->random() <= probability;
}

void RNDToolImp::pushState() {
  DBG_ASSERT(invariant());
  mGenerator->pushState();
  DBG_ASSERT(invariant());
}

void RNDToolImp::setSeed(double seed) {
  DBG_ASSERT(invariant());
  mGenerator->setSeed(lowSeedBits(seed));
  DBG_ASSERT(invariant());
}

double RNDToolImp::uniform(double low, double high) {
  const double r = mGenerator->random();
  const double width = high - low;
  // A width too large for a double (from -DBL_MAX to DBL_MAX) is interpolated from the ends.
  double result = std::isfinite(width) ? low + r * width : low * (1.0 - r) + high * r;
  // Rounding can land on the upper end when it is large next to the width; the upper end is
  // never part of the range.
  if (result >= high && low < high) result = std::nextafter(high, low);
  return result;
}

std::int32_t RNDToolImp::uniformInteger(std::int32_t low, std::int32_t high) {
  // The width is taken in 64 bits: from INT32_MIN to INT32_MAX it is 2^32, which 32 bits
  // would wrap to 0. Wherever 32 bits suffice the result is the same.
  const std::int64_t width = std::int64_t{high} - low + 1;
  const double r = mGenerator->random();
  return static_cast<std::int32_t>(low + static_cast<std::int64_t>(r * static_cast<double>(width)));
}

RNDTool* RNDToolImp::clone() const {
  DBG_ASSERT(invariant());
  RNDToolImp* toolImp = new (std::nothrow) RNDToolImp(*this);
  DBG_ASSERT_TEXT(toolImp != nullptr, "toolImp!=0&&\"ToolImp created successfully.\"");
  DBG_ASSERT(invariant());
  return toolImp;
}
