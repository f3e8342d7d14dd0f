// The settings library's side of settingsfileio: the format error of its
// file readers.
#pragma once

#include <zantoquiller/settingsfileio.h>

namespace Zanto {

// The "Invalid File Format" error for the file at path, problem saying
// what is wrong with its content.
[[noreturn]] void raiseInvalidFormat(const QString &path, const QString &problem);

} // namespace Zanto
