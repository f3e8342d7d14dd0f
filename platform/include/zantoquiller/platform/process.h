// Facts about the running process.
#pragma once

#include <string>

namespace Zanto::Platform {

// Folder of the running program's executable, ending in '/'; empty if it
// cannot be found.
std::string executableDirectory();

} // namespace Zanto::Platform
