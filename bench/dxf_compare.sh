#!/bin/bash
# Side-by-side timing of the DXF read on one generated drawing of 100,000
# entities (lines, arcs, circles, bulged LWPOLYLINEs; bench/dxf_generate.h):
#   - ezdxf:       python3 -c "import ezdxf; ezdxf.readfile(...)"  (Debian python3-ezdxf)
#   - dxf-parser:  node, parseSync of the file's text               (npm dxf-parser)
#   - Tolva:       bench/dxf_read_bench on the same file, Google Benchmark median
# and then Tolva's whole DXF -> program of 100,000 shuffled pieces
# (bench/dxf_import_bench, median of its repetitions, drawn direction kept and
# closed paths oriented).
#
# Usage: bench/dxf_compare.sh [BUILD_DIR] [RUNS]
#   BUILD_DIR  a CMake build folder with bench/dxf_read_bench and bench/dxf_import_bench
#              built (default: build)
#   RUNS       runs of each outside reader (default 5)
# Missing outside readers are installed on demand: python3-ezdxf with apt-get,
# dxf-parser with npm into /tmp/tolva-dxf-compare (never into the source tree).
#
# Every time is given as wall time and CPU time (user + system of the
# process); the machine may be busy with other work, and CPU time is the
# steadier figure then. For the outside readers the whole command is timed
# (interpreter start and module load included, as the command above reads)
# and, separately, the read alone inside the process.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../build}"
runs="${2:-5}"
bench_bin="$build/bench/dxf_read_bench"
import_bin="$build/bench/dxf_import_bench"
work="/tmp/tolva-dxf-compare"
drawing="$work/drawing_100000.dxf"
python=/usr/bin/python3

for bin in "$bench_bin" "$import_bin"; do
    if [ ! -x "$bin" ]; then
        echo "dxf_compare: $bin is missing; build it first (ninja -C $build $(basename "$bin"))" >&2
        exit 1
    fi
done
mkdir -p "$work"

if ! "$python" -c "import ezdxf" 2>/dev/null; then
    echo "dxf_compare: installing python3-ezdxf" >&2
    apt-get install -y python3-ezdxf >&2
fi
if [ ! -d "$work/node_modules/dxf-parser" ]; then
    echo "dxf_compare: installing dxf-parser into $work" >&2
    (cd "$work" && npm install --no-audit --no-fund --silent dxf-parser >&2)
fi

"$bench_bin" --write-drawing="$drawing"

cat > "$work/read_ezdxf.py" <<'EOF'
import resource, sys, time
t0, c0 = time.perf_counter(), time.process_time()
import ezdxf
doc = ezdxf.readfile(sys.argv[1])
t1, c1 = time.perf_counter(), time.process_time()
n = len(doc.modelspace())
print(f"inner {t1 - t0:.6f} {c1 - c0:.6f} {n}")
EOF
cat > "$work/read_dxf_parser.js" <<'EOF'
const fs = require('fs');
const m = require('dxf-parser');
const DxfParser = m.default || m.DxfParser || m;
const t0 = process.hrtime.bigint(), c0 = process.cpuUsage();
const dxf = new DxfParser().parseSync(fs.readFileSync(process.argv[2], 'utf8'));
const t1 = process.hrtime.bigint(), c1 = process.cpuUsage(c0);
const cpu = (c1.user + c1.system) / 1e6;
console.log(`inner ${Number(t1 - t0) / 1e9} ${cpu} ${dxf.entities.length}`);
EOF

"$python" - "$drawing" "$runs" "$bench_bin" "$work" "$import_bin" <<'EOF'
import json, os, resource, statistics, subprocess, sys, time

drawing, runs, bench_bin, work, import_bin = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4], sys.argv[5]

def timed(cmd):
    """Wall and CPU seconds of the whole child, and the inner figures it prints."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    t0 = time.perf_counter()
    out = subprocess.run(cmd, check=True, capture_output=True, text=True, cwd=work).stdout
    wall = time.perf_counter() - t0
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    inner = [l for l in out.splitlines() if l.startswith("inner ")][-1].split()
    return wall, cpu, float(inner[1]), float(inner[2]), int(inner[3])

def outside(name, cmd):
    rows = [timed(cmd) for _ in range(runs)]
    med = [statistics.median(r[i] for r in rows) for i in range(4)]
    print(f"{name:11s} whole command: wall {med[0]*1e3:8.1f} ms  cpu {med[1]*1e3:8.1f} ms   "
          f"read alone: wall {med[2]*1e3:8.1f} ms  cpu {med[3]*1e3:8.1f} ms   ({rows[0][4]} entities)")
    return med

print(f"drawing: {drawing} ({os.path.getsize(drawing)/1e6:.1f} MB), medians of {runs} runs; "
      f"load average before: {os.getloadavg()[0]:.2f}")
ez = outside("ezdxf", ["/usr/bin/python3", os.path.join(work, "read_ezdxf.py"), drawing])
dp = outside("dxf-parser", ["node", os.path.join(work, "read_dxf_parser.js"), drawing])

res = subprocess.run([bench_bin, f"--drawing={drawing}", "--benchmark_format=json"],
                     check=True, capture_output=True, text=True).stdout
bm = json.loads(res)["benchmarks"]
median = [b for b in bm if b.get("aggregate_name") == "median"][0]
scale = {"ms": 1e-3, "us": 1e-6, "ns": 1e-9, "s": 1.0}[median["time_unit"]]
ours_wall, ours_cpu = median["real_time"] * scale, median["cpu_time"] * scale
print(f"{'Tolva':11s} Google Benchmark median: wall {ours_wall*1e3:8.1f} ms  cpu {ours_cpu*1e3:8.1f} ms   "
      f"({int(median['segment_lines'])} SegmentFile lines)")
print(f"load average after: {os.getloadavg()[0]:.2f}")

def ratio(label, theirs, goal):
    r_wall, r_cpu = theirs[0] / ours_wall, theirs[1] / ours_cpu
    a_wall, a_cpu = theirs[2] / ours_wall, theirs[3] / ours_cpu
    ok = "met" if min(r_wall, r_cpu) >= goal else "NOT met"
    print(f"Tolva vs {label:10s}: whole command x{r_wall:5.1f} wall, x{r_cpu:5.1f} cpu;  "
          f"read alone x{a_wall:5.1f} wall, x{a_cpu:5.1f} cpu  (goal x{goal}: {ok})")

ratio("ezdxf", ez, 20)
ratio("dxf-parser", dp, 4)

# DXF -> program: reading, chaining, ordering and writing the program text.
res = subprocess.run([import_bin, "--benchmark_format=json",
                      "--benchmark_report_aggregates_only=true"],
                     check=True, capture_output=True, text=True).stdout
for b in json.loads(res)["benchmarks"]:
    if b.get("aggregate_name") != "median":
        continue
    scale = {"ms": 1e-3, "us": 1e-6, "ns": 1e-9, "s": 1.0}[b["time_unit"]]
    keep = b["run_name"].split("/")[2] == "1"
    print(f"DXF -> program, 100,000 pieces ({'drawn direction kept' if keep else 'closed paths oriented'}): "
          f"wall {b['real_time']*scale*1e3:8.1f} ms  cpu {b['cpu_time']*scale*1e3:8.1f} ms   "
          f"({int(b['program_lines'])} program lines; goal under 300 ms, judged on cpu: "
          f"{'met' if b['cpu_time']*scale < 0.3 else 'NOT met'})")
print(f"load average at the end: {os.getloadavg()[0]:.2f}")
EOF
