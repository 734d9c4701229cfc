#include "stats/match_rows.h"

namespace compare {

match_table::Row matchRow(const motif::Motif& query, const Database& database, const Match& m) {
  const motif::Motif& target = database.target(m.target);
  match_table::Row row;
  row.query = query.id;
  row.queryConsensus = motif::consensus(query.columns);
  row.targetId = target.id;
  row.targetName = target.name;
  row.reverse = m.reverse;
  row.offset = m.offset;
  row.overlap = m.overlap;
  row.p = m.p;
  row.e = m.e;
  row.q = m.q;
  row.targetConsensus = motif::consensus(database.columns(m.target, m.reverse));
  return row;
}

std::vector<match_table::Row> bestMatchRows(const motif::Motif& query, const Database& database,
                                            const Settings& settings, int top, double evalueMax) {
  std::vector<match_table::Row> rows;
  for (const Match& m : compareWithDatabase(query, database, settings)) {
    if (static_cast<int>(rows.size()) == top || m.e > evalueMax) break;  // best first, so the rest are worse
    rows.push_back(matchRow(query, database, m));
  }
  return rows;
}

}  // namespace compare
