// A component's own code page.
#include "zantoquiller_p.h"

#include <zantoquiller/zantoquiller.h>

namespace Zanto {

const AnsiCodePage *TZantoquiller::CodePage() const
{
    return d->codePage;
}

void TZantoquiller::SetCodePage(const AnsiCodePage *page)
{
    d->codePage = page;
}

} // namespace Zanto
