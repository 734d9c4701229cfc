#include "cli/compare_command.h"

#include <sstream>

#include "cli/companion_parser.h"
#include "formats/command_files.h"
#include "formats/motif_files.h"
#include "formats/output_file.h"
#include "stats/match_rows.h"
#include "stats/motif_database.h"

namespace cli {

namespace {

const char* const kDescription =
    "Compares every motif of MOTIFS with a database of known motifs and writes,\n"
    "per motif, its best matches as a tab-separated table with p-, E- and\n"
    "q-values. MOTIFS is a zelkova report or a MEME, JASPAR, TRANSFAC or HOMER\n"
    "file; the format is told from the content. Without --db, the bundled\n"
    "JASPAR collection (insect and vertebrate matrices) is the database.\n";

}  // namespace

std::optional<CompareOptions> parseCompareArguments(int argc, const char* const* argv) {
  CompareOptions o;
  cli::Parser parser("zelkova-compare", "[options] MOTIFS", kDescription);
  parser.repeatable("-d", "--db", "FILE",
                    "a database of known motifs (MEME, JASPAR, TRANSFAC or HOMER);\n"
                    "may be given more than once, read as one database whose\n"
                    "identifiers must be unique (default: the bundled JASPAR collection)",
                    o.databaseFiles);
  parser.value("-o", "--output", "FILE", "write the table to FILE (default, or \"-\": standard output)", o.outputFile);
  parser.whole("-n", "--top", "N", "the N best matches per motif (default {default})", o.top, 1, 1000000);
  parser.real("-e", "--evalue-max", "X", "only matches of E-value X or less (default {default})", o.evalueMax,
              {0.0, true});
  parser.whole("-m", "--min-overlap", "N",
               "columns two motifs must overlap at least (default {default}, or the\n"
               "shorter motif's width when that is less)",
               o.settings.minOverlap, 1, 1000000);
  const std::optional<std::vector<std::string>> files = parser.parse(argc, argv);
  if (!files) return std::nullopt;
  if (files->empty()) throw UsageError("no MOTIFS file given.");
  if (files->size() > 1)
    throw UsageError("more than one MOTIFS file given (" + (*files)[0] + ", " + (*files)[1] + ").");
  o.motifFile = files->front();
  return o;
}

std::vector<formats::MatchRow> bestMatches(const std::vector<formats::Motif>& queries,
                                           const std::vector<formats::Motif>& known, const CompareOptions& o) {
  const stats::Database database(known, o.settings.pseudocount);
  std::vector<formats::MatchRow> rows;
  for (const formats::Motif& query : queries)
    for (formats::MatchRow& row : stats::bestMatchRows(query, database, o.settings, o.top, o.evalueMax))
      rows.push_back(std::move(row));
  return rows;
}

int runCompare(const CompareOptions& o) {
  std::vector<std::string> inputs = o.databaseFiles;
  inputs.push_back(o.motifFile);
  formats::checkCommandFiles(inputs, {{o.outputFile, "output"}});
  const std::vector<formats::Motif> queries = formats::readMotifFile(o.motifFile);
  std::ostringstream table;
  formats::writeMatchTable(table, bestMatches(queries, stats::loadMotifDatabase(o.databaseFiles), o));
  formats::writeWholeFile(o.outputFile, table.str());
  return 0;
}

}  // namespace cli
