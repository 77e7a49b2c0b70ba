// Small drawing kit shared by the pictures: vectors, colours, a float canvas with
// premultiplied alpha, coverage masks with blurs, signed distance shapes, noise and a
// deterministic random source (the pictures must come out the same on every build).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "imagegen/imagegen.h"

namespace imagegen {

constexpr double PI = 3.14159265358979323846;

struct Vec2 {
  double x = 0.0;
  double y = 0.0;
};
inline Vec2 operator+(Vec2 a, Vec2 b) {
  return {a.x + b.x, a.y + b.y};
}
inline Vec2 operator-(Vec2 a, Vec2 b) {
  return {a.x - b.x, a.y - b.y};
}
inline Vec2 operator*(Vec2 a, double s) {
  return {a.x * s, a.y * s};
}
inline double dot(Vec2 a, Vec2 b) {
  return a.x * b.x + a.y * b.y;
}
inline double length(Vec2 a) {
  return std::sqrt(dot(a, a));
}
inline Vec2 rotate(Vec2 a, double angle) {
  double c = std::cos(angle), s = std::sin(angle);
  return {a.x * c - a.y * s, a.x * s + a.y * c};
}

inline double clamp01(double v) {
  return std::clamp(v, 0.0, 1.0);
}
inline double mix(double a, double b, double t) {
  return a + (b - a) * t;
}
inline double smoothstep(double edge0, double edge1, double v) {
  double t = clamp01((v - edge0) / (edge1 - edge0));
  return t * t * (3.0 - 2.0 * t);
}
// Anti-aliased coverage of a shape from its signed distance (negative inside), for a pixel
// of the given size in the distance's units.
inline double coverage(double distance, double pixel) {
  return clamp01(0.5 - distance / pixel);
}

struct Rgb {
  double r = 0.0;
  double g = 0.0;
  double b = 0.0;
};
inline Rgb operator+(Rgb a, Rgb b) {
  return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline Rgb operator*(Rgb a, double s) {
  return {a.r * s, a.g * s, a.b * s};
}
inline Rgb operator*(Rgb a, Rgb b) {
  return {a.r * b.r, a.g * b.g, a.b * b.b};
}
inline Rgb mix(Rgb a, Rgb b, double t) {
  return {mix(a.r, b.r, t), mix(a.g, b.g, t), mix(a.b, b.b, t)};
}
inline Rgb rgbOf(Texel argb) {
  return {((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0, (argb & 0xFF) / 255.0};
}
Rgb hsv(double hue, double saturation, double value);  // hue in turns (0..1)

// The colours of the game's blobs, bullets and pills (their ARGB values in the colour table).
constexpr Texel RED_ARGB = 0xFFFE015A;
constexpr Texel GREEN_ARGB = 0xFF90FF00;
constexpr Texel BLUE_ARGB = 0xFF008AFF;
constexpr Texel PURPLE_ARGB = 0xFFD200FF;
constexpr Texel YELLOW_ARGB = 0xFFFFFF80;

// A premultiplied colour with alpha.
struct Rgba {
  double r = 0.0;
  double g = 0.0;
  double b = 0.0;
  double a = 0.0;
};
inline Rgba premultiplied(Rgb c, double alpha) {
  return {c.r * alpha, c.g * alpha, c.b * alpha, alpha};
}
inline Rgba over(Rgba top, Rgba bottom) {
  double k = 1.0 - top.a;
  return {top.r + bottom.r * k, top.g + bottom.g * k, top.b + bottom.b * k, top.a + bottom.a * k};
}

class Canvas {
 public:
  Canvas(int width, int height) : mWidth(width), mHeight(height), mPixels(width * height) {}
  int width() const { return mWidth; }
  int height() const { return mHeight; }
  Rgba& at(int x, int y) { return mPixels[y * mWidth + x]; }
  const Rgba& at(int x, int y) const { return mPixels[y * mWidth + x]; }
  void blend(int x, int y, Rgba c) {
    if (x >= 0 && y >= 0 && x < mWidth && y < mHeight) at(x, y) = over(c, at(x, y));
  }
  // Copies another canvas in at (x, y), replacing what is there.
  void place(const Canvas& part, int x, int y);

 private:
  int mWidth;
  int mHeight;
  std::vector<Rgba> mPixels;
};

// Conversions to texels. Alpha pictures get straight (not premultiplied) colour, and the
// colour of fully transparent texels is grown in from their inked neighbours so that texture
// filtering does not darken soft edges; their alpha stays exactly 0.
Picture toAlphaPicture(const Canvas& canvas);
// Additive pictures: alpha is opaque everywhere and the colour is the light added, so black
// adds nothing whatever the blend factor.
Picture toAdditivePicture(const Canvas& canvas);
Picture toOpaquePicture(const Canvas& canvas);
Texel packTexel(double alpha, double red, double green, double blue);

// A single-channel float image: ink coverage, glow intensity and the like.
class Mask {
 public:
  Mask() = default;
  Mask(int width, int height) : mWidth(width), mHeight(height), mValues(width * height, 0.0f) {}
  int width() const { return mWidth; }
  int height() const { return mHeight; }
  float& at(int x, int y) { return mValues[y * mWidth + x]; }
  float at(int x, int y) const { return mValues[y * mWidth + x]; }
  // Zero outside the mask.
  float sample(int x, int y) const {
    return (x < 0 || y < 0 || x >= mWidth || y >= mHeight) ? 0.0f : mValues[y * mWidth + x];
  }
  // Bilinear sample at a pixel-centre coordinate.
  float sampleLinear(double x, double y) const;
  // Approximate Gaussian blur (three box passes per axis) with separate radii, so that
  // pictures that are stretched when drawn can blur round in the final view.
  Mask blurred(double sigmaX, double sigmaY) const;
  // Copies other into this at an offset, keeping the larger value.
  void stamp(const Mask& other, int x, int y);

 private:
  int mWidth = 0;
  int mHeight = 0;
  std::vector<float> mValues;
};

// Signed distances (negative inside).
inline double sdCircle(Vec2 p, double radius) {
  return length(p) - radius;
}
inline double sdBox(Vec2 p, Vec2 half) {
  Vec2 d{std::abs(p.x) - half.x, std::abs(p.y) - half.y};
  Vec2 outside{std::max(d.x, 0.0), std::max(d.y, 0.0)};
  return length(outside) + std::min(std::max(d.x, d.y), 0.0);
}
inline double sdRoundBox(Vec2 p, Vec2 half, double radius) {
  return sdBox(p, {half.x - radius, half.y - radius}) - radius;
}
inline double sdSegment(Vec2 p, Vec2 a, Vec2 b, double radius) {
  Vec2 pa = p - a, ba = b - a;
  double h = clamp01(dot(pa, ba) / dot(ba, ba));
  return length(pa - ba * h) - radius;
}
// A closed polygon, either winding.
double sdPolygon(Vec2 p, const std::vector<Vec2>& points);
// Regular star with the given number of points, outer and inner radii, first point up.
std::vector<Vec2> starPoints(int points, double outer, double inner, double turn = 0.0);

// Deterministic random numbers (SplitMix64).
class Random {
 public:
  explicit Random(std::uint64_t seed) : mState(seed) {}
  std::uint64_t next();
  double uniform(double low, double high) { return low + (high - low) * (next() >> 11) * 0x1.0p-53; }
  int integer(int low, int high) {
    return low + static_cast<int>(next() % static_cast<std::uint64_t>(high - low + 1));
  }

 private:
  std::uint64_t mState;
};

// Smooth value noise in [0, 1] and its fractal sum.
double valueNoise(double x, double y, std::uint32_t seed);
double fractalNoise(double x, double y, int octaves, std::uint32_t seed);

}  // namespace imagegen
