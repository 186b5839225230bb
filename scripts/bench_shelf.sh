#!/usr/bin/env bash
# Measures trivane-shelf on a generated shelf of COUNT images (default
# 100000): the real floppy images copied under other names (hard links),
# one copy in five inside a zip archive of five members. Indexed, indexed
# again with nothing changed, then asked; the peak memory of each run said;
# and the duplicates checked: every planted copy is found with the others
# of its disk, and nothing else is.
set -euo pipefail
count="${1:-100000}"
cd "$(dirname "$0")/.."
real="$(pwd)/../shared/real-disks"
[ -d "$real" ] || { echo "no real disks at $real"; exit 1; }
scripts/deps.sh time python3
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build-release -j"$(nproc)" --target trivane-shelf trivane-disk >/dev/null
shelf="$(pwd)/build-release/trivane-shelf"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

python3 - "$real" "$work/shelf" "$count" <<'EOF'
import os, sys, zipfile
real, out, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
floppies = sorted(f for f in os.listdir(real)
                  if os.path.isfile(os.path.join(real, f)) and not f.endswith(('.md', '.hdv')))
os.makedirs(out)
made, n = 0, 0
while made < count:
    folder = os.path.join(out, "box%03d" % (n // 1000))
    os.makedirs(folder, exist_ok=True)
    if n % 5 == 4 and made + 5 <= count:
        with zipfile.ZipFile(os.path.join(folder, "set%06d.zip" % n), "w",
                             zipfile.ZIP_DEFLATED) as z:
            for k in range(5):
                source = floppies[(n + k) % len(floppies)]
                z.write(os.path.join(real, source), "copy%06d-%d-%s" % (n, k, source))
        made += 5
    else:
        source = floppies[n % len(floppies)]
        os.link(os.path.join(real, source), os.path.join(folder, "copy%06d-%s" % (n, source)))
        made += 1
    n += 1
print(f"{made} images from {len(floppies)} real floppies")
EOF

timed() {  # what, then the command: its time and peak memory said
  local what=$1; shift
  /usr/bin/time -f "$what: %e s, %M KB" "$@"
}
db="$work/shelf.db"
# The real folder as dir --json reads it, every file in turn, and as the
# shelf indexes it.
find "$real" -type f -print0 | sort -z >"$work/real-files"
timed "real disks, dir --json" bash -c \
  "xargs -0 build-release/trivane-disk dir --json <'$work/real-files' >/dev/null 2>&1 || true"
timed "real disks, index" "$shelf" index "$real" --db "$work/real.db" >/dev/null
timed "index" "$shelf" index "$work/shelf" --db "$db" | tail -1
timed "index again" "$shelf" index "$work/shelf" --db "$db"
timed "find a name" "$shelf" find 'FORMAT/CMD' --db "$db" >/dev/null
timed "find a pattern" "$shelf" find '*INV*' --db "$db" >/dev/null
timed "find --sha256" "$shelf" find --sha256 "$("$shelf" find 'FORMAT/CMD' --json --db "$db" |
  head -1 | sed 's/.*"sha256":"\([0-9a-f]*\)".*/\1/')" --db "$db" >/dev/null
timed "find --text" "$shelf" find --text 'PRINT CLS' --db "$db" >/dev/null
timed "dupes" "$shelf" dupes --json --db "$db" >"$work/dupes.json"
# A large answer is written as it comes: how soon its first line is there.
timed "find --text, its first hit" bash -c \
  "'$shelf' find --text 'PRINT CLS' --db '$db' | head -1 >/dev/null"
timed "dupes, its first group" bash -c "'$shelf' dupes --json --db '$db' | head -1 >/dev/null"
"$shelf" dupes --json --db "$work/real.db" >"$work/real-dupes.json"
ls -la "$db" | awk '{print "catalogue: " $5 " bytes"}'

python3 - "$work/dupes.json" "$work/real-dupes.json" "$real" <<'EOF'
import json, os, re, sys
def source(path):
    return re.sub(r"^copy\d+-(\d-)?", "", os.path.basename(path))
# The real disks that are one disk already (in two containers, say).
same = {}
for line in open(sys.argv[2]):
    g = json.loads(line)
    if g["kind"] == "disk":
        for p in g["images"]:
            same[os.path.basename(p)] = frozenset(os.path.basename(q) for q in g["images"])
groups = [json.loads(l) for l in open(sys.argv[1])]
disks = [g for g in groups if g["kind"] == "disk"]
wrong = 0
seen = set()
for g in disks:
    sources = {source(p) for p in g["images"]}
    first = next(iter(sources))
    if frozenset(sources) != same.get(first, frozenset([first])):
        wrong += 1
    seen |= sources
real = sys.argv[3]
floppies = {f for f in os.listdir(real)
            if os.path.isfile(os.path.join(real, f)) and not f.endswith(('.md', '.hdv'))}
print(f"{len(disks)} disk groups, {wrong} of them wrong; "
      f"{len(floppies - seen)} of {len(floppies)} real floppies' copies not found")
sys.exit(1 if wrong or floppies - seen else 0)
EOF
