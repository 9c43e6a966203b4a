#!/usr/bin/env bash
#SBATCH --job-name=karvex-sweep
#SBATCH --requeue
# One shard of a Monte Carlo sweep or of a launch envelope, as one task of a job array whose
# indices run from 1 to N:
#
#   sbatch --array=1-N --cpus-per-task=C sweep.sbatch KARVEX SWEEPFILE OUTDIR [SHARDS]
#
# SWEEPFILE is a sweep file or an envelope file (its first line says which). Task K flies shard K
# of N into OUTDIR/shard-K (runs.csv and summary.json, or envelope.csv and envelope.json; the
# picture is left to the merge). N is the array's task count unless SHARDS is given, which lets a single failed shard
# be run again on its own (--array=K ... SHARDS). The flights use every CPU Slurm gives the task.
# Paths must be absolute or relative to the job's working folder, and OUTDIR on a filesystem that
# every node and the merge job see.
set -euo pipefail

if [ $# -lt 3 ] || [ $# -gt 4 ]; then
  echo "usage: sbatch --array=1-N sweep.sbatch KARVEX SWEEPFILE OUTDIR [SHARDS]" >&2
  exit 2
fi
karvex=$1 sweep=$2 out=$3
if [ -z "${SLURM_ARRAY_TASK_ID:-}" ]; then
  echo "sweep.sbatch runs as a task of a job array: submit it with sbatch --array=1-N" >&2
  exit 2
fi
shard=$SLURM_ARRAY_TASK_ID
shards=${4:-${SLURM_ARRAY_TASK_COUNT:?}}
if ! [ "$shard" -ge 1 ] 2>/dev/null || ! [ "$shard" -le "$shards" ] 2>/dev/null; then
  echo "array index $shard is outside 1..$shards: the array's indices must run from 1 to the shard count" >&2
  exit 2
fi
jobs=${SLURM_CPUS_PER_TASK:-1}
dir=$out/shard-$shard

command=sweep
if [ "$(sed -n '1{s/[[:space:]]*$//;p;q}' "$sweep")" = "KARVEX-ENVELOPE 1" ]; then
  command=envelope
fi
args=("$command" "$sweep" --out "$dir" --shard "$shard/$shards" --jobs "$jobs" --no-plot --quiet)
# A sweep's task that Slurm requeued (its node failed, or it was preempted) keeps the runs it
# finished; an envelope's shard is flown again whole.
if [ "$command" = sweep ] && [ "${SLURM_RESTART_COUNT:-0}" -gt 0 ] && [ -d "$dir" ]; then
  args+=(--resume)
fi

echo "shard $shard/$shards on $(hostname -s) with $jobs CPU(s) into $dir"
start=$SECONDS
"$karvex" "${args[@]}"
echo "shard $shard/$shards done in $((SECONDS - start)) s"
