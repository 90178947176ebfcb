// gang-adapter-cli's commands, run on a parsed command line.  Needs a
// QCoreApplication; returns the exit status (exit_status.h).
#pragma once

#include "cli/cli_options.h"

namespace gang::cli {

int Run_Cli(const TCliOptions& options);

} // namespace gang::cli
