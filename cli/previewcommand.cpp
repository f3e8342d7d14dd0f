// zanto preview: shows what a printer would make of a job's bytes, as text
// for the terminal, a PDF document or PNG pages, or in a window (--show,
// which runs the zantopreview program beside zanto so that zanto itself
// needs no widgets).
#include "commands.h"
#include "componentoptions.h"
#include "inputfile.h"
#include "previewoptions.h"
#include "profiles.h"
#include "usageerror.h"

#include <zantoquiller/exceptions.h>

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace Zanto::Cli {

namespace {

// arguments without -P/--profile NAME, up to "--".
QStringList withoutProfile(const QStringList &arguments)
{
    QStringList rest;
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        const QString &argument = arguments[index];
        if (argument == u"--") {
            rest.append(arguments.mid(index));
            break;
        }
        if (argument == u"-P" || argument == u"--profile")
            ++index;
        else if (!argument.startsWith(QStringLiteral("-P="))
            && !argument.startsWith(QStringLiteral("--profile=")))
            rest.append(argument);
    }
    return rest;
}

// Replaces zanto by the preview window program, with the same arguments, a
// profile's values given as options: the window program reads no profiles.
[[noreturn]] void showInWindow(const QStringList &arguments)
{
    const QByteArray program = QFile::encodeName(
        QCoreApplication::applicationDirPath() + QStringLiteral("/zantopreview"));
    std::vector<QByteArray> strings {program};
    for (const QString &argument : profileArgumentsUsed() + withoutProfile(arguments)) {
        if (argument != u"--show")
            strings.push_back(argument.toLocal8Bit());
    }
    std::vector<char *> argv;
    for (QByteArray &string : strings)
        argv.push_back(string.data());
    argv.push_back(nullptr);
    ::execv(program.constData(), argv.data());
    throw EInOutError(QStringLiteral("Cannot start %1").arg(QString::fromLocal8Bit(program)),
        QString::fromStdString(std::system_category().message(errno)));
}

} // namespace

int runPreview(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Shows how a printer lays out the bytes of FILE (or standard input): each sheet as text, "
        "as a page of a PDF document or as a PNG picture. Sequences the printer family does not "
        "know are marked in place and listed with their byte offsets on standard error."));
    PreviewOptions options;
    options.addTo(parser);
    // A profile gives the printer type, its codes and character set.
    if (!parseWithProfile(parser, QStringLiteral("preview"), arguments, ProfileKeys::Preview))
        return 0;
    const QString name = options.inputName(parser);
    const PreviewRequest request = options.request(parser);
    InputFile input;
    input.openFile(name);
    if (options.show(parser)) {
        if (const QString missing = missingDisplay(); !missing.isEmpty())
            throw CommandFailure(missing);
        showInWindow(arguments);
    }
    return renderPreview(
        request, [&](const std::function<void(QByteArrayView)> &feed) { feedInput(input, feed); });
}

} // namespace Zanto::Cli
