#!/usr/bin/env bash
# deploy/slurm/submit against a stand-in sbatch that records each call's arguments: an output
# folder holding % reaches sbatch's log names as %%, one holding a backslash or a line break is
# refused before anything is made or submitted, and an exported CDPATH leaves the job scripts' path
# as it is.
#
# usage: slurm_submit_test.sh WORKDIR
set -uo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 WORKDIR" >&2
  exit 2
fi
root=$(CDPATH='' cd -- "$(dirname -- "${BASH_SOURCE[0]}")/../.." && pwd)
mkdir -p "$1" && work=$(realpath "$1") || exit 2
rm -rf "$work/bin" "$work/out" "$work/decoy" "$work/calls" "$work"/sweep.sweep*
mkdir -p "$work/bin" "$work/out" "$work/decoy/deploy/slurm"
# The stand-in: one line a call, each argument quoted as the shell would read it back.
cat >"$work/bin/sbatch" <<'STANDIN'
#!/usr/bin/env bash
printf '%q ' "$@" >>"$SBATCH_CALLS"
printf '\n' >>"$SBATCH_CALLS"
echo "4242;cluster"
STANDIN
printf '#!/bin/sh\nexit 0\n' >"$work/bin/scancel"
chmod +x "$work/bin/sbatch" "$work/bin/scancel"
: >"$work/sweep.sweep"
export PATH="$work/bin:$PATH" SBATCH_CALLS="$work/calls"

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
# Runs submit from the project's folder with the rest of the arguments into output folder $1;
# leaves its exit status in $status and its standard error in $errors.
submit() {
  local out=$1
  shift
  : >"$work/calls"
  errors=$(cd "$root" && "$@" deploy/slurm/submit --shards 2 karvex "$work/sweep.sweep" "$out" 2>&1 >/dev/null)
  status=$?
}
# The argument of option $2 in recorded call $1 (from 1), as given.
argument() {
  local -a call
  eval "call=($(sed -n "$1p" "$work/calls"))"
  for a in "${call[@]}"; do
    if [[ $a == "$2="* ]]; then
      printf '%s' "${a#*=}"
      return
    fi
  done
}
# The last argument but $2 of recorded call $1: the job script and those after it.
script_of() {
  local -a call
  eval "call=($(sed -n "$1p" "$work/calls"))"
  printf '%s' "${call[${#call[@]} - $2]}"
}

# A % in the folder's name is the folder's own: sbatch gets it as %%, its own patterns as they were.
out="$work/out/run%j 100%"
submit "$out" env
[ "$status" -eq 0 ] || fail "a folder with % was refused ($status): $errors"
[ -d "$out/logs" ] || fail "the folder with % was not made"
[ "$(argument 1 --output)" = "$work/out/run%%j 100%%/logs/sweep-%A_%a.out" ] ||
  fail "the sweep's log: $(argument 1 --output)"
[ "$(argument 2 --output)" = "$work/out/run%%j 100%%/logs/merge-%j.out" ] ||
  fail "the merge's log: $(argument 2 --output)"
[ "$(argument 1 --chdir)" = "$out" ] || fail "the sweep's folder: $(argument 1 --chdir)"
[ "$(script_of 1 1)" = "$out" ] || fail "the sweep script's folder: $(script_of 1 1)"

# A backslash, or a line break anywhere (at the end $(...) would cut it), is refused with its
# reason, and nothing is made or submitted.
for out in "$work/out/back\\slash" "$work/out/ends"$'\n' "$work/out/line"$'\n'"break"; do
  submit "$out" env
  shown=${out//$'\n'/\\n}
  [ "$status" -eq 2 ] || fail "$shown: exit status $status, not 2"
  [[ $errors == *"OUTDIR holds a "* ]] || fail "$shown: no reason given: $errors"
  [ ! -s "$work/calls" ] || fail "$shown: sbatch was called: $(cat "$work/calls")"
  made=$(find "$work/out" -mindepth 1 -maxdepth 1 ! -name 'run%j 100%')
  [ -z "$made" ] || fail "$shown: made ${made//$'\n'/\\n}"
done
# So is a sweep file's, though a file of the name without it is there too.
: >"$work/sweep.sweep"$'\n'
errors=$(cd "$root" && deploy/slurm/submit karvex "$work/sweep.sweep"$'\n' "$work/out/y" 2>&1 >/dev/null)
status=$?
[ "$status" -eq 2 ] && [[ $errors == *"SWEEPFILE holds a line break"* ]] ||
  fail "a sweep file's line break: exit status $status: $errors"

# With CDPATH exported and leading to a decoy of the same folders, submit still hands sbatch its
# own job scripts, by one absolute path each.
out="$work/out/cdpath"
submit "$out" env CDPATH="$work/decoy"
[ "$status" -eq 0 ] || fail "with CDPATH: exit status $status: $errors"
[ "$(script_of 1 4)" = "$root/deploy/slurm/sweep.sbatch" ] || fail "with CDPATH, the sweep script: $(script_of 1 4)"
[ "$(script_of 2 4)" = "$root/deploy/slurm/merge.sbatch" ] || fail "with CDPATH, the merge script: $(script_of 2 4)"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "submit: % escaped, backslash and line breaks refused, CDPATH ignored"
