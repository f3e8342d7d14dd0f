// What the preview fuzz target checks on every input; the corpus replay
// test of tests/preview runs the same check.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ZantoFuzz {

// The input as a print job: its first three bytes choose the printer
// family, a piece size and the paper, the rest is the job. The sheets must
// keep their characters inside the paper, number their pages one by one,
// place markers at offsets inside the job in order, and come out the same
// whether the job is fed whole or in pieces; no sheet holds more than its
// caps, no cell is narrower than 1/120 inch, and a job stops at the sheet
// limit (40 here). An empty string when so.
std::string checkPreview(const std::uint8_t *data, std::size_t size);

} // namespace ZantoFuzz
