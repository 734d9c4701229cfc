#!/usr/bin/env bash
# The workflow on a real Slurm cluster: a private single-node cluster brought
# up on this machine (slurm_cluster.sh beside this file), and the workflow run
# through its Slurm profile for Snakemake 7 (workflow/profiles/slurm-smk7, as
# shipped) on a FASTA sample and a sample of peaks on a generated genome.
# Checks that every discover and genome_index job ran as a Slurm job with the
# threads and memory the workflow asks (the cluster's list of completed
# jobs) and the aggregate outside Slurm, that the results equal those of a
# local run byte for byte (dates and times masked), that a job killed for its
# memory is run again with twice the memory, and that no process of the
# cluster outlives it. A cluster that does not start fails the test.
#
# usage: check_slurm.sh BIN_DIR SOURCE_DIR
set -euo pipefail
bin_dir=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
source "$source_dir/tests/checks.sh"
source "$source_dir/tests/workflow/slurm_cluster.sh"
snakefile=$source_dir/workflow/Snakefile
profile=$source_dir/workflow/profiles/slurm-smk7

# Whatever ends the test, the cluster goes with it.
on_exit() {
  local status=$?
  stop_cluster || status=1
  if [ -n "${KEEP_WORK:-}" ]; then echo "working directory: $work"; else rm -rf "$work"; fi
  exit "$status"
}
trap on_exit EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP
# munged wants every directory above its socket open to every user.
chmod 755 "$work"
cd "$work"
# Snakemake 7 names the user to sacct by $USER, which a login shell sets and
# a service's bare environment may not.
export USER=${USER:-$(id -un)}

# smk DIR ARGS...: snakemake in DIR with the programs of the build, marked as
# a process of the cluster; its output in DIR.log and its status in $status.
# Waited for in the background, so that a signal to the test is handled at
# once (and stops the cluster) rather than after snakemake ends.
smk() {
  local dir=$1
  shift
  status=0
  ZELKOVA_TEST_CLUSTER=$cluster_dir snakemake -s "$snakefile" --directory "$dir" "$@" --config samples=sheet.tsv bin_dir="$bin_dir" \
    >"$dir.log" 2>&1 &
  wait $! || status=$?
}

# project DIR SHEET_TEXT: a project directory with the bundled config/ and
# the sample sheet sheet.tsv; the inputs are shared, under data/.
project() {
  mkdir -p "$1"
  cp -r "$source_dir/config" "$1/"
  printf "$2" >"$1/sheet.tsv"
}

# masked_tree DIR COPY: a copy of a results directory with what differs from
# run to run blanked out: dates, times, durations.
masked_tree() {
  rm -rf "$2"
  cp -r "$1" "$2"
  find "$2" -type f -exec sed -i -E \
    -e 's/[0-9]{4}-[0-9]{2}-[0-9]{2}[ T][0-9]{2}:[0-9]{2}(:[0-9]{2})?/<date>/g' \
    -e 's/^Current local time and date: .*/Current local time and date:/' \
    -e 's/[0-9]+(\.[0-9]+)? s\b/<seconds>/g' \
    -e 's|<td class="num seconds">[^<]*</td>|<td class="num seconds"></td>|g' \
    -e 's|<tr><th>Run started</th><td>[^<]*</td></tr>|<tr><th>Run started</th><td></td></tr>|' {} +
}

# slurm_jobs LOG: "JOBID SLURM_LOG RULE WILDCARD" for every job that the
# run of LOG submitted (the rule and wildcards are those printed before it).
slurm_jobs() {
  awk '/^(rule|localrule) / { rule = substr($2, 1, length($2) - 1); wildcard = "" }
    /^    wildcards: / { wildcard = $2; sub(/^[a-z]+=/, "", wildcard) }
    /has been submitted with SLURM jobid/ { log_path = $NF; sub(/\)$/, "", log_path)
      print $(NF - 2), log_path, rule, wildcard }' "$1"
}

# completed_job JOBID: the cluster's line of that job once it ended.
completed_job() {
  grep "^JobId=$1 " "$cluster_dir/log/jobs.txt" || true
}

# job_field LINE FIELD: one FIELD=value of a line of the completed jobs.
job_field() {
  echo "$1" | tr ' ' '\n' | sed -n "s/^$2=//p"
}

# expected_mb FILE WEIGHT: the memory the workflow asks for a sample with one
# input FILE counted WEIGHT times its size, by the bundled config's numbers.
expected_mb() {
  awk -v bytes="$(stat -c %s "$1")" -v w="$2" 'BEGIN { m = 512 + 100 * bytes / 1e6 * w;
    print (m == int(m)) ? m : int(m) + 1 }'
}

