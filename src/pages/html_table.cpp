#include "pages/html_table.h"

#include "pages/report_page.h"

namespace pages {

Cell text(const std::string& plain, const std::string& cssClass) { return {pages::escape(plain), cssClass}; }

std::string cell(const Cell& c, Kind kind) {
  const std::string tag = kind == Kind::Heading ? "th" : "td";
  std::string open = "<" + tag;
  if (!c.cssClass.empty()) open += " class=\"" + c.cssClass + "\"";
  if (!c.attributes.empty()) open += " " + c.attributes;
  return open + ">" + c.html + "</" + tag + ">";
}

std::string cells(const std::vector<Cell>& cs, Kind kind) {
  std::string text;
  for (const Cell& c : cs) text += cell(c, kind);
  return text;
}

std::string row(const std::vector<Cell>& cs, const std::string& rowClass) {
  return (rowClass.empty() ? "<tr>" : "<tr class=\"" + rowClass + "\">") + cells(cs) + "</tr>\n";
}

std::string head(const std::vector<Cell>& headings) {
  return "<thead><tr>" + cells(headings, Kind::Heading) + "</tr></thead>\n";
}

}  // namespace pages
