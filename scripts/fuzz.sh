#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UBSan) and
# runs each for a bounded time on its corpus.
#
#   scripts/fuzz.sh [--build-dir DIR] [--time SECONDS] [--unit-timeout SECONDS] [--ci] [--build-only | --no-build] [TARGET...]
#
# Targets: dxf_import_fuzz gcode_program_fuzz ini_fuzz comm_receive_fuzz (all by default).
# The corpus of each target grows in DIR/corpus/<target>, seeded from the
# test data and from generated inputs; a finding is written to
# DIR/findings/<target>/ and makes the run fail. With --ci an input that only
# runs past the per-input time limit is reported but does not fail the run
# (a slow shared machine is not a finding). --no-build runs targets built
# before (runs side by side must not build the same tree at once).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$root/build-fuzz
seconds=60
unit_timeout=20
ci=0
build_only=0
no_build=0
targets=()
while (($#)); do
  case $1 in
    --build-dir) dir=$2; shift 2 ;;
    --time) seconds=$2; shift 2 ;;
    --unit-timeout) unit_timeout=$2; shift 2 ;;
    --ci) ci=1; shift ;;
    --build-only) build_only=1; shift ;;
    --no-build) no_build=1; shift ;;
    *) targets+=("$1"); shift ;;
  esac
done
((${#targets[@]})) || targets=(dxf_import_fuzz gcode_program_fuzz ini_fuzz comm_receive_fuzz)

if ((!no_build)); then
  if [[ ! -f $dir/build.ninja ]]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -G Ninja -DTOLVA_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  cmake --build "$dir" -j"$(nproc)" >/dev/null
fi

seed() {  # seed DIR/corpus/<target> once: test data, then generated inputs
  local target=$1 corpus=$dir/corpus/$1
  [[ -d $corpus ]] && return 0
  mkdir -p "$corpus"
  local pattern prefix
  case $target in
    dxf_import_fuzz) pattern='*.dxf'; prefix='\x80' ;;
    gcode_program_fuzz) pattern='*.nc'; prefix='\x00' ;;
    ini_fuzz) pattern='*.ini'; prefix='' ;;
    comm_receive_fuzz) pattern='*.nc'; prefix='\x07' ;;
  esac
  local n=0 f
  while IFS= read -r -d '' f; do
    { printf "$prefix"; head -c 200000 "$f"; } > "$corpus/data_$n"
    n=$((n + 1))
  done < <(find "$root/tests/data" "$root/data" -iname "$pattern" -print0)
  # The interpreter with ezdxf (python3-ezdxf), not whichever python3 is first on PATH.
  /usr/bin/python3 "$root/fuzz/seed_inputs.py" "$dir/generated"
  [[ -d $dir/generated/$target ]] && cp "$dir/generated/$target/"* "$corpus/"
  return 0
}

((build_only)) && { for t in "${targets[@]}"; do seed "$t"; done; exit 0; }

# The targets' temporary files go to a folder of this run, removed however
# the run ends (a finding aborts a target before it cleans up).
run_tmp=$(mktemp -d "${TMPDIR:-/tmp}/tolva-fuzz-run-XXXXXX")
trap 'rm -rf "$run_tmp"' EXIT
export TMPDIR=$run_tmp

status=0
for t in "${targets[@]}"; do
  seed "$t"
  mkdir -p "$dir/findings/$t"
  dict=()
  [[ $t == dxf_import_fuzz ]] && dict=(-dict="$root/fuzz/dxf.dict")
  set +e
  "$dir/fuzz/$t" "$dir/corpus/$t" "${dict[@]}" -max_total_time="$seconds" -timeout="$unit_timeout" -rss_limit_mb=2048 \
      -max_len=65536 -artifact_prefix="$dir/findings/$t/" -print_final_stats=1 -timeout_exitcode=70 \
      2> "$dir/findings/$t.log"
  rc=$?
  set -e
  summary=$(grep -E '^#[0-9]+.*(DONE|cov:)' "$dir/findings/$t.log" | tail -1)
  rate=$(grep -E 'stat::average_exec_per_sec' "$dir/findings/$t.log" | awk '{print $2}')
  echo "$t: ${summary:-no run} (${rate:-?} exec/s)"
  if ((rc == 70 && ci)); then
    echo "$t: an input ran past the per-input time limit (not counted as a finding here):" >&2
    grep -A3 'ALARM\|timeout' "$dir/findings/$t.log" | head -8 >&2
  elif ((rc != 0)); then
    echo "$t: FINDING (exit $rc); input and log in $dir/findings/" >&2
    tail -60 "$dir/findings/$t.log" >&2
    status=1
  fi
done
exit $status
