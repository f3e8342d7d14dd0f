#include "jobjournal.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <map>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace ZantoApp {

namespace {

// The job template attributes a job is submitted again with: the text
// options and those of PAPPL's drivers.
constexpr const char *KeptOptions[] {"copies", "media", "orientation-requested", "print-color-mode",
    "print-content-optimize", "print-darkness", "print-quality", "print-speed",
    "printer-resolution", "cpi", "lpi", "page-left", "wrap"};

struct Recorded
{
    int printerId = 0;
    int jobId = 0;
    QString base;
    QByteArray printer, user, name, format;
    std::vector<std::pair<QByteArray, QByteArray>> options;
};

struct Journal
{
    QString folder;
    QString spoolFolder;
    QString runTag; // in each record's name, so that no run meets another's
    std::mutex mutex;
    std::map<std::pair<int, int>, QString> records; // (printer id, job id): path without suffix
    // The jobs submitted again: PAPPL keeps pointers to their format.
    std::vector<Recorded> recovered;
    bool resubmitted = false;
};

// One line of a record: no line breaks or other control characters.
QByteArray oneLine(const char *text)
{
    QByteArray line(text ? text : "");
    for (char &c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    return line;
}

void record(Journal &journal, pappl_job_t *job)
{
    const char *document = papplJobGetFilename(job);
    pappl_printer_t *printer = papplJobGetPrinter(job);
    const std::pair key {papplPrinterGetID(printer), papplJobGetID(job)};
    if (!document || journal.records.contains(key))
        return;
    const QString base = QStringLiteral("%1/%2-%3-%4")
                             .arg(journal.folder)
                             .arg(key.first)
                             .arg(key.second)
                             .arg(journal.runTag);
    const QString kept = base + QStringLiteral(".doc");
    // A link costs nothing: the spool folder lies in the state folder.
    if (::link(document, QFile::encodeName(kept).constData()) != 0
        && !QFile::copy(QFile::decodeName(document), kept)) {
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "Cannot keep the document for after a restart in %s",
            qPrintable(journal.folder));
        return;
    }
    QByteArray text = "printer " + oneLine(papplPrinterGetName(printer)) + "\nuser "
        + oneLine(papplJobGetUsername(job)) + "\nname " + oneLine(papplJobGetName(job))
        + "\nformat " + oneLine(papplJobGetFormat(job)) + '\n';
    for (const char *name : KeptOptions) {
        if (ipp_attribute_t *attribute = papplJobGetAttribute(job, name)) {
            char value[1024];
            ippAttributeString(attribute, value, sizeof value);
            text += "option " + QByteArray(name) + '=' + oneLine(value) + '\n';
        }
    }
    QSaveFile file(base + QStringLiteral(".job"));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "Cannot keep the job for after a restart: %s",
            qPrintable(file.errorString()));
        QFile::remove(kept);
        return;
    }
    journal.records.emplace(key, base);
}

void forget(Journal &journal, pappl_job_t *job)
{
    const auto found
        = journal.records.find({papplPrinterGetID(papplJobGetPrinter(job)), papplJobGetID(job)});
    if (found == journal.records.end())
        return;
    // The record first: a document without one is only litter.
    QFile::remove(found->second + QStringLiteral(".job"));
    QFile::remove(found->second + QStringLiteral(".doc"));
    journal.records.erase(found);
}

// The records in folder, oldest job first for each printer.
std::vector<Recorded> readRecords(const QString &folder)
{
    std::vector<Recorded> found;
    const QDir dir(folder);
    for (const QString &fileName : dir.entryList({QStringLiteral("*.job")}, QDir::Files)) {
        const QStringList parts = fileName.chopped(4).split(u'-');
        QFile file(dir.filePath(fileName));
        if (parts.size() != 3 || !file.open(QIODevice::ReadOnly))
            continue;
        Recorded each;
        each.printerId = parts[0].toInt();
        each.jobId = parts[1].toInt();
        each.base = dir.filePath(fileName.chopped(4));
        for (const QByteArray &line : file.readAll().split('\n')) {
            const qsizetype space = line.indexOf(' ');
            const QByteArray key = line.left(space);
            const QByteArray value = space < 0 ? QByteArray() : line.mid(space + 1);
            if (key == "printer")
                each.printer = value;
            else if (key == "user")
                each.user = value;
            else if (key == "name")
                each.name = value;
            else if (key == "format")
                each.format = value;
            else if (key == "option" && value.contains('='))
                each.options.emplace_back(
                    value.left(value.indexOf('=')), value.mid(value.indexOf('=') + 1));
        }
        found.push_back(std::move(each));
    }
    std::sort(found.begin(), found.end(), [](const Recorded &a, const Recorded &b) {
        return std::tie(a.printerId, a.jobId, a.base) < std::tie(b.printerId, b.jobId, b.base);
    });
    return found;
}

