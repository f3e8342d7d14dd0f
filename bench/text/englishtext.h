// An English-like text for the benchmarks: paragraphs of plain words with
// now and then a markup character, each paragraph one long line that the
// printer wraps, paragraphs separated by an empty line. CR LF breaks.
#pragma once

#include <QByteArray>

namespace ZantoBench {

QByteArray englishText(qsizetype size, unsigned seed = 1);

} // namespace ZantoBench
