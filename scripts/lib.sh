# Helpers shared by the project's scripts. Source it; don't run it.

# Installs the Debian packages among "$@" that are not installed yet.
# apt-get update runs only when something is missing.
cbf_ensure_packages() {
  local missing=()
  local package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== installing ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# The packages every native build needs.
CBF_BUILD_PACKAGES=(cmake ninja-build g++ zlib1g-dev libsqlite3-dev libgtest-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev python3)

cbf_jobs() {
  nproc 2>/dev/null || echo 2
}
