#include "rasterrefusal.h"

namespace ZantoApp {

namespace {

bool refuseJob(pappl_job_t *job, pappl_pr_options_t *, pappl_device_t *)
{
    papplJobSetMessage(job, "This printer prints text, not pictures of pages.");
    papplJobSetReasons(job, PAPPL_JREASON_DOCUMENT_UNPRINTABLE_ERROR, PAPPL_JREASON_NONE);
    return false;
}

bool refusePage(pappl_job_t *, pappl_pr_options_t *, pappl_device_t *, unsigned)
{
    return false;
}

bool refuseLine(
    pappl_job_t *, pappl_pr_options_t *, pappl_device_t *, unsigned, const unsigned char *)
{
    return false;
}

bool endJob(pappl_job_t *, pappl_pr_options_t *, pappl_device_t *)
{
    return false;
}

} // namespace

void refuseRasterJobs(pappl_pr_driver_data_t &data)
{
    data.rstartjob_cb = refuseJob;
    data.rstartpage_cb = refusePage;
    data.rwriteline_cb = refuseLine;
    data.rendpage_cb = refusePage;
    data.rendjob_cb = endJob;
    data.raster_types = PAPPL_PWG_RASTER_TYPE_BLACK_1;
}

} // namespace ZantoApp
