# Sourced by the benchmark scripts; expects $work.
# timed LABEL COMMAND...: runs COMMAND (its output thrown away, its errors
# shown and the script ended when it fails) and prints LABEL with the wall
# time, the processor time (user + system) and the peak memory, without a line
# end.
timed() {
  local label=$1
  shift
  /usr/bin/time -f '%e %U %S %M' -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt" ||
    { cat "$work/stderr.txt"; exit 1; }
  read -r wall user sys peak <"$work/time.txt"
  printf '%-52s %8s %8s %9s' "$label" "$wall" "$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.1f", u + s }')" \
    "$(awk -v k="$peak" 'BEGIN { printf "%.0f", k / 1024 }')"
}
