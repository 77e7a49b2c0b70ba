// Checks the generated pictures and score file as the game will read them. The image reader
// here is written from the file format on purpose: it shares no code with the writer.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "imagegen/imagegen.h"

namespace {

struct Image {
  int columns = 0;
  int rows = 0;
  std::vector<std::uint32_t> texels;
  std::uint32_t at(int column, int row) const { return texels[row * columns + column]; }
};

std::string readBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::uint32_t bigEndian(const std::string& bytes, std::size_t offset) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(bytes[offset + i]);
  return v;
}

// Reads an image file; reports the first problem through gtest and returns an empty image.
Image decode(const std::string& bytes) {
  Image image;
  if (bytes.size() < 16 || bytes.compare(0, 8, "EGLImage") != 0) {
    ADD_FAILURE() << "no EGLImage header";
    return image;
  }
  std::uint32_t columns = bigEndian(bytes, 8), rows = bigEndian(bytes, 12);
  if ((columns | rows) & 0x80000000u) {
    ADD_FAILURE() << "negative count";
    return image;
  }
  if (bytes.size() != 16 + 4ull * columns * rows) {
    ADD_FAILURE() << "file is " << bytes.size() << " bytes for " << columns << " x " << rows << " texels";
    return image;
  }
  image.columns = static_cast<int>(columns);
  image.rows = static_cast<int>(rows);
  for (std::size_t i = 0; i < std::size_t{columns} * rows; ++i)
    image.texels.push_back(bigEndian(bytes, 16 + 4 * i));
  return image;
}

Image load(const std::string& name) {
  return decode(readBytes(std::string(VORPLEX_TEST_DATA_DIR) + "/" + name));
}

std::uint32_t alphaOf(std::uint32_t t) {
  return t >> 24;
}
std::uint32_t rgbOf(std::uint32_t t) {
  return t & 0x00FFFFFF;
}

TEST(EglEncoding, WritesMagicBigEndianCountsAndArgbTexels) {
  imagegen::Picture picture(2, 2);
  picture.at(0, 0) = 0xFF0000FF;
  picture.at(1, 0) = 0x80FF0000;
  picture.at(0, 1) = 0x0000FF00;
  picture.at(1, 1) = 0x01020304;
  const char expected[] =
      "EGLImage"
      "\0\0\0\2\0\0\0\2"
      "\xFF\x00\x00\xFF"
      "\x80\xFF\x00\x00"
      "\x00\x00\xFF\x00"
      "\x01\x02\x03\x04";
  EXPECT_EQ(imagegen::encodeEglImage(picture), std::string(expected, sizeof expected - 1));
}

// --- Every picture file ---------------------------------------------------------------

struct SheetCase {
  const char* file;
  int frameColumns;
  int frameRows;
};

// The frame grids the game cuts each texture into.
const SheetCase SHEETS[] = {
    {"font.egl", 16, 16}, {"blobs.egl", 4, 4},   {"pills.egl", 8, 8},    {"bullets.egl", 2, 2},
    {"gun.egl", 1, 1},    {"vorplex.egl", 1, 1}, {"tarnwick.egl", 1, 1}, {"particles.egl", 4, 4},
    {"stars.egl", 4, 4},  {"plate.egl", 1, 1},   {"scenery.egl", 1, 1},
};

std::ostream& operator<<(std::ostream& out, const SheetCase& sheet) {
  return out << sheet.file;
}

class EveryPicture : public ::testing::TestWithParam<SheetCase> {};

TEST_P(EveryPicture, IsASquarePowerOfTwoThatTheGridDivides) {
  const SheetCase& sheet = GetParam();
  Image image = load(sheet.file);
  ASSERT_GT(image.columns, 0) << sheet.file;
  EXPECT_EQ(image.columns, image.rows);
  EXPECT_EQ(image.columns & (image.columns - 1), 0) << image.columns << " is not a power of two";
  EXPECT_LE(image.columns, 1024) << "larger textures are not safe on every adapter";
  EXPECT_EQ(image.columns % sheet.frameColumns, 0);
  EXPECT_EQ(image.rows % sheet.frameRows, 0);
  EXPECT_EQ(imagegen::pictureInfo(sheet.file).frameColumns, sheet.frameColumns);
  EXPECT_EQ(imagegen::pictureInfo(sheet.file).frameRows, sheet.frameRows);
}

INSTANTIATE_TEST_SUITE_P(Files, EveryPicture, ::testing::ValuesIn(SHEETS), [](const auto& info) {
  std::string name = info.param.file;
  return name.substr(0, name.find('.'));
});

