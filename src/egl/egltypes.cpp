#include "egl/egltypes.h"

#include <cmath>
#include <cstddef>
#include <fstream>
#include <memory>
#include <new>

#include "dbg/dbg.h"

DBG_SOURCE("egltypes");

EGLRatio::EGLRatio(float value) : mValue(value) {
  DBG_ASSERT(invariant());
}

// ---------------------------------------------------------------------------------------------
// Images

EGLImage::EGLImage(const EGLImage& other) {
  DBG_ASSERT(other.invariant());
  mColumnCount = other.mColumnCount;
  mRowCount = other.mRowCount;
  mTexels = other.mTexels;
  DBG_ASSERT(invariant());
}

EGLImage& EGLImage::operator=(const EGLImage& other) {
  DBG_ASSERT(invariant());
  DBG_ASSERT(other.invariant());
  if (this != &other) {
    mColumnCount = other.mColumnCount;
    mRowCount = other.mRowCount;
    mTexels = other.mTexels;
  }
  DBG_ASSERT(invariant());
  return *this;
}

// A stale pointer to a destroyed image then fails its invariant instead of showing old texels.
EGLImage::~EGLImage() {
  mColumnCount = -1;
  mRowCount = -1;
}

bool EGLImage::invariant() const {
  return (0 <= mColumnCount) && (0 <= mRowCount) &&
         (mTexels.size() == static_cast<std::size_t>(mColumnCount) * static_cast<std::size_t>(mRowCount));
}

// Reading outside the picture would read beyond the texel list, so it is checked here even
// though callers are expected to stay within the counts.
const EGLColor& EGLImage::texel(std::int32_t column, std::int32_t row) const {
  DBG_ASSERT((0 <= column) && (column < mColumnCount) && (0 <= row) && (row < mRowCount));
  return mTexels[static_cast<std::size_t>(row) * static_cast<std::size_t>(mColumnCount) +
                 static_cast<std::size_t>(column)];
}

EGLColor& EGLImage::texel(std::int32_t column, std::int32_t row) {
  DBG_ASSERT((0 <= column) && (column < mColumnCount) && (0 <= row) && (row < mRowCount));
  return mTexels[static_cast<std::size_t>(row) * static_cast<std::size_t>(mColumnCount) +
                 static_cast<std::size_t>(column)];
}

void EGLImage::resize(std::int32_t columns, std::int32_t rows) {
  DBG_ASSERT((0 <= columns) && (0 <= rows));
  mColumnCount = columns;
  mRowCount = rows;
  mTexels.resize(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows));
  DBG_ASSERT(invariant());
}

// ---------------------------------------------------------------------------------------------
// Image files

namespace {

constexpr std::int64_t HEADER_SIZE = 16;

std::uint32_t readBigEndian(const unsigned char* bytes) {
  return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) |
         std::uint32_t{bytes[3]};
}

}  // namespace

