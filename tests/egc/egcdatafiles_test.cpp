#include "egc/egcdatafiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "dbg/dbg.h"

namespace fs = std::filesystem;

namespace {

struct InTempDir : ::testing::Test {
  fs::path old = fs::current_path();
  fs::path dir = fs::temp_directory_path() / ("vorplex-datafiles-" + std::to_string(::getpid()));
  void SetUp() override {
    fs::create_directories(dir);
    fs::current_path(dir);
  }
  void TearDown() override {
    fs::current_path(old);
    fs::remove_all(dir);
  }
};

TEST_F(InTempDir, WorkingDirectoryComesFirstThenTheBuildData) {
  auto dirs = egcDataDirectories();
  ASSERT_GE(dirs.size(), 2u);
  EXPECT_EQ(fs::path(dirs[0]), fs::current_path());
  // Test programs live in <build>/tests, so the build's data folder is found beside them.
  EXPECT_EQ(fs::path(dirs[1]), fs::path(VORPLEX_TEST_DATA_DIR).lexically_normal());

  std::ofstream(dir / "here.txt") << "x";
  EXPECT_EQ(fs::path(egcFindDataFile("here.txt")), fs::current_path() / "here.txt");
}

TEST_F(InTempDir, MissingFileNamesItselfAndThePlacesSearched) {
  try {
    egcFindDataFile("nowhere.egl");
    FAIL() << "no exception";
  } catch (const DBGException& e) {
    std::string text = e.description();
    EXPECT_STREQ(e.title(), "Error");
    EXPECT_NE(text.find("\"nowhere.egl\""), std::string::npos) << text;
    EXPECT_NE(text.find(fs::current_path().string()), std::string::npos) << text;
    EXPECT_NE(text.find(fs::path(VORPLEX_TEST_DATA_DIR).lexically_normal().string()), std::string::npos)
        << text;
  }
}

}  // namespace
