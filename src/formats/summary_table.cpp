#include "formats/summary_table.h"

#include <cmath>
#include <fstream>
#include <optional>
#include <sstream>

#include "formats/text_lines.h"
#include "formats/tsv_table.h"

namespace formats {

const char* const kSummaryHeader =
    "rank\tid\tlength\tmismatches\tconsensus\tthreshold\tlog10_E\tbeats_decoy\tprimary_hits\tprimary_total\t"
    "control_hits\tcontrol_total\tbest_match_id\tbest_match_name\tbest_match_E\tweak_match_id\tweak_match_E\t"
    "conditional_log10_E\tlow_complexity\tcentral_log10_p\tcentral_width";
const char* const kSummaryHeaderWithoutCentral =
    "rank\tid\tlength\tmismatches\tconsensus\tthreshold\tlog10_E\tbeats_decoy\tprimary_hits\tprimary_total\t"
    "control_hits\tcontrol_total\tbest_match_id\tbest_match_name\tbest_match_E\tweak_match_id\tweak_match_E\t"
    "conditional_log10_E\tlow_complexity";

std::string summaryLine(const SummaryRow& r) {
  std::ostringstream out;
  out << r.rank << '\t' << r.id << '\t' << r.length << '\t' << r.mismatches << '\t' << r.consensus << '\t'
      << r.threshold << '\t' << r.log10E << '\t' << r.beatsDecoy << '\t' << r.primaryHits << '\t' << r.primaryTotal
      << '\t' << r.controlHits << '\t' << r.controlTotal << '\t' << r.bestMatchId << '\t' << r.bestMatchName << '\t'
      << r.bestMatchE << '\t' << r.weakMatchId << '\t' << r.weakMatchE << '\t' << r.conditionalLog10E << '\t'
      << r.lowComplexity << '\t' << r.centralLog10P << '\t' << r.centralWidth;
  return out.str();
}

namespace {

// The columns of a summary.tsv, found in its header.
struct Columns {
  TsvColumn rank, id, length, mismatches, consensus, threshold, log10E, beatsDecoy, primaryHits, primaryTotal,
      controlHits, controlTotal, bestMatchId, bestMatchName, bestMatchE, weakMatchId, weakMatchE, conditionalLog10E,
      lowComplexity;
  std::optional<TsvColumn> centralLog10P, centralWidth;  // missing in the earlier layout
};

Columns columnsOf(const formats::TsvTable& t) {
  Columns c{t.column("rank"),
            t.column("id"),
            t.column("length"),
            t.column("mismatches"),
            t.column("consensus"),
            t.column("threshold"),
            t.column("log10_E"),
            t.column("beats_decoy"),
            t.column("primary_hits"),
            t.column("primary_total"),
            t.column("control_hits"),
            t.column("control_total"),
            t.column("best_match_id"),
            t.column("best_match_name"),
            t.column("best_match_E"),
            t.column("weak_match_id"),
            t.column("weak_match_E"),
            t.column("conditional_log10_E"),
            t.column("low_complexity"),
            std::nullopt,
            std::nullopt};
  c.centralLog10P = t.optionalColumn("central_log10_p");
  if (c.centralLog10P) c.centralWidth = t.column("central_width");
  return c;
}

void checkMotifFields(const formats::TsvRow& at, const SummaryRow& row) {
  if (row.length < 1) at.fail("the length " + std::to_string(row.length) + " is not 1 or more");
  if (row.mismatches >= kLongestSummaryMotif)
    at.fail("the mismatches " + std::to_string(row.mismatches) + " are not from 0 to " +
            std::to_string(kLongestSummaryMotif - 1));
  if (static_cast<int>(row.consensus.size()) != row.length ||
      row.consensus.find_first_not_of("ACGT") != std::string::npos)
    at.fail("the consensus " + formats::quoted(row.consensus) + " is not " + std::to_string(row.length) +
            " letters of A, C, G and T");
  if (row.beatsDecoy != "yes" && row.beatsDecoy != "no" && row.beatsDecoy != "NA")
    at.fail("beats_decoy " + formats::quoted(row.beatsDecoy) + " is not yes, no or NA");
  if (row.primaryHits > row.primaryTotal || row.controlHits > row.controlTotal) at.fail("more hits than sequences");
}

// An identifier with its E-value, or NA in both.
void checkMatch(const formats::TsvRow& at, const std::string& id, const std::string& e, const std::string& what) {
  if (id == "NA") {
    if (e != "NA") at.fail("a line without a " + what + " (" + what + "_id NA) needs NA in " + what + "_E");
    return;
  }
  formats::identifierField(at.at(), id, what + "_id");
  if (!(formats::numberField(at.at(), e, what + "_E", NonFinite::Allowed) >= 0))
    at.fail(what + "_E " + formats::quoted(e) + " is not a number of 0 or more");
}

void requireNumber(const formats::TsvRow& at, const std::string& text, const std::string& what) {
  if (std::isnan(formats::numberField(at.at(), text, what, NonFinite::Allowed)))
    at.fail(what + " " + formats::quoted(text) + " is not a number");
}

void checkBestMatch(const formats::TsvRow& at, const SummaryRow& row) {
  checkMatch(at, row.bestMatchId, row.bestMatchE, "best_match");
  if (row.bestMatchId == "NA" && row.bestMatchName != "NA")
    at.fail("a line without a best match (best_match_id NA) needs NA in best_match_name");
  checkMatch(at, row.weakMatchId, row.weakMatchE, "weak_match");
  if (row.bestMatchId != "NA" && row.weakMatchId != "NA")
    at.fail("a line names both a best and a weak match; one of best_match_id and weak_match_id must be NA");
  requireNumber(at, row.conditionalLog10E, "conditional_log10_E");
  if (row.lowComplexity != "yes" && row.lowComplexity != "no")
    at.fail("low_complexity " + formats::quoted(row.lowComplexity) + " is not yes or no");
}

// NA in both, or a log10 p-value and a width of 1 or more.
void checkCentral(const formats::TsvRow& at, const SummaryRow& row) {
  if (row.centralLog10P == "NA" && row.centralWidth == "NA") return;
  if (row.centralLog10P == "NA" || row.centralWidth == "NA")
    at.fail("central_log10_p and central_width are NA together or neither");
  const double log10P = formats::numberField(at.at(), row.centralLog10P, "central_log10_p", NonFinite::Allowed);
  if (!std::isfinite(log10P) || log10P > 0)
    at.fail("central_log10_p " + formats::quoted(row.centralLog10P) + " is not the log10 of a p-value");
  if (formats::countField(at.at(), row.centralWidth, "central_width") < 1)
    at.fail("central_width " + formats::quoted(row.centralWidth) + " is not 1 or more");
}

SummaryRow rowOf(const formats::TsvRow& f, const Columns& c) {
  SummaryRow row;
  row.rank = f.smallCount(c.rank);
  row.id = f.identifier(c.id);
  row.length = f.smallCount(c.length);
  row.mismatches = f.smallCount(c.mismatches);
  row.consensus = f.text(c.consensus);
  requireNumber(f, f.text(c.threshold), c.threshold.name);
  row.threshold = f.text(c.threshold);
  requireNumber(f, f.text(c.log10E), c.log10E.name);
  row.log10E = f.text(c.log10E);
  row.beatsDecoy = f.text(c.beatsDecoy);
  row.primaryHits = f.count(c.primaryHits);
  row.primaryTotal = f.count(c.primaryTotal);
  row.controlHits = f.count(c.controlHits);
  row.controlTotal = f.count(c.controlTotal);
  row.bestMatchId = f.text(c.bestMatchId);
  row.bestMatchName = f.text(c.bestMatchName);
  row.bestMatchE = f.text(c.bestMatchE);
  row.weakMatchId = f.text(c.weakMatchId);
  row.weakMatchE = f.text(c.weakMatchE);
  row.conditionalLog10E = f.text(c.conditionalLog10E);
  row.lowComplexity = f.text(c.lowComplexity);
  if (c.centralLog10P) {
    row.centralLog10P = f.text(*c.centralLog10P);
    row.centralWidth = f.text(*c.centralWidth);
  }
  row.line = f.line();
  return row;
}

}  // namespace

std::vector<SummaryRow> readSummaryTable(std::istream& in, const std::string& source) {
  formats::TsvTable table(in, source, "a zelkova-discover summary.tsv", "a summary line");
  const Columns columns = columnsOf(table);
  std::vector<SummaryRow> rows;
  for (formats::TsvRow fields; table.next(fields);) {
    rows.push_back(rowOf(fields, columns));
    checkMotifFields(fields, rows.back());
    checkBestMatch(fields, rows.back());
    checkCentral(fields, rows.back());
    if (rows.back().rank != static_cast<int>(rows.size()))
      fields.fail("the rank " + std::to_string(rows.back().rank) + " should be " + std::to_string(rows.size()) +
                  ": the lines are in rank order from 1");
  }
  return rows;
}

std::vector<SummaryRow> readSummaryTableFile(const std::string& path) {
  std::ifstream in = formats::openFile(path);
  return readSummaryTable(in, path);
}

}  // namespace formats
