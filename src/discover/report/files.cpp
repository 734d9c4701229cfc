#include "discover/report/files.h"

#include <sstream>

#include "discover/report/genome_files.h"
#include "discover/report/known_text.h"
#include "discover/report/log.h"
#include "discover/report/page.h"
#include "discover/report/tables.h"
#include "formats/motif_export.h"
#include "formats/motif_files.h"

namespace discover {

std::vector<std::pair<std::string, std::string>> resultFiles(const Discovery& d) {
  const std::vector<formats::Motif> motifs = formats::fromReport(reportedMotifs(d), "the reported motifs");
  formats::MemeDetails details;
  details.background = d.controlBases;
  for (const ReportedMotif& m : d.motifs) details.log10E.push_back(d.candidateOf(m).test.log10E);
  std::ostringstream meme, jaspar;
  formats::writeMeme(meme, motifs, details);
  formats::writeJaspar(jaspar, motifs);

  std::vector<std::pair<std::string, std::string>> files;
  if (d.genome) files = genomeRunFiles(*d.genome);
  files.emplace_back("motifs.meme", meme.str());
  files.emplace_back("motifs.jaspar", jaspar.str());
  files.emplace_back("sites.tsv", siteTable(d));
  if (d.regions) files.emplace_back("sites.bed", siteBed(d));
  if (d.knownRun) files.emplace_back("known.tsv", knownTable(d));
  files.emplace_back("log.txt", logText(d));
  files.emplace_back("summary.tsv", summaryTable(d));
  files.emplace_back("index.html", indexPage(d));
  return files;
}

}  // namespace discover
