// What the printer application knows of one of its printers: the profile it
// was added with, read once when the printer is created or loaded. It lives
// in the extension pointer of the printer's PAPPL driver data, so every
// callback that PAPPL hands a printer or a job reaches it.
#pragma once

#include <zantoquiller/printerlanguage.h>

#include <QString>

#include <pappl/pappl.h>

namespace ZantoApp {

struct PrinterSetup
{
    QString profile; ///< the profile's name, as `zanto print -P` takes it
    QString profileFile; ///< the printer's own copy of the profile; empty: none
    const Zanto::PrinterLanguage *language = nullptr; ///< never null once set up
    int columns = 80; ///< characters per line of the profile's layout
    int linesPerPage = 66; ///< lines per page (form length) of the profile
    double paperWidthMm = 0; ///< 0: the language's own width
    double paperLengthMm = 0; ///< 0: continuous (receipt) paper
    int pitch = 10; ///< characters per inch of the profile's layout
    QString paper; ///< the paper's name as the preview knows it ("fanfold", "roll80")
    bool roll = false; ///< receipt paper from a roll, cut after each job
};

/// The setup of printer; PAPPL keeps it in the driver data's extension.
inline PrinterSetup *printerSetup(pappl_printer_t *printer)
{
    pappl_pr_driver_data_t data;
    papplPrinterGetDriverData(printer, &data);
    return static_cast<PrinterSetup *>(data.extension);
}

/// The setup of the printer that job prints on.
inline PrinterSetup *printerSetup(pappl_job_t *job)
{
    return printerSetup(papplJobGetPrinter(job));
}

} // namespace ZantoApp
