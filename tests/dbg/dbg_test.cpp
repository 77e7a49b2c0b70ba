#include "dbg/dbg.h"
#include "support/caughtexception.h"

#include <gtest/gtest.h>

DBG_SOURCE("dbgtest");

namespace {

constexpr int MIN_BUTTON = 0;
constexpr int MAX_BUTTON = 4;

TEST(DBGException, AssertionCarriesExpressionTextModuleAndLine) {
  int button = 7;
  int expectedLine = 0;
  auto e = caughtException([&] {
    // clang-format off
    expectedLine = __LINE__; DBG_ASSERT("Valid mouse button." && (MIN_BUTTON < button) && (button < MAX_BUTTON));
    // clang-format on
  });
  EXPECT_STREQ(e.title(), "Assertion failure");
  EXPECT_STREQ(e.description(), "\"Valid mouse button.\" && (MIN_BUTTON < button) && (button < MAX_BUTTON)");
  EXPECT_STREQ(e.what(), e.description());
  EXPECT_STREQ(e.file(), "dbgtest");
  EXPECT_EQ(e.line(), expectedLine);
}

TEST(DBGException, PassingAssertionThrowsNothing) {
  EXPECT_NO_THROW(DBG_ASSERT(1 + 1 == 2));
}

TEST(DBGException, ErrorAndRunTimeTextSurviveCopies) {
  auto e = caughtException([] { DBG_ERROR("Unknown key ID."); });
  EXPECT_STREQ(e.title(), "Error");
  EXPECT_STREQ(e.description(), "Unknown key ID.");

  DBGException copy = caughtException([] { DBG_FAIL_TEXT(std::string("Couldn't open ") + "audio device"); });
  DBGException second = copy;  // the shared text outlives the first holder
  copy = DBGException("", "", "", 0);
  EXPECT_STREQ(second.description(), "Couldn't open audio device");
  EXPECT_STREQ(second.title(), "Error");
}

}  // namespace
