// The tables of the printer languages, one source file each.
#pragma once

#include <zantoquiller/printerlanguage.h>

#include <span>

namespace Zanto::Languages {

using A = CommandAction;
using L = CommandLength;

extern const LanguageModel escp9Pin;
extern const LanguageModel escp24Pin;
extern const LanguageModel proprinter;
extern const LanguageModel pcl5;
extern const LanguageModel diablo630;
extern const LanguageModel escPos;
extern const LanguageModel escPos180;
extern const LanguageModel starLine;
extern const LanguageModel plainText;
extern const LanguageModel plainNewline;

// Every language, in the order names() lists them.
std::span<const LanguageModel *const> models();

} // namespace Zanto::Languages
