#include "aggregate/aggregate_command.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "aggregate/page.h"
#include "aggregate/samples.h"
#include "base/local_time.h"
#include "cli/companion_parser.h"
#include "formats/command_files.h"
#include "formats/output_file.h"

namespace fs = std::filesystem;

namespace aggregate {

namespace {

const char* const kDescription =
    "Reads the output directories DIR... of zelkova-discover (one per sample) and\n"
    "writes a tab-separated table of the best motifs of every sample (--summary)\n"
    "and a page linking to every sample's page with the best motif of each\n"
    "(--html). A sample is named by its directory's base name unless --name\n"
    "names it.\n";

void checkName(const std::string& name) {
  if (name.find_first_of("\t\n\r") != std::string::npos)
    throw UsageError("--name \"" + name + "\" holds a tab or a line break.");
}

}  // namespace

std::optional<Options> parseArguments(int argc, const char* const* argv) {
  Options o;
  cli::Parser parser("zelkova-aggregate", "[options] DIR...", kDescription);
  parser.value("-s", "--summary", "FILE",
               "write the table of the best motifs of every sample to FILE\n(\"-\": standard output)", o.summaryFile);
  parser.value("", "--html", "FILE", "write the page of all samples to FILE (\"-\": standard output)", o.htmlFile);
  parser.whole("-n", "--top", "N", "the N best motifs of each sample in the table, {min} to {max}\n(default {default})",
               o.top, 1, 1000);
  parser.repeatable("", "--name", "NAME",
                    "the name of the next DIR, in the order of the DIRs; give it\n"
                    "for every DIR or for none (default: each DIR's base name)",
                    [&](const std::string& v) {
                      checkName(v);
                      o.names.push_back(v);
                    });
  const std::optional<std::vector<std::string>> dirs = parser.parse(argc, argv);
  if (!dirs) return std::nullopt;
  o.directories = *dirs;
  if (o.directories.empty()) throw UsageError("no DIR given.");
  if (o.summaryFile.empty() && o.htmlFile.empty())
    throw UsageError("nothing to write: give --summary FILE, --html FILE or both.");
  if (!o.names.empty() && o.names.size() != o.directories.size())
    throw UsageError(std::to_string(o.names.size()) + " --name for " + std::to_string(o.directories.size()) +
                     " DIRs: give one for every DIR, in their order, or none.");
  return o;
}

namespace {

std::vector<std::string> sampleNames(const Options& o) {
  if (!o.names.empty()) return o.names;
  std::vector<std::string> names;
  for (const std::string& d : o.directories) {
    names.push_back(nameOfDirectory(d));
    if (names.back().empty()) throw UsageError("the directory " + d + " has no name; name it with --name.");
  }
  return names;
}

// Links followed, "." and ".." taken out; for outputs that need not exist yet.
bool samePath(const std::string& a, const std::string& b) {
  const auto resolved = [](const std::string& path) {
    return fs::weakly_canonical(fs::absolute(path)).lexically_normal();
  };
  return resolved(a) == resolved(b);
}

// Neither output may replace a file of a sample, its page included.
void refuseSampleFiles(const Options& o) {
  std::vector<std::string> files;
  for (const std::string& d : o.directories)
    for (const char* name : {"log.txt", "summary.tsv", "motifs.jaspar", "index.html"}) files.push_back(d + "/" + name);
  std::vector<formats::OutputTarget> outputs;
  if (!o.summaryFile.empty()) outputs.push_back({o.summaryFile, "summary"});
  if (!o.htmlFile.empty()) outputs.push_back({o.htmlFile, "page"});
  formats::checkCommandFiles(files, outputs);
  if (!o.summaryFile.empty() && !o.htmlFile.empty() && samePath(o.summaryFile, o.htmlFile))
    throw UsageError("--summary and --html name the same file, " + o.htmlFile + ".");
}

}  // namespace

int run(const Options& o) {
  refuseSampleFiles(o);
  const std::vector<std::string> names = sampleNames(o);
  requireDistinctNames(names, o.directories);
  std::vector<Sample> samples;
  for (std::size_t i = 0; i < o.directories.size(); ++i) samples.push_back(readSample(o.directories[i], names[i]));

  // Both are complete before either is put in place.
  std::vector<formats::OutputFile> outputs;
  if (!o.summaryFile.empty()) {
    outputs.push_back(formats::openOutput(o.summaryFile));
    outputs.back().write(summaryTable(samples, o.top));
  }
  if (!o.htmlFile.empty()) {
    outputs.push_back(formats::openOutput(o.htmlFile));
    outputs.back().write(indexPage(samples, o.htmlFile, localDateTime()));
  }
  for (formats::OutputFile& file : outputs) file.commit();
  return 0;
}

}  // namespace aggregate
