#include "testpapplsystem.h"
#include "rasterjob.h"
#include "statusreasons.h"

#include <QDir>
#include <QFile>
#include <QThread>

#include <cups/cups.h>

#include <cstdio>

namespace ZantoTest {

namespace {

bool letterDriver(pappl_system_t *, const char *, const char *, const char *,
    pappl_pr_driver_data_t *data, ipp_t **, void *context)
{
    auto *setup = static_cast<ZantoApp::PrinterSetup *>(context);
    data->extension = setup;
    ZantoApp::setUpRaster(*data, *setup);
    data->status_cb = ZantoApp::updateStatus;
    std::snprintf(data->make_and_model, sizeof data->make_and_model, "Zanto Test");
    data->format = "application/vnd.zanto-test"; // the printer's own bytes
    data->ppm = 1;
    data->num_media = 1;
    data->media[0] = "na_letter_8.5x11in";
    std::snprintf(
        data->media_default.size_name, sizeof data->media_default.size_name, "%s", data->media[0]);
    data->media_default.size_width = 21590;
    data->media_default.size_length = 27940;
    data->num_source = 1;
    data->source[0] = "main";
    std::snprintf(data->media_default.source, sizeof data->media_default.source, "main");
    data->num_type = 1;
    data->type[0] = "stationery";
    std::snprintf(data->media_default.type, sizeof data->media_default.type, "stationery");
    data->num_bin = 1;
    data->bin[0] = "face-up";
    data->media_ready[0] = data->media_default;
    data->kind = PAPPL_KIND_DOCUMENT;
    return true;
}

} // namespace

TestPapplSystem::TestPapplSystem(
    const Zanto::PrinterLanguage &language, const QString &deviceUri, const QString &folder)
    : m_socket(QDir(folder).filePath(QStringLiteral("socket")))
{
    m_setup.language = &language;
    m_system = papplSystemCreate(PAPPL_SOPTIONS_NONE, "Zanto Test", 0, nullptr,
        QFile::encodeName(QDir(folder).filePath(QStringLiteral("spool"))).constData(),
        QFile::encodeName(QDir(folder).filePath(QStringLiteral("log"))).constData(),
        PAPPL_LOGLEVEL_DEBUG, nullptr, false);
    if (!m_system)
        return;
    pappl_pr_driver_t drivers[] = {{"zanto", "Zanto Test", nullptr, nullptr}};
    papplSystemSetPrinterDrivers(m_system, 1, drivers, nullptr, nullptr, letterDriver, &m_setup);
    m_printer = papplPrinterCreate(
        m_system, 0, "test", "zanto", "MFG:Zanto;MDL:Test;", deviceUri.toUtf8().constData());
    // Jobs are processed while the system runs.
    if (!papplSystemAddListeners(m_system, QFile::encodeName(m_socket).constData()))
        return;
    m_running = std::thread(papplSystemRun, m_system);
    for (int wait = 0; wait < 500 && !papplSystemIsRunning(m_system); ++wait)
        QThread::msleep(10);
}

TestPapplSystem::~TestPapplSystem()
{
    if (!m_system)
        return;
    if (m_running.joinable()) {
        papplSystemShutdown(m_system);
        // A connection wakes the system's loop to see the shutdown at once.
        if (http_t *http = httpConnect2(QFile::encodeName(m_socket).constData(), 0, nullptr,
                AF_UNSPEC, HTTP_ENCRYPTION_NEVER, 1, 1000, nullptr))
            httpClose(http);
        m_running.join();
    }
    papplSystemDelete(m_system);
}

} // namespace ZantoTest
