// A report as one self-contained HTML page: the run parameters, and for every
// motif its scores, consensus words, sequence logos of both strands, count
// matrix and site list. Logos are inline SVG with letters drawn as paths, so
// the page needs no network, script library or font.
#pragma once

#include <array>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "formats/report_reader.h"

namespace pages {

// Information content of a column in bits, 2 + sum of p log2 p over the bases
// (0 log 0 taken as 0), with p the plain frequencies of the counts: no
// small-sample correction. A column without counts carries none.
double informationContent(const formats::CountColumn& column);

// Height of each letter of a logo column in bits: its frequency times the
// information content of the column.
std::array<double, formats::kReportBases> letterHeights(const formats::CountColumn& column);

// The counts of the other strand: columns in reverse order, A with T and C
// with G exchanged.
std::vector<formats::CountColumn> reverseComplement(const std::vector<formats::CountColumn>& counts);

// Letter heights of a column of frequencies (adding up to 1), as above.
std::array<double, formats::kReportBases> frequencyLetterHeights(
    const std::array<double, formats::kReportBases>& frequencies);

// An SVG sequence logo of `counts`, 0 to 2 bits high, letters stacked with the
// smallest at the bottom. `label` becomes the SVG's accessible title.
std::string logoSvg(const std::vector<formats::CountColumn>& counts, const std::string& label);

// The same for a motif given by the letter frequencies of its positions.
std::string frequencyLogoSvg(const std::vector<std::array<double, formats::kReportBases>>& frequencies,
                             const std::string& label);

// A logo `span` columns wide whose letter stacks `heights` fill the columns
// from `shift` on, numbered from 1 there: logos of two aligned motifs drawn
// with the same span line up column by column.
std::string shiftedLogoSvg(const std::vector<std::array<double, formats::kReportBases>>& heights,
                           const std::string& label, int shift, int span);

// `text` with &, <, >, " and ' written as character references.
std::string escape(const std::string& text);

// ---- pieces of the page, shared with other pages that show motifs ----------

// The style sheet, and the script that sorts every table of class "sortable"
// by the column whose heading is clicked (numerically for headings of class
// "num").
extern const char* const kPageStyle;
extern const char* const kSortScript;

// A word with every letter coloured as on the logos.
std::string colouredWord(const std::string& word);

// "<tr><th>NAME</th><td>VALUE</td></tr>"; both are HTML.
void writeRow(std::ostream& out, const std::string& name, const std::string& value);

// The logos of both strands of a motif named `id`.
void writeStrandLogos(std::ostream& out, const std::vector<formats::CountColumn>& counts, const std::string& id);

// A matrix of a motif's section, under the heading `title`: a column per
// position, a row per letter, the values as given.
using MatrixColumnText = std::array<std::string, formats::kReportBases>;
void writeMatrixTable(std::ostream& out, const std::string& title, const std::vector<MatrixColumnText>& columns);
// The count matrix of a motif's section.
void writeCountMatrix(std::ostream& out, const std::vector<formats::CountColumn>& counts);

// The sortable table of a motif's sites (sequence, strand, position, word,
// score), in the order given; with `genomeCells` (HTML, one per site) a
// column "Genome position" after the position, with `log10P` (one per site)
// a column "p-value" after the score.
void writeSiteTable(std::ostream& out, const std::vector<formats::ReportSite>& sites,
                    const std::vector<std::string>& genomeCells = {}, const std::vector<double>& log10P = {});

// Content another part of the program adds to the page: rules for the style
// sheet, columns of the motif table (headings, and the cells of each motif),
// and what to write into each motif's section, after its scores and after its
// logos. Any part may be left empty.
struct PageAddition {
  std::string style;
  std::string tableHeadings;
  std::function<std::string(const formats::ReportMotif&)> tableCells;
  std::function<void(std::ostream&, const formats::ReportMotif&)> afterScores;
  std::function<void(std::ostream&, const formats::ReportMotif&)> inMotifSection;
};

// The whole page; `reportName` names the report in the title and heading,
// `program` the program that writes the page (its foot gives it with the
// version).
void writeHtml(std::ostream& out, const formats::Report& report, const std::string& reportName,
               const std::string& program, const std::vector<PageAddition>& additions = {});

}  // namespace pages
