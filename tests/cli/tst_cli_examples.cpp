// The examples of the manual pages and of the README's profiles section, run
// through the built zanto with a configuration folder of their own: every
// command line shown succeeds. A print to a queue or a network printer,
// which the test cannot have, goes to a file instead (-o FILE in place of
// -d QUEUE or --to TARGET), so that its profile and options are still
// checked and used.
#include "processrunner.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>

using namespace ZantoTest;

namespace {

QString sourceFile(const char *path)
{
    return qEnvironmentVariable("ZANTO_SOURCE_DIR") + u'/' + QLatin1String(path);
}

// The lines of the example blocks (.EX to .EE) of a manual page, roff's
// escaped dashes as plain ones.
QStringList manualExamples(const char *page)
{
    const QString text = QString::fromUtf8(readFile(sourceFile(page)))
                             .replace(QStringLiteral("\\-"), QStringLiteral("-"));
    QStringList lines;
    bool inside = false;
    for (const QString &line : text.split(u'\n')) {
        if (line == u".EX")
            inside = true;
        else if (line == u".EE")
            inside = false;
        else if (inside)
            lines.append(line);
    }
    return lines;
}

// The commands of the README's first shell block after heading, without
// their comments.
QStringList readmeCommands(const QString &heading)
{
    const QString text = QString::fromUtf8(readFile(sourceFile("README.md")));
    const qsizetype at = text.indexOf(heading);
    EXPECT_GE(at, 0) << heading.toStdString();
    const qsizetype start = text.indexOf(QStringLiteral("```sh\n"), at) + 6;
    const qsizetype end = text.indexOf(QStringLiteral("```"), start);
    QStringList commands;
    for (QString line : text.mid(start, end - start).split(u'\n', Qt::SkipEmptyParts)) {
        line = line.section(QStringLiteral(" #"), 0, 0).trimmed();
        if (line.startsWith(QStringLiteral("zanto ")))
            commands.append(line);
    }
    return commands;
}

class Examples
{
public:
    Examples()
    {
        for (const char *folder : {"home/zantoquiller", "etc", "share", "work"})
            QDir().mkpath(m_dir.filePath(QLatin1String(folder)));
    }

    QString configFolder() const { return m_dir.filePath(QStringLiteral("home/zantoquiller")); }

    ProcessResult run(const QStringList &arguments) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(
            QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("home")));
        environment.insert(
            QStringLiteral("XDG_CONFIG_DIRS"), m_dir.filePath(QStringLiteral("etc")));
        environment.insert(
            QStringLiteral("XDG_DATA_DIRS"), m_dir.filePath(QStringLiteral("share")));
        environment.remove(QStringLiteral("ZANTO_PROFILE"));
        return runZanto(arguments, {}, environment, m_dir.filePath(QStringLiteral("work")));
    }

    // Runs the example command line, made of plain words; the files it
    // reads are made first.
    void expectSuccess(const QString &line)
    {
        SCOPED_TRACE(line.toStdString());
        ASSERT_FALSE(line.contains(u'"') || line.contains(u'\'') || line.contains(u'\\'));
        QStringList arguments = line.split(u' ', Qt::SkipEmptyParts);
        ASSERT_EQ(arguments.takeFirst(), QStringLiteral("zanto"));
        static const QStringList outputs {
            QStringLiteral("-o"), QStringLiteral("--output"), QStringLiteral("--preview")};
        static const QRegularExpression inputName(QStringLiteral("^[a-z-]+\\.(txt|prn)$"));
        for (qsizetype index = 1; index < arguments.size(); ++index) {
            const QString path = m_dir.filePath(QStringLiteral("work/") + arguments[index]);
            if (inputName.match(arguments[index]).hasMatch()
                && !outputs.contains(arguments[index - 1]) && !QFile::exists(path))
                writeFile(path, "Example line one\n\tand two\n");
        }
        // What would go to a queue or a printer, its own or its profile's,
        // goes to a file.
        if (arguments.value(0) == u"print" || arguments.value(0) == u"send") {
            for (const QString &destination : {QStringLiteral("-d"), QStringLiteral("--to")}) {
                const qsizetype at = arguments.indexOf(destination);
                if (at > 0)
                    arguments.remove(at, 2);
            }
            if (!arguments.contains(QStringLiteral("-o")))
                arguments += {QStringLiteral("-o"), QStringLiteral("out-%1.prn").arg(++m_count)};
        }
        const ProcessResult result = run(arguments);
        EXPECT_EQ(result.exitCode, 0) << result.err.constData();
        ++m_run;
    }

    int count() const { return m_run; }

private:
    TempDir m_dir;
    int m_count = 0;
    int m_run = 0;
};

} // namespace

TEST(CliExamples, TheManualsCommandExamplesSucceed)
{
    Examples examples;
    for (const QString &line : manualExamples("man/zanto.1")) {
        if (line.startsWith(QStringLiteral("zanto ")))
            examples.expectSuccess(line);
    }
    EXPECT_GE(examples.count(), 8);
}

TEST(CliExamples, TheReadmesProfileExamplesSucceed)
{
    Examples examples;
    for (const QString &line : readmeCommands(QStringLiteral("### Printer profiles")))
        examples.expectSuccess(line);
    EXPECT_GE(examples.count(), 6);
}

TEST(CliExamples, TheConfigurationManualsExampleFileIsAValidProfileFile)
{
    const QStringList lines = manualExamples("man/zanto.conf.5");
    ASSERT_FALSE(lines.isEmpty());
    Examples examples;
    writeFile(
        examples.configFolder() + QStringLiteral("/zanto.conf"), lines.join(u'\n').toUtf8() + '\n');
    // The translation file it names, beside it.
    ProcessResult result = examples.run({QStringLiteral("translation"), QStringLiteral("save"),
        examples.configFolder() + QStringLiteral("/invoice-epson.CTT"),
        QStringLiteral("--translate"), QStringLiteral("126=45")});
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    for (const char *line :
        {"zanto profiles", "zanto profiles show invoices", "zanto print -P invoices invoice.txt",
            "zanto profiles save invoices2 --from invoices --left-offset 4",
            "zanto profiles delete invoices"})
        examples.expectSuccess(QLatin1String(line));
    result = examples.run(
        {QStringLiteral("profiles"), QStringLiteral("show"), QStringLiteral("invoices2")});
    EXPECT_TRUE(result.out.contains("timeout ")) << result.out.constData();
    EXPECT_TRUE(result.out.contains("invoice-epson.CTT")) << result.out.constData();
}
