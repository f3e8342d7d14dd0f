#include "textjob.h"

#include "commands.h"
#include "deviceschemes.h"
#include "failuremessage.h"
#include "profilelayout.h"
#include "usageerror.h"

#include <zantoquiller/exceptions.h>

#include <QFile>
#include <QStringList>

#include <cmath>
#include <mutex>
#include <stdexcept>

namespace ZantoApp {

namespace {

// A job that cannot be printed as asked, with the reason its client is told.
class JobRefused : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The integer value of the job's attribute name; nothing when the job has
// none.
std::optional<int> integerAttribute(pappl_job_t *job, const char *name)
{
    ipp_attribute_t *attribute = papplJobGetAttribute(job, name);
    if (!attribute)
        return std::nullopt;
    if (ippGetValueTag(attribute) != IPP_TAG_INTEGER || ippGetCount(attribute) != 1)
        throw JobRefused(std::string(name) + " takes one integer");
    return ippGetInteger(attribute, 0);
}

// zanto print's options for the job's text options.
QStringList textOptionArguments(pappl_job_t *job, const PrinterSetup &setup)
{
    QStringList arguments;
    const std::optional<int> cpi = integerAttribute(job, "cpi");
    if (cpi)
        arguments << QStringLiteral("--pitch") << QString::number(*cpi);
    if (const std::optional<int> lpi = integerAttribute(job, "lpi"))
        arguments << QStringLiteral("--lpi") << QString::number(*lpi);
    if (const std::optional<int> left = integerAttribute(job, "page-left")) {
        // Points to whole characters at the pitch the job prints at.
        const long spaces = std::lround(double(*left) * cpi.value_or(setup.pitch) / 72.0);
        arguments << QStringLiteral("--left-offset") << QString::number(spaces);
    }
    if (ipp_attribute_t *wrap = papplJobGetAttribute(job, "wrap")) {
        if (ippGetValueTag(wrap) != IPP_TAG_BOOLEAN || ippGetCount(wrap) != 1)
            throw JobRefused("wrap takes true or false");
        if (!ippGetBoolean(wrap, 0))
            arguments << QStringLiteral("--line-width") << QStringLiteral("0");
    }
    return arguments;
}

// Lays text out with zanto print as arguments say, one job at a time,
// with the printer's own profile file when it has one.
void layOut(const QStringList &arguments, const QString &printerFile)
{
    const std::lock_guard lock(printCommandLock());
    if (!printerFile.isEmpty() && !QFile::exists(printerFile))
        throw JobRefused("the printer's profile file " + printerFile.toStdString() + " is gone");
    const PrinterProfileFile own(printerFile);
    try {
        Zanto::Cli::runPrint(arguments);
    } catch (const Zanto::Cli::UsageError &error) {
        throw JobRefused(error.what());
    } catch (const Zanto::Exception &error) {
        throw JobRefused(Zanto::Cli::failureMessage(error).toStdString());
    } catch (const Zanto::Cli::CommandFailure &error) {
        // Such as a spool file gone under a job PAPPL ended meanwhile:
        // the job fails, the server goes on.
        throw JobRefused(error.what());
    }
}

// Sends the file at path to device in chunks, each write checked.
void copyToDevice(const QString &path, pappl_device_t *device)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw JobRefused(QStringLiteral("%1: %2").arg(path, file.errorString()).toStdString());
    // Larger than PAPPL's device buffer, so that each chunk is written at
    // once and its failure seen here.
    constexpr qint64 ChunkSize = 64 * 1024;
    QByteArray chunk(ChunkSize, Qt::Uninitialized);
    for (;;) {
        const qint64 got = file.read(chunk.data(), ChunkSize);
        if (got < 0)
            throw JobRefused(QStringLiteral("%1: %2").arg(path, file.errorString()).toStdString());
        if (got == 0)
            break;
        if (papplDeviceWrite(device, chunk.constData(), size_t(got)) != got)
            throw JobRefused("the printer's device took not all of the job: "
                + deviceFailure(device).value_or("write failed"));
    }
    papplDeviceFlush(device);
    if (const std::optional<std::string> failure = deviceFailure(device))
        throw JobRefused("the printer's device took not all of the job: " + *failure);
}

void failJob(pappl_job_t *job, const std::string &reason, pappl_jreason_t jobReason)
{
    papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "%s", reason.c_str());
    papplJobSetMessage(job, "%s", reason.c_str());
    papplJobSetReasons(job, jobReason, PAPPL_JREASON_NONE);
}

} // namespace

