// The manual page zanto(1) against the program: every command that
// `zanto --help` lists has a section of its own, every long option that
// `zanto COMMAND --help` lists is described, and the exit statuses are those
// of cli/exitcodes.h.
#include "processrunner.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QSet>

using namespace ZantoTest;

namespace {

QString sourceFile(const char *path)
{
    return qEnvironmentVariable("ZANTO_SOURCE_DIR") + u'/' + QLatin1String(path);
}

// The page's text with roff's escaped dashes ("\-") as plain ones.
QString manualPage()
{
    return QString::fromUtf8(readFile(sourceFile("man/zanto.1")))
        .replace(QStringLiteral("\\-"), QStringLiteral("-"));
}

// The commands of `zanto --help`: its lines "  zanto NAME ...".
QStringList commands()
{
    const ProcessResult help = runZanto({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0) << help.err.constData();
    static const QRegularExpression command(
        QStringLiteral("^  zanto ([a-z-]+)"), QRegularExpression::MultilineOption);
    QStringList names;
    for (const QRegularExpressionMatch &match : command.globalMatch(QString::fromUtf8(help.out)))
        names.append(match.captured(1));
    return names;
}

// The long options that `zanto COMMAND --help` lists, e.g. "--line-width".
QStringList longOptions(const QString &command)
{
    const ProcessResult help = runZanto({command, QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0) << command.toStdString() << ": " << help.err.constData();
    // "  -o, --output <FILE>  ..." or "  --eject  ...".
    static const QRegularExpression option(
        QStringLiteral("^ +(?:-[A-Za-z], )?(--[a-z0-9-]+)"), QRegularExpression::MultilineOption);
    QStringList names;
    for (const QRegularExpressionMatch &match : option.globalMatch(QString::fromUtf8(help.out)))
        names.append(match.captured(1));
    return names;
}

} // namespace

TEST(CliManualPage, EveryCommandHasItsSection)
{
    const QString page = manualPage();
    const QStringList names = commands();
    ASSERT_GE(names.size(), 10);
    for (const QString &name : names)
        EXPECT_TRUE(page.contains(QStringLiteral("\n.SS zanto ") + name))
            << "no section for zanto " << name.toStdString();
}

TEST(CliManualPage, EveryOptionOfEveryCommandIsDescribed)
{
    const QString page = manualPage();
    // An option stands in the page as itself, not as the start of a longer
    // one (--to is not found in --to-line).
    const auto described = [&page](const QString &option) {
        const QRegularExpression alone(
            QRegularExpression::escape(option) + QStringLiteral("(?![a-z0-9-])"));
        return page.contains(alone);
    };
    int options = 0;
    for (const QString &command : commands()) {
        for (const QString &option : longOptions(command)) {
            ++options;
            EXPECT_TRUE(described(option)) << "zanto " << command.toStdString() << " "
                                           << option.toStdString() << " is not in man/zanto.1";
        }
    }
    // print alone has more than twenty.
    EXPECT_GT(options, 20);
}

TEST(CliManualPage, TheExitStatusesAreThoseOfTheProgram)
{
    // "ExitUsage = 2," ... in the header.
    const QString header = QString::fromUtf8(readFile(sourceFile("cli/exitcodes.h")));
    static const QRegularExpression enumerator(QStringLiteral("\\bExit\\w+ = (\\d+),"));
    QSet<QString> program;
    for (const QRegularExpressionMatch &match : enumerator.globalMatch(header))
        program.insert(match.captured(1));
    ASSERT_GE(program.size(), 4);

    // The section's ".TP" / ".B N" entries, up to the next section.
    const QString page = manualPage();
    const qsizetype start = page.indexOf(QStringLiteral("\n.SH EXIT STATUS\n"));
    ASSERT_GE(start, 0);
    const qsizetype end = page.indexOf(QStringLiteral("\n.SH "), start + 1);
    const QString section = page.mid(start, end - start);
    static const QRegularExpression status(
        QStringLiteral("^\\.TP\\n\\.B (\\d+)$"), QRegularExpression::MultilineOption);
    QSet<QString> documented;
    for (const QRegularExpressionMatch &match : status.globalMatch(section))
        documented.insert(match.captured(1));
    EXPECT_EQ(documented, program);
    EXPECT_TRUE(section.contains(QStringLiteral(".BI 128+ N"))) << "the statuses after a signal";
}
