// zelkova-export: writes the motifs of a zelkova report as MEME, JASPAR or
// TRANSFAC matrices or as an HTML page with sequence logos.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <new>
#include <sstream>
#include <string>

#include "export_formats.h"
#include "export_html.h"
#include "report_reader.h"

namespace {

const char* const kUsage =
    "Usage: zelkova-export --format FORMAT [-o FILE] REPORT\n"
    "\n"
    "Reads REPORT, a report written by zelkova, and writes its motifs in FORMAT:\n"
    "  meme      MEME motif format, version 4 (letter probabilities)\n"
    "  jaspar    JASPAR count matrices\n"
    "  transfac  TRANSFAC count matrices\n"
    "  html      one self-contained HTML page: run parameters, and per motif its\n"
    "            scores, sequence logos of both strands, count matrix and sites\n"
    "Motifs are named ZELKOVA-1, ZELKOVA-2, ... by their rank in the report.\n"
    "\n"
    "Options:\n"
    "  -f, --format FORMAT   meme, jaspar, transfac or html (required)\n"
    "  -o, --output FILE     write to FILE (default: standard output)\n"
    "  -h, --help            print this help and exit\n";

struct ExportOptions {
  std::string format;
  std::string outputFile;  // empty: standard output
  std::string reportFile;
  bool helpWanted = false;
};

struct UsageError {
  std::string message;
};

bool knownFormat(const std::string& format) {
  return format == "meme" || format == "jaspar" || format == "transfac" || format == "html";
}

ExportOptions parseArguments(int argc, const char* const* argv) {
  ExportOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw UsageError{"option " + arg + " needs a value."};
      return argv[++i];
    };
    if (arg == "-h" || arg == "--help") {
      options.helpWanted = true;
    } else if (arg == "-f" || arg == "--format") {
      options.format = value();
      if (!knownFormat(options.format))
        throw UsageError{"unknown format \"" + options.format + "\"; use meme, jaspar, transfac or html."};
    } else if (arg == "-o" || arg == "--output") {
      options.outputFile = value();
      if (options.outputFile.empty()) throw UsageError{"option " + arg + " needs a file name."};
    } else if (arg.size() > 1 && arg[0] == '-') {
      throw UsageError{"unknown option " + arg + "."};
    } else if (!options.reportFile.empty()) {
      throw UsageError{"more than one report given (" + options.reportFile + ", " + arg + ")."};
    } else {
      options.reportFile = arg;
    }
  }
  if (options.helpWanted) return options;
  if (options.format.empty()) throw UsageError{"no format given (--format meme|jaspar|transfac|html)."};
  if (options.reportFile.empty()) throw UsageError{"no report given."};
  return options;
}

std::string baseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string exportText(const ExportOptions& options, const report::Report& report) {
  std::ostringstream out;
  if (options.format == "meme") export_formats::writeMeme(out, report);
  if (options.format == "jaspar") export_formats::writeJaspar(out, report);
  if (options.format == "transfac") export_formats::writeTransfac(out, report);
  if (options.format == "html") export_html::writeHtml(out, report, baseName(options.reportFile));
  return out.str();
}

// Returns false, with a message, when the text could not be written whole; a
// partial file is removed.
bool writeOutput(const std::string& path, const std::string& text) {
  if (path.empty()) {
    std::cout << text << std::flush;
    if (std::cout) return true;
    std::fputs("Error: cannot write to standard output.\n", stderr);
    return false;
  }
  std::ofstream file(path, std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "Error: cannot open %s for writing.\n", path.c_str());
    return false;
  }
  file << text;
  file.close();
  if (file) return true;
  std::remove(path.c_str());
  std::fprintf(stderr, "Error: cannot write %s.\n", path.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const ExportOptions options = parseArguments(argc, argv);
    if (options.helpWanted) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    const report::Report report = report::readFile(options.reportFile);
    return writeOutput(options.outputFile, exportText(options, report)) ? 0 : 1;
  } catch (const UsageError& error) {
    std::fprintf(stderr, "Error: %s\nRun zelkova-export --help for the options.\n", error.message.c_str());
  } catch (const report::ReadError& error) {
    std::fprintf(stderr, "Error: %s\n", error.what());
  } catch (const std::bad_alloc&) {
    std::fputs("Error: out of memory.\n", stderr);
  }
  return 1;
}
