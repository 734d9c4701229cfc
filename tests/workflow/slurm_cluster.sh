# Sourced by the Slurm test: a private single-node Slurm cluster on this
# machine (Debian packages slurmctld, slurmd, slurm-client and munge). All of
# it lives under one directory: its own munge key, munged on its own socket,
# slurm.conf naming that socket, ports that were free, and its own state,
# spool, pid and log files. So it neither sees nor disturbs a munged or a
# Slurm of the machine, nor another copy of this test.
#
# The daemons, and every command of the test that submits jobs, are started
# with ZELKOVA_TEST_CLUSTER=DIR in their environment, which their children
# and their jobs inherit: that is how stop_cluster finds them all. (Each is
# started as a simple command in the background, so that $! is its own
# process id, not that of a shell around it.)
# Needs root: slurmd starts each job as the user who submitted it.

cluster_dir=""
cluster_pids=()

# cluster_logs: what the daemons said (their standard error holds all their
# log and what they said before they opened it), for a failed start or job.
cluster_logs() {
  local f
  for f in "$cluster_dir"/log/*.out; do
    [ -s "$f" ] || continue
    echo "----- $f"
    tail -n 40 "$f"
  done
}

# cluster_failed MESSAGE: the cluster did not come up: the test fails, with
# the daemons' logs (the trap of the test stops what did start).
cluster_failed() {
  echo "FAIL: the Slurm cluster did not start: $1"
  cluster_logs
  exit 1
}

# free_ports N: N TCP ports that nothing listens on, on any address, below
# the kernel's ephemeral range (which outgoing connections take theirs from).
free_ports() {
  python3 - "$1" <<'EOF'
import random, socket, sys
wanted, found = int(sys.argv[1]), []
candidates = list(range(20000, 32000))
random.shuffle(candidates)
for port in candidates:
    s = socket.socket()
    try:
        s.bind(("", port))
    except OSError:
        continue
    finally:
        s.close()
    found.append(port)
    if len(found) == wanted:
        break
print(" ".join(map(str, found)))
EOF
}

# stat_field PID N: field N of /proc/PID/stat (3 the state, 4 the parent),
# counted after the command name, which may hold blanks.
stat_field() {
  local stat fields
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  read -r -a fields <<<"${stat##*) }"
  echo "${fields[$2 - 3]}"
}

# alive PID: the process runs (an ended child of this shell stays a zombie
# until it is waited for, and kill -0 would still find it).
alive() {
  local state
  state=$(stat_field "$1" 3) || return 1
  [ "$state" != Z ]
}

# wait_until SECONDS WHAT COMMAND...: COMMAND succeeds within SECONDS, and
# every daemon started so far is still alive meanwhile; else the start failed.
wait_until() {
  local seconds=$1 what=$2 tries pid
  shift 2
  for ((tries = 0; tries < seconds * 5; tries++)); do
    "$@" >/dev/null 2>&1 && return 0
    for pid in "${cluster_pids[@]}"; do
      alive "$pid" || cluster_failed "process $pid ended while waiting for $what"
    done
    sleep 0.2
  done
  cluster_failed "no $what within $seconds s"
}

munge_answers() {
  munge -S "$cluster_dir/munge/socket" -n </dev/null | unmunge -S "$cluster_dir/munge/socket"
}

node_is_idle() {
  [ "$(sinfo -h -N -n localhost -o %T)" = idle ]
}

# start_munge: a key of its own and munged in the foreground (so that its
# process id is the one started), answering on its own socket.
start_munge() {
  # munged refuses a socket whose directory, or any above it, not every user
  # may pass through.
  mkdir -m 755 "$cluster_dir/munge"
  head -c 1024 /dev/urandom >"$cluster_dir/munge/munge.key"
  chmod 400 "$cluster_dir/munge/munge.key"
  ZELKOVA_TEST_CLUSTER=$cluster_dir munged --foreground --socket="$cluster_dir/munge/socket" --key-file="$cluster_dir/munge/munge.key" \
    --log-file="$cluster_dir/log/munged.log" --pid-file="$cluster_dir/munge/munged.pid" \
    --seed-file="$cluster_dir/munge/munged.seed" >"$cluster_dir/log/munged.out" 2>&1 &
  cluster_pids+=($!)
  wait_until 10 "answer from munged" munge_answers
}

# write_slurm_conf CONTROLLER_PORT NODE_PORT: one node, localhost, with the
# processors and memory this machine has (as slurmd itself counts them);
# memory is a consumable resource, enforced by sampling the jobs' memory each
# second (no cgroups in a container); completed jobs are listed in a text file.
write_slurm_conf() {
  local hardware
  hardware=$(slurmd -C | head -1 | sed -e 's/^NodeName=[^ ]* //')
  [[ $hardware == CPUs=* ]] || cluster_failed "slurmd -C did not describe this machine: $(slurmd -C 2>&1)"
  : >"$cluster_dir/plugstack.conf"
  cat >"$cluster_dir/slurm.conf" <<EOF
ClusterName=zelkovatest
SlurmctldHost=localhost
SlurmctldPort=$1
SlurmdPort=$2
SlurmUser=root
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$cluster_dir/munge/socket
StateSaveLocation=$cluster_dir/state
SlurmdSpoolDir=$cluster_dir/spool
SlurmctldPidFile=$cluster_dir/slurmctld.pid
SlurmdPidFile=$cluster_dir/slurmd.pid
SlurmctldLogFile=$cluster_dir/log/slurmctld.log
SlurmdLogFile=$cluster_dir/log/slurmd.log
PlugStackConfig=$cluster_dir/plugstack.conf
MailProg=/bin/true
ProctrackType=proctrack/linuxproc
TaskPlugin=task/affinity
MpiDefault=none
SwitchType=switch/none
SchedulerType=sched/builtin
SelectType=select/cons_tres
SelectTypeParameters=CR_Core_Memory
JobAcctGatherType=jobacct_gather/linux
JobAcctGatherFrequency=task=1
JobAcctGatherParams=OverMemoryKill
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/filetxt
JobCompLoc=$cluster_dir/log/jobs.txt
ReturnToService=2
KillWait=5
NodeName=localhost NodeAddr=127.0.0.1 $hardware State=UNKNOWN
PartitionName=test Nodes=localhost Default=YES MaxTime=INFINITE State=UP
EOF
}

# start_cluster DIR: munged, slurmctld and slurmd under DIR (a new directory),
# and SLURM_CONF exported for the Slurm commands; returns once sinfo shows the
# node idle. A cluster that does not come up fails the test.
start_cluster() {
  cluster_dir=$1
  mkdir -p "$cluster_dir/log" "$cluster_dir/state" "$cluster_dir/spool"
  # A Unix socket path holds at most 107 bytes.
  [ ${#cluster_dir} -le 80 ] || cluster_failed "the directory $cluster_dir is too long a path for its sockets"
  [ "$(id -u)" -eq 0 ] || cluster_failed "slurmd must run as root, to start jobs as their users"
  start_munge
  local ports
  read -r -a ports <<<"$(free_ports 2)"
  [ ${#ports[@]} -eq 2 ] || cluster_failed "no two free ports between 20000 and 32000"
  write_slurm_conf "${ports[0]}" "${ports[1]}"
  export SLURM_CONF=$cluster_dir/slurm.conf
  ZELKOVA_TEST_CLUSTER=$cluster_dir slurmctld -D -f "$SLURM_CONF" >"$cluster_dir/log/slurmctld.out" 2>&1 &
  cluster_pids+=($!)
  ZELKOVA_TEST_CLUSTER=$cluster_dir slurmd -D -N localhost -f "$SLURM_CONF" >"$cluster_dir/log/slurmd.out" 2>&1 &
  cluster_pids+=($!)
  wait_until 30 "idle node in sinfo" node_is_idle
}

# cluster_processes: the process ids of every process of the cluster still
# there: those with its marker, and those writing into its directory (a
# slurmstepd writes over its own environment with its title, but keeps the
# log of slurmd open). The test's shell itself has neither.
cluster_processes() {
  # Both fail on processes that end meanwhile, and grep when none is left.
  {
    grep -lzxF "ZELKOVA_TEST_CLUSTER=$cluster_dir" /proc/[0-9]*/environ 2>/dev/null || true
    find /proc/[0-9]*/fd -maxdepth 1 -lname "$cluster_dir/*" -printf '%h\n' 2>/dev/null || true
  } | cut -d/ -f3 | sort -un
}

