#!/usr/bin/env bash
# Lanczos3 throughput on one 1024 x 1024 map-like picture, shrunk to 0.37 and enlarged to 1.2:
# our ResampleBitmap (resample_bench), libvips (`vips resize`) and Pillow (Image.resize with
# LANCZOS), all on one thread, in source megapixels per CPU second (CPU time, so that other
# work on the machine does not skew the figures). Not part of the test suite.
#   usage: bench/imaging/compare_resamplers.sh [BUILD_DIR]     (BUILD_DIR defaults to ./build)
# Needs the Debian packages libvips-tools and python3-pil; a missing one is reported and
# skipped. The vips figures time the command line with the picture in vips' own uncompressed
# format and subtract the time of a plain `vips copy`, so loading and saving do not count.
set -euo pipefail

build=${1:-build}
bench="$build/bench/resample_bench"
if [ ! -x "$bench" ]; then
  echo "compare_resamplers: $bench not found; build the target resample_bench first" >&2
  exit 1
fi

work=$(mktemp -d /tmp/tovral_resamplers.XXXXXX)
trap 'rm -rf "$work"' EXIT
picture="$work/piece.png"
"$bench" --write-picture "$picture" 2>/dev/null

# Pillow lives in Debian's own python3, which may not be the first python3 on the PATH.
python=""
for candidate in /usr/bin/python3 python3; do
  if command -v "$candidate" >/dev/null && "$candidate" -c 'import PIL' 2>/dev/null; then
    python=$candidate
    break
  fi
done
if [ -z "$python" ]; then
  python=$(command -v python3 || true)
  [ -n "$python" ] || { echo "compare_resamplers: python3 is needed to run the comparison" >&2; exit 1; }
  echo "compare_resamplers: Pillow is missing (apt-get install python3-pil); its column stays empty" >&2
fi
if ! command -v vips >/dev/null; then
  echo "compare_resamplers: vips is missing (apt-get install libvips-tools); its column stays empty" >&2
fi

"$bench" --benchmark_filter='BM_Lanczos3/' --benchmark_min_time=1 --benchmark_format=json \
  >"$work/ours.json" 2>/dev/null

PICTURE="$picture" WORK="$work" "$python" - <<'PYTHON'
import json, os, resource, shutil, subprocess, time

picture, work = os.environ["PICTURE"], os.environ["WORK"]
megapixels = 1024 * 1024 / 1e6
scales = (0.37, 1.2)

ours = {}
for run in json.load(open(os.path.join(work, "ours.json")))["benchmarks"]:
    ours[int(run["name"].split("/")[1]) / 100] = run["MP/s"]

def best_time(action, repeats):
    """Least CPU time of this process over several runs of action."""
    best = float("inf")
    for _ in range(repeats):
        start = time.process_time()
        action()
        best = min(best, time.process_time() - start)
    return best

def children_time(action, repeats):
    """Mean CPU time of the child processes that action runs (averaged, since the kernel
    accounts child time in clock ticks)."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    for _ in range(repeats):
        action()
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return (after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime) / repeats

vips = {}
if shutil.which("vips"):
    env = dict(os.environ, VIPS_CONCURRENCY="1")
    native = os.path.join(work, "piece.v")
    out = os.path.join(work, "out.v")
    run = lambda *args: subprocess.run(["vips", *args], check=True, env=env, stdout=subprocess.DEVNULL)
    run("copy", picture, native)
    baseline = children_time(lambda: run("copy", native, out), 30)
    for scale in scales:
        seconds = children_time(lambda: run("resize", native, out, str(scale), "--kernel", "lanczos3"), 30)
        vips[scale] = megapixels / max(seconds - baseline, 1e-6)

pillow = {}
try:
    from PIL import Image
    lanczos = getattr(getattr(Image, "Resampling", Image), "LANCZOS")
    image = Image.open(picture).convert("RGB")
    image.load()
    for scale in scales:
        size = (round(1024 * scale), round(1024 * scale))
        pillow[scale] = megapixels / best_time(lambda: image.resize(size, lanczos), 20)
except ImportError:
    pass

def cell(table, scale):
    return f"{table[scale]:12.1f}" if scale in table else f"{'-':>12}"

print("Lanczos3, 1024 x 1024 map-like picture, one thread, source megapixels per CPU second")
print(f"{'':12}{'shrink 0.37':>12}{'enlarge 1.2':>12}")
for name, table in (("Tovral", ours), ("libvips", vips), ("Pillow", pillow)):
    print(f"{name:12}" + "".join(cell(table, scale) for scale in scales))
PYTHON
