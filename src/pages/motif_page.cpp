#include "pages/motif_page.h"

#include <ostream>

#include "base/version.h"
#include "formats/motif_export.h"
#include "pages/enrichment_section.h"
#include "pages/html_table.h"
#include "pages/known_section.h"
#include "pages/report_page.h"

namespace pages {

namespace {

void writeHead(std::ostream& out, const std::string& title, const std::string& style) {
  out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      << "<title>" << escape(title) << "</title>\n<style>" << kPageStyle << style << "</style>\n</head>\n<body>\n";
}

void writeFoot(std::ostream& out, const std::string& program) {
  out << "<footer>\n<p>Written by " << escape(versionLine(program)) << ".</p>\n</footer>\n";
  out << "<script>" << kSortScript << "</script>\n</body>\n</html>\n";
}

std::string sitesText(const formats::Motif& m) { return m.nsites ? formats::matrixValueText(*m.nsites) : "not given"; }

void writeSummary(std::ostream& out, const std::vector<formats::Motif>& motifs,
                  const std::vector<const formats::EnrichmentRow*>& enrichment) {
  out << "<section id=\"summary\">\n<h2>Motifs</h2>\n";
  if (motifs.empty()) {
    out << "<p class=\"empty\">The files hold no motifs.</p>\n</section>\n";
    return;
  }
  out << "<table class=\"summary\">\n<thead><tr>"
      << pages::cells({{"#", "num"}, {"Motif"}, {"Name"}, {"Consensus"}, {"Width", "num"}, {"Sites", "num"}},
                      pages::Kind::Heading)
      << (enrichment.empty() ? "" : enrichmentHeadings()) << "</tr></thead>\n<tbody>\n";
  for (std::size_t i = 0; i < motifs.size(); ++i) {
    const formats::Motif& m = motifs[i];
    out << "<tr>"
        << pages::cells({{std::to_string(i + 1), "num"},
                         {"<a href=\"#" + escape(m.id) + "\">" + escape(m.id) + "</a>"},
                         pages::text(m.name),
                         {colouredWord(formats::degenerateConsensus(formats::plainFrequencies(m)))},
                         {std::to_string(m.width()), "num"},
                         {sitesText(m), "num"}})
        << (enrichment.empty() ? "" : enrichmentCells(enrichment[i])) << "</tr>\n";
  }
  out << "</tbody>\n</table>\n</section>\n";
}

void writeMatrix(std::ostream& out, const formats::Motif& m) {
  std::vector<MatrixColumnText> columns;
  for (const formats::Column& column : formats::countsOf(m).value_or(formats::plainFrequencies(m))) {
    MatrixColumnText& texts = columns.emplace_back();
    for (int b = 0; b < formats::kBases; ++b) texts[b] = formats::matrixValueText(column[b]);
  }
  writeMatrixTable(out, formats::countsOf(m) ? "Count matrix" : "Probability matrix", columns);
}

void writeMotif(std::ostream& out, const formats::Motif& m, const formats::EnrichmentRow* row, bool withEnrichment) {
  const std::vector<formats::Column> f = formats::plainFrequencies(m);
  out << "<section class=\"motif\" id=\"" << escape(m.id) << "\">\n<h2>" << escape(m.id)
      << (m.name.empty() ? "" : " " + escape(m.name)) << "</h2>\n<table class=\"scores\">\n";
  writeRow(out, "Read from", "<code>" + escape(m.where()) + "</code>");
  writeRow(out, "Width", std::to_string(m.width()));
  writeRow(out, "Sites", sitesText(m));
  writeRow(out, "Consensus", colouredWord(formats::consensus(f)));
  writeRow(out, "Degenerate consensus", colouredWord(formats::degenerateConsensus(f)));
  out << "</table>\n";
  if (withEnrichment) writeEnrichmentSection(out, row);
  out << "<div class=\"logos\">\n<figure class=\"forward\">" << frequencyLogoSvg(f, "Sequence logo of " + m.id)
      << "<figcaption>Forward strand</figcaption></figure>\n<figure class=\"reverse\">"
      << frequencyLogoSvg(formats::reverseComplement(f), "Sequence logo of the reverse complement of " + m.id)
      << "<figcaption>Reverse complement</figcaption></figure>\n</div>\n";
  writeMatrix(out, m);
  out << "</section>\n";
}

}  // namespace

void writeMotifPage(std::ostream& out, const std::vector<formats::Motif>& motifs, const std::string& names,
                    const std::string& program, const std::vector<const formats::EnrichmentRow*>& enrichment) {
  writeHead(out, "ZELKOVA motifs: " + names, "");
  out << "<header>\n<h1>ZELKOVA motifs</h1>\n<p>Motifs of <code>" << escape(names) << "</code>, " << motifs.size()
      << (motifs.size() == 1 ? " motif" : " motifs") << ".</p>\n</header>\n";
  writeSummary(out, motifs, enrichment);
  for (std::size_t i = 0; i < motifs.size(); ++i)
    writeMotif(out, motifs[i], enrichment.empty() ? nullptr : enrichment[i], !enrichment.empty());
  writeFoot(out, program);
}

void writeKnownPage(std::ostream& out, const std::vector<formats::KnownRow>& rows, const std::string& tableName,
                    const std::vector<formats::Motif>& motifs, const std::string& names, const std::string& program) {
  const std::vector<const formats::Motif*> shown = knownMotifsOfRows(rows, motifs, tableName);
  writeHead(out, "ZELKOVA known motifs: " + tableName, kKnownStyle);
  out << "<header>\n<h1>ZELKOVA known motifs</h1>\n<p>The enrichment table <code>" << escape(tableName)
      << "</code> of the motifs of <code>" << escape(names) << "</code>.</p>\n</header>\n";
  KnownSection section;
  section.tableLink = tableName;
  section.tested =
      "Every motif of the database was tested for enrichment in the primary sequences against the "
      "control.";
  writeKnownSection(out, rows, shown, section);
  writeFoot(out, program);
}

}  // namespace pages
