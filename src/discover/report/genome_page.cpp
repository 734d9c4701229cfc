#include "discover/report/genome_page.h"

#include <ostream>

#include "discover/report/genome_log.h"
#include "formats/text_lines.h"
#include "pages/gc_histogram.h"
#include "pages/html_table.h"
#include "pages/report_page.h"
#include "stats/background_summary.h"

namespace discover {

using pages::escape;
using pages::writeRow;

const char* const kGenomePageStyle = R"(
figure.gc svg { max-width: 100%; height: auto; }
table.gc-bins td, table.gc-bins th { padding: 0.1em 0.8em; }
a.locus { font-family: monospace; white-space: nowrap; }
)";

namespace {

void writeBinTable(std::ostream& out, const stats::BackgroundDraw& draw) {
  out << "<details>\n<summary>Windows per GC bin</summary>\n<table class=\"gc-bins\">\n"
      << pages::head({{"GC (%)", "num"}, {"Peak windows", "num"}, {"Wanted", "num"}, {"Drawn", "num"}}) << "<tbody>\n";
  for (int b = 0; b < stats::kGcBins; ++b) {
    const stats::GcBinCounts& bin = draw.bins[b];
    if (bin.peaks == 0 && bin.wanted == 0 && bin.drawn == 0) continue;
    out << pages::row({{std::to_string(b), "num"},
                       {std::to_string(bin.peaks), "num"},
                       {std::to_string(bin.wanted), "num"},
                       {std::to_string(bin.drawn), "num"}},
                      bin.drawn < bin.wanted ? "warning" : "");
  }
  out << "</tbody>\n</table>\n</details>\n";
}

void writeDrawnBackground(std::ostream& out, const stats::BackgroundDraw& draw) {
  out << "<p>" << escape(stats::backgroundOverview(draw))
      << " Each window lies away from every peak (its interval and its window widened by the window's length on "
         "each side) and from the excluded regions, and holds at most 5 % N. <code>background.bed</code> lists "
         "the windows (score: GC in thousandths), <code>background.fa</code> holds their letters.</p>\n";
  const std::vector<std::string> notes = stats::backgroundNotes(draw);
  if (!notes.empty()) {
    out << "<ul class=\"notes\">\n";
    for (const std::string& note : notes) out << "<li class=\"warning\">" << escape(note) << "</li>\n";
    out << "</ul>\n";
  }
  out << "<figure class=\"gc\">" << pages::gcHistogramSvg(draw)
      << "<figcaption>GC content of the peak windows and of the background, each in percent of its windows, in "
         "bins 1 % wide.</figcaption></figure>\n";
  writeBinTable(out, draw);
}

}  // namespace

void writeGenomeRows(std::ostream& out, const Discovery& d) {
  if (!d.genome) return;
  const GenomeRun& run = *d.genome;
  const GenomeOptions& g = d.options.genome;
  writeRow(out, "Genome",
           "<code>" + escape(run.genomePath) + "</code>" + (run.bgzip ? " (bgzip)" : "") + ", " +
               std::to_string(run.chromosomes) + " chromosomes, " + std::to_string(run.genomeLetters) + " letters; " +
               escape(indexOriginText(run)));
  writeRow(out, "Peak windows",
           "<code>" + escape(g.peaksFile) + "</code>: " + escape(windowCountsText(run.windows)) + "; " +
               escape(windowShapeText(d.options, run.peakFormat)) + " (<code>peaks.fa</code>)");
  if (!g.excludeFile.empty())
    writeRow(out, "Excluded regions",
             "<code>" + escape(g.excludeFile) + "</code>: " + std::to_string(run.excludedRegions) +
                 " regions, kept out of the peak windows and the control");
}

void writeGenomeControlSection(std::ostream& out, const Discovery& d) {
  if (!d.genome || !controlFromGenome(d.genome->control)) return;
  const GenomeRun& run = *d.genome;
  out << "<section id=\"background\">\n<h2>Control from the genome</h2>\n";
  if (run.draw) {
    writeDrawnBackground(out, *run.draw);
  } else {
    out << "<p>The windows of the control peaks <code>" << escape(d.options.genome.controlPeaksFile)
        << "</code>, cut as the peak windows are: " << escape(windowCountsText(*run.controlWindows)) << "; "
        << run.controlOverlappingPeaks << " windows overlapping a peak window left out. "
        << "<code>background.bed</code> lists the windows used, <code>background.fa</code> holds their letters.</p>\n";
  }
  out << "</section>\n";
}

std::string genomePositionLink(const stats::Interval& at) {
  const std::string position = at.chrom + ":" + std::to_string(at.start + 1) + "-" + std::to_string(at.end);
  return "<a class=\"locus\" href=\"https://genome.ucsc.edu/cgi-bin/hgTracks?position=" +
         formats::percentEncoded(position, "-_.~") +
         "\" title=\"Open in the UCSC Genome Browser (its assembly chosen last), or paste into any genome browser\">" +
         escape(position) + "</a>";
}

}  // namespace discover
