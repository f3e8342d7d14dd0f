// A component's job codes.
#include "zantoquiller_p.h"

#include <zantoquiller/jobcodes.h>

namespace Zanto {

void setJobCodes(TZantoquiller &component, const JobCodes &codes)
{
    TZantoquillerPrivate::get(component).jobCodes = codes;
}

JobCodes jobCodes(const TZantoquiller &component)
{
    return TZantoquillerPrivate::get(component).jobCodes;
}

} // namespace Zanto
