// The line's store from the command line: store init URL, and
// summary --store URL [--lot L].
#pragma once

#include <string>

namespace gang::cli {

int Run_Store_Init(const std::string& url);
int Run_Store_Summary(const std::string& url, const std::string& lot);

} // namespace gang::cli
