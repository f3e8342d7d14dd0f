// What the fuzz targets check on every input; the corpus replay test runs
// the same checks. Each returns an empty string when the input was handled
// as it should be, otherwise what went wrong.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ZantoFuzz {

// The input as a printer codes file: refused only without the magic or when
// cut short, otherwise read, written back and read again.
std::string checkPrinterCodesFile(const std::uint8_t *data, std::size_t size);

// The input as a translation table file: refused only without the magic or
// when cut short, otherwise read, written back and read again.
std::string checkTranslationTableFile(const std::uint8_t *data, std::size_t size);

// The input as code list text (UTF-8) and as raw bytes turned into a code
// list and back.
std::string checkCodeList(const std::uint8_t *data, std::size_t size);

} // namespace ZantoFuzz
