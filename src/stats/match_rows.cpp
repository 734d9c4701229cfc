#include "stats/match_rows.h"

namespace stats {

formats::MatchRow matchRow(const formats::Motif& query, const Database& database, const MotifMatch& m) {
  const formats::Motif& target = database.target(m.target);
  formats::MatchRow row;
  row.query = query.id;
  row.queryConsensus = formats::consensus(query.columns);
  row.targetId = target.id;
  row.targetName = target.name;
  row.reverse = m.reverse;
  row.offset = m.offset;
  row.overlap = m.overlap;
  row.p = m.p;
  row.e = m.e;
  row.q = m.q;
  row.targetConsensus = formats::consensus(database.columns(m.target, m.reverse));
  return row;
}

std::vector<formats::MatchRow> bestMatchRows(const formats::Motif& query, const Database& database,
                                             const ComparisonSettings& settings, int top, double evalueMax) {
  std::vector<formats::MatchRow> rows;
  for (const MotifMatch& m : compareWithDatabase(query, database, settings)) {
    if (static_cast<int>(rows.size()) == top || m.e > evalueMax) break;  // best first, so the rest are worse
    rows.push_back(matchRow(query, database, m));
  }
  return rows;
}

}  // namespace stats