pappl_printer_t *printerNamed(pappl_system_t *system, const QByteArray &name)
{
    struct Search
    {
        const QByteArray &name;
        pappl_printer_t *found = nullptr;
    } search {name};
    papplSystemIteratePrinters(
        system,
        [](pappl_printer_t *printer, void *data) {
            auto &search = *static_cast<Search *>(data);
            if (search.name == papplPrinterGetName(printer))
                search.found = printer;
        },
        &search);
    return search.found;
}

void resubmit(pappl_system_t *system, Journal &journal, const Recorded &recorded)
{
    const QString kept = recorded.base + QStringLiteral(".doc");
    pappl_printer_t *printer = printerNamed(system, recorded.printer);
    const char *lost = !printer     ? "its printer is gone"
        : !QFileInfo(kept).isFile() ? "its document is lost"
                                    : nullptr;
    pappl_job_t *job = nullptr;
    if (!lost) {
        // PAPPL owns the file it is given and removes it with the job.
        const QString spooled = QStringLiteral("%1/recovered-%2-%3-%4")
                                    .arg(journal.spoolFolder)
                                    .arg(recorded.printerId)
                                    .arg(recorded.jobId)
                                    .arg(journal.runTag);
        if (::link(QFile::encodeName(kept).constData(), QFile::encodeName(spooled).constData())
            != 0) {
            lost = "its document cannot be spooled";
        } else {
            cups_option_t *options = nullptr;
            int count = 0;
            for (const auto &[name, value] : recorded.options)
                count = cupsAddOption(name.constData(), value.constData(), count, &options);
            job = papplJobCreateWithFile(printer, recorded.user.constData(),
                recorded.format.constData(), recorded.name.constData(), count, options,
                QFile::encodeName(spooled).constData());
            cupsFreeOptions(count, options);
            if (!job) {
                QFile::remove(spooled);
                lost = "PAPPL refused it";
            } else if (QFile::encodeName(spooled) != papplJobGetFilename(job)) {
                QFile::remove(spooled);
            }
        }
    }
    if (job) {
        papplLogJob(job, PAPPL_LOGLEVEL_WARN,
            "Recovered after a restart: job %d of %s, '%s', submitted again", recorded.jobId,
            recorded.user.constData(), recorded.name.constData());
    } else {
        papplLog(system, PAPPL_LOGLEVEL_ERROR,
            "Job %d of %s, '%s', on printer '%s' cannot be recovered after a restart: %s",
            recorded.jobId, recorded.user.constData(), recorded.name.constData(),
            recorded.printer.constData(), lost);
    }
    // Submitted, the job has a record of its own now.
    QFile::remove(recorded.base + QStringLiteral(".job"));
    QFile::remove(kept);
}

// Records the jobs that have come since the last time and forgets those
// that have ended. Not on PAPPL's events: it tells of none when a queued
// job's document has arrived, and raises them holding locks of the job
// that the journal's own look at the jobs would wait for. Once, first, submits
// again the jobs of the earlier run: PAPPL aborts a job submitted before
// the system runs.
bool sweep(pappl_system_t *system, void *data)
{
    auto &journal = *static_cast<Journal *>(data);
    // Jobs PAPPL drops while it shuts down are the ones to keep.
    if (papplSystemIsShutdown(system))
        return false;
    if (!journal.resubmitted) {
        journal.resubmitted = true;
        for (const Recorded &recorded : journal.recovered)
            resubmit(system, journal, recorded);
    }
    papplSystemIteratePrinters(
        system,
        [](pappl_printer_t *printer, void *data) {
            papplPrinterIterateAllJobs(
                printer,
                [](pappl_job_t *job, void *data) {
                    auto &journal = *static_cast<Journal *>(data);
                    const std::lock_guard lock(journal.mutex);
                    if (papplJobGetState(job) < IPP_JSTATE_CANCELED)
                        record(journal, job);
                    else
                        forget(journal, job);
                },
                data, 1, 0);
        },
        &journal);
    return true;
}

} // namespace

void keepJobs(pappl_system_t *system, const QString &folder, const QString &spoolFolder)
{
    // Lives as long as the system.
    static Journal journal;
    journal.folder = folder;
    journal.spoolFolder = spoolFolder;
    journal.runTag = QString::number(QDateTime::currentMSecsSinceEpoch(), 36);
    if (!QDir().mkpath(folder)) {
        papplLog(system, PAPPL_LOGLEVEL_ERROR,
            "Cannot make the folder %s: jobs will not outlive a restart", qPrintable(folder));
        return;
    }
    journal.recovered = readRecords(folder);
    papplSystemAddTimerCallback(system, 0, 1, sweep, &journal);
}

} // namespace ZantoApp