TEST(PictureTable, ListsTheElevenFilesInLoadingOrder) {
  std::vector<std::string> names;
  for (const imagegen::PictureInfo& info : imagegen::pictureTable()) names.push_back(info.fileName);
  EXPECT_EQ(names, (std::vector<std::string>{"font.egl", "blobs.egl", "pills.egl", "bullets.egl", "gun.egl",
                                             "vorplex.egl", "tarnwick.egl", "particles.egl", "stars.egl",
                                             "plate.egl", "scenery.egl"}));
}

// --- Font ------------------------------------------------------------------------------

class FontSheet : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sImage = load("font.egl"); }
  static Image sImage;
  int cell() const { return sImage.columns / 16; }
  std::uint32_t texel(int code, int column, int row) const {
    return sImage.at((code % 16) * cell() + column, (code / 16) * cell() + row);
  }
  bool isInk(std::uint32_t t) const { return t != 0; }
  // The label's measurement: non-zero texels in all but the cell's last column.
  std::pair<int, int> measuredColumns(int code) const {
    int first = cell() - 1, last = 0;
    for (int row = 0; row < cell(); ++row) {
      for (int column = 0; column < cell() - 1; ++column) {
        if (isInk(texel(code, column, row))) {
          first = std::min(first, column);
          last = std::max(last, column);
        }
      }
    }
    if (last < first) last = first;
    return {first, last};
  }
  int lastInkRow(int code) const {
    for (int row = cell() - 1; row >= 0; --row) {
      for (int column = 0; column < cell(); ++column) {
        if (alphaOf(texel(code, column, row)) != 0) return row;
      }
    }
    return -1;
  }
  bool cellHasInk(int code) const {
    for (int row = 0; row < cell(); ++row) {
      for (int column = 0; column < cell(); ++column) {
        if (isInk(texel(code, column, row))) return true;
      }
    }
    return false;
  }
};
Image FontSheet::sImage;

TEST_F(FontSheet, InkIsWhiteWithCoverageInAlphaAndEverythingElseIsZero) {
  ASSERT_EQ(sImage.columns, 512);
  for (int code = 0; code < 256; ++code) {
    bool space = code == 32 || code == 160;
    for (int row = 0; row < cell(); ++row) {
      for (int column = 0; column < cell(); ++column) {
        std::uint32_t t = texel(code, column, row);
        if (alphaOf(t) != 0) {
          ASSERT_EQ(rgbOf(t), 0xFFFFFFu) << "code " << code;
        } else if (!space) {
          ASSERT_EQ(t, 0u) << "code " << code << " column " << column << " row " << row;
        }
      }
    }
  }
}

TEST_F(FontSheet, SpacesAreInvisibleButAThirdOfACellWide) {
  for (int code : {32, 160}) {
    for (int row = 0; row < cell(); ++row) {
      for (int column = 0; column < cell(); ++column) {
        std::uint32_t t = texel(code, column, row);
        EXPECT_TRUE(t == 0u || t == 0x00FFFFFFu) << std::hex << t;
      }
    }
    auto [first, last] = measuredColumns(code);
    EXPECT_EQ(first, 0);
    int width = last - first + 1;
    EXPECT_GE(width, cell() / 4);
    EXPECT_LE(width, cell() / 2);
  }
}

TEST_F(FontSheet, PrintableLatin1CodesHaveInkAndControlCodesNone) {
  for (int code = 0; code < 256; ++code) {
    bool control = code < 32 || (code >= 127 && code < 160);
    EXPECT_EQ(cellHasInk(code), !control) << "code " << code;
  }
}

TEST_F(FontSheet, GlyphsStartAtTheCellsLeftAndLeaveTheUnmeasuredColumnEmpty) {
  for (int code = 33; code < 256; ++code) {
    if (!cellHasInk(code)) continue;
    EXPECT_EQ(measuredColumns(code).first, 0) << "code " << code;
    for (int row = 0; row < cell(); ++row) EXPECT_EQ(texel(code, cell() - 1, row), 0u) << "code " << code;
  }
}

TEST_F(FontSheet, LettersShareOneBaseline) {
  const std::string flatBottomed = "EFHIKLMNTXZxz1";
  int baseline = lastInkRow(static_cast<unsigned char>('E'));
  for (char c : flatBottomed) EXPECT_EQ(lastInkRow(static_cast<unsigned char>(c)), baseline) << c;
  for (char c : std::string("gjpqy")) EXPECT_GT(lastInkRow(static_cast<unsigned char>(c)), baseline + 2) << c;
  EXPECT_LT(baseline, cell() - 3) << "no room left for descenders";
}

