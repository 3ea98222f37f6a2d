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
  # An index that fails to download (a mirror in the middle of a sync) makes
  # apt-get update fail although the packages needed may still install from
  # the indexes it did get, or from older ones: go on, and let the install
  # decide.
  if ! apt-get update -qq; then
    echo "note: apt-get update failed (see above); installing from the package indexes at hand" >&2
  fi
  local log
  log=$(mktemp)
  # shellcheck disable=SC2086
  if ! apt-get install -y -qq --no-install-recommends $missing >"$log" 2>&1; then
    # 32-bit packages must have exactly the version of their 64-bit twins.
    # When the index of one architecture could not be fetched (or is older
    # than the other's), apt offers the two at different versions and
    # cannot install them; then install from the release's own suite, where
    # both architectures have the same versions.
    local mismatched suite
    mismatched=$(kite_i386_mismatches $missing)
    suite=$(. "${KITE_OS_RELEASE:-/etc/os-release}" 2>/dev/null && echo "${VERSION_CODENAME:-}")
    if [ -z "$mismatched" ] || [ -z "$suite" ]; then
      cat "$log" >&2
      rm -f "$log"
      echo "Installing $missing failed (see apt-get's message above)." >&2
      exit 1
    fi
    echo "$mismatched" >&2
    echo "note: 32-bit packages cannot be installed at the versions of their 64-bit twins from these indexes; installing from $suite alone, where both architectures match" >&2
    # shellcheck disable=SC2086
    if ! apt-get install -y -qq --no-install-recommends -t "$suite" $missing >"$log" 2>&1; then
      cat "$log" >&2
      rm -f "$log"
      echo "Installing $missing failed (see apt-get's message above)." >&2
      exit 1
    fi
  fi
  rm -f "$log"
}

# Prints one line per 32-bit package that installing the packages "$@"
# would need and that the indexes offer at another version than its 64-bit
# twin (read from the unmet dependencies of a simulated install); nothing
# when there is none.
kite_i386_mismatches() {
  local name native foreign
  for name in $(apt-get install -s --no-install-recommends "$@" 2>&1 |
                grep -o '[A-Za-z0-9.+-]*:i386' | sort -u); do
    name=${name%:i386}
    native=$(apt-cache policy "$name" 2>/dev/null | sed -n 's/^ *Candidate: //p')
    foreign=$(apt-cache policy "$name:i386" 2>/dev/null | sed -n 's/^ *Candidate: //p')
    if [ -n "$native" ] && [ -n "$foreign" ] && [ "$native" != "$foreign" ] &&
       [ "$native" != "(none)" ] && [ "$foreign" != "(none)" ]; then
      echo "note: $name is offered at $native for $(dpkg --print-architecture) but at $foreign for i386"
    fi
  done
}

# g++: the Linux kitecheck and kitebrand (its C and C++ libraries, linked in
# statically).
KITE_BUILD_PACKAGES=(cmake ninja-build python3 g++ g++-mingw-w64-i686 g++-mingw-w64-x86-64)
# icoutils: wrestool reads back the resources kitebrand writes; openssl and
# osslsigncode sign a branded copy with a throwaway certificate.
KITE_TEST_PACKAGES=(g++ libgtest-dev python3 wine wine64 wine32:i386 xvfb xauth xdotool icoutils
                    openssl osslsigncode)
# The fuzz targets: clang and its sanitizer and libFuzzer runtimes.
KITE_FUZZ_PACKAGES=(clang libclang-rt-14-dev)

# Wine takes its ANSI code page from the locale (LC_CTYPE) and, without the
# glibc locale installed, converts file names, arguments and environment from
# Unix as plain ASCII.  The end-to-end tests run under named locales (a
# Western and a Japanese code page): as root, enable and generate the ones
# that `locale -a` lacks.
kite_require_locales() {
  local name available missing=()
  available=$(locale -a 2>/dev/null | tr 'A-Z' 'a-z' | sed 's/utf-8/utf8/')
  for name in "$@"; do
    local short
    short=$(echo "$name" | tr 'A-Z' 'a-z' | sed 's/utf-8/utf8/')
    grep -qx "$short" <<<"$available" || missing+=("$name")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" != 0 ]; then
    echo "Missing locales: ${missing[*]}" >&2
    echo "Enable them in /etc/locale.gen and run locale-gen (as root), then run again." >&2
    exit 1
  fi
  kite_require_packages locales
  for name in "${missing[@]}"; do
    local charset=${name#*.}
    if grep -q "^# *$name $charset" /etc/locale.gen; then
      sed -i "s/^# *\($name $charset\)/\1/" /etc/locale.gen
    elif ! grep -q "^$name $charset" /etc/locale.gen; then
      echo "$name $charset" >>/etc/locale.gen
    fi
  done
  echo "Generating locales: ${missing[*]}"
  locale-gen >/dev/null
}

# Wine runs 32-bit Windows programs through a 32-bit Linux loader.  Some
# kernels (some virtual machines among them) cannot run 32-bit Linux programs
# at all; there, as root, register the qemu user-mode emulator for them with
# binfmt_misc so the 32-bit launcher can still be tested end to end (slowly:
# the end-to-end run then keeps to its smoke scenarios).
kite_enable_i386_programs() {
  local loader=/lib/ld-linux.so.2
  [ -x "$loader" ] || return 0
  "$loader" --version >/dev/null 2>&1 && return 0
  if [ "$(id -u)" != 0 ]; then
    echo "note: this kernel cannot run 32-bit programs; the kite32 end-to-end test will fail" >&2
    return 0
  fi
  kite_require_packages qemu-user-static
  local binfmt=/proc/sys/fs/binfmt_misc
  [ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
  if [ ! -e "$binfmt/qemu-i386" ]; then
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
      > "$binfmt/register"
  fi
  "$loader" --version >/dev/null 2>&1 || echo "note: 32-bit programs still cannot run here" >&2
}
