// The command line's run of zelkova: the banner, the options, one search on
// the files they name, and the message of any stop.
#include "cli/zelkova_command.h"

#include "cli/zelkova_options.h"
#include "formats/output_file.h"
#include "library/search.h"

int runZelkova(int argc, const char* const* argv) {
  const ProgressSink console;
  try {
    opening(console);
    const CommandLine cl = parseCommandLine(argc, argv);
    searchFiles(resolveRunConfig(cl.config, cl.given, console), console);
    return formats::finishConsole(0, "");
  } catch (const FatalError& stop) {
    console.write(stop.what());
    return formats::finishConsole(1, stop.what());
  }
}
