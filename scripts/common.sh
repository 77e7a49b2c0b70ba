# Shared by scripts/play and scripts/check: install what is missing, then configure and build.
set -euo pipefail

VORPLEX_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

vorplex_install_packages() {
  local wanted missing=()
  mapfile -t wanted < <(grep -v '^\s*#' "$VORPLEX_ROOT/scripts/packages.txt" | sed '/^\s*$/d')
  for pkg in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'ok installed'; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing Debian packages: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

# vorplex_build <build-dir> [cmake options...]
vorplex_build() {
  local dir="$1"
  shift
  local werror=OFF
  [ "${CI:-}" = "true" ] && werror=ON
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$VORPLEX_ROOT" -B "$dir" -G Ninja -DVORPLEX_WERROR=$werror "$@"
  else
    cmake "$dir" -DVORPLEX_WERROR=$werror "$@" >/dev/null
  fi
  cmake --build "$dir" --parallel "$(nproc)"
}
