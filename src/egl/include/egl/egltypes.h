// Value types of the graphics library: colours, vectors, ranges, ratios, images, matrices, and
// the reader of our own image files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// 32-bit ARGB: alpha in bits 24-31, red 16-23, green 8-15, blue 0-7, so 0xFF00FF00 is opaque
// green. Texels and vertex colours use this layout.
class EGLColor {
 public:
  constexpr EGLColor() = default;
  constexpr EGLColor(std::uint32_t value) : mValue(value) {}  // NOLINT: a colour is its value
  constexpr EGLColor(std::uint32_t alpha, std::uint32_t red, std::uint32_t green, std::uint32_t blue)
      : mValue(((alpha & 0xFFu) << 24) | ((red & 0xFFu) << 16) | ((green & 0xFFu) << 8) | (blue & 0xFFu)) {}

  constexpr std::uint32_t value() const { return mValue; }
  constexpr std::uint32_t alpha() const { return (mValue >> 24) & 0xFFu; }
  constexpr std::uint32_t red() const { return (mValue >> 16) & 0xFFu; }
  constexpr std::uint32_t green() const { return (mValue >> 8) & 0xFFu; }
  constexpr std::uint32_t blue() const { return mValue & 0xFFu; }
  constexpr bool operator==(const EGLColor&) const = default;

 private:
  std::uint32_t mValue = 0;
};

struct EGLVector {
  float x = 0.0f;
  float y = 0.0f;
  constexpr bool operator==(const EGLVector&) const = default;
};

// A run of elements: first, and how many. end() is one past the last.
struct EGLRange {
  std::int32_t first = 0;
  std::int32_t count = 0;
  constexpr std::int32_t end() const { return first + count; }
  constexpr bool operator==(const EGLRange&) const = default;
};

// A fraction from 0 to 1 (hot spots, anchors); building one outside that fails its invariant.
class EGLRatio {
 public:
  EGLRatio(float value = 0.0f);  // NOLINT: a ratio is its value
  bool invariant() const { return (0.0f <= mValue) && (mValue <= 1.0f); }
  float value() const { return mValue; }
  operator float() const { return mValue; }  // NOLINT

 private:
  float mValue;
};

// A picture in memory: texels row by row, top row first; texel (column, row) is element
// row * columnCount + column.
class EGLImage {
 public:
  EGLImage() = default;
  EGLImage(const EGLImage& other);
  EGLImage& operator=(const EGLImage& other);
  ~EGLImage();

  bool invariant() const;
  std::int32_t columnCount() const { return mColumnCount; }
  std::int32_t rowCount() const { return mRowCount; }
  const EGLColor& texel(std::int32_t column, std::int32_t row) const;
  EGLColor& texel(std::int32_t column, std::int32_t row);
  const std::vector<EGLColor>& texels() const { return mTexels; }
  // Texels that survive keep their value; new ones are 0.
  void resize(std::int32_t columns, std::int32_t rows);

 private:
  std::int32_t mColumnCount = 0;
  std::int32_t mRowCount = 0;
  std::vector<EGLColor> mTexels;
};

// Reads an image file ("EGLImage", big-endian column and row counts, then A, R, G, B bytes per
// texel) into the image, replacing its size and texels. Any fault in the file is an assertion.
void loadImage(const std::string& fileName, EGLImage& image);

// A 4x4 matrix for row vectors: a point p is transformed as p * M, so M1 * M2 applies M1 first.
// m[3][0], m[3][1] hold the translation.
struct EGLMatrix {
  float m[4][4] = {};

  static EGLMatrix identity();
  // Rotation about the z axis by the angle in radians, counter-clockwise with y up.
  static EGLMatrix rotationZ(float angle);
  static EGLMatrix scaling(float x, float y, float z);
  static EGLMatrix translation(float x, float y, float z);
  // Left-handed off-centre orthographic projection; depth zNear..zFar goes to 0..1.
  static EGLMatrix orthoOffCenterLH(float left, float right, float bottom, float top, float zNear,
                                    float zFar);

  EGLMatrix operator*(const EGLMatrix& other) const;
  // (x, y, 0, 1) * M, then divided by w.
  EGLVector transformPoint(EGLVector point) const;
  bool operator==(const EGLMatrix&) const = default;
};
