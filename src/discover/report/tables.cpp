#include "discover/report/tables.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "base/errors.h"
#include "discover/report/site_outputs.h"
#include "formats/bed_writer.h"
#include "formats/motif_export.h"
#include "formats/text_lines.h"
#include "stats/enrichment_table.h"

namespace discover {

using enrichment_table::withoutTabs;

const char* const kSummaryHeader =
    "rank\tid\tlength\tmismatches\tconsensus\tthreshold\tlog10_E\tbeats_decoy\tprimary_hits\tprimary_total\t"
    "control_hits\tcontrol_total\tbest_match_id\tbest_match_name\tbest_match_E\tweak_match_id\tweak_match_E\t"
    "conditional_log10_E\tlow_complexity\tcentral_log10_p\tcentral_width";
const char* const kSummaryHeaderWithoutCentral =
    "rank\tid\tlength\tmismatches\tconsensus\tthreshold\tlog10_E\tbeats_decoy\tprimary_hits\tprimary_total\t"
    "control_hits\tcontrol_total\tbest_match_id\tbest_match_name\tbest_match_E\tweak_match_id\tweak_match_E\t"
    "conditional_log10_E\tlow_complexity";
const char* const kSitesHeader =
    "motif_id\tsequence\tstart\tend\tstrand\tscore\tword\tchrom\tgenome_start\tgenome_end\tgenome_strand\tlog10_p";

namespace {

std::string decoyText(const std::optional<bool>& beats) {
  if (!beats) return "NA";
  return *beats ? "yes" : "no";
}

// The best known match goes into best_match_* only when it is convincing,
// as the page names it; a weaker best one into weak_match_*.
void setBestMatch(SummaryRow& row, const ReportedMotif& m) {
  row.bestMatchId = row.bestMatchName = row.bestMatchE = row.weakMatchId = row.weakMatchE = "NA";
  if (m.matches.empty()) return;
  const match_table::Row& best = m.matches.front();
  if (!convincingMatch(best)) {
    row.weakMatchId = withoutTabs(best.targetId);
    row.weakMatchE = match_table::formatValue(best.e);
    return;
  }
  row.bestMatchId = withoutTabs(best.targetId);
  row.bestMatchName = best.targetName.empty() ? "NA" : withoutTabs(best.targetName);
  row.bestMatchE = match_table::formatValue(best.e);
}

}  // namespace

SummaryRow summaryRow(const Discovery& d, const ReportedMotif& m) {
  const Candidate& c = d.candidateOf(m);
  const Search& s = d.searchOf(c);
  const enrichment_stats::Table& t = c.test.choice.table;
  SummaryRow row;
  row.rank = m.rank;
  row.id = m.id;
  row.length = c.motif.width();  // refinement may trim the search's length
  row.mismatches = s.mismatches;
  row.consensus = c.motif.consensus;
  row.threshold = enrichment_table::thresholdText(c.test.choice.threshold);
  row.log10E = enrichment_table::log10Text(c.test.log10E);
  row.beatsDecoy = decoyText(m.beatsDecoy);
  row.primaryHits = t.primaryHits;
  row.primaryTotal = t.primaryTotal;
  row.controlHits = t.controlHits;
  row.controlTotal = t.controlTotal;
  setBestMatch(row, m);
  row.conditionalLog10E = enrichment_table::log10Text(m.conditional.log10E);
  row.lowComplexity = m.lowComplexity ? "yes" : "no";
  const known_table::CentralColumns central =
      centralColumns(d.central.reported.at(static_cast<std::size_t>(m.rank - 1)));
  row.centralLog10P = central.log10P;
  row.centralWidth = central.width;
  return row;
}

std::string summaryLine(const SummaryRow& r) {
  std::ostringstream out;
  out << r.rank << '\t' << r.id << '\t' << r.length << '\t' << r.mismatches << '\t' << r.consensus << '\t'
      << r.threshold << '\t' << r.log10E << '\t' << r.beatsDecoy << '\t' << r.primaryHits << '\t' << r.primaryTotal
      << '\t' << r.controlHits << '\t' << r.controlTotal << '\t' << r.bestMatchId << '\t' << r.bestMatchName << '\t'
      << r.bestMatchE << '\t' << r.weakMatchId << '\t' << r.weakMatchE << '\t' << r.conditionalLog10E << '\t'
      << r.lowComplexity << '\t' << r.centralLog10P << '\t' << r.centralWidth;
  return out.str();
}

std::string summaryTable(const Discovery& d) {
  std::string table = std::string(kSummaryHeader) + '\n';
  for (const ReportedMotif& m : d.motifs) table += summaryLine(summaryRow(d, m)) + '\n';
  return table;
}

namespace {

constexpr std::size_t kSummaryFields = 21;
constexpr std::size_t kFieldsWithoutCentral = 19;

long long countIn(const textio::Lines& lines, const std::string& text, const std::string& what) {
  const long long value = lines.integer(text, what);
  if (value < 0) lines.fail(what + " " + textio::quoted(text) + " is not a count");
  return value;
}

void requireNumber(const textio::Lines& lines, const std::string& text, const std::string& what) {
  if (std::isnan(lines.real(text, what))) lines.fail(what + " " + textio::quoted(text) + " is not a number");
}

void checkMotifFields(const textio::Lines& lines, const SummaryRow& row) {
  if (row.id.empty()) lines.fail("the motif id is empty");
  if (row.length < 1) lines.fail("the length " + std::to_string(row.length) + " is not 1 or more");
  if (row.mismatches < 0 || row.mismatches >= kMaxLength)
    lines.fail("the mismatches " + std::to_string(row.mismatches) + " are not from 0 to " +
               std::to_string(kMaxLength - 1));
  if (static_cast<int>(row.consensus.size()) != row.length ||
      row.consensus.find_first_not_of("ACGT") != std::string::npos)
    lines.fail("the consensus " + textio::quoted(row.consensus) + " is not " + std::to_string(row.length) +
               " letters of A, C, G and T");
  if (row.beatsDecoy != "yes" && row.beatsDecoy != "no" && row.beatsDecoy != "NA")
    lines.fail("beats_decoy " + textio::quoted(row.beatsDecoy) + " is not yes, no or NA");
  if (row.primaryHits > row.primaryTotal || row.controlHits > row.controlTotal)
    lines.fail("more hits than sequences");
}

// An identifier with its E-value, or NA in both.
void checkMatch(const textio::Lines& lines, const std::string& id, const std::string& e, const std::string& what) {
  if (id == "NA") {
    if (e != "NA") lines.fail("a line without a " + what + " (" + what + "_id NA) needs NA in " + what + "_E");
    return;
  }
  if (id.empty()) lines.fail(what + "_id is empty");
  if (!(lines.real(e, what + "_E") >= 0))
    lines.fail(what + "_E " + textio::quoted(e) + " is not a number of 0 or more");
}

void checkBestMatch(const textio::Lines& lines, const SummaryRow& row) {
  checkMatch(lines, row.bestMatchId, row.bestMatchE, "best_match");
  if (row.bestMatchId == "NA" && row.bestMatchName != "NA")
    lines.fail("a line without a best match (best_match_id NA) needs NA in best_match_name");
  checkMatch(lines, row.weakMatchId, row.weakMatchE, "weak_match");
  if (row.bestMatchId != "NA" && row.weakMatchId != "NA")
    lines.fail("a line names both a best and a weak match; one of best_match_id and weak_match_id must be NA");
  requireNumber(lines, row.conditionalLog10E, "conditional_log10_E");
  if (row.lowComplexity != "yes" && row.lowComplexity != "no")
    lines.fail("low_complexity " + textio::quoted(row.lowComplexity) + " is not yes or no");
}

// NA in both, or a log10 p-value and a width of 1 or more.
void checkCentral(const textio::Lines& lines, const SummaryRow& row) {
  if (row.centralLog10P == "NA" && row.centralWidth == "NA") return;
  if (row.centralLog10P == "NA" || row.centralWidth == "NA")
    lines.fail("central_log10_p and central_width are NA together or neither");
  const double log10P = lines.real(row.centralLog10P, "central_log10_p");
  if (!std::isfinite(log10P) || log10P > 0)
    lines.fail("central_log10_p " + textio::quoted(row.centralLog10P) + " is not the log10 of a p-value");
  if (countIn(lines, row.centralWidth, "central_width") < 1)
    lines.fail("central_width " + textio::quoted(row.centralWidth) + " is not 1 or more");
}

SummaryRow parseSummaryRow(const textio::Lines& lines, const std::string& line, std::size_t fields) {
  const std::vector<std::string> f = textio::tabFields(line);
  if (f.size() != fields)
    lines.fail("a summary line needs " + std::to_string(fields) + " tab-separated fields, found " +
               std::to_string(f.size()));
  SummaryRow row;
  row.rank = lines.smallInteger(f[0], "rank");
  row.id = f[1];
  row.length = lines.smallInteger(f[2], "length");
  row.mismatches = lines.smallInteger(f[3], "mismatches");
  row.consensus = f[4];
  requireNumber(lines, f[5], "threshold");
  row.threshold = f[5];
  requireNumber(lines, f[6], "log10_E");
  row.log10E = f[6];
  row.beatsDecoy = f[7];
  row.primaryHits = countIn(lines, f[8], "primary_hits");
  row.primaryTotal = countIn(lines, f[9], "primary_total");
  row.controlHits = countIn(lines, f[10], "control_hits");
  row.controlTotal = countIn(lines, f[11], "control_total");
  row.bestMatchId = f[12];
  row.bestMatchName = f[13];
  row.bestMatchE = f[14];
  row.weakMatchId = f[15];
  row.weakMatchE = f[16];
  row.conditionalLog10E = f[17];
  row.lowComplexity = f[18];
  if (fields == kSummaryFields) {
    row.centralLog10P = f[19];
    row.centralWidth = f[20];
  }
  row.line = lines.number();
  checkMotifFields(lines, row);
  checkBestMatch(lines, row);
  checkCentral(lines, row);
  return row;
}

}  // namespace

std::vector<SummaryRow> readSummary(std::istream& in, const std::string& source) {
  textio::Lines lines(in, source);
  const std::string& header = lines.take("the header line");
  if (header != kSummaryHeader && header != kSummaryHeaderWithoutCentral)
    lines.fail("expected the header line of a zelkova-discover summary.tsv (rank, id, length, ..., low_complexity, "
               "central_log10_p, central_width)");
  const std::size_t fields = header == kSummaryHeader ? kSummaryFields : kFieldsWithoutCentral;
  std::vector<SummaryRow> rows;
  while (!lines.atEnd()) {
    const std::string& line = lines.take("");
    if (line.empty()) continue;
    rows.push_back(parseSummaryRow(lines, line, fields));
    if (rows.back().rank != static_cast<int>(rows.size()))
      lines.fail("the rank " + std::to_string(rows.back().rank) + " should be " + std::to_string(rows.size()) +
                 ": the lines are in rank order from 1");
  }
  return rows;
}

std::vector<SummaryRow> readSummaryFile(const std::string& path) {
  std::ifstream in = textio::openFile(path);
  return readSummary(in, path);
}

namespace {

// The genome columns of a site: 1-based and inclusive as start and end are;
// NA in each without genome regions.
std::string genomeFields(const std::optional<genome_intervals::Interval>& at) {
  if (!at) return "NA\tNA\tNA\tNA";
  return at->chrom + '\t' + std::to_string(at->start + 1) + '\t' + std::to_string(at->end) + '\t' + at->strand;
}

}  // namespace

std::string siteTable(const Discovery& d) {
  std::ostringstream out;
  out << kSitesHeader << '\n';
  for (const ReportedMotif& m : d.motifs) {
    const long long width = d.candidateOf(m).motif.width();
    ZK_ASSERT(m.siteLog10P.size() == m.sites.size());
    for (std::size_t i = 0; i < m.sites.size(); ++i) {
      const enrichment::Site& site = m.sites[i];
      const long long start = givenStart(d, site);
      out << m.id << '\t' << withoutTabs(d.primary.records[site.sequence].name) << '\t' << start << '\t'
          << start + width - 1 << '\t' << (site.forward ? '+' : '-') << '\t'
          << export_formats::fixedPoint(site.score, 4) << '\t' << site.word << '\t'
          << genomeFields(siteInGenome(d, site, width)) << '\t' << enrichment_table::log10Text(m.siteLog10P[i])
          << '\n';
    }
  }
  return out.str();
}

std::string siteBed(const Discovery& d) {
  if (!d.regions) throw std::logic_error("sites.bed needs a genome region for every sequence");
  std::vector<bed::BedRecord> records;
  for (const ReportedMotif& m : d.motifs) {
    const long long width = d.candidateOf(m).motif.width();
    for (const enrichment::Site& site : m.sites) {
      const genome_intervals::Interval at = *siteInGenome(d, site, width);
      const int score = std::clamp(static_cast<int>(std::lround(1000.0 * site.score)), 0, 1000);
      records.push_back({at.chrom, at.start, at.end, m.id, score, at.strand});
    }
  }
  return bed::bedText(records);
}

}  // namespace discover
