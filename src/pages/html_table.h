// The cells and rows of the pages' HTML tables, written one way: a cell is
// its content (HTML) and its class, "num" for a number, which the style sheet
// aligns right and kSortScript sorts numerically.
//
// Typical use:
//   out << "<table class=\"known sortable\">\n" << pages::head({{"Rank", "num"}, {"Motif"}}) << "<tbody>\n";
//   out << pages::row({{std::to_string(rank), "num"}, pages::text(id)});
// Tables of settings, a heading and a value per row, are pages::writeRow's.
#pragma once

#include <string>
#include <vector>

namespace pages {

struct Cell {
  std::string html;             // the content, markup included
  std::string cssClass = {};    // "" for none; "num", "num evalue", ...
  std::string attributes = {};  // written after the class: "colspan=\"5\""
};

// A cell of plain text, escaped.
Cell text(const std::string& plain, const std::string& cssClass = "");

enum class Kind { Data, Heading };

// "<td>HTML</td>", "<td class=\"CLASS\">HTML</td>" or
// "<td class=\"CLASS\" ATTRIBUTES>HTML</td>" (th for headings).
std::string cell(const Cell& c, Kind kind = Kind::Data);
// The cells in order, without a row around them.
std::string cells(const std::vector<Cell>& cs, Kind kind = Kind::Data);
// "<tr>CELLS</tr>\n", or "<tr class=\"CLASS\">CELLS</tr>\n".
std::string row(const std::vector<Cell>& cs, const std::string& rowClass = "");
// "<thead><tr>HEADINGS</tr></thead>\n".
std::string head(const std::vector<Cell>& headings);

}  // namespace pages
