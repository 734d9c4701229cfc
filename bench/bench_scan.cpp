// Times the two ways of finding a motif's sites at p < P in the same letters:
// the look-ahead filter of zelkova-scan (stats::MatrixScanner::scan) and
// scoring every window whole, as FIMO-style scanners do
// (scoreEveryWindow), on both strands; checks that both find the same number
// of sites. Prints the CPU seconds of each (one thread).
//
// usage: zelkova-bench-scan MOTIFS FASTA [P] [MEGABASES]
//   the first MEGABASES (default 10) of the letters of FASTA's records
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "formats/fasta.h"
#include "formats/motif_files.h"
#include "scan/motif_scan.h"
#include "stats/window_scorer.h"

namespace {

double cpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

std::vector<FastaRecord> firstLetters(const std::string& path, long long letters) {
  std::vector<FastaRecord> records;
  long long total = 0;
  for (FastaRecord& r : readDnaFile(path, DnaRules()).records) {
    if (total >= letters) break;
    if (total + static_cast<long long>(r.letters.size()) > letters)
      r.letters.resize(static_cast<std::size_t>(letters - total));
    total += static_cast<long long>(r.letters.size());
    records.push_back(std::move(r));
  }
  return records;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s MOTIFS FASTA [P] [MEGABASES]\n", argv[0]);
    return 2;
  }
  const double p = argc > 3 ? std::atof(argv[3]) : 1e-4;
  const long long letters = static_cast<long long>((argc > 4 ? std::atof(argv[4]) : 10) * 1e6);
  const std::vector<formats::Motif> motifs = formats::readMotifFile(argv[1]);
  const std::vector<FastaRecord> records = firstLetters(argv[2], letters);
  const stats::CodedSequences coded(records);
  const stats::Background bg = stats::uniformBackground();
  std::vector<scan::MotifModel> models;
  for (const formats::Motif& m : motifs)
    models.push_back(scan::motifModel(m, bg, stats::kDefaultMatrixPseudocount, scan::Strands::Both, p));

  long long lookAheadSites = 0, everySites = 0;
  const double start = cpuSeconds();
  for (const scan::MotifModel& model : models)
    for (const scan::StrandMatrix& s : model.strands)
      for (std::size_t r = 0; r < coded.size(); ++r)
        s.scanner.scan(coded, r, coded.length(r), s.floor, [&](std::size_t, int) { ++lookAheadSites; });
  const double middle = cpuSeconds();
  for (const scan::MotifModel& model : models)
    for (const scan::StrandMatrix& s : model.strands)
      for (std::size_t r = 0; r < coded.size(); ++r)
        s.scanner.scoreEveryWindow(coded, r, coded.length(r), s.floor, [&](std::size_t, int) { ++everySites; });
  const double end = cpuSeconds();
  std::printf("%zu motifs, %.1f Mb, p < %g: look-ahead %.2f s, every window %.2f s (%.1fx), %lld sites%s\n",
              models.size(), static_cast<double>(letters) / 1e6, p, middle - start, end - middle,
              (end - middle) / (middle - start), lookAheadSites,
              lookAheadSites == everySites ? "" : " DIFFERENT COUNTS");
  return lookAheadSites == everySites ? 0 : 1;
}