TEST_F(FontSheet, ProportionalWidthsFollowTheLetters) {
  auto width = [this](char c) {
    auto [first, last] = measuredColumns(static_cast<unsigned char>(c));
    return last - first + 1;
  };
  EXPECT_GT(width('W'), width('n'));
  EXPECT_GT(width('n'), width('i'));
  EXPECT_GT(width('m'), width('r'));
  EXPECT_LT(width('.'), width(' '));
}

// --- Sprite sheets -----------------------------------------------------------------------

struct FrameCase {
  const char* file;
  int frameColumns;
  int frameRows;
  bool additive;  // black is see-through; otherwise alpha 0 is
};

std::ostream& operator<<(std::ostream& out, const FrameCase& sheet) {
  return out << sheet.file;
}

class SpriteFrames : public ::testing::TestWithParam<FrameCase> {};

TEST_P(SpriteFrames, EveryFrameHasAPictureAndASeeThroughBorder) {
  const FrameCase& sheet = GetParam();
  Image image = load(sheet.file);
  ASSERT_GT(image.columns, 0);
  auto clear = [&](std::uint32_t t) { return sheet.additive ? rgbOf(t) == 0 : alphaOf(t) == 0; };
  const int fw = image.columns / sheet.frameColumns, fh = image.rows / sheet.frameRows;
  for (int fr = 0; fr < sheet.frameRows; ++fr) {
    for (int fc = 0; fc < sheet.frameColumns; ++fc) {
      int lit = 0;
      bool borderClear = true;
      for (int y = 0; y < fh; ++y) {
        for (int x = 0; x < fw; ++x) {
          std::uint32_t t = image.at(fc * fw + x, fr * fh + y);
          bool border = x == 0 || y == 0 || x == fw - 1 || y == fh - 1;
          if (!clear(t)) {
            ++lit;
            if (border) borderClear = false;
          }
        }
      }
      EXPECT_GT(lit, fw * fh / 20) << "frame " << fc << "," << fr << " is (nearly) empty";
      // Filtering at a frame's edge must not pick up its neighbour, and no square may show.
      EXPECT_TRUE(borderClear) << "frame " << fc << "," << fr;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sheets, SpriteFrames,
    ::testing::Values(FrameCase{"blobs.egl", 4, 4, false}, FrameCase{"pills.egl", 8, 8, false},
                      FrameCase{"bullets.egl", 2, 2, false}, FrameCase{"gun.egl", 1, 1, false},
                      FrameCase{"particles.egl", 4, 4, true}, FrameCase{"stars.egl", 4, 4, false},
                      FrameCase{"tarnwick.egl", 1, 1, false}, FrameCase{"plate.egl", 1, 1, false},
                      FrameCase{"vorplex.egl", 1, 1, true}),
    [](const auto& info) {
      std::string name = info.param.file;
      return name.substr(0, name.find('.'));
    });

// Mean colour of a frame's visible texels, weighted by alpha.
std::array<double, 3> meanColour(const Image& image, int left, int top, int size) {
  std::array<double, 3> sum{};
  double weight = 0;
  for (int y = top; y < top + size; ++y) {
    for (int x = left; x < left + size; ++x) {
      std::uint32_t t = image.at(x, y);
      double a = alphaOf(t) / 255.0;
      sum[0] += a * ((t >> 16) & 0xFF);
      sum[1] += a * ((t >> 8) & 0xFF);
      sum[2] += a * (t & 0xFF);
      weight += a;
    }
  }
  for (double& s : sum) s /= weight;
  return sum;
}

// Index of the game colour (red, green, blue, purple) nearest to a colour.
int nearestGameColour(const std::array<double, 3>& c) {
  const std::uint32_t colours[] = {0xFE015A, 0x90FF00, 0x008AFF, 0xD200FF};
  int best = -1;
  double bestDistance = 1e18;
  for (int i = 0; i < 4; ++i) {
    double dr = c[0] - ((colours[i] >> 16) & 0xFF), dg = c[1] - ((colours[i] >> 8) & 0xFF),
           db = c[2] - (colours[i] & 0xFF);
    double d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

TEST(BlobSheet, RowsAreRedGreenBluePurple) {
  Image image = load("blobs.egl");
  int frame = image.columns / 4;
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      EXPECT_EQ(nearestGameColour(meanColour(image, column * frame, row * frame, frame)), row)
          << "frame " << column << "," << row;
    }
  }
}

TEST(BulletSheet, FramesSitWhereBulletsOfEachColourLookForThem) {
  Image image = load("bullets.egl");
  int frame = image.columns / 2;
  // Column 1 for green and purple, row 1 for blue and purple.
  const int expected[2][2] = {{0, 1}, {2, 3}};
  for (int row = 0; row < 2; ++row) {
    for (int column = 0; column < 2; ++column) {
      EXPECT_EQ(nearestGameColour(meanColour(image, column * frame, row * frame, frame)),
                expected[row][column]);
    }
  }
}

TEST(PillSheet, EveryEffectShowsItsOwnSignAndUnusedIdsArePlain) {
  Image image = load("pills.egl");
  int frame = image.columns / 8;
  auto frameTexels = [&](int effectId) {
    int column = (effectId - 1) % 8, row = (effectId - 1) / 8;
    std::vector<std::uint32_t> texels;
    for (int y = 0; y < frame; ++y) {
      for (int x = 0; x < frame; ++x) texels.push_back(image.at(column * frame + x, row * frame + y));
    }
    return texels;
  };
  std::set<int> withEffect = {17, 18, 25, 26, 57, 58};
  for (int id = 1; id <= 16; ++id) withEffect.insert(id);
  for (int id = 41; id <= 56; ++id) withEffect.insert(id);
  const int plainOfRow[8] = {0, 0, 19, 27, 33, 0, 0, 59};
  std::set<std::vector<std::uint32_t>> seen;
  for (int id = 1; id <= 64; ++id) {
    int row = (id - 1) / 8;
    std::vector<std::uint32_t> texels = frameTexels(id);
    if (withEffect.count(id)) {
      EXPECT_TRUE(seen.insert(texels).second) << "effect " << id << " looks like another pill";
    } else {
      ASSERT_NE(plainOfRow[row], 0);
      EXPECT_EQ(texels, frameTexels(plainOfRow[row])) << "unused effect " << id << " is not a plain capsule";
    }
  }
  // The plain capsules of the three colours differ from every effect pill too.
  for (int plain : {19, 27, 59}) EXPECT_TRUE(seen.insert(frameTexels(plain)).second);
}

// --- Backgrounds ---------------------------------------------------------------------------

TEST(Scenery, IsOpaqueAndDarkEnoughForBlobsToStandOut) {
  Image image = load("scenery.egl");
  double sum = 0;
  for (std::uint32_t t : image.texels) {
    ASSERT_EQ(alphaOf(t), 0xFFu);
    sum += 0.3 * ((t >> 16) & 0xFF) + 0.59 * ((t >> 8) & 0xFF) + 0.11 * (t & 0xFF);
  }
  EXPECT_LT(sum / image.texels.size(), 0.1 * 255);
}

TEST(VorplexLogo, HangsFromTheTopEdgeLeavingTheScreensMiddleAlone) {
  // Drawn over the upper half of the screen; its lower quarter reaches the centre.
  Image image = load("vorplex.egl");
  for (int y = image.rows * 3 / 4; y < image.rows; ++y) {
    for (int x = 0; x < image.columns; ++x) ASSERT_EQ(rgbOf(image.at(x, y)), 0u) << x << "," << y;
  }
}

TEST(TarnwickLogo, KeepsClearOfTheTwoScrollingLines) {
  // The logo stands on the bottom edge, 512 units tall; the scrolling lines run 48 to 144
  // units above that edge and are drawn before it.
  Image image = load("tarnwick.egl");
  double texelsPerUnit = image.rows / 512.0;
  for (int y = static_cast<int>(image.rows - 144 * texelsPerUnit); y < image.rows - 48 * texelsPerUnit; ++y) {
    for (int x = 0; x < image.columns; ++x) ASSERT_EQ(alphaOf(image.at(x, y)), 0u) << x << "," << y;
  }
}

// --- Hall of fame ---------------------------------------------------------------------------

TEST(StartingHighscores, AreTenBestFirstRecordsTheScoreTableReads) {
  std::string text = readBytes(std::string(VORPLEX_TEST_DATA_DIR) + "/highscores.txt");
  EXPECT_EQ(text, imagegen::startingHighscores());
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.back(), '\n');
  EXPECT_EQ(text.find('\r'), std::string::npos);
  std::istringstream in(text);
  std::vector<int> scores;
  std::set<std::string> names;
  std::string name, scoreLine;
  while (std::getline(in, name) && std::getline(in, scoreLine)) {
    EXPECT_FALSE(name.empty());
    EXPECT_LE(name.size(), 20u) << "longer than the name entry allows";
    std::size_t used = 0;
    int score = std::stoi(scoreLine, &used);
    EXPECT_EQ(used, scoreLine.size()) << scoreLine;
    EXPECT_EQ(score % 100, 0) << "points come in hundreds";
    scores.push_back(score);
    names.insert(name);
  }
  EXPECT_EQ(scores.size(), 10u);
  EXPECT_EQ(names.size(), 10u);
  for (std::size_t i = 1; i < scores.size(); ++i) EXPECT_GT(scores[i - 1], scores[i]);
}

}  // namespace
