#include <set>

#include "dbg/dbg.h"
#include "sil/sil.h"
#include "sil/silimp.h"

DBG_SOURCE("silboot");

namespace {
std::set<SIL*>& openSILs() {
  static std::set<SIL*> mOpenSILs;
  return mOpenSILs;
}
}  // namespace

SIL* openSIL(std::int32_t implementation, void* windowHandle) {
  DBG_ASSERT("Valid implementation." && (implementation == DIRECT_INPUT_IMPLEMENTATION));
  DBG_ASSERT("Valid window handle pointer." && windowHandle);
  SILImp* silImp = new SILImp(windowHandle);
  DBG_ASSERT("SIL implementation created successfully." && silImp);
  openSILs().insert(silImp);
  return silImp;
}

void closeSIL(SIL* sil) {
  std::set<SIL*>& mOpenSILs = openSILs();
  DBG_ASSERT("Valid SIL pointer." && sil);
  DBG_ASSERT("SIL is open." && (mOpenSILs.find(sil) != mOpenSILs.end()));
  mOpenSILs.erase(sil);
  delete sil;
}
