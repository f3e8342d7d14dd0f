// Facts about the running process.
#pragma once

#include <zantoquiller/platform/privateexport.h>

#include <string>
#include <vector>

namespace Zanto::Platform {

// Folder of the running program's executable, ending in '/'; empty if it
// cannot be found.
ZANTOQUILLER_CORE_PRIVATE_EXPORT std::string executableDirectory();

// The program's command-line arguments as the bytes they were given in,
// program name first; empty if they cannot be read.
ZANTOQUILLER_CORE_PRIVATE_EXPORT std::vector<std::string> commandLineArguments();

} // namespace Zanto::Platform
