#include "sil/sil.h"

#include "dbg/dbg.h"

DBG_SOURCE("sil");

std::int32_t SILKey::id() const {
  DBG_ASSERT(invariant());
  return mID;
}
