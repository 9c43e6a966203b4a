#!/usr/bin/env bash
#SBATCH --job-name=karvex-merge
# Combines the shard folders of a sweep (or of an envelope) into OUTDIR/merged, whose runs.csv and
# summary.json (envelope.csv and envelope.json) are the same, byte for byte, as one unsharded run's. Submit it to start once every shard has
# succeeded:
#
#   sbatch --dependency=afterok:ARRAY_JOB_ID --kill-on-invalid-dep=yes \
#          merge.sbatch KARVEX OUTDIR SHARDS [--no-plot]
#
# It also draws OUTDIR/merged/sweep.png (envelope.png) unless --no-plot is given.
set -euo pipefail

if [ $# -lt 3 ] || [ $# -gt 4 ] || { [ $# -eq 4 ] && [ "$4" != --no-plot ]; }; then
  echo "usage: sbatch merge.sbatch KARVEX OUTDIR SHARDS [--no-plot]" >&2
  exit 2
fi
karvex=$1 out=$2 shards=$3
if ! [ "$shards" -ge 1 ] 2>/dev/null; then
  echo "SHARDS must be a positive whole number, not '$shards'" >&2
  exit 2
fi
plot=()
[ $# -eq 4 ] && plot=(--no-plot)

# The first shard says whose shards they are.
files=(runs.csv summary.json)
[ -f "$out/shard-1/envelope.json" ] && files=(envelope.csv envelope.json)
dirs=()
missing=0
for ((k = 1; k <= shards; k++)); do
  dir=$out/shard-$k
  for f in "${files[@]}"; do
    if [ ! -f "$dir/$f" ]; then
      echo "shard $k of $shards has no $dir/$f" >&2
      missing=1
    fi
  done
  dirs+=("$dir")
done
[ "$missing" -eq 0 ] || exit 1

echo "merging $shards shard(s) into $out/merged on $(hostname -s)"
"$karvex" merge --out "$out/merged" "${plot[@]}" "${dirs[@]}"
echo "merged into $out/merged"
