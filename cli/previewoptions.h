// The options of zanto preview, shared with the zantopreview window
// program: printer type, codes file, character set, paper, output format
// and file, resolution, background, attributes and --show.
#pragma once

#include "previewoutput.h"
#include "settingsoptions.h"

#include <QCommandLineParser>

namespace Zanto::Cli {

class PreviewOptions
{
public:
    // The options and the job's FILE argument.
    void addTo(QCommandLineParser &parser);
    // FILE as given (empty or "-" for standard input); a UsageError for a
    // second argument.
    QString inputName(const QCommandLineParser &parser) const;
    // The request the options make; a UsageError for a value out of place.
    // Loads the codes file (its errors pass on as they are).
    PreviewRequest request(const QCommandLineParser &parser) const;
    bool show(const QCommandLineParser &parser) const;

private:
    SettingsOptions m_settings;
};

} // namespace Zanto::Cli
