// The one way tests catch what a module raises.
#pragma once

#include <gtest/gtest.h>

#include "dbg/dbg.h"

// The DBGException that f raises; a failure of the test (and an empty exception) if it raises none.
template <typename F>
DBGException caughtException(F&& f) {
  try {
    f();
  } catch (const DBGException& e) {
    return e;
  }
  ADD_FAILURE() << "no DBGException was raised";
  return DBGException("", "", "", 0);
}
