#include "discover/report/run_page.h"

#include <map>
#include <memory>
#include <ostream>
#include <sstream>

#include "discover/setup/options.h"
#include "pages/report_page.h"

namespace discover {

std::string searchPage(const Search& search, const formats::Report& report) {
  formats::Report shown = report;
  auto cut = std::make_shared<std::map<int, std::size_t>>();  // rank -> sites in the report
  for (formats::ReportMotif& m : shown.motifs)
    if (m.sites.size() > static_cast<std::size_t>(kPageSitesShown)) {
      (*cut)[m.rank] = m.sites.size();
      m.sites.resize(static_cast<std::size_t>(kPageSitesShown));
    }
  pages::PageAddition note;
  const std::string reportName = search.name + ".out";
  note.afterScores = [cut, reportName](std::ostream& out, const formats::ReportMotif& m) {
    const auto found = cut->find(m.rank);
    if (found == cut->end()) return;
    out << "<p class=\"note\">The site table lists the first " << kPageSitesShown << " of " << found->second
        << " sites; <a href=\"" << pages::escape(reportName) << "\">" << pages::escape(reportName)
        << "</a> holds all.</p>\n";
  };
  std::ostringstream page;
  pages::writeHtml(page, shown, reportName, "zelkova-discover", {note});
  return page.str();
}

}  // namespace discover