void loadImage(const std::string& fileName, EGLImage& image) {
  std::ifstream inputFile(fileName, std::ios::binary);
  DBG_ASSERT("Image file open successfully." && inputFile.is_open());

  inputFile.seekg(0, std::ios::end);
  const std::int64_t fileLength = static_cast<std::int64_t>(inputFile.tellg());
  inputFile.seekg(0, std::ios::beg);
  // A truncated file (or something that is not a file at all) is refused before anything is
  // allocated or read: the header must be whole, and later the texels the counts promise.
  DBG_ASSERT("Image file holds a whole header." && (HEADER_SIZE <= fileLength));

  unsigned char header[HEADER_SIZE];
  inputFile.read(reinterpret_cast<char*>(header), HEADER_SIZE);
  DBG_ASSERT("Image file header read successfully." && inputFile.good());
  const unsigned char* memory = header;
  DBG_ASSERT("Valid memory pointer." && memory);

  std::size_t memoryIndex = 0;
  DBG_ASSERT("Valid file contentID character." && memory[memoryIndex] == 'E');
  ++memoryIndex;
  DBG_ASSERT("Valid file contentID character." && memory[memoryIndex] == 'G');
  ++memoryIndex;
  DBG_ASSERT("Valid file contentID character." && memory[memoryIndex] == 'L');
  ++memoryIndex;
  DBG_ASSERT("Valid file contentID character." && memory[memoryIndex] == 'I');
  ++memoryIndex;
  DBG_ASSERT("Valid file contentID character." && memory[memoryIndex] == 'm');
  ++memoryIndex;
  DBG_ASSERT("Valid file contentID character." && memory[memoryIndex] == 'a');
  ++memoryIndex;
  DBG_ASSERT("Valid file contentID character." && memory[memoryIndex] == 'g');
  ++memoryIndex;
  DBG_ASSERT("Valid file contentID character." && memory[memoryIndex] == 'e');

  const std::int32_t columnCount = static_cast<std::int32_t>(readBigEndian(memory + 8));
  // clang-format off
  DBG_ASSERT("Valid column count." && columnCount>=0);
  const std::int32_t rowCount = static_cast<std::int32_t>(readBigEndian(memory + 12));
  DBG_ASSERT("Valid row count." && rowCount>=0);
  // clang-format on

  // Both counts are below 2^31, so their product fits; comparing texel counts rather than byte
  // counts keeps the test itself from overflowing.
  const std::uint64_t texelCount =
      static_cast<std::uint64_t>(columnCount) * static_cast<std::uint64_t>(rowCount);
  const std::uint64_t texelsInFile = static_cast<std::uint64_t>(fileLength - HEADER_SIZE) / 4u;
  DBG_ASSERT("Image file holds every texel." && (texelCount <= texelsInFile));

  const std::size_t texelBytes = static_cast<std::size_t>(texelCount) * 4u;
  std::unique_ptr<unsigned char[]> fileData(new (std::nothrow) unsigned char[texelBytes + 1]);
  DBG_ASSERT("Memory allocated successfully." && fileData);
  inputFile.read(reinterpret_cast<char*>(fileData.get()), static_cast<std::streamsize>(texelBytes));
  DBG_ASSERT("Image file texels read successfully." && inputFile.good());

  image.resize(columnCount, rowCount);
  const unsigned char* texel = fileData.get();
  for (std::int32_t row = 0; row < rowCount; ++row) {
    for (std::int32_t column = 0; column < columnCount; ++column) {
      image.texel(column, row) = EGLColor(readBigEndian(texel));
      texel += 4;
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Matrices, laid out and multiplied the way the game's transforms were designed for: row
// vectors, translation in the last row.

EGLMatrix EGLMatrix::identity() {
  EGLMatrix result;
  for (int i = 0; i < 4; ++i) result.m[i][i] = 1.0f;
  return result;
}

EGLMatrix EGLMatrix::rotationZ(float angle) {
  EGLMatrix result = identity();
  const float c = std::cos(angle);
  const float s = std::sin(angle);
  result.m[0][0] = c;
  result.m[0][1] = s;
  result.m[1][0] = -s;
  result.m[1][1] = c;
  return result;
}

EGLMatrix EGLMatrix::scaling(float x, float y, float z) {
  EGLMatrix result;
  result.m[0][0] = x;
  result.m[1][1] = y;
  result.m[2][2] = z;
  result.m[3][3] = 1.0f;
  return result;
}

EGLMatrix EGLMatrix::translation(float x, float y, float z) {
  EGLMatrix result = identity();
  result.m[3][0] = x;
  result.m[3][1] = y;
  result.m[3][2] = z;
  return result;
}

EGLMatrix EGLMatrix::orthoOffCenterLH(float left, float right, float bottom, float top, float zNear,
                                      float zFar) {
  EGLMatrix result;
  result.m[0][0] = 2.0f / (right - left);
  result.m[1][1] = 2.0f / (top - bottom);
  result.m[2][2] = 1.0f / (zFar - zNear);
  result.m[3][0] = (left + right) / (left - right);
  result.m[3][1] = (top + bottom) / (bottom - top);
  result.m[3][2] = zNear / (zNear - zFar);
  result.m[3][3] = 1.0f;
  return result;
}

EGLMatrix EGLMatrix::operator*(const EGLMatrix& other) const {
  EGLMatrix result;
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += m[row][k] * other.m[k][column];
      result.m[row][column] = sum;
    }
  }
  return result;
}

EGLVector EGLMatrix::transformPoint(EGLVector point) const {
  const float x = point.x * m[0][0] + point.y * m[1][0] + m[3][0];
  const float y = point.x * m[0][1] + point.y * m[1][1] + m[3][1];
  const float w = point.x * m[0][3] + point.y * m[1][3] + m[3][3];
  return EGLVector{x / w, y / w};
}
