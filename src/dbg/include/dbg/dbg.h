// Diagnostics: the one exception the game raises, and the macros every module raises it with.
//
// Each source file that checks anything names itself once, before its first check:
//
//     DBG_SOURCE("eca");
//
// and then writes
//
//     DBG_ASSERT(isInitialized());                         // "Assertion failure", "isInitialized()"
//     DBG_ASSERT("Valid button." && (0 < b) && (b < 4));    // the explanation is part of the text
//     DBG_ERROR("Unknown key ID.");                         // "Error", unconditional
//     DBG_FAIL_TEXT(std::string("SDL: ") + SDL_GetError()); // "Error" with a run-time text
//
// The asserted expression's source text becomes the description, so write it exactly as the
// failure report should read.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <string>

class DBGException : public std::exception {
 public:
  // All three strings must outlive the exception: string literals, as the macros pass them.
  DBGException(const char* title, const char* description, const char* file, std::int32_t line) noexcept;

  // For texts only known at run time (a back end's own error message): the exception keeps a
  // shared copy, so copies of the exception stay cheap and valid.
  static DBGException withText(const char* title, std::string description, const char* file,
                               std::int32_t line);

  const char* title() const noexcept { return mTitle; }
  const char* description() const noexcept { return mDescription; }
  const char* file() const noexcept { return mFile; }
  std::int32_t line() const noexcept { return mLine; }
  const char* what() const noexcept override { return mDescription; }

 private:
  const char* mTitle;
  const char* mDescription;
  const char* mFile;
  std::int32_t mLine;
  std::shared_ptr<const std::string> mOwnedDescription;
};

namespace dbg {
inline constexpr const char* ASSERTION_TITLE = "Assertion failure";
inline constexpr const char* ERROR_TITLE = "Error";

[[noreturn]] void raise(const char* title, const char* description, const char* file, std::int32_t line);
[[noreturn]] void raiseText(const char* title, std::string description, const char* file, std::int32_t line);
}  // namespace dbg

// Names the module for every check below it in this file (and only this file).
#define DBG_SOURCE(name)                                       \
  namespace {                                                  \
  [[maybe_unused]] constexpr const char* dbgSourceName = name; \
  }                                                            \
  static_assert(true, "")

#define DBG_ASSERT(condition)                                                                    \
  do {                                                                                           \
    if (!(condition)) ::dbg::raise(::dbg::ASSERTION_TITLE, #condition, dbgSourceName, __LINE__); \
  } while (false)

#define DBG_ERROR(message) ::dbg::raise(::dbg::ERROR_TITLE, message, dbgSourceName, __LINE__)

#define DBG_FAIL_TEXT(text) ::dbg::raiseText(::dbg::ERROR_TITLE, text, dbgSourceName, __LINE__)

// An assertion whose report text is given rather than taken from the expression; for checks a
// back end must phrase in its own words.
#define DBG_ASSERT_TEXT(condition, description)                                                   \
  do {                                                                                            \
    if (!(condition)) ::dbg::raise(::dbg::ASSERTION_TITLE, description, dbgSourceName, __LINE__); \
  } while (false)
