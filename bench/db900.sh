# Sourced by the benchmark scripts: make_db900 BIN_DIR WORK_DIR DB writes DB
# (once), a database of 900 motifs: the 331 matrices of the bundled
# collection (data/jaspar, from Debian's r-bioc-pwmenrich) and 569 perturbed
# copies of them (each count multiplied by a factor drawn evenly from 0.6 to
# 1.4 and rounded; identifiers MA0004.1_v1, ...): the widths of a real
# collection (4 to 30 columns), different enough not to repeat each other's
# scores. Run from the project's top directory.
make_db900() {  # BIN_DIR WORK_DIR DB
  local bin=$1 work=$2 db=$3
  [ ! -f "$db" ] || return 0
  "$bin/zelkova-export" -f jaspar -o "$work/bundled.jaspar" data/jaspar/jaspar_insecta.jaspar data/jaspar/jaspar_vertebrates.pfm
  awk -v total=900 'BEGIN { srand(900) }
    /^>/ { n++; id[n] = substr($1, 2); name[n] = $2; k = 0; next }
    /^[ACGT]  \[/ { k++; gsub(/[][]/, ""); row[n, k] = $0 }
    END {
      for (copy = 0; copy * n < total; copy++)
        for (m = 1; m <= n && copy * n + m <= total; m++) {
          printf ">%s%s\t%s\n", id[m], copy ? "_v" copy : "", name[m]
          for (k = 1; k <= 4; k++) {
            split(row[m, k], f, " "); line = f[1] "  ["
            for (i = 2; i in f; i++) line = line " " (copy ? int(f[i] * (0.6 + 0.8 * rand()) + 0.5) : f[i])
            print line " ]"
          }
          print ""
        }
    }' "$work/bundled.jaspar" >"$db"
}
