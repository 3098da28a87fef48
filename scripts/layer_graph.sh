#!/usr/bin/env bash
# Draws the main program's CMake target graph (libraries and deliverables, no
# tests or system libraries) into docs/layers.dot and docs/layers.svg.
#   scripts/layer_graph.sh          write both files
#   scripts/layer_graph.sh --check  fail when docs/layers.dot is not the graph
#                                   of the tree as it is (scripts/test.sh runs this)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/build"
# CMake reads the options from the build folder.
cat > "$work/build/CMakeGraphVizOptions.cmake" <<'OPT'
set(GRAPHVIZ_GRAPH_NAME "Vantrel")
set(GRAPHVIZ_EXTERNAL_LIBS FALSE)
set(GRAPHVIZ_GENERATE_PER_TARGET FALSE)
set(GRAPHVIZ_GENERATE_DEPENDERS FALSE)
set(GRAPHVIZ_IGNORE_TARGETS "^gtest" "^win_" "^e2e" "test" "^layer_link_check" "^fake_" "bench$" "^wait_window$" "^show_.*_window$")
OPT
cmake -S "$root" -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DVANTREL_BUILD_TESTS=OFF --graphviz="$work/graph.dot" >/dev/null
# Node ids are numbered by CMake; keep the file stable and readable.
python3 - "$work/graph.dot" "$work/layers.dot" <<'PY'
import re, sys
text = open(sys.argv[1]).read()
names = dict(re.findall(r'"(node\d+)" \[ label = "([^"]+)"', text))
edges = sorted(set((names[a], names[b]) for a, b in re.findall(r'"(node\d+)" -> "(node\d+)"', text)
                   if a in names and b in names))
out = ['digraph "Vantrel" {', '  rankdir = BT;', '  node [shape = box, fontname = "Helvetica", fontsize = 10];']
for n in sorted(set(names.values())):
    shape = 'box3d' if n in ('Vantrel', 'VantrelUpdate', 'Schedlet') else 'box'
    out.append(f'  "{n}" [shape = {shape}];')
for a, b in edges:
    out.append(f'  "{a}" -> "{b}";')
out.append('}')
open(sys.argv[2], 'w').write('\n'.join(out) + '\n')
PY
if [ "${1:-}" = --check ]; then
  if ! diff -u "$root/docs/layers.dot" "$work/layers.dot"; then
    echo "docs/layers.dot is out of date: run scripts/layer_graph.sh" >&2
    exit 1
  fi
  echo "layer graph: docs/layers.dot matches the build"
  exit 0
fi
cp "$work/layers.dot" "$root/docs/layers.dot"
command -v dot >/dev/null || { apt-get install -y -qq --no-install-recommends graphviz >/dev/null; }
dot -Tsvg "$root/docs/layers.dot" -o "$root/docs/layers.svg"
echo "wrote docs/layers.dot and docs/layers.svg"
