// Plain text: no commands; only the control codes every printer obeys.
#include "languagetables.h"

namespace Zanto::Languages {

namespace {
constexpr LanguageFont pica[] {{"Pica", 10, 0}};
}

const LanguageModel plainText {"plain", "Plain text (LF feeds only)", ptPlain, {}, 60, pica, {},
    nullptr, {}, false, false, true, 1, 6, StatusProtocol::None, false};

const LanguageModel plainNewline {"plain-newline", "Plain text (LF also returns the carriage)",
    ptPlain, {}, 60, pica, {}, nullptr, {}, true, false, true, 1, 6, StatusProtocol::None, false};

} // namespace Zanto::Languages
