#include "discover/naming/names.h"

#include "discover/setup/options.h"
#include "discover/setup/plural.h"
#include "stats/match_rows.h"

namespace discover {

Names nameMotifs(const std::vector<formats::Motif>& motifs, const std::vector<formats::Motif>& database,
                 StepProgress& progress) {
  progress.begin("Names");
  const stats::ComparisonSettings settings;
  const stats::Database known(database, settings.pseudocount);
  Names names;
  for (const formats::Motif& m : motifs)
    names.push_back(stats::bestMatchRows(m, known, settings, kKnownMatchesShown, kKnownMatchMaxE));
  progress.end(plural(database.size(), "known motif") + " compared");
  return names;
}

}  // namespace discover
