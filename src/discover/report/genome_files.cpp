#include "discover/report/genome_files.h"

#include "formats/bed_writer.h"
#include "stats/gc_background.h"

namespace discover {

namespace {

using stats::Interval;

std::string fastaText(const std::vector<FastaRecord>& records) {
  std::string text;
  for (const FastaRecord& r : records) text += ">" + r.name + "\n" + r.letters + "\n";
  return text;
}

// background.bed of the windows of --control-peaks: named control_1, ...,
// scored by their GC content as the drawn background is.
std::vector<formats::BedRecord> controlPeaksBed(const GenomeRun& run) {
  std::vector<formats::BedRecord> records;
  for (std::size_t i = 0; i < run.controlRegions.size(); ++i) {
    const Interval& r = run.controlRegions[i];
    records.push_back({r.chrom, r.start, r.end, "control_" + std::to_string(i + 1),
                       stats::gcPermille(stats::countGc(run.controlRecords[i].letters)), r.strand});
  }
  return records;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> genomeRunFiles(const GenomeRun& run) {
  std::vector<std::pair<std::string, std::string>> files{{"peaks.fa", fastaText(run.peakRecords)}};
  if (!controlFromGenome(run.control)) return files;
  files.emplace_back("background.fa", fastaText(run.controlRecords));
  files.emplace_back("background.bed",
                     formats::bedText(run.draw ? stats::backgroundBed(*run.draw) : controlPeaksBed(run)));
  return files;
}

}  // namespace discover
