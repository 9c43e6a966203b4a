#!/usr/bin/env bash
# Brings up a one-node Slurm cluster on this machine (its own munge key and munged, slurmctld and
# slurmd, all under WORKDIR and on loopback ports), flies a sweep through deploy/slurm/submit in
# three shards, and checks that the merged runs.csv and summary.json equal a local run's, byte for
# byte; given an envelope file too, it does the same with the envelope's envelope.csv and
# envelope.json, and given a second sweep file (a salvo's), with its runs.csv and summary.json.
# Exits 77 (skipped) when not root or when Slurm or munge is not installed.
#
# usage: slurm_test.sh KARVEX SWEEPFILE WORKDIR [ENVELOPEFILE [SWEEPFILE]]
set -uo pipefail

if [ $# -lt 3 ] || [ $# -gt 5 ]; then
  echo "usage: $0 KARVEX SWEEPFILE WORKDIR [ENVELOPEFILE [SWEEPFILE]]" >&2
  exit 2
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: the daemons run as root"
  exit 77
fi
for tool in munged slurmctld slurmd sbatch sinfo scontrol squeue scancel; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is not installed"
    exit 77
  fi
done

karvex=$(realpath "$1") sweep=$(realpath "$2") envelope=${4:+$(realpath "$4")} salvo=${5:+$(realpath "$5")}
mkdir -p "$3" && work=$(realpath "$3") || exit 2
submit=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../deploy/slurm" && pwd)/submit
host=$(hostname -s)
[ -x "$karvex" ] || { echo "FAIL: $karvex is not an executable file" >&2; exit 1; }
[ -r "$sweep" ] || { echo "FAIL: cannot read $sweep" >&2; exit 1; }

# Only the folders this test makes are cleared, so a rerun starts afresh.
rm -rf "$work/munge" "$work/slurm" "$work/local" "$work/cluster%j" "$work/local-envelope" "$work/cluster-envelope" \
  "$work/local-salvo" "$work/cluster-salvo"

# The daemons keep their state, sockets and logs under WORKDIR; a socket's path must stay short,
# so a deep WORKDIR has them in a folder of their own under /tmp instead, removed at the end.
run=$work scratch=
if [ ${#work} -gt 60 ]; then
  scratch=$(mktemp -d /tmp/karvex-slurm.XXXXXX) || exit 1
  run=$scratch
fi
pids=()
failed=1
logs() {
  # munged in the foreground logs to its standard error; slurmctld and slurmd to their log files,
  # and to their standard error only what goes wrong before those are open.
  for f in "$run/munge/munged.out" "$run"/slurm/slurmctld.{log,out} \
           "$run"/slurm/slurmd.{log,out} "$work"/cluster*/logs/*.out; do
    [ -s "$f" ] || continue
    [[ $f == *.out && -s ${f%.out}.log ]] && continue
    echo "----- $f (last 60 lines)"
    tail -n 60 "$f"
  done
}
cleanup() {
  if [ "$failed" -ne 0 ]; then logs; fi
  # Jobs still queued or running belong to this test's own controller: cancel them and let their
  # steps end before slurmd goes; whatever of theirs still runs after that is killed by pid.
  if [ ${#pids[@]} -ge 2 ] && kill -0 "${pids[1]}" 2>/dev/null; then
    mapfile -t jobs < <(squeue --noheader --format=%i 2>/dev/null)
    if [ ${#jobs[@]} -gt 0 ]; then
      scancel "${jobs[@]}" 2>/dev/null
      for _ in $(seq 60); do
        [ -z "$(squeue --noheader --format=%i 2>/dev/null)" ] && break
        sleep 0.5
      done
      mapfile -t left < <(scontrol listpids 2>/dev/null | awk 'NR > 1 && $1 ~ /^[0-9]+$/ { print $1 }')
      [ ${#left[@]} -eq 0 ] || kill -KILL "${left[@]}" 2>/dev/null
    fi
  fi
  # slurmd, slurmctld, then munged, which the other two need to the end.
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    pid=${pids[i]}
    kill -TERM "$pid" 2>/dev/null || continue
    for _ in $(seq 100); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  [ -z "$scratch" ] || rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# A loopback port nothing listens on, from a range that moves with this shell's pid.
free_port() {
  local port=$(( $1 + $$ % 1000 ))
  while (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do port=$((port + 1)); done
  echo "$port"
}

timeout 300 "$karvex" sweep "$sweep" --out "$work/local" --no-plot --quiet ||
  fail "the local sweep failed or took over 300 s"
if [ -n "$envelope" ]; then
  timeout 300 "$karvex" envelope "$envelope" --out "$work/local-envelope" --no-plot --quiet ||
    fail "the local envelope failed or took over 300 s"
fi
if [ -n "$salvo" ]; then
  timeout 300 "$karvex" sweep "$salvo" --out "$work/local-salvo" --no-plot --quiet ||
    fail "the local salvo sweep failed or took over 300 s"
fi

# munge: a fresh key and a daemon of our own, reached through its own socket.
mkdir -p "$run/munge" "$run/slurm/state" "$run/slurm/spool" || fail "cannot make $run"
chmod 755 "$run/munge"
socket=$run/munge/munge.socket
dd if=/dev/urandom of="$run/munge/munge.key" bs=1024 count=1 status=none || fail "cannot write a munge key"
chmod 400 "$run/munge/munge.key"
munged --foreground --force --socket="$socket" --key-file="$run/munge/munge.key" \
  --pid-file="$run/munge/munged.pid" --log-file="$run/munge/munged.log" \
  --seed-file="$run/munge/munged.seed" >"$run/munge/munged.out" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  [ -S "$socket" ] && break
  kill -0 "${pids[0]}" 2>/dev/null || fail "munged exited"
  sleep 0.1
done
[ -S "$socket" ] || fail "munged made no socket in 10 s"

# The node as slurmd itself sees this machine: its CPUs, sockets, cores, threads and memory.
node=$(slurmd -C | sed -n 's/^NodeName=[^ ]* //p' | sed 's/ *UpTime=.*//')
[ -n "$node" ] || node="CPUs=$(nproc)"
ctld_port=$(free_port 36817)
slurmd_port=$(free_port $((ctld_port + 1)))
conf=$run/slurm/slurm.conf
cat >"$conf" <<CONF
ClusterName=karvextest
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=$ctld_port
SlurmdPort=$slurmd_port
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$socket
CredType=cred/munge
StateSaveLocation=$run/slurm/state
SlurmdSpoolDir=$run/slurm/spool
SlurmctldPidFile=$run/slurm/slurmctld.pid
SlurmdPidFile=$run/slurm/slurmd.pid
SlurmctldLogFile=$run/slurm/slurmctld.log
SlurmdLogFile=$run/slurm/slurmd.log
MailProg=/bin/true
SlurmctldDebug=info
SlurmdDebug=info
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
MpiDefault=none
SwitchType=switch/none
SchedulerType=sched/backfill
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
ReturnToService=2
NodeName=$host NodeAddr=127.0.0.1 $node State=UNKNOWN
PartitionName=main Nodes=$host Default=YES MaxTime=INFINITE State=UP
CONF
export SLURM_CONF=$conf

slurmctld -D -f "$conf" >"$run/slurm/slurmctld.out" 2>&1 &
pids+=($!)
slurmd -D -f "$conf" >"$run/slurm/slurmd.out" 2>&1 &
pids+=($!)

idle=0
for _ in $(seq 120); do
  kill -0 "${pids[1]}" 2>/dev/null || fail "slurmctld exited"
  kill -0 "${pids[2]}" 2>/dev/null || fail "slurmd exited"
  if [ "$(sinfo --noheader --nodes="$host" --format=%t 2>/dev/null)" = idle ]; then
    idle=1
    break
  fi
  sleep 0.5
done
[ "$idle" -eq 1 ] || fail "node $host not idle within 60 s: $(sinfo --noheader --format='%t %E' 2>&1)"

limit=300
# Submits FILE through deploy/slurm/submit in three shards into WORKDIR/FOLDER and checks the
# merged files against the local run's in WORKDIR/ALONE: submitted NAME FILE FOLDER ALONE FILES...
submitted() {
  local name=$1 file=$2 folder=$3 alone=$4 start ms status f
  shift 4
  start=${EPOCHREALTIME/./}
  timeout "$limit" "$submit" --wait --shards 3 --no-plot "$karvex" "$file" "$work/$folder"
  status=$?
  ms=$(( (${EPOCHREALTIME/./} - start) / 1000 ))
  printf 'Slurm %s and merge: %d.%03d s wall\n' "$name" $((ms / 1000)) $((ms % 1000))
  [ "$status" -ne 124 ] || fail "the Slurm $name did not finish within $limit s"
  [ "$status" -eq 0 ] || fail "deploy/slurm/submit --wait exited $status for the $name"
  compgen -G "$work/$folder/logs/sweep-*_1.out" >/dev/null || fail "the $name's shards left no log in $folder/logs"
  for f in "$@"; do
    cmp "$work/$alone/$f" "$work/$folder/merged/$f" ||
      fail "$f from the cluster differs from the local run's"
  done
  echo "the merged $* equal the local run's"
}
# The sweep's folder has a % of its own, which sbatch must not read as one of its patterns.
submitted sweep "$sweep" "cluster%j" local runs.csv summary.json
if [ -n "$envelope" ]; then
  submitted envelope "$envelope" cluster-envelope local-envelope envelope.csv envelope.json
fi
if [ -n "$salvo" ]; then
  submitted "salvo sweep" "$salvo" cluster-salvo local-salvo runs.csv summary.json
fi
failed=0
