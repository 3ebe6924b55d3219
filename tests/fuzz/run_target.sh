#!/bin/sh
# Runs one fuzz target RUNS times from its seed corpus with a fixed seed, so that a run is the same every time and
# never passes or fails by chance. New inputs go to a throwaway folder, not into the seed corpus; an input that
# crashes is kept in the current folder.
#   run_target.sh TARGET RUNS SEED_CORPUS [LIBFUZZER_OPTION...]
target=$1 runs=$2 seeds=$3
shift 3
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
"$target" -seed=1 -reload=0 -runs="$runs" -timeout=30 "$@" "$work" "$seeds"
