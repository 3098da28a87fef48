#!/usr/bin/env bash
# check_files.sh RELEASE_DIR [BIN_DIR]
# tools/check_release.py accepts the release as built, and refuses it after
# each of a few damages: a changed byte in the zip, a checksum line missing,
# a file renamed to another version, an extra file in the zip.
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
release=$(cd "${1:?usage: check_files.sh RELEASE_DIR [BIN_DIR]}" && pwd)
bin=${2:-}
version=$(sed -n 's/^project(Vantrel VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
check=$root/tools/check_release.py
zip=Vantrel-$version.zip setup=Vantrel-$version-setup.exe
passed=0 failed=0
result() { if [ "$2" = 0 ]; then passed=$((passed + 1)); echo "ok   $1"; else failed=$((failed + 1)); echo "FAIL $1"; fi; }

python3 "$check" "$release" "$version" $bin > /tmp/check_release.$$ 2>&1
rc=$?
[ $rc = 0 ] || cat /tmp/check_release.$$
result "the release as built passes ($(tail -1 /tmp/check_release.$$))" $rc
rm -f /tmp/check_release.$$

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
damage() {  # NAME EXPECTED-FAILURE-TEXT COMMAND (run inside a copy of the release)
  local name=$1 expect=$2 out; shift 2
  rm -rf "$scratch/r"; cp -r "$release" "$scratch/r"
  (cd "$scratch/r" && eval "$*")
  out=$(python3 "$check" "$scratch/r" "$version" 2>&1)
  if [ $? != 0 ] && printf '%s\n' "$out" | grep -q "^FAIL .*$expect"; then result "refused: $name" 0
  else printf '%s\n' "$out"; result "refused: $name" 1; fi
}
damage "a changed byte in the zip" "checksum of $zip" \
  "printf 'X' | dd of=$zip bs=1 seek=100 conv=notrunc status=none"
damage "a changed byte in the installer" "checksum of $setup" \
  "printf 'X' | dd of=$setup bs=1 seek=\$((\$(stat -c %s $setup) - 10)) conv=notrunc status=none"
damage "a checksum line missing" "one line in sha256sum" "sed -i '/setup/d' SHA256SUMS"
damage "a file of another version" "nothing else" "mv $zip Vantrel-1.5.6.3.zip"
damage "an extra file in the zip" "exactly Vantrel.exe and ReadMe.txt" \
  "python3 -c 'import zipfile; zipfile.ZipFile(\"$zip\", \"a\").writestr(\"extra.txt\", \"x\")' && sha256sum $zip $setup > SHA256SUMS"

echo "release file checks: $passed passed, $failed failed"
[ $failed = 0 ]
