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

KITE_BUILD_PACKAGES=(cmake ninja-build python3 g++-mingw-w64-i686 g++-mingw-w64-x86-64)
# icoutils: wrestool reads back the resources kitebrand writes.
KITE_TEST_PACKAGES=(g++ libgtest-dev python3 wine wine64 wine32:i386 xvfb xauth xdotool icoutils)
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