# kill_all SIGNAL PID...: the signal to every process given, gone or not.
kill_all() {
  local signal=$1 pid
  shift
  for pid in "$@"; do
    kill "-$signal" "$pid" 2>/dev/null || true
  done
}

# stop_daemon PID: TERM, up to 10 s to end, then KILL; and reaped.
stop_daemon() {
  local tries
  kill "$1" 2>/dev/null || true
  for ((tries = 0; tries < 50; tries++)); do
    alive "$1" || break
    sleep 0.2
  done
  if alive "$1"; then kill -KILL "$1" 2>/dev/null || true; fi
  wait "$1" 2>/dev/null || true
}

# stop_cluster: ends the cluster, every process by its id: first what runs
# on it and is no daemon (snakemake and its jobs, which would submit more),
# then the jobs' steps by cancelling every job, then slurmd, slurmctld and
# munged (the others talk to it), and last whatever is left. Fails when a
# process outlives all that.
stop_cluster() {
  [ -n "$cluster_dir" ] || return 0
  local pid daemons=" ${cluster_pids[*]} " others=() tries left
  for pid in $(cluster_processes); do
    [[ $daemons == *" $pid "* || $daemons == *" $(stat_field "$pid" 4 || true) "* ]] ||
      others+=("$pid")
  done
  kill_all KILL "${others[@]}"
  if [ ${#cluster_pids[@]} -eq 3 ] && alive "${cluster_pids[1]}"; then
    scancel --user="$(id -un)" 2>/dev/null || true
    for ((tries = 0; tries < 75; tries++)); do
      [ -z "$(squeue -h 2>/dev/null)" ] && break
      sleep 0.2
    done
  fi
  for ((tries = ${#cluster_pids[@]} - 1; tries >= 0; tries--)); do
    stop_daemon "${cluster_pids[tries]}"
  done
  cluster_pids=()
  # shellcheck disable=SC2046
  kill_all KILL $(cluster_processes)
  for ((tries = 0; tries < 25; tries++)); do
    left=$(cluster_processes)
    [ -z "$left" ] && break
    sleep 0.2
  done
  cluster_dir=""
  if [ -n "$left" ]; then
    echo "FAIL: processes of the Slurm cluster outlived it:"
    for pid in $left; do
      echo "  $pid $(tr '\0' ' ' 2>/dev/null </proc/"$pid"/cmdline)"
    done
    return 1
  fi
}