const char *documentFormat(const unsigned char *header, size_t size, void *)
{
    for (size_t i = 0; i < size; ++i) {
        const unsigned char byte = header[i];
        if ((byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\f')
            || byte == 0x7F)
            return RawFormat;
    }
    return "text/plain";
}

bool printTextFile(pappl_job_t *job, pappl_device_t *device, void *)
{
    const PrinterSetup *setup = printerSetup(job);
    char laidOut[1024];
    const int fd = papplJobOpenFile(job, laidOut, sizeof laidOut, nullptr, "laidout", "w");
    if (fd < 0) {
        failJob(job, "cannot make the job's print file in the spool folder",
            PAPPL_JREASON_ERRORS_DETECTED);
        return false;
    }
    {
        // Closed: zanto print writes the file anew.
        QFile created;
        created.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle);
    }
    const QString output = QString::fromLocal8Bit(laidOut);
    bool done = false;
    try {
        QStringList arguments {QStringLiteral("-P"), setup->profile};
        arguments << textOptionArguments(job, *setup);
        arguments << QStringLiteral("-o") << output << QStringLiteral("--")
                  << QString::fromLocal8Bit(papplJobGetFilename(job));
        layOut(arguments, setup->profileFile);
        try {
            copyToDevice(output, device);
            done = true;
        } catch (const JobRefused &error) {
            failJob(job, error.what(), PAPPL_JREASON_ERRORS_DETECTED);
        }
    } catch (const JobRefused &error) {
        failJob(job, error.what(), PAPPL_JREASON_DOCUMENT_UNPRINTABLE_ERROR);
    }
    QFile::remove(output);
    return done;
}

bool printRawFile(pappl_job_t *job, pappl_pr_options_t *, pappl_device_t *device)
{
    try {
        copyToDevice(QString::fromLocal8Bit(papplJobGetFilename(job)), device);
        return true;
    } catch (const JobRefused &error) {
        failJob(job, error.what(), PAPPL_JREASON_ERRORS_DETECTED);
        return false;
    }
}

void addTextOptions(pappl_pr_driver_data_t &data, ipp_t **attributes, const PrinterSetup &setup)
{
    if (!*attributes)
        *attributes = ippNew();
    ipp_t *ipp = *attributes;
    static constexpr int pitches[] {10, 12, 15};
    ippAddIntegers(ipp, IPP_TAG_PRINTER, IPP_TAG_INTEGER, "cpi-supported", 3, pitches);
    ippAddInteger(ipp, IPP_TAG_PRINTER, IPP_TAG_INTEGER, "cpi-default", setup.pitch);
    ippAddRange(ipp, IPP_TAG_PRINTER, "lpi-supported", 1, 360);
    ippAddInteger(ipp, IPP_TAG_PRINTER, IPP_TAG_INTEGER, "lpi-default", 6);
    ippAddRange(ipp, IPP_TAG_PRINTER, "page-left-supported", 0, 72 * 100);
    ippAddInteger(ipp, IPP_TAG_PRINTER, IPP_TAG_INTEGER, "page-left-default", 0);
    ippAddBoolean(ipp, IPP_TAG_PRINTER, "wrap-supported", 1);
    ippAddBoolean(ipp, IPP_TAG_PRINTER, "wrap-default", 1);
    for (const char *name : {"cpi", "lpi", "page-left", "wrap"})
        data.vendor[data.num_vendor++] = name;
}

} // namespace ZantoApp
