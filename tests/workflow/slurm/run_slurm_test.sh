#!/usr/bin/env bash
# The workflow on a real one-node SLURM cluster: the example data run once
# locally and once through workflow/profiles/slurm (every job an sbatch job),
# and the two runs must give the same files byte for byte.
#
# Where no SLURM controller answers, the script starts its own on localhost
# (munged, slurmctld, slurmd from Debian's packages; no cgroups, no
# accounting) and stops every daemon it started when it ends. Where one
# already runs, it uses that cluster and starts nothing.
set -euo pipefail

usage() {
  cat <<'EOF'
Usage: run_slurm_test.sh -bin DIR -work DIR [-replicates N] [-cores N] [-install]

Runs the workflow on its example data (workflow/config/datasets.tsv) locally
and on a SLURM cluster (workflow/profiles/slurm), checks that the cluster's
jobs went through sbatch and that both runs wrote the same files.

  -bin DIR         folder of the suite's programs (e.g. build/bin)
  -work DIR        scratch folder, emptied first
  -replicates N    null replicates of the run (default 2)
  -cores N         cores of the local run (default 2)
  -install         apt-get install what is missing (snakemake; slurmctld, slurmd,
                   munge, slurm-client unless a SLURM controller answers)
EOF
}

fail() {
  echo "ERROR: $*"
  exit 1
}

ROOT=$(cd "$(dirname "$0")/../../.." && pwd)
# The daemons live in sbin, which a plain user's PATH may lack.
export PATH="$PATH:/usr/sbin:/sbin"
BIN="" WORK="" REPLICATES=2 CORES=2 INSTALL=0
while [ $# -gt 0 ]; do
  case "$1" in
    -bin) BIN=${2:-}; shift 2 || fail "-bin needs a value" ;;
    -work) WORK=${2:-}; shift 2 || fail "-work needs a value" ;;
    -replicates) REPLICATES=${2:-}; shift 2 || fail "-replicates needs a value" ;;
    -cores) CORES=${2:-}; shift 2 || fail "-cores needs a value" ;;
    -install) INSTALL=1; shift ;;
    -h | -help | --help) usage; exit 0 ;;
    *) usage; fail "unknown option $1" ;;
  esac
done
if [ -z "$BIN" ] || [ -z "$WORK" ]; then
  usage
  fail "-bin and -work are needed"
fi
[[ "$REPLICATES" =~ ^[1-9][0-9]*$ ]] || fail "-replicates must be a positive number, not '$REPLICATES'"
[[ "$CORES" =~ ^[1-9][0-9]*$ ]] || fail "-cores must be a positive number, not '$CORES'"
[ -x "$BIN/Tavrin" ] || fail "no programs in $BIN (build them first)"
BIN=$(cd "$BIN" && pwd)

controller_up() { scontrol ping 2>/dev/null | grep -q "UP"; }

