// The table zelkova-compare writes, one line per match of a query motif with a
// known motif, and reads it back for the HTML page: tab-separated, with one
// header line naming the columns.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "formats/text_lines.h"

namespace formats {

struct MatchRow {
  std::string query;  // the query motif's identifier (ZELKOVA-<rank> for a report)
  std::string queryConsensus;
  std::string targetId;
  std::string targetName;  // may be empty
  bool reverse = false;    // '-': the target's reverse complement was aligned
  int offset = 0;          // the target's first column relative to the query's
  int overlap = 0;
  double p = 1, e = 1, q = 1;
  std::string targetConsensus;  // in the orientation of the match
  int line = 0;                 // where the reader found it; not written
};

// "query\tquery_consensus\ttarget_id\t...\ttarget_consensus".
extern const char* const kMatchHeader;

// A p-, E- or q-value as the table prints it: three significant digits.
std::string formatMatchValue(double value);

// The header line and then one line per row. Tabs and line breaks inside
// names are written as blanks so that every line keeps its columns.
void writeMatchTable(std::ostream& out, const std::vector<MatchRow>& rows);

// A whole table, its columns found by name (tsv_table.h); throws
// ReadError naming the file and line of the first thing that does not
// fit: a missing column, a line without the fields of its header, a field
// that is not what the writer gives.
std::vector<MatchRow> readMatchTable(std::istream& in, const std::string& source);
std::vector<MatchRow> readMatchTableFile(const std::string& path);

}  // namespace formats
