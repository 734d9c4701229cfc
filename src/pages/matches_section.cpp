#include "pages/matches_section.h"

#include <map>
#include <memory>
#include <ostream>

#include "formats/motif_export.h"
#include "formats/motif_files.h"
#include "formats/text_lines.h"
#include "pages/html_table.h"

namespace pages {

namespace {

using Heights = std::vector<std::array<double, formats::kReportBases>>;

const char* const kMatchesStyle = R"(
.matches figure { margin: 0.3em 0 1.2em; }
.matches .aligned { display: flex; flex-direction: column; gap: 0; }
)";

struct AlignedMatch {
  formats::MatchRow row;
  Heights target;  // in the orientation of the match
};

Heights heightsOf(const std::vector<formats::Column>& frequencies) {
  Heights heights;
  for (const formats::Column& p : frequencies) heights.push_back(frequencyLetterHeights(p));
  return heights;
}

Heights heightsOf(const std::vector<formats::CountColumn>& counts) {
  Heights heights;
  for (const formats::CountColumn& c : counts) heights.push_back(letterHeights(c));
  return heights;
}

void writeTable(std::ostream& out, const std::vector<AlignedMatch>& matches) {
  out << "<table class=\"matches-table\">\n"
      << pages::head({{"Known motif"},
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
    const formats::MatchRow& r = m.row;
    out << pages::row({pages::text(r.targetId),
                       pages::text(r.targetName),
                       {r.reverse ? "&minus;" : "+"},
                       {std::to_string(r.offset), "num"},
                       {std::to_string(r.overlap), "num"},
                       {formats::formatMatchValue(r.p), "num"},
                       {formats::formatMatchValue(r.e), "num"},
                       {formats::formatMatchValue(r.q), "num"},
                       pages::text(r.targetConsensus, "word")});
  }
  out << "</tbody>\n</table>\n";
}

// The motif's logo over the target's, on a common column grid.
void writeAlignment(std::ostream& out, const formats::ReportMotif& motif, const formats::MatchRow& row,
                    const Heights& target) {
  const int queryShift = row.offset < 0 ? -row.offset : 0;
  const int targetShift = row.offset > 0 ? row.offset : 0;
  const int span = std::max(queryShift + motif.width(), targetShift + static_cast<int>(target.size()));
  const std::string id = formats::motifId(motif);
  const std::string strand = row.reverse ? "reverse complement of " : "";
  out << "<figure class=\"match\" data-target=\"" << escape(row.targetId) << "\"><div class=\"aligned\">"
      << shiftedLogoSvg(heightsOf(motif.counts), "Sequence logo of " + id, queryShift, span)
      << shiftedLogoSvg(target, "Sequence logo of the " + strand + row.targetId, targetShift, span)
      << "</div><figcaption>" << escape(id) << " (top) and the " << strand << escape(row.targetId) << ' '
      << escape(row.targetName) << " (below), offset " << row.offset << "</figcaption></figure>\n";
}

// The target's letter heights in the orientation of the match.
Heights alignedHeights(const formats::Motif& target, bool reverse) {
  std::vector<formats::Column> p = formats::frequencies(target, 0.0);
  if (reverse) p = formats::reverseComplement(p);
  return heightsOf(p);
}

void writeMatches(std::ostream& out, const formats::ReportMotif& motif, const std::vector<AlignedMatch>& matches) {
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

void writeAlignedLogos(std::ostream& out, const formats::ReportMotif& motif, const formats::MatchRow& match,
                       const formats::Motif& target) {
  writeAlignment(out, motif, match, alignedHeights(target, match.reverse));
}

PageAddition matchesAddition(const std::vector<formats::MatchRow>& rows, const std::string& source,
                             const formats::Report& report, const std::vector<formats::Motif>& targets) {
  std::map<std::string, std::string> consensusOf;  // as zelkova-compare computes it
  for (const formats::Motif& m : formats::fromReport(report, source)) consensusOf[m.id] = formats::consensus(m.columns);
  std::map<std::string, const formats::Motif*> known;
  for (const formats::Motif& t : targets) known.emplace(t.id, &t);  // the first of equal identifiers
  auto byMotif = std::make_shared<std::map<std::string, std::vector<AlignedMatch>>>();
  for (const formats::MatchRow& row : rows) {
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
  addition.inMotifSection = [byMotif](std::ostream& out, const formats::ReportMotif& m) {
    const auto found = byMotif->find(formats::motifId(m));
    writeMatches(out, m, found == byMotif->end() ? std::vector<AlignedMatch>{} : found->second);
  };
  return addition;
}

}  // namespace pages
