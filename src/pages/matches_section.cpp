#include "pages/matches_section.h"

#include <map>
#include <memory>
#include <ostream>

#include "formats/motif_export.h"
#include "formats/motif_files.h"
#include "formats/text_lines.h"
#include "pages/html_table.h"

namespace export_html {

namespace {

using Heights = std::vector<std::array<double, report::kBases>>;

const char* const kMatchesStyle = R"(
.matches figure { margin: 0.3em 0 1.2em; }
.matches .aligned { display: flex; flex-direction: column; gap: 0; }
)";

struct AlignedMatch {
  match_table::Row row;
  Heights target;  // in the orientation of the match
};

Heights heightsOf(const std::vector<motif::Column>& frequencies) {
  Heights heights;
  for (const motif::Column& p : frequencies) heights.push_back(frequencyLetterHeights(p));
  return heights;
}

Heights heightsOf(const std::vector<report::Column>& counts) {
  Heights heights;
  for (const report::Column& c : counts) heights.push_back(letterHeights(c));
  return heights;
}

void writeTable(std::ostream& out, const std::vector<AlignedMatch>& matches) {
  out << "<table class=\"matches-table\">\n"
      << html_table::head({{"Known motif"},
                           {"Name"},
                           {"Strand"},
                           {"Offset", "num"},
                           {"Overlap", "num"},
                           {"p", "num"},
                           {"E", "num"},
                           {"q", "num"},
                           {"Consensus"}})
      << "<tbody>\n";
  for (const AlignedMatch& m : matches) {
    const match_table::Row& r = m.row;
    out << html_table::row({html_table::text(r.targetId),
                            html_table::text(r.targetName),
                            {r.reverse ? "&minus;" : "+"},
                            {std::to_string(r.offset), "num"},
                            {std::to_string(r.overlap), "num"},
                            {match_table::formatValue(r.p), "num"},
                            {match_table::formatValue(r.e), "num"},
                            {match_table::formatValue(r.q), "num"},
                            html_table::text(r.targetConsensus, "word")});
  }
  out << "</tbody>\n</table>\n";
}

// The motif's logo over the target's, on a common column grid.
void writeAlignment(std::ostream& out, const report::Motif& motif, const match_table::Row& row, const Heights& target) {
  const int queryShift = row.offset < 0 ? -row.offset : 0;
  const int targetShift = row.offset > 0 ? row.offset : 0;
  const int span = std::max(queryShift + motif.width(), targetShift + static_cast<int>(target.size()));
  const std::string id = export_formats::motifId(motif);
  const std::string strand = row.reverse ? "reverse complement of " : "";
  out << "<figure class=\"match\" data-target=\"" << escape(row.targetId) << "\"><div class=\"aligned\">"
      << shiftedLogoSvg(heightsOf(motif.counts), "Sequence logo of " + id, queryShift, span)
      << shiftedLogoSvg(target, "Sequence logo of the " + strand + row.targetId, targetShift, span)
      << "</div><figcaption>" << escape(id) << " (top) and the " << strand << escape(row.targetId) << ' '
      << escape(row.targetName) << " (below), offset " << row.offset << "</figcaption></figure>\n";
}

// The target's letter heights in the orientation of the match.
Heights alignedHeights(const motif::Motif& target, bool reverse) {
  std::vector<motif::Column> p = motif::frequencies(target, 0.0);
  if (reverse) p = motif::reverseComplement(p);
  return heightsOf(p);
}

void writeMatches(std::ostream& out, const report::Motif& motif, const std::vector<AlignedMatch>& matches) {
  out << "<div class=\"matches\">\n<h3>Known motifs it resembles</h3>\n";
  if (matches.empty()) {
    out << "<p class=\"empty\">No known motif matched.</p>\n</div>\n";
    return;
  }
  writeTable(out, matches);
  for (const AlignedMatch& m : matches) writeAlignment(out, motif, m.row, m.target);
  out << "</div>\n";
}

}  // namespace

void writeAlignedLogos(std::ostream& out, const report::Motif& motif, const match_table::Row& match,
                       const motif::Motif& target) {
  writeAlignment(out, motif, match, alignedHeights(target, match.reverse));
}

PageAddition matchesAddition(const std::vector<match_table::Row>& rows, const std::string& source,
                             const report::Report& report, const std::vector<motif::Motif>& targets) {
  std::map<std::string, std::string> consensusOf;  // as zelkova-compare computes it
  for (const motif::Motif& m : motif_files::fromReport(report, source)) consensusOf[m.id] = motif::consensus(m.columns);
  std::map<std::string, const motif::Motif*> known;
  for (const motif::Motif& t : targets) known.emplace(t.id, &t);  // the first of equal identifiers
  auto byMotif = std::make_shared<std::map<std::string, std::vector<AlignedMatch>>>();
  for (const match_table::Row& row : rows) {
    const auto consensus = consensusOf.find(row.query);
    if (consensus == consensusOf.end()) throw ReadError(source, row.line, row.query + " is not a motif of the report");
    if (row.queryConsensus != consensus->second)
      throw ReadError(source, row.line,
                      "the consensus " + row.queryConsensus + " is not that of " + row.query +
                          ": the matches belong to another report");
    const auto target = known.find(row.targetId);
    if (target == known.end())
      throw ReadError(
          source, row.line,
          "the known motif " + row.targetId + " is not in the database (pass the one the matches came from with --db)");
    (*byMotif)[row.query].push_back({row, alignedHeights(*target->second, row.reverse)});
  }
  PageAddition addition;
  addition.style = kMatchesStyle;
  addition.inMotifSection = [byMotif](std::ostream& out, const report::Motif& m) {
    const auto found = byMotif->find(export_formats::motifId(m));
    writeMatches(out, m, found == byMotif->end() ? std::vector<AlignedMatch>{} : found->second);
  };
  return addition;
}

}  // namespace export_html
