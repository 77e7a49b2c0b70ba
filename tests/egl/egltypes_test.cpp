#include "egl/egltypes.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "egltesting.h"

namespace fs = std::filesystem;

namespace {

TEST(EGLColor, ChannelsSitInTheirBits) {
  const EGLColor green(0xFF00FF00u);
  EXPECT_EQ(green.alpha(), 0xFFu);
  EXPECT_EQ(green.red(), 0x00u);
  EXPECT_EQ(green.green(), 0xFFu);
  EXPECT_EQ(green.blue(), 0x00u);
  // Channel values are cut to their low 8 bits.
  EXPECT_EQ(EGLColor(0x180u, 0x12u, 0x134u, 0x56u).value(), 0x80123456u);
  EXPECT_EQ(EGLColor(0x80u, 0x12u, 0x34u, 0x56u), EGLColor(0x80123456u));
}

TEST(EGLImage, ResizeKeepsSurvivingTexelsAndCopiesAreWhole) {
  EGLImage image;
  EXPECT_EQ(image.columnCount(), 0);
  EXPECT_TRUE(image.invariant());
  image.resize(2, 2);
  image.texel(0, 0) = EGLColor(1u);
  image.texel(1, 0) = EGLColor(2u);
  image.resize(2, 3);
  EXPECT_EQ(image.texel(0, 0), EGLColor(1u));
  EXPECT_EQ(image.texel(1, 0), EGLColor(2u));
  EXPECT_EQ(image.texel(1, 2), EGLColor(0u));

  EGLImage copy(image);
  image.texel(0, 0) = EGLColor(9u);
  EXPECT_EQ(copy.texel(0, 0), EGLColor(1u));
  EXPECT_EQ(copy.rowCount(), 3);

  // Reading outside the picture would read past the texel list.
  EXPECT_FAILS_WITH(image.texel(2, 0),
                    "(0 <= column) && (column < mColumnCount) && (0 <= row) && (row < mRowCount)");
  EXPECT_FAILS_WITH(image.texel(0, -1),
                    "(0 <= column) && (column < mColumnCount) && (0 <= row) && (row < mRowCount)");
}

TEST(EGLRatio, OnlyFractionsFromZeroToOne) {
  EXPECT_FLOAT_EQ(EGLRatio(0.5f).value(), 0.5f);
  EXPECT_NO_THROW(EGLRatio(1.0f));
  EXPECT_FAILS_WITH(EGLRatio(1.5f), "invariant()");
  EXPECT_FAILS_WITH(EGLRatio(-0.1f), "invariant()");
}

TEST(EGLMatrix, RowVectorsApplyTheLeftMatrixFirst) {
  const EGLMatrix rotation = EGLMatrix::rotationZ(std::numbers::pi_v<float> / 2.0f);
  const EGLMatrix translation = EGLMatrix::translation(100.0f, 0.0f, 0.0f);
  const EGLVector rotatedThenMoved = (rotation * translation).transformPoint({1.0f, 0.0f});
  EXPECT_NEAR(rotatedThenMoved.x, 100.0f, 1e-4);
  EXPECT_NEAR(rotatedThenMoved.y, 1.0f, 1e-4);
  const EGLVector movedThenRotated = (translation * rotation).transformPoint({1.0f, 0.0f});
  EXPECT_NEAR(movedThenRotated.x, 0.0f, 1e-4);
  EXPECT_NEAR(movedThenRotated.y, 101.0f, 1e-4);

  const EGLVector scaled = EGLMatrix::scaling(2.0f, 3.0f, 1.0f).transformPoint({5.0f, 7.0f});
  EXPECT_EQ(scaled, (EGLVector{10.0f, 21.0f}));
}

TEST(EGLMatrix, OffCentreOrthographicMapsTheBoundsOntoTheUnitSquare) {
  const EGLMatrix projection = EGLMatrix::orthoOffCenterLH(-800.0f, 800.0f, -600.0f, 600.0f, -1.0f, 1.0f);
  EXPECT_EQ(projection.transformPoint({800.0f, 600.0f}), (EGLVector{1.0f, 1.0f}));
  EXPECT_EQ(projection.transformPoint({0.0f, 0.0f}), (EGLVector{0.0f, 0.0f}));
  EXPECT_EQ(projection.transformPoint({-800.0f, -600.0f}), (EGLVector{-1.0f, -1.0f}));
  // Depth -1..1 lands on 0..1.
  EXPECT_FLOAT_EQ(projection.m[2][2], 0.5f);
  EXPECT_FLOAT_EQ(projection.m[3][2], 0.5f);

  const EGLMatrix offCentre = EGLMatrix::orthoOffCenterLH(0.0f, 100.0f, 0.0f, 50.0f, -1.0f, 1.0f);
  EXPECT_EQ(offCentre.transformPoint({0.0f, 50.0f}), (EGLVector{-1.0f, 1.0f}));
}

// Image files written byte by byte in a private folder.
struct ImageFile : ::testing::Test {
  fs::path dir = fs::temp_directory_path() / ("vorplex-egl-images-" + std::to_string(::getpid()));
  void SetUp() override { fs::create_directories(dir); }
  void TearDown() override { fs::remove_all(dir); }

  std::string write(const std::vector<unsigned char>& bytes) {
    const fs::path path = dir / "image.egl";
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }

