#include "profiledrivers.h"

#include "printersetup.h"
#include "profilelayout.h"
#include "profiles.h"
#include "rasterjob.h"
#include "statusreasons.h"
#include "testpage.h"
#include "textjob.h"

#include <zantoquiller/graphics.h>

#include <cups/cups.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace ZantoApp {

namespace {

// PAPPL keeps the driver data's strings as pointers: each text lives as
// long as the process, once.
const char *keptText(const std::string &text)
{
    static std::mutex guard;
    static std::set<std::string> texts;
    const std::lock_guard lock(guard);
    return texts.insert(text).first->c_str();
}

int hundredthsOfMm(double millimetres)
{
    return int(std::lround(millimetres * 100));
}

// The side margins the head leaves on paper width wide, at least 1 mm:
// CUPS 2.4 gives a queue it makes of a printer whose media have no margins
// (lpadmin -m everywhere) a default page size it does not list, and lays
// its jobs out on Letter then.
int sideMargin(const PrinterSetup &setup, int width)
{
    constexpr int Least = 100;
    if (!Zanto::supportsGraphics(*setup.language))
        return Least;
    const int reach = int(std::lround(Zanto::graphicsLineWidth(*setup.language) * 2540.0
        / Zanto::graphicsDotsPerInch(*setup.language)));
    return std::max(Least, (width - reach) / 2);
}

// The PWG name of a sheet of the size, or a custom one named after paper.
// A self-describing name's middle part takes lower-case letters, digits and
// '-' only; without one CUPS would make it of the size ("80x304.8mm").
std::string mediaName(const QString &paper, int width, int length)
{
    // CUPS answers a size it does not know with a "custom_" name of its own
    // making, whose middle part has the size's '.' in it.
    const pwg_media_t *known = pwgMediaForSize(width, length);
    if (known && std::strncmp(known->pwg, "custom_", 7) != 0)
        return known->pwg;
    std::string part;
    for (const QChar c : paper.toLower()) {
        if ((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9'))
            part += char(c.unicode());
        else if (!part.empty() && part.back() != '-')
            part += '-';
    }
    while (!part.empty() && part.back() == '-')
        part.pop_back();
    if (part.empty())
        part = "paper";
    char name[128];
    pwgFormatSizeName(name, sizeof name, "custom", part.c_str(), width, length, nullptr);
    return name;
}

void setMedia(pappl_pr_driver_data_t &data, const PrinterSetup &setup)
{
    const int width = hundredthsOfMm(setup.paperWidthMm);
    data.left_right = sideMargin(setup, width);
    data.media_default.left_margin = data.left_right;
    data.media_default.right_margin = data.left_right;
    char name[128];
    if (setup.roll) {
        // A roll is cut where the job ends: any length from a short
        // receipt to a long one, as the roll's width.
        pwgFormatSizeName(name, sizeof name, "roll", "max", width, 300000, nullptr);
        data.media[0] = keptText(name);
        pwgFormatSizeName(name, sizeof name, "roll", "min", width, 2500, nullptr);
        data.media[1] = keptText(name);
        data.num_media = 2;
        const int length = 30480; // a 12 in receipt, as a preview shows one
        std::snprintf(data.media_default.size_name, sizeof data.media_default.size_name, "%s",
            mediaName(setup.paper, width, length).c_str());
        data.media_default.size_width = width;
        data.media_default.size_length = length;
        // A size of its own too: CUPS makes no queue for a printer whose
        // media are only ranges.
        data.media[data.num_media++] = keptText(data.media_default.size_name);
        std::snprintf(data.media_default.source, sizeof data.media_default.source, "main-roll");
        data.source[0] = "main-roll";
        data.tracking_supported = PAPPL_MEDIA_TRACKING_CONTINUOUS;
        data.media_default.tracking = PAPPL_MEDIA_TRACKING_CONTINUOUS;
    } else {
        const int length = hundredthsOfMm(setup.paperLengthMm);
        data.media[0] = keptText(mediaName(setup.paper, width, length));
        data.num_media = 1;
        std::snprintf(
            data.media_default.size_name, sizeof data.media_default.size_name, "%s", data.media[0]);
        data.media_default.size_width = width;
        data.media_default.size_length = length;
        std::snprintf(data.media_default.source, sizeof data.media_default.source, "tractor");
        data.source[0] = "tractor";
    }
    data.num_source = 1;
    data.media_ready[0] = data.media_default;
    std::snprintf(data.media_default.type, sizeof data.media_default.type, "stationery");
    data.media_ready[0] = data.media_default;
    data.num_type = 1;
    data.type[0] = "stationery";
}

void freeSetup(pappl_printer_t *, pappl_pr_driver_data_t *data)
{
    delete static_cast<PrinterSetup *>(data->extension);
    data->extension = nullptr;
}

} // namespace

const std::vector<pappl_pr_driver_t> &profileDrivers()
{
    static const std::vector<pappl_pr_driver_t> drivers = [] {
        std::vector<pappl_pr_driver_t> list;
        const Zanto::Cli::ProfileStore store = Zanto::Cli::ProfileStore::load();
        for (const Zanto::Cli::ProfileSection &section : store.sections()) {
            if (section.name == u"default")
                continue;
            const PrinterSetup setup = profileSetup(section.name);
            const std::string description = setup.language->displayName().toStdString() + " ("
                + section.name.toStdString() + ")";
            list.push_back(
                {keptText(section.name.toStdString()), keptText(description), nullptr, nullptr});
        }
        return list;
    }();
    return drivers;
}

bool setUpDriver(pappl_system_t *system, const char *driverName, const char *, const char *,
    pappl_pr_driver_data_t *data, ipp_t **attributes, void *)
{
    std::unique_ptr<PrinterSetup> setup;
    try {
        setup = std::make_unique<PrinterSetup>(profileSetup(QString::fromUtf8(driverName)));
    } catch (const std::exception &error) {
        papplLog(system, PAPPL_LOGLEVEL_ERROR, "Profile '%s': %s", driverName, error.what());
        return false;
    }
    fillDriverData(*data, attributes, std::move(setup));
    return true;
}

void fillDriverData(
    pappl_pr_driver_data_t &data, ipp_t **attributes, std::unique_ptr<PrinterSetup> setup)
{
    std::snprintf(data.make_and_model, sizeof data.make_and_model, "%s (%s)",
        setup->language->displayName().toUtf8().constData(), setup->profile.toUtf8().constData());
    data.kind = setup->roll ? PAPPL_KIND_RECEIPT : PAPPL_KIND_DOCUMENT;
    data.format = RawFormat;
    data.printfile_cb = printRawFile;
    data.ppm = 1;
    data.color_supported = PAPPL_COLOR_MODE_MONOCHROME;
    data.color_default = PAPPL_COLOR_MODE_MONOCHROME;
    data.orient_default = IPP_ORIENT_PORTRAIT;
    data.quality_default = IPP_QUALITY_NORMAL;
    data.sides_supported = PAPPL_SIDES_ONE_SIDED;
    data.sides_default = PAPPL_SIDES_ONE_SIDED;
    setMedia(data, *setup);
    // Declared anew when the printer's settings change.
    data.num_vendor = 0;
    addTextOptions(data, attributes, *setup);
    // Resolutions, dithering and the raster callbacks: languages without
    // graphics get callbacks that abort a raster job with the reason, as
    // PAPPL takes no driver data without them.
    setUpRaster(data, *setup);
    data.status_cb = updateStatus;
    data.testpage_cb = writeTestPage;
    data.extension = setup.release();
    data.delete_cb = freeSetup;
}

} // namespace ZantoApp
