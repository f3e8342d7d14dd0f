#include "codepageoptions.h"
#include "inputfile.h"
#include "languageoption.h"
#include "usageerror.h"
#include "warning.h"

#include <zantoquiller/codepage.h>
#include <zantoquiller/exceptions.h>
#include <zantoquiller/jobcodes.h>
#include <zantoquiller/printerlanguage.h>

#include <QChar>

#include <cerrno>
#include <cstdio>
#include <stdexcept>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace Zanto::Cli {

namespace {

const QCommandLineOption codePageOption(QStringLiteral("codepage"),
    QStringLiteral("The input is UTF-8: convert it to code page NAME (%1). Characters the code "
                   "page lacks become \"?\" and are reported.")
        .arg(AnsiCodePage::names().join(u", ")),
    QStringLiteral("NAME"));
const QCommandLineOption strictOption(QStringLiteral("strict"),
    QStringLiteral("With --codepage: print nothing, and fail, when a character is not in the "
                   "code page or the input is not UTF-8 (standard input is first kept in a "
                   "temporary file)."));
const QCommandLineOption noTransliterateOption(QStringLiteral("no-transliterate"),
    QStringLiteral("With --codepage: no plain stand-ins (' \" - ... EUR) for typographic "
                   "characters the code page lacks."));
const QCommandLineOption codePageOnlyOption(QStringLiteral("codepage-only"),
    QStringLiteral("With --codepage and --language: convert the text but send no command that "
                   "selects the printer's character table (the printer is set to it already)."));

constexpr qsizetype ChunkSize = 64 * 1024;

QString plural(qint64 count, const char *noun)
{
    return QStringLiteral("%1 %2%3").arg(count).arg(
        QLatin1StringView(noun), count == 1 ? QString() : QStringLiteral("s"));
}

QString characterName(char32_t character)
{
    const QString code
        = QStringLiteral("U+%1").arg(static_cast<uint>(character), 4, 16, QChar(u'0')).toUpper();
    if (!QChar::isPrint(character))
        return code;
    return QStringLiteral("'%1' (%2)").arg(QString::fromUcs4(&character, 1), code);
}

QString place(const InputPosition &at)
{
    return QStringLiteral("%1:%2").arg(at.line).arg(at.column);
}

void printLine(const QString &line)
{
    report(line);
}

void printReport(const ConversionReport &report, const AnsiCodePage &page, bool printed)
{
    const QString became = printed ? QStringLiteral(" printed as \"?\"") : QString();
    if (report.missing > 0)
        printLine(
            QStringLiteral("%1 not in %2%3; the first: %4 at %5")
                .arg(plural(report.missing, "character"), QLatin1StringView(page.name()), became,
                    characterName(report.firstMissing), place(report.firstMissingAt)));
    if (report.invalid > 0)
        printLine(
            QStringLiteral("%1%2; the first at %3 (byte offset %4)")
                .arg(plural(report.invalid, "invalid UTF-8 sequence"), became,
                    place(report.firstInvalidAt), QString::number(report.firstInvalidAt.offset)));
}

} // namespace

void CodePageOptions::addTo(QCommandLineParser &parser)
{
    parser.addOptions({codePageOption, strictOption, noTransliterateOption, codePageOnlyOption});
}

void CodePageOptions::apply(const QCommandLineParser &parser)
{
    m_strict = parser.isSet(strictOption);
    m_transliterate = !parser.isSet(noTransliterateOption);
    m_convertOnly = parser.isSet(codePageOnlyOption);
    if (!parser.isSet(codePageOption)) {
        for (const QCommandLineOption &option :
            {strictOption, noTransliterateOption, codePageOnlyOption}) {
            if (parser.isSet(option))
                throw UsageError(QStringLiteral("--%1 needs --codepage: without it the input's "
                                                "bytes are printed as they are")
                                     .arg(option.names().constFirst()));
        }
        return;
    }
    m_page = AnsiCodePage::find(parser.value(codePageOption));
    if (!m_page)
        throw UsageError(QStringLiteral("codepage"), parser.value(codePageOption),
            QStringLiteral("unknown code page '%1' (one of: %2)")
                .arg(parser.value(codePageOption), AnsiCodePage::names().join(u", ")));
    setAnsiCodePage(*m_page);
}

void CodePageOptions::selectTable(const PrinterLanguage *language, TZantoquiller &component) const
{
    // A language without tables to select prints the one its printer has.
    if (!m_page || !language || m_convertOnly || language->model().codeTables.empty())
        return;
    const std::optional<QByteArray> selection = codeTableSelection(*language, *m_page);
    if (!selection)
        throw UsageError(QStringLiteral("codepage"), QString::fromLatin1(m_page->name()),
            QStringLiteral("language %1 (%2) cannot select code page %3 on the printer; "
                           "--codepage-only converts the text without selecting it")
                .arg(language->name(), language->displayName(), QLatin1StringView(m_page->name())));
    JobCodes codes = jobCodes(component);
    codes.start += *selection;
    setJobCodes(component, codes);
}

QIODevice &CodePageOptions::text(InputFile &input)
{
    if (!m_page)
        return input;
    QIODevice &source = m_strict ? rewound(input) : input;
    m_converted = std::make_unique<CodePageInput>(source, *m_page, m_transliterate);
    return *m_converted;
}

void CodePageOptions::report() const
{
    if (m_converted)
        printReport(m_converted->report(), *m_page, true);
}

void CodePageOptions::check(QIODevice &input) const
{
    CodePageInput converted(input, *m_page, m_transliterate);
    std::vector<char> buffer(static_cast<std::size_t>(ChunkSize));
    qint64 read;
    while ((read = converted.read(buffer.data(), ChunkSize)) > 0) { }
    if (read < 0)
        throw EInOutError(QStringLiteral("Failed to read the text"), converted.errorString());
    const ConversionReport report = converted.report();
    if (report.missing > 0 || report.invalid > 0) {
        printReport(report, *m_page, false);
        throw std::runtime_error("nothing printed (--strict)");
    }
}

QIODevice &CodePageOptions::rewound(InputFile &input)
{
    // A regular file is read again from where it began; anything else is
    // kept as it is read.
    const int fd = input.handle();
    struct stat status;
    const off_t start = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)
        ? ::lseek(fd, 0, SEEK_CUR)
        : off_t(-1);
    if (start >= 0) {
        check(input);
        if (::lseek(fd, start, SEEK_SET) != start)
            throw EInOutError(QStringLiteral("Failed to read the text"),
                QString::fromStdString(std::system_category().message(errno)));
        return input;
    }
    m_copy = std::make_unique<QTemporaryFile>();
    if (!m_copy->open())
        throw EInOutError(
            QStringLiteral("Failed to keep the text in a temporary file"), m_copy->errorString());
    std::vector<char> buffer(static_cast<std::size_t>(ChunkSize));
    qint64 read;
    while ((read = input.read(buffer.data(), ChunkSize)) > 0) {
        if (m_copy->write(buffer.data(), read) != read)
            throw EInOutError(QStringLiteral("Failed to keep the text in a temporary file"),
                m_copy->errorString());
    }
    if (read < 0)
        throw EInOutError(QStringLiteral("Failed to read the text"), input.errorString());
    m_copy->seek(0);
    check(*m_copy);
    m_copy->seek(0);
    return *m_copy;
}

} // namespace Zanto::Cli
