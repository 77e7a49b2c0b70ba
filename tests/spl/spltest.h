// Helpers shared by the physics tests.
#pragma once

#include <gtest/gtest.h>

#include "dbg/dbg.h"
#include "spl/spl.h"
#include "support/caughtexception.h"

namespace spltest {

// Checks that f raises the library's error with this title and text.
template <typename F>
void expectFailure(F&& f, const char* title, const char* text) {
  const DBGException e = caughtException(f);
  EXPECT_STREQ(e.title(), title);
  EXPECT_STREQ(e.description(), text);
  EXPECT_STREQ(e.file(), "spl");
}

inline SPLSphere sphere(SPLVector position, double radius = 10.0, int solidity = SPLShape::SOLID,
                        double mass = 1.0, SPLVector velocity = SPLVector()) {
  return SPLSphere(radius, mass, solidity, 0.0, position, velocity, SPLVector(), 0.0, nullptr);
}

}  // namespace spltest

inline std::ostream& operator<<(std::ostream& out, const SPLVector& v) {
  return out << "(" << v.x() << ", " << v.y() << ")";
}
