#include "egc/egcdatafiles.h"

#include <filesystem>
#include <system_error>

#include "dbg/dbg.h"

DBG_SOURCE("egc");

namespace fs = std::filesystem;

std::vector<std::string> egcDataDirectories() {
  std::vector<std::string> dirs;
  std::error_code ec;
  fs::path cwd = fs::current_path(ec);
  dirs.push_back(ec ? std::string(".") : cwd.string());
  // The executable's own folder tells where its data was built or installed, so the game
  // starts from any working directory.
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    fs::path bin = exe.parent_path();
    for (const fs::path& candidate : {bin.parent_path() / "data", bin.parent_path() / "share" / "vorplex"}) {
      if (fs::is_directory(candidate, ec)) dirs.push_back(candidate.lexically_normal().string());
    }
  }
  return dirs;
}

std::string egcFindDataFile(const std::string& name) {
  std::vector<std::string> dirs = egcDataDirectories();
  std::error_code ec;
  for (const std::string& dir : dirs) {
    fs::path candidate = fs::path(dir) / name;
    if (fs::is_regular_file(candidate, ec)) return candidate.string();
  }
  std::string places;
  for (const std::string& dir : dirs) places += (places.empty() ? "" : ", ") + dir;
  DBG_FAIL_TEXT("Data file \"" + name + "\" not found. Looked in: " + places + ".");
}
