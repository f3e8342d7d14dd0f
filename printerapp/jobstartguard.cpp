// PAPPL 1.3.1 looks for a printer's next job without a lock: it starts a
// job's thread when no job is processing, and the job counts as processing
// only once that thread runs. A job that ends as another arrives calls the
// search from two threads, both of which may start the same pending job;
// the two runs share the device and the spool file, and the server dies
// (PAPPL's image filter opens the file the other run removed, or both write
// one raster). Its search is reached through the library's own symbol
// table, so this definition stands in for it: one search at a time, which
// waits until the job it started runs (or up to two seconds), then PAPPL's.
#include <pappl/pappl.h>

#include <dlfcn.h>

#include <chrono>
#include <mutex>
#include <thread>

namespace {

using CheckJobs = void (*)(pappl_printer_t *);

// True while a job of printer waits although none runs: the state in which
// a second search would start it again.
bool startPending(pappl_printer_t *printer)
{
    if (papplPrinterIsDeleted(printer) || papplPrinterGetState(printer) == IPP_PSTATE_STOPPED)
        return false;
    const int active = papplPrinterGetNumberOfActiveJobs(printer);
    if (active == 0)
        return false;
    struct Seen
    {
        bool pending = false;
        bool processing = false;
    } seen;
    papplPrinterIterateActiveJobs(
        printer,
        [](pappl_job_t *job, void *data) {
            auto *seen = static_cast<Seen *>(data);
            const ipp_jstate_t state = papplJobGetState(job);
            seen->pending |= state == IPP_JSTATE_PENDING;
            seen->processing |= state == IPP_JSTATE_PROCESSING;
        },
        &seen, 1, active);
    return seen.pending && !seen.processing;
}

} // namespace

extern "C" void _papplPrinterCheckJobs(pappl_printer_t *printer)
{
    static const auto pappls
        = reinterpret_cast<CheckJobs>(dlsym(RTLD_NEXT, "_papplPrinterCheckJobs"));
    static std::mutex oneAtATime;
    if (!pappls)
        return;
    const std::lock_guard lock(oneAtATime);
    pappls(printer);
    using namespace std::chrono_literals;
    const auto limit = std::chrono::steady_clock::now() + 2s;
    while (startPending(printer) && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(1ms);
}