# check_jobs RUN EXPECTED: the Slurm jobs that the run in directory RUN
# submitted are those of EXPECTED, lines "RULE WILDCARD STATE CPUS MEM_MB" in
# any order; each ran in RUN, with the profile's runtime (120 minutes), in the
# default partition and without an account, its Slurm log where Snakemake
# said.
check_jobs() {
  local run=$1 id log rule wildcard line actual=""
  while read -r id log rule wildcard; do
    line=$(completed_job "$id")
    [ -n "$line" ] || { fail "$run: Slurm job $id is not among the completed jobs"; continue; }
    [ -s "$run/$log" ] || fail "$run: the Slurm log $log of job $id is missing"
    [[ $log == .snakemake/slurm_logs/rule_$rule/$id.log ]] || fail "$run: job $id of $rule logs to $log"
    actual+="$rule $wildcard $(job_field "$line" JobState) $(job_field "$line" Tres |
      sed -E 's/^cpu=([0-9]+),mem=([0-9]+)M,.*/\1 \2/')"$'\n'
    [ "$(job_field "$line" TimeLimit)/$(job_field "$line" Partition)/$(job_field "$line" Account)" = "120/test/" ] ||
      fail "$run: job $id did not ask 120 minutes in the default partition without an account: $line"
    [ "$(job_field "$line" WorkDir)" = "$work/$run" ] || fail "$run: job $id ran elsewhere: $line"
  done < <(slurm_jobs "$run.log")
  actual=$(echo -n "$actual" | sort)
  [ "$actual" = "$(echo "$2" | sort)" ] || fail "$run: the Slurm jobs were
$actual
instead of
$(echo "$2" | sort)"
}

# --- the inputs ---------------------------------------------------------------------
mkdir data
cp "$source_dir/examples/crp0.fa" data/
"$bin_dir/zelkova-gen-genome" data/genome 1000000 2 120 5
sheet='sample\tprimary\tpeaks\tgenome\toptions
crp\t../data/crp0.fa\t\t\t--lengths 12,16
peaks\t\t../data/genome.narrowPeak\t../data/genome.fa\t--lengths 14 --decoy no
'
project local "$sheet"
project slurm "$sheet"

# --- the cluster; the run through the profile, beside a local run -----------------------
started=$SECONDS
start_cluster "$work/cluster"
echo "cluster up in $((SECONDS - started)) s (partition, nodes, CPUs, memory): $(sinfo -h -o '%P %D %c %m')"
(
  smk local --cores 2
  exit "$status"
) &
local_run=$!
# The profile's pace of status checks (one every 30 s) suits the scheduler
# of a real cluster, not a test.
smk slurm --profile "$profile" --max-status-checks-per-second 1
slurm_status=$status
local_status=0
wait "$local_run" || local_status=$?
[ "$local_status" -eq 0 ] || { fail "local run: status $local_status: $(tail -20 local.log)"; exit 1; }
if [ "$slurm_status" -ne 0 ]; then
  fail "Slurm run: status $slurm_status: $(tail -30 slurm.log)"
  cluster_logs
  exit 1
fi
echo "Slurm run done $((SECONDS - started)) s after the cluster's start"

# Every discover and genome_index job was a Slurm job with the threads of
# the bundled config (2) and the memory estimate; the genome was indexed
# once; the aggregate ran where snakemake ran.
check_jobs slurm "genome_index genome COMPLETED 1 1000
discover crp COMPLETED 2 $(expected_mb data/crp0.fa 1)
discover peaks COMPLETED 2 $(expected_mb data/genome.narrowPeak 10)"
grep -q '^localrule aggregate:$' slurm.log || fail "the aggregate did not run outside Slurm"
for sample in crp peaks; do
  grep -q -- "-o results/samples/$sample -p 2 " slurm/.snakemake/slurm_logs/rule_discover/*.log ||
    fail "no Slurm log holds the zelkova-discover command of $sample"
done
masked_tree local/results local.masked
masked_tree slurm/results slurm.masked
diff -r local.masked slurm.masked >diff.txt || fail "the Slurm run's results differ from the local run's: $(head -c 800 diff.txt)"

# --- a job killed for its memory runs again with twice the memory -----------------------
# Asked 90 MB, the job is killed: the Snakemake that runs inside each Slurm
# job takes about 130 MB by itself. Asked 180 MB the second time, it passes.
project retry 'sample\tprimary\toptions\ncrp\t../data/crp0.fa\t--lengths 12,16\n'
printf 'memory:\n  base_mb: 90\n  per_input_mb: 0\n' >retry/memory.yaml
started=$SECONDS
smk retry --profile "$profile" --max-status-checks-per-second 1 --configfile retry/memory.yaml
[ "$status" -eq 0 ] || fail "the run with too little memory at first: status $status: $(tail -30 retry.log)"
echo "run with a retry done in $((SECONDS - started)) s"
check_jobs retry "discover crp FAILED 2 90
discover crp COMPLETED 2 180"
grep -q 'exceeded memory limit' retry/.snakemake/slurm_logs/rule_discover/*.log ||
  fail "no Slurm log says that a job went over its memory"
masked_tree retry/results/samples/crp retry.masked
diff -r local.masked/samples/crp retry.masked >diff.txt ||
  fail "the retried sample's results differ from the local run's: $(head -c 800 diff.txt)"

# --- nothing of the cluster is left ---------------------------------------------------
stop_cluster || fail "the cluster did not stop cleanly"
finish_checks "workflow on Slurm: all checks passed"
