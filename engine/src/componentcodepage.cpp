// A component's own code page.
#include <zantoquiller/zantoquiller.h>

namespace Zanto {

const AnsiCodePage *TZantoquiller::CodePage() const
{
    return m_codePage;
}

void TZantoquiller::SetCodePage(const AnsiCodePage *page)
{
    m_codePage = page;
}

} // namespace Zanto
