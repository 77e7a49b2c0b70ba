#include "dbg/dbg.h"

#include <utility>

DBGException::DBGException(const char* title, const char* description, const char* file,
                           std::int32_t line) noexcept
    : mTitle(title), mDescription(description), mFile(file), mLine(line) {}

DBGException DBGException::withText(const char* title, std::string description, const char* file,
                                    std::int32_t line) {
  auto owned = std::make_shared<const std::string>(std::move(description));
  DBGException exception(title, owned->c_str(), file, line);
  exception.mOwnedDescription = std::move(owned);
  return exception;
}

namespace dbg {
void raise(const char* title, const char* description, const char* file, std::int32_t line) {
  throw DBGException(title, description, file, line);
}

void raiseText(const char* title, std::string description, const char* file, std::int32_t line) {
  throw DBGException::withText(title, std::move(description), file, line);
}
}  // namespace dbg
