#!/usr/bin/env bash
# The updater downloading a large file from the local test server, next to
# curl fetching the same file from the same server: throughput and ratio.
#   bench/update_download.sh [BUILD_DIR] [SIZE_MB]   (default: build/win64, 200 MB)
# The updater's time is from its start to its end and includes its fixed
# pause of 500 ms before the replacement; that pause is also shown taken out.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(readlink -f "${1:-$root/build/win64}")
size_mb=${2:-200}
[ -f "$build/bin/VantrelUpdate.exe" ] || { echo "no $build/bin/VantrelUpdate.exe; build first" >&2; exit 2; }
case "$(head -c 4096 "$build/bin/VantrelUpdate.exe" | od -An -tx1 | tr -d ' \n')" in *50450000648*) triple=x86_64-w64-mingw32 ;; *) triple=i686-w64-mingw32 ;; esac

work=$build/bench/update
rm -rf "$work"; mkdir -p "$work/program"
head -c $((size_mb * 1024 * 1024)) /dev/urandom > "$work/big.bin"
cp "$build/bin/VantrelUpdate.exe" "$work/program/"
echo old > "$work/program/big.bin"
# The updater starts Vantrel.exe at its end: a program that ends at once.
printf 'int main(){return 0;}\n' > "$work/noop.c"
$triple-gcc -O2 -static -mwindows -o "$work/program/Vantrel.exe" "$work/noop.c"

python3 "$root/tests/support/http_test_server.py" "$work/port" 900 &
server=$!
. "$root/tests/wine/env.sh"
vantrel_wine_env "$build"
own=0
if ! vantrel_wine_session_active; then vantrel_wine_up; own=1; fi
trap 'kill $server 2>/dev/null; [ $own = 1 ] && vantrel_wine_down; rm -f "$work/big.bin" "$work/curl.bin"' EXIT
for _ in $(seq 1 100); do [ -s "$work/port" ] && break; sleep 0.1; done
port=$(cat "$work/port")
url="http://127.0.0.1:$port/big.bin"
curl -s -X POST --data "{\"path\": \"/big.bin\", \"body_file\": \"$work/big.bin\"}" "http://127.0.0.1:$port/__route" >/dev/null

now() { date +%s.%N; }
t0=$(now)
curl -s --noproxy '*' -o "$work/curl.bin" "$url"
t1=$(now)
"$VANTREL_WINE" "$work/program/VantrelUpdate.exe" 1 NONE "$url" "$url" big.bin >/dev/null 2>&1
t2=$(now)
cmp -s "$work/big.bin" "$work/program/big.bin" || { echo "the updater's file differs from the served one" >&2; exit 1; }
python3 - "$size_mb" "$t0" "$t1" "$t2" <<'PY'
import sys
mb = float(sys.argv[1]); t0, t1, t2 = map(float, sys.argv[2:])
curl, upd = t1 - t0, t2 - t1
net = max(upd - 0.5, 1e-6)
print("file: %d MB" % mb)
print("curl:    %6.2f s  %7.1f MB/s" % (curl, mb / curl))
print("updater: %6.2f s  %7.1f MB/s  (without its 500 ms pause: %.2f s, %.1f MB/s)" % (upd, mb / upd, net, mb / net))
print("ratio updater/curl time: %.2f (without the pause: %.2f)" % (upd / curl, net / curl))
PY
