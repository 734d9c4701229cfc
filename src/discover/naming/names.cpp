#include "discover/naming/names.h"

#include "discover/setup/options.h"
#include "discover/setup/plural.h"
#include "stats/match_rows.h"

namespace discover {

Names nameMotifs(const std::vector<motif::Motif>& motifs, const std::vector<motif::Motif>& database,
                 StepProgress& progress) {
  progress.begin("Names");
  const compare::Settings settings;
  const compare::Database known(database, settings.pseudocount);
  Names names;
  for (const motif::Motif& m : motifs)
    names.push_back(compare::bestMatchRows(m, known, settings, kKnownMatchesShown, kKnownMatchMaxE));
  progress.end(plural(database.size(), "known motif") + " compared");
  return names;
}

}  // namespace discover
