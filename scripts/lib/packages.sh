# Installs the Debian packages a script needs when they are missing.
# Sourced by scripts/build and scripts/test.  As root it installs with
# apt-get; otherwise it names what is missing and stops.

kite_missing_packages() {
  local package missing=()
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
      missing+=("$package")
    fi
  done
  echo "${missing[@]:-}"
}

kite_require_packages() {
  local missing
  missing=$(kite_missing_packages "$@")
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" != 0 ]; then
    echo "Missing packages: $missing" >&2
    echo "Install them (as root: apt-get install $missing) and run again." >&2
    exit 1
  fi
  # Packages for i386 (wine32:i386) need the architecture enabled first.
  if [[ " $missing " == *":i386"* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  echo "Installing: $missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  # shellcheck disable=SC2086
  apt-get install -y -qq --no-install-recommends $missing >/dev/null
}

KITE_BUILD_PACKAGES=(cmake ninja-build g++-mingw-w64-i686 g++-mingw-w64-x86-64)
KITE_TEST_PACKAGES=(g++ libgtest-dev python3 wine wine64 wine32:i386 xvfb xauth xdotool)
