// Helpers shared by the graphics library's tests.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "dbg/dbg.h"

// Runs the call and returns the DBGException it raised; a call that raises nothing fails the test.
template <typename Call>
DBGException failureOf(Call&& call) {
  try {
    call();
  } catch (const DBGException& failure) {
    return failure;
  }
  ADD_FAILURE() << "expected a DBGException";
  return DBGException("", "", "", 0);
}

#define EXPECT_FAILS_WITH(call, text)                                                     \
  do {                                                                                    \
    const DBGException failure_ = failureOf([&] { call; });                               \
    EXPECT_EQ(std::string(failure_.description()), std::string(text)) << failure_.file(); \
  } while (false)
