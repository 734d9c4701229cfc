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

std::string summaryHeader() { return std::string("sample\t") + formats::kSummaryHeader + "\tdiscover_version"; }

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

std::vector<formats::CountColumn> wholeCounts(const formats::Motif& m) {
  std::vector<formats::CountColumn> counts;
  for (const formats::Column& column : m.columns) {
    formats::CountColumn whole{};
    for (int b = 0; b < formats::kBases; ++b) {
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
std::vector<formats::CountColumn> checkMatrices(const std::vector<formats::SummaryRow>& rows,
                                                const std::string& summaryPath, const std::string& jasparPath) {
  const std::vector<formats::Motif> matrices = formats::readMotifFile(jasparPath);
  std::map<std::string, const formats::Motif*> byId;
  for (const formats::Motif& m : matrices) byId.emplace(m.id, &m);
  for (const formats::SummaryRow& row : rows) {
    const auto found = byId.find(row.id);
    if (found == byId.end()) throw ReadError(summaryPath, row.line, "the motif " + row.id + " is not in " + jasparPath);
    const formats::Motif& m = *found->second;
    if (m.width() != row.length || (!m.name.empty() && m.name != row.consensus))
      throw ReadError(summaryPath, row.line,
                      "the motif " + row.id + " (" + row.consensus + ") differs from its matrix in " + m.where() +
                          " (" + std::to_string(m.width()) + " columns, " + m.name +
                          "): the files come from different runs");
  }
  return rows.empty() ? std::vector<formats::CountColumn>{} : wholeCounts(*byId.at(rows.front().id));
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
  sample.motifs = formats::readSummaryTableFile(summaryPath);
  if (!sample.motifs.empty())
    sample.bestCounts = checkMatrices(sample.motifs, summaryPath, inDirectory(directory, "motifs.jaspar"));
  return sample;
}

std::string summaryTable(const std::vector<Sample>& samples, int top) {
  std::string table = summaryHeader() + '\n';
  for (const Sample& s : samples) {
    const std::size_t shown = std::min(s.motifs.size(), static_cast<std::size_t>(std::max(top, 0)));
    for (std::size_t i = 0; i < shown; ++i)
      table +=
          formats::withoutTabs(s.name) + '\t' + formats::summaryLine(s.motifs[i]) + '\t' + s.discoverVersion + '\n';
  }
  return table;
}

}  // namespace aggregate