  static std::vector<unsigned char> header(std::vector<unsigned char> counts) {
    std::vector<unsigned char> bytes{'E', 'G', 'L', 'I', 'm', 'a', 'g', 'e'};
    bytes.insert(bytes.end(), counts.begin(), counts.end());
    return bytes;
  }
};

TEST_F(ImageFile, TexelsAreReadAsARGBRowByRow) {
  std::vector<unsigned char> bytes = header({0, 0, 0, 2, 0, 0, 0, 2});
  for (unsigned char b :
       {0xFF, 0x00, 0x00, 0xFF, 0x80, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x01, 0x02, 0x03, 0x04}) {
    bytes.push_back(b);
  }
  bytes.push_back(0xEE);  // bytes after the last texel are ignored
  EGLImage image;
  image.resize(5, 5);
  loadImage(write(bytes), image);
  ASSERT_EQ(image.columnCount(), 2);
  ASSERT_EQ(image.rowCount(), 2);
  EXPECT_EQ(image.texel(0, 0), EGLColor(0xFF0000FFu));
  EXPECT_EQ(image.texel(1, 0), EGLColor(0x80FF0000u));
  EXPECT_EQ(image.texel(0, 1), EGLColor(0x0000FF00u));
  EXPECT_EQ(image.texel(1, 1), EGLColor(0x01020304u));
}

TEST_F(ImageFile, HeaderOnlyFileIsAnEmptyImage) {
  EGLImage image;
  image.resize(3, 3);
  loadImage(write(header({0, 0, 0, 0, 0, 0, 0, 0})), image);
  EXPECT_EQ(image.columnCount(), 0);
  EXPECT_EQ(image.rowCount(), 0);
  EXPECT_TRUE(image.invariant());
}

TEST_F(ImageFile, CountsAreBigEndian) {
  // 00 00 01 00 is 256 columns.
  std::vector<unsigned char> bytes = header({0, 0, 1, 0, 0, 0, 0, 1});
  bytes.resize(bytes.size() + 256 * 4, 0x7F);
  EGLImage image;
  loadImage(write(bytes), image);
  EXPECT_EQ(image.columnCount(), 256);
  EXPECT_EQ(image.rowCount(), 1);
  EXPECT_EQ(image.texel(255, 0), EGLColor(0x7F7F7F7Fu));
}

TEST_F(ImageFile, EachWrongContentByteNamesItsCharacter) {
  const char* const expected[] = {
      "\"Valid file contentID character.\" && memory[memoryIndex] == 'E'",
      "\"Valid file contentID character.\" && memory[memoryIndex] == 'G'",
      "\"Valid file contentID character.\" && memory[memoryIndex] == 'L'",
      "\"Valid file contentID character.\" && memory[memoryIndex] == 'I'",
      "\"Valid file contentID character.\" && memory[memoryIndex] == 'm'",
      "\"Valid file contentID character.\" && memory[memoryIndex] == 'a'",
      "\"Valid file contentID character.\" && memory[memoryIndex] == 'g'",
      "\"Valid file contentID character.\" && memory[memoryIndex] == 'e'",
  };
  for (int index = 0; index < 8; ++index) {
    std::vector<unsigned char> bytes = header({0, 0, 0, 0, 0, 0, 0, 0});
    bytes[static_cast<std::size_t>(index)] ^= 0x20;  // 'I' becomes 'i', 'm' becomes 'M', ...
    EGLImage image;
    const DBGException failure = caughtException([&] { loadImage(write(bytes), image); });
    EXPECT_STREQ(failure.description(), expected[index]) << "byte " << index;
    EXPECT_STREQ(failure.file(), "egltypes");
  }
}

TEST_F(ImageFile, BadCountsAndShortFilesAreRefused) {
  struct Case {
    std::vector<unsigned char> bytes;
    const char* text;
  };
  std::vector<unsigned char> promisesTwoTexels = header({0, 0, 0, 2, 0, 0, 0, 1});
  promisesTwoTexels.resize(promisesTwoTexels.size() + 7, 0);  // one byte short
  const std::vector<Case> cases = {
      {header({0x80, 0, 0, 0, 0, 0, 0, 1}), "\"Valid column count.\" && columnCount>=0"},
      {header({0, 0, 0, 1, 0xFF, 0xFF, 0xFF, 0xFF}), "\"Valid row count.\" && rowCount>=0"},
      {{'E', 'G', 'L', 'I', 'm', 'a', 'g', 'e', 0, 0, 0},
       "\"Image file holds a whole header.\" && (HEADER_SIZE <= fileLength)"},
      {{}, "\"Image file holds a whole header.\" && (HEADER_SIZE <= fileLength)"},
      {promisesTwoTexels, "\"Image file holds every texel.\" && (texelCount <= texelsInFile)"},
      // 2^31 - 1 squared texels: refused from the header, before anything is allocated.
      {header({0x7F, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF}),
       "\"Image file holds every texel.\" && (texelCount <= texelsInFile)"},
  };
  for (const Case& c : cases) {
    EGLImage image;
    EXPECT_FAILS_WITH(loadImage(write(c.bytes), image), c.text);
    EXPECT_EQ(image.columnCount(), 0) << "no partly loaded image";
  }
  EGLImage image;
  EXPECT_FAILS_WITH(loadImage((dir / "missing.egl").string(), image),
                    "\"Image file open successfully.\" && inputFile.is_open()");
  // A folder opens, but has no bytes to read.
  EXPECT_FAILS_WITH(loadImage(dir.string(), image),
                    "\"Image file header read successfully.\" && inputFile.good()");
}

}  // namespace
