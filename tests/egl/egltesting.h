// Helpers shared by the graphics library's tests.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "dbg/dbg.h"
#include "support/caughtexception.h"

#define EXPECT_FAILS_WITH(call, text)                                                     \
  do {                                                                                    \
    const DBGException failure_ = caughtException([&] { call; });                         \
    EXPECT_EQ(std::string(failure_.description()), std::string(text)) << failure_.file(); \
  } while (false)
