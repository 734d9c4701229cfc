// Writes a deterministic random FASTA file in which sites sampled from a known
// motif's matrix are planted, for tests and benchmarks of motif discovery.
//
// usage: zelkova-gen-planted SEQUENCES LENGTH SEED [MOTIFS ID FRACTION SITES.tsv [ID FRACTION]...]
//
// Every letter is drawn evenly from A, C, G and T. With a motif, a share
// FRACTION of the sequences (each with that probability) gets one site: each
// letter drawn from the frequencies of the motif's column (MOTIFS is any
// motif file zelkova-compare reads, ID the motif's identifier), put on either
// strand at random. Further ID FRACTION pairs plant more motifs of MOTIFS the
// same way, each sequence drawing for each motif in turn (a later site may
// cover part of an earlier one). SITES.tsv receives one line per site:
// sequence name, 1-based start on the forward strand, strand, and for the
// further motifs their identifier. The random numbers come from
// the project's fully specified generator, so a seed gives the same file on
// every machine.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "base/words.h"
#include "formats/motif.h"
#include "formats/motif_files.h"
#include "stats/shuffle.h"

namespace {

char drawLetter(const formats::Column& p, stats::Random& random) {
  const double u = static_cast<double>(random.below(1u << 30)) / static_cast<double>(1u << 30);
  double sum = 0;
  for (int b = 0; b < formats::kBases; ++b) {
    sum += p[static_cast<std::size_t>(b)];
    if (u < sum) return "ACGT"[b];
  }
  return 'T';
}

const formats::Motif& findMotif(const std::vector<formats::Motif>& motifs, const std::string& id) {
  for (const formats::Motif& m : motifs)
    if (m.id == id) return m;
  std::fprintf(stderr, "no motif %s in the file\n", id.c_str());
  std::exit(1);
}

}  // namespace

namespace {

struct Planted {
  std::string id;  // empty for the first motif, whose lines keep three fields
  std::vector<formats::Column> columns;
  double fraction = 0;
};

void plant(std::string& s, const std::string& name, const Planted& motif, stats::Random& random, std::ofstream& sites) {
  const std::size_t width = motif.columns.size();
  const std::size_t length = s.size();
  const bool planted = width > 0 && width <= length &&
                       static_cast<double>(random.below(1u << 30)) < motif.fraction * static_cast<double>(1u << 30);
  if (!planted) return;
  std::string site;
  for (const formats::Column& p : motif.columns) site += drawLetter(p, random);
  const bool forward = random.below(2) == 0;
  const std::size_t at = random.below(length - width + 1);
  s.replace(at, width, forward ? site : base::reverseComplement(site));
  sites << name << '\t' << at + 1 << '\t' << (forward ? '+' : '-') << (motif.id.empty() ? "" : "\t" + motif.id) << '\n';
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && (argc < 8 || argc % 2 != 0)) {
    std::fprintf(stderr, "usage: %s SEQUENCES LENGTH SEED [MOTIFS ID FRACTION SITES.tsv [ID FRACTION]...]\n", argv[0]);
    return 1;
  }
  const long count = std::atol(argv[1]);
  const std::size_t length = static_cast<std::size_t>(std::atol(argv[2]));
  stats::Random random(std::strtoull(argv[3], nullptr, 10));
  std::vector<Planted> motifs;
  std::ofstream sites;
  if (argc >= 8) {
    const std::vector<formats::Motif> file = formats::readMotifFile(argv[4]);
    motifs.push_back({"", formats::frequencies(findMotif(file, argv[5]), 0.0), std::atof(argv[6])});
    sites.open(argv[7]);
    for (int a = 8; a + 1 < argc; a += 2)
      motifs.push_back({argv[a], formats::frequencies(findMotif(file, argv[a]), 0.0), std::atof(argv[a + 1])});
  }
  for (long i = 0; i < count; ++i) {
    std::string s(length, 'A');
    for (char& c : s) c = "ACGT"[random.below(4)];
    const std::string name = "seq" + std::to_string(i + 1);
    for (const Planted& m : motifs) plant(s, name, m, random, sites);
    std::printf(">%s\n", name.c_str());
    for (std::size_t k = 0; k < s.size(); k += 60) std::printf("%s\n", s.substr(k, 60).c_str());
  }
  return 0;
}
