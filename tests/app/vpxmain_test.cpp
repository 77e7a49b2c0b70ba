#include "app/vpxmain.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(VPXFatalReport, TextNamesTheProductTheFileTheLineAndTheWholeDescription) {
  std::string longDescription =
      "\"Valid keyStateIndex.\" && (0 <= keyStateIndex) && (keyStateIndex < DI_KEY_COUNT)" +
      std::string(400, 'x');
  DBGException e("Assertion failure", longDescription.c_str(), "silimp", 123);
  EXPECT_EQ(
      fatalReportText(e),
      "Unfortunately Vorplex has encountered an unrecoverable error. If this problem persists please contact "
      "our "
      "support available from the start menu. In your mail try to specify as closely as possible under which "
      "circumstance(s) this error message shows up. Also please include the error information provided "
      "below. "
      "Thanks in advance for helping us to improve this game.\n"
      "\n"
      "Product: Vorplex 1.0\n"
      "Filename: silimp\n"
      "Line: 123\n"
      "Description: " +
          longDescription);
  EXPECT_STREQ(FATAL_REPORT_CAPTION, "Vorplex unrecoverable error");
}

TEST(VPXFatalReport, TheTitleDoesNotAppear) {
  DBGException e("Error", "Unknown key ID.", "vpxevent", 7);
  std::string text = fatalReportText(e);
  EXPECT_EQ(text.find("Error\n"), std::string::npos);
  EXPECT_TRUE(text.ends_with("\nLine: 7\nDescription: Unknown key ID.")) << text;
}

}  // namespace

namespace {

TEST(VPXFatalReport, MessageBoxLinesAreWrappedAtSpacesAndLongWordsAreBroken) {
  EXPECT_EQ(wrapLines("one two three four", 9), "one two\nthree\nfour");
  EXPECT_EQ(wrapLines("ab\n\nabcdefghij k", 4), "ab\n\nabcd\nefgh\nij k");
  EXPECT_EQ(wrapLines("short\nlines stay", 20), "short\nlines stay");
  DBGException e("Error", "Unknown key ID.", "vpxevent", 7);
  std::string wrapped = wrapLines(fatalReportText(e), 72);
  std::string unwrapped = wrapped;
  for (char& c : unwrapped) {
    if (c == '\n') c = ' ';
  }
  std::string original = fatalReportText(e);
  for (char& c : original) {
    if (c == '\n') c = ' ';
  }
  EXPECT_EQ(unwrapped, original) << "only line breaks change";
  std::size_t longest = 0, start = 0;
  for (std::size_t end; (end = wrapped.find('\n', start)) != std::string::npos; start = end + 1) {
    longest = std::max(longest, end - start);
  }
  EXPECT_LE(longest, 72u);
}

}  // namespace
