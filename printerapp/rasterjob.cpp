#include "rasterjob.h"
#include "rasterbands.h"

#include <zantoquiller/graphics.h>
#include <zantoquiller/printerlanguage.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>

namespace ZantoApp {

DeviceOutput::DeviceOutput(pappl_device_t *device) : m_device(device), m_before(written()) { }

std::size_t DeviceOutput::written() const
{
    pappl_devmetrics_t metrics {};
    papplDeviceGetMetrics(m_device, &metrics);
    return metrics.write_bytes;
}

bool DeviceOutput::write(QByteArrayView bytes)
{
    if (m_failed)
        return false;
    const ssize_t count = papplDeviceWrite(m_device, bytes.data(), std::size_t(bytes.size()));
    if (count != ssize_t(bytes.size()))
        m_failed = true;
    else
        m_handed += std::size_t(bytes.size());
    return !m_failed;
}

bool DeviceOutput::flush()
{
    if (m_failed)
        return false;
    papplDeviceFlush(m_device);
    m_failed = written() - m_before != m_handed;
    return !m_failed;
}

namespace {

// What one raster job keeps from its start to its end.
struct RasterJob
{
    explicit RasterJob(const Zanto::PrinterLanguage &language, pappl_device_t *device)
        : output(device)
        , bands(language, [this](QByteArrayView bytes) { return output.write(bytes); })
    { }

    DeviceOutput output;
    RasterBands bands;
    bool told = false; // the failure is in the job's log
};

RasterJob *rasterJob(pappl_job_t *job)
{
    return static_cast<RasterJob *>(papplJobGetData(job));
}

// Logs why the job fails, once however many callbacks find it failed.
bool failJob(pappl_job_t *job, RasterJob *state)
{
    if (state && state->told)
        return false;
    papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "%s",
        state && !state->bands.error().isEmpty() ? qPrintable(state->bands.error())
                                                 : "the printer could not be written to");
    if (state)
        state->told = true;
    return false;
}

bool startJob(pappl_job_t *job, pappl_pr_options_t *, pappl_device_t *device)
{
    const PrinterSetup *setup = printerSetup(job);
    if (!setup || !setup->language) {
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "the printer has no language set up");
        return false;
    }
    auto *state = new RasterJob(*setup->language, device);
    if (!state->bands.startJob()) {
        failJob(job, state);
        delete state;
        return false;
    }
    papplJobSetData(job, state);
    return true;
}

bool startPage(pappl_job_t *job, pappl_pr_options_t *options, pappl_device_t *, unsigned)
{
    RasterJob *state = rasterJob(job);
    if (!state)
        return false;
    if (options->header.cupsBitsPerPixel != 1) {
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "the page is not one bit a dot");
        return false;
    }
    // Dots left of the media's left margin are beyond the head's reach.
    const int dotsPerInch = int(options->header.HWResolution[0]);
    const int leftSkip = int(std::lround(options->media.left_margin * dotsPerInch / 2540.0));
    if (!state->bands.startPage(int(options->header.cupsWidth), leftSkip))
        return failJob(job, state);
    return true;
}

bool writeLine(
    pappl_job_t *job, pappl_pr_options_t *, pappl_device_t *, unsigned, const unsigned char *line)
{
    RasterJob *state = rasterJob(job);
    if (!state || !state->bands.addLine(line))
        return failJob(job, state);
    return true;
}

bool endPage(pappl_job_t *job, pappl_pr_options_t *, pappl_device_t *, unsigned)
{
    RasterJob *state = rasterJob(job);
    if (!state || !state->bands.endPage() || !state->output.flush())
        return failJob(job, state);
    return true;
}

bool endJob(pappl_job_t *job, pappl_pr_options_t *, pappl_device_t *)
{
    RasterJob *state = rasterJob(job);
    const bool ended = state && state->bands.endJob() && state->output.flush();
    if (!ended)
        failJob(job, state);
    papplJobSetData(job, nullptr);
    delete state;
    return ended;
}

// A threshold (1 to 254, so that white stays white and black black
// whichever way PAPPL compares) for each of count places, by rank.
unsigned char threshold(int rank, int count)
{
    return static_cast<unsigned char>(1 + rank * 253 / (count - 1));
}

// pappl_dither_t is an array: returned in a struct.
struct Dither
{
    pappl_dither_t values;
};

Dither makeClustered()
{
    // 8 by 8 cells, each filled from its centre outwards as it darkens.
    std::array<int, 64> order;
    std::iota(order.begin(), order.end(), 0);
    const auto spot = [](int place) {
        const double x = (place % 8 + 0.5) / 8 * 2 * M_PI;
        const double y = (place / 8 + 0.5) / 8 * 2 * M_PI;
        return std::cos(x) + std::cos(y); // highest at the corners
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return spot(a) < spot(b); });
    unsigned char cell[8][8];
    for (int rank = 0; rank < 64; ++rank)
        cell[order[std::size_t(rank)] / 8][order[std::size_t(rank)] % 8] = threshold(rank, 64);
    Dither dither;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            dither.values[y][x] = cell[y % 8][x % 8];
    return dither;
}

Dither makeDispersed()
{
    Dither dither;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            // Bayer's matrix: the bits of x ^ y and y interleaved, reversed.
            int rank = 0;
            for (int bit = 0; bit < 4; ++bit) {
                rank |= (((x ^ y) >> bit) & 1) << (7 - 2 * bit);
                rank |= ((y >> bit) & 1) << (6 - 2 * bit);
            }
            dither.values[y][x] = threshold(rank, 256);
        }
    return dither;
}

} // namespace

const pappl_dither_t &clusteredDither()
{
    static const Dither dither = makeClustered();
    return dither.values;
}

const pappl_dither_t &dispersedDither()
{
    static const Dither dither = makeDispersed();
    return dither.values;
}

void setUpRaster(pappl_pr_driver_data_t &data, const PrinterSetup &setup)
{
    const Zanto::PrinterLanguage &language = *setup.language;
    // The bit-image modes used are square: 72 by 72 (9-pin), 180 by 180
    // (24-pin), the receipt printer's own density, PCL's 300 by 300.
    // PAPPL refuses driver data without a resolution, so a language without
    // graphics keeps its text resolution (or 72) for the refusal to run.
    const int graphicsDots = Zanto::graphicsDotsPerInch(language);
    const int dotsPerInch = graphicsDots > 0 ? graphicsDots : 72;
    data.num_resolution = 1;
    data.x_resolution[0] = dotsPerInch;
    data.y_resolution[0] = dotsPerInch;
    data.x_default = dotsPerInch;
    data.y_default = dotsPerInch;
    data.raster_types = PAPPL_PWG_RASTER_TYPE_BLACK_1;
    data.force_raster_type = PAPPL_PWG_RASTER_TYPE_BLACK_1;
    data.color_supported = PAPPL_COLOR_MODE_MONOCHROME;
    data.color_default = PAPPL_COLOR_MODE_MONOCHROME;
    std::copy_n(&clusteredDither()[0][0], 256, &data.gdither[0][0]);
    std::copy_n(&dispersedDither()[0][0], 256, &data.pdither[0][0]);
    data.rstartjob_cb = startJob;
    data.rstartpage_cb = startPage;
    data.rwriteline_cb = writeLine;
    data.rendpage_cb = endPage;
    data.rendjob_cb = endJob;
}

} // namespace ZantoApp