if [ "$INSTALL" = 1 ]; then
  missing=()
  command -v snakemake >/dev/null || missing+=(snakemake)
  if ! command -v scontrol >/dev/null || ! controller_up; then
    command -v slurmctld >/dev/null || missing+=(slurmctld)
    command -v slurmd >/dev/null || missing+=(slurmd)
    command -v munged >/dev/null || missing+=(munge)
    command -v sbatch >/dev/null || missing+=(slurm-client)
  fi
  if [ ${#missing[@]} -gt 0 ]; then
    echo "== apt-get install ${missing[*]}"
    if ! { apt-get update -qq >/dev/null \
      && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null; }; then
      fail "could not install ${missing[*]}"
    fi
  fi
fi
for tool in snakemake sbatch scontrol sinfo; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (apt-get install snakemake slurm-client)"
done
# Snakemake's SLURM executor reads USER.
export USER=${USER:-$(id -un)}

rm -rf "$WORK"
mkdir -p "$WORK"
WORK=$(cd "$WORK" && pwd)

STARTED=()  # pids of the daemons this script started, stopped on exit
stop_daemons() {
  local pid
  for pid in "${STARTED[@]+"${STARTED[@]}"}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${STARTED[@]+"${STARTED[@]}"}"; do
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
  done
  STARTED=()
}
trap stop_daemons EXIT
trap 'exit 130' INT TERM

wait_for() {  # wait_for SECONDS WHAT COMMAND...
  local seconds=$1 what=$2
  shift 2
  for _ in $(seq $((seconds * 5))); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.2
  done
  fail "$what did not come up within $seconds s"
}

munge_works() { munge -n </dev/null | unmunge >/dev/null; }
node_idle() { sinfo -h -N -o "%T" | grep -Eq "^(idle|mixed|allocated)"; }

OWN_CLUSTER=0
if controller_up; then
  echo "== using the running SLURM cluster ($(scontrol ping | head -n 1))"
else
  OWN_CLUSTER=1
  for tool in slurmctld slurmd munged munge; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (apt-get install slurmctld slurmd munge)"
  done
  [ "$(id -u)" = 0 ] || fail "starting a SLURM cluster needs root (or run where one is running)"
  CLUSTER="$WORK/cluster"
  mkdir -p "$CLUSTER/state" "$CLUSTER/spool"

  if munge_works 2>/dev/null; then
    echo "== munged already runs"
  else
    [ -r /etc/munge/munge.key ] || fail "/etc/munge/munge.key is missing (reinstall munge)"
    # munged runs as its own user, with its socket where SLURM looks for it
    # and its other files in a folder of its own.
    install -d -o munge -g munge -m 0755 /run/munge "$CLUSTER/munge"
    setpriv --reuid=munge --regid=munge --init-groups munged --foreground \
      --log-file="$CLUSTER/munge/munged.log" --pid-file="$CLUSTER/munge/munged.pid" \
      --seed-file="$CLUSTER/munge/munged.seed" >"$CLUSTER/munge/munged.out" 2>&1 &
    STARTED+=($!)
    wait_for 20 munged munge_works
  fi

  node=$(hostname -s)
  # The node as slurmd sees it (CPUs, sockets, memory). Jobs ask for up to
  # 8000 MB (the profile's element_pairs); a smaller machine is declared with
  # that much, which only bookkeeping sees: no cgroups enforce it here.
  hardware=$(slurmd -C | head -n 1 | sed -E "s/^NodeName=[^ ]+ //")
  memory=$(sed -nE 's/.*RealMemory=([0-9]+).*/\1/p' <<<"$hardware")
  [ "${memory:-0}" -ge 8000 ] || hardware=$(sed -E 's/RealMemory=[0-9]+/RealMemory=8000/' <<<"$hardware")
  cat >"$CLUSTER/slurm.conf" <<EOF
ClusterName=tavrintest
SlurmctldHost=$node(127.0.0.1)
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
CredType=cred/munge
StateSaveLocation=$CLUSTER/state
SlurmdSpoolDir=$CLUSTER/spool
SlurmctldPidFile=$CLUSTER/slurmctld.pid
SlurmdPidFile=$CLUSTER/slurmd.pid
SlurmctldLogFile=$CLUSTER/slurmctld.log
SlurmdLogFile=$CLUSTER/slurmd.log
SlurmctldDebug=info
SlurmdDebug=info
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
SchedulerType=sched/backfill
SelectType=select/cons_tres
SelectTypeParameters=CR_Core_Memory
SlurmdParameters=config_overrides
ReturnToService=2
MinJobAge=3600
MpiDefault=none
NodeName=$node NodeAddr=127.0.0.1 $hardware State=UNKNOWN
PartitionName=test Nodes=$node Default=YES MaxTime=INFINITE State=UP
EOF
  export SLURM_CONF="$CLUSTER/slurm.conf"
  slurmctld -D -i -f "$SLURM_CONF" >"$CLUSTER/slurmctld.out" 2>&1 &
  STARTED+=($!)
  wait_for 30 slurmctld controller_up
  slurmd -D -f "$SLURM_CONF" -N "$node" >"$CLUSTER/slurmd.out" 2>&1 &
  STARTED+=($!)
  wait_for 60 "the node $node" node_idle
  echo "== own SLURM cluster: node $node ($hardware)"
fi

# Both runs read one copy of the example data, so that a checkout changing
# underneath cannot make them differ.
mkdir -p "$WORK/data/workflow/config"
cp -rp "$ROOT/examples" "$WORK/data/examples"
cp -p "$ROOT/workflow/config/datasets.tsv" "$WORK/data/workflow/config/datasets.tsv"
SNAKEMAKE=(snakemake -s "$ROOT/workflow/Snakefile"
  --config "bin=$BIN" "replicates=$REPLICATES" "datasets=$WORK/data/workflow/config/datasets.tsv")

echo "== local run ($CORES cores, $REPLICATES replicates)"
started=$SECONDS
"${SNAKEMAKE[@]}" --directory "$WORK/local" --cores "$CORES" >"$WORK/local.out" 2>&1 \
  || { tail -n 40 "$WORK/local.out"; fail "the local run failed (whole output: $WORK/local.out)"; }
local_seconds=$((SECONDS - started))

echo "== SLURM run (--profile workflow/profiles/slurm)"
started=$SECONDS
"${SNAKEMAKE[@]}" --directory "$WORK/slurm" --profile "$ROOT/workflow/profiles/slurm" \
  >"$WORK/slurm.out" 2>&1 \
  || { tail -n 40 "$WORK/slurm.out"; fail "the SLURM run failed (whole output: $WORK/slurm.out)"; }
slurm_seconds=$((SECONDS - started))

# Every job that was not a local rule went to sbatch and completed there.
cluster_jobs=$(grep -c "^rule " "$WORK/slurm.out" || true)
mapfile -t job_ids < <(sed -nE 's/.* has been submitted with SLURM jobid ([0-9]+) .*/\1/p' "$WORK/slurm.out")
[ "$cluster_jobs" -gt 0 ] || fail "the SLURM run planned no cluster job"
[ "${#job_ids[@]}" = "$cluster_jobs" ] \
  || fail "${#job_ids[@]} sbatch submissions for $cluster_jobs cluster jobs (see $WORK/slurm.out)"
for id in "${job_ids[@]}"; do
  # The job's output file is written by slurmd; its state comes from the
  # controller (or accounting, where the controller has forgotten the job).
  compgen -G "$WORK/slurm/.snakemake/slurm_logs/*/$id.log" >/dev/null \
    || fail "SLURM job $id left no output file under .snakemake/slurm_logs"
  state=$(scontrol show job -o "$id" 2>/dev/null | sed -nE 's/.*JobState=([A-Z_]+).*/\1/p')
  if [ -z "$state" ]; then
    state=$(sacct -n -P -X -o State -j "$id" 2>/dev/null | head -n 1 || true)
  fi
  [ -z "$state" ] || [ "$state" = COMPLETED ] || fail "SLURM job $id is '$state', not COMPLETED"
  if [ "$OWN_CLUSTER" = 1 ]; then
    grep -q "JobId=$id " "$CLUSTER/slurmctld.log" || fail "SLURM job $id is not in the controller's log"
  fi
done

# The profile's status polling: from a job's end in the controller's log to
# Snakemake's "Finished job" a few seconds, not Snakemake's default 33.
polling=""
if [ "$OWN_CLUSTER" = 1 ]; then
  polling=$(python3 - "$WORK/slurm.out" "$CLUSTER/slurmctld.log" <<'EOF'
import datetime, re, sys
stamp, slurm_job, finished, ended = None, {}, {}, {}
for line in open(sys.argv[1]):
    found = re.match(r"\[(\w{3} \w{3} +\d+ \d\d:\d\d:\d\d \d{4})\]$", line.strip())
    if found:
        stamp = datetime.datetime.strptime(found.group(1), "%a %b %d %H:%M:%S %Y")
    found = re.match(r"Job (\d+) has been submitted with SLURM jobid (\d+)", line)
    if found:
        slurm_job[found.group(1)] = found.group(2)
    found = re.match(r"Finished job (\d+)\.", line)
    if found:
        finished[found.group(1)] = stamp
for line in open(sys.argv[2]):
    found = re.match(r"\[([0-9-]+T[0-9:.]+)\] _job_complete: JobId=(\d+) done", line)
    if found:
        ended[found.group(2)] = datetime.datetime.fromisoformat(found.group(1))
delays = [(finished[job] - ended[id]).total_seconds() for job, id in slurm_job.items()
          if job in finished and id in ended]
print("{:.0f}".format(max(delays)) if delays and len(delays) == len(slurm_job) else "")
EOF
  )
  [ -n "$polling" ] || fail "could not pair the jobs' ends in the controller's log with Snakemake's"
  [ "$polling" -le 15 ] || fail "Snakemake saw a job finished $polling s after its end (the profile's polling)"
fi

# The same files with the same bytes (logs and benchmarks hold times and hosts).
if ! diff -r --exclude=.snakemake --exclude=logs --exclude=benchmarks "$WORK/local" "$WORK/slurm" \
  >"$WORK/diff.txt" 2>&1; then
  head -n 20 "$WORK/diff.txt"
  fail "the SLURM run's files differ from the local run's (see $WORK/diff.txt)"
fi
files=$(cd "$WORK/local" && find . -path ./.snakemake -prune -o -path ./logs -prune \
  -o -path ./benchmarks -prune -o -type f -print | wc -l)
[ "$files" -gt 0 ] || fail "the runs wrote no file"

printf 'ok: %d jobs through sbatch, %d files identical; local run %d s, SLURM run %d s%s\n' \
  "$cluster_jobs" "$files" "$local_seconds" "$slurm_seconds" \
  "${polling:+; each job seen finished within $polling s of its end}"
