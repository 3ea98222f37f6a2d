#!/usr/bin/env bash
# scripts/lib/packages.sh on a machine whose package indexes are in a bad
# state, with apt-get, apt-cache, dpkg and dpkg-query replaced by fakes that
# log what they are asked: a failed "apt-get update" must not stop the
# install, and 32-bit packages that the indexes offer at other versions than
# their 64-bit twins are named, then installed from the release's own suite.
set -u
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
log="$work/calls"
fake() { printf '#!/usr/bin/env bash\n%s\n' "$2" > "$work/bin/$1"; chmod +x "$work/bin/$1"; }
fake dpkg-query 'exit 1'  # nothing is installed
fake dpkg 'case "$1" in --print-foreign-architectures) echo i386 ;; *) echo amd64 ;; esac'
fake id 'echo 0'
fake apt-cache 'case "$2" in
  libssl3) echo "  Candidate: 3.0.22" ;; libssl3:i386) echo "  Candidate: 3.0.20" ;;
  *) echo "  Candidate: 1.0" ;; esac'
# update fails; an install without "-t" fails as apt does on mismatched
# twins, with "-t" it works.
fake apt-get "echo \"apt-get \$*\" >> '$log'
case \"\$1\" in
  update) echo 'E: Some index files failed to download' >&2; exit 100 ;;
  install) case \" \$* \" in
    *' -s '*) echo ' libcurl4:i386 : Depends: libssl3:i386 (>= 3.0.0) but it is not going to be installed' ;;
    *' -t '*) exit 0 ;;
    *) echo 'E: Unable to correct problems, you have held broken packages.' >&2; exit 100 ;;
  esac ;;
esac"
cat > "$work/os-release" <<'OS'
VERSION_CODENAME=bookworm
OS
output=$(PATH="$work/bin:$PATH" KITE_OS_RELEASE="$work/os-release" bash -c "
  source '$here/../../scripts/lib/packages.sh'
  kite_require_packages wine32:i386 && echo INSTALLED" 2>&1)
failures=0
expect() {
  if ! grep -qF -- "$2" <<<"$1"; then
    echo "FAIL: expected $3: $2"
    failures=$((failures + 1))
  fi
}
expect "$output" "apt-get update failed" "a note that the update failed"
expect "$output" "libssl3 is offered at 3.0.22 for amd64 but at 3.0.20 for i386" "the mismatched twins named"
expect "$output" "INSTALLED" "the install to succeed"
expect "$(cat "$log")" "install -y -qq --no-install-recommends -t bookworm wine32:i386" \
  "an install from the release's suite"
[ "$failures" = 0 ] && echo "packages_test: PASS" || { echo "$output"; echo "packages_test: FAIL"; }
exit "$failures"
