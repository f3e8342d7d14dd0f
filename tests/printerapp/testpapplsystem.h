// A PAPPL system inside the test process with one printer set up for a
// language (raster callbacks and status included, US letter paper), running
// on a thread of its own and listening on a local socket only.
#pragma once

#include "printersetup.h"

#include <QString>

#include <pappl/pappl.h>

#include <thread>

namespace ZantoTest {

class TestPapplSystem
{
public:
    // The printer "test" of language on deviceUri; folder holds the spool,
    // the log and the socket.
    TestPapplSystem(
        const Zanto::PrinterLanguage &language, const QString &deviceUri, const QString &folder);
    ~TestPapplSystem();
    TestPapplSystem(const TestPapplSystem &) = delete;
    TestPapplSystem &operator=(const TestPapplSystem &) = delete;

    pappl_printer_t *printer() const { return m_printer; }
    // The local socket IPP clients reach the system on.
    QString socket() const { return m_socket; }

private:
    ZantoApp::PrinterSetup m_setup;
    QString m_socket;
    pappl_system_t *m_system = nullptr;
    pappl_printer_t *m_printer = nullptr;
    std::thread m_running;
};

} // namespace ZantoTest
