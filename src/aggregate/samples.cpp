#include "aggregate/samples.h"

#include <cmath>
#include <filesystem>
#include <map>

#include "base/errors.h"
#include "discover/report/log.h"
#include "formats/enrichment_table.h"
#include "formats/motif_files.h"
#include "formats/text_lines.h"

namespace fs = std::filesystem;

namespace aggregate {

std::string summaryHeader() { return std::string("sample\t") + summary_table::kHeader + "\tdiscover_version"; }

std::string nameOfDirectory(const std::string& directory) {
  // Made absolute so that "." and ".." name the directories they stand for.
  fs::path path = fs::absolute(directory).lexically_normal();
  if (!path.has_filename()) path = path.parent_path();  // "dir/" has an empty file name
  return path.filename().string();
}

void requireDistinctNames(const std::vector<std::string>& names, const std::vector<std::string>& directories) {
  std::map<std::string, std::size_t> first;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const auto [known, added] = first.emplace(names[i], i);
    if (!added)
      throw FatalError("Error: the samples " + directories[known->second] + " and " + directories[i] +
                       " are both named \"" + names[i] + "\"; give each a name of its own with --name.\n");
  }
}

namespace {

std::string inDirectory(const std::string& directory, const char* file) {
  return (fs::path(directory) / file).string();
}

std::vector<report::Column> wholeCounts(const motif::Motif& m) {
  std::vector<report::Column> counts;
  for (const motif::Column& column : m.columns) {
    report::Column whole{};
    for (int b = 0; b < motif::kBases; ++b) {
      if (!m.counts || column[b] != std::floor(column[b]))
        throw ReadError(m.source, m.line, "the matrix of " + m.id + " does not hold whole counts");
      whole[b] = static_cast<long long>(column[b]);
    }
    counts.push_back(whole);
  }
  return counts;
}

// Every motif the summary lists must be in motifs.jaspar as the same motif:
// files of different runs in one directory would otherwise pass unnoticed.
std::vector<report::Column> checkMatrices(const std::vector<summary_table::Row>& rows, const std::string& summaryPath,
                                          const std::string& jasparPath) {
  const std::vector<motif::Motif> matrices = motif_files::readFile(jasparPath);
  std::map<std::string, const motif::Motif*> byId;
  for (const motif::Motif& m : matrices) byId.emplace(m.id, &m);
  for (const summary_table::Row& row : rows) {
    const auto found = byId.find(row.id);
    if (found == byId.end()) throw ReadError(summaryPath, row.line, "the motif " + row.id + " is not in " + jasparPath);
    const motif::Motif& m = *found->second;
    if (m.width() != row.length || (!m.name.empty() && m.name != row.consensus))
      throw ReadError(summaryPath, row.line,
                      "the motif " + row.id + " (" + row.consensus + ") differs from its matrix in " + m.where() +
                          " (" + std::to_string(m.width()) + " columns, " + m.name +
                          "): the files come from different runs");
  }
  return rows.empty() ? std::vector<report::Column>{} : wholeCounts(*byId.at(rows.front().id));
}

}  // namespace

Sample readSample(const std::string& directory, const std::string& name) {
  std::error_code error;
  if (!fs::is_directory(directory, error))
    throw FatalError("Error: " + directory + " is not a directory; give the output directories of zelkova-discover.\n");
  Sample sample;
  sample.name = name;
  sample.directory = directory;
  sample.discoverVersion = discover::logVersionOfFile(inDirectory(directory, "log.txt"));
  const std::string summaryPath = inDirectory(directory, "summary.tsv");
  sample.motifs = summary_table::readFile(summaryPath);
  if (!sample.motifs.empty())
    sample.bestCounts = checkMatrices(sample.motifs, summaryPath, inDirectory(directory, "motifs.jaspar"));
  return sample;
}

std::string summaryTable(const std::vector<Sample>& samples, int top) {
  std::string table = summaryHeader() + '\n';
  for (const Sample& s : samples) {
    const std::size_t shown = std::min(s.motifs.size(), static_cast<std::size_t>(std::max(top, 0)));
    for (std::size_t i = 0; i < shown; ++i)
      table += enrichment_table::withoutTabs(s.name) + '\t' + summary_table::line(s.motifs[i]) + '\t' +
               s.discoverVersion + '\n';
  }
  return table;
}

}  // namespace aggregate
