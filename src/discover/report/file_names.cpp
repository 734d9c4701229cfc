#include "discover/report/file_names.h"

namespace discover {

std::string searchReportName(const Search& search) { return "runs/" + search.name + ".out"; }

std::string searchPageName(const Search& search) { return "runs/" + search.name + ".html"; }

std::vector<std::string> searchFileNames(const Plan& plan, bool sideFiles) {
  std::vector<std::string> names;
  for (const Search& s : plan.searches) {
    names.push_back(searchReportName(s));
    names.push_back(searchPageName(s));
    if (sideFiles && s.kind == SearchKind::Engine)
      for (const char* side : {".initcore.txt", ".initcluster.txt"}) names.push_back("runs/" + s.name + side);
  }
  return names;
}

std::vector<std::string> resultFileNames() {
  return {"peaks.fa",  "background.fa", "background.bed", "motifs.meme", "motifs.jaspar", "sites.tsv",
          "sites.bed", "known.tsv",     "log.txt",        "summary.tsv", "index.html"};
}

}  // namespace discover
