// A printer's Profile page of zanto-printer-app: a change sent through its
// form (with the CSRF token of the page, as a browser sends it) changes the
// printer's next job exactly as the same change in a profile given to
// `zanto print` does; a value zanto refuses is refused with zanto's reason
// and changes nothing; the settings outlive a restart and go with the
// printer.
#include "printerappprocess.h"
#include "processrunner.h"
#include "tempdir.h"

#include <cups/cups.h>

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QUrl>

using namespace ZantoTest;

namespace {

using Fields = QList<std::pair<QString, QString>>;

struct Page
{
    int status = 0;
    QByteArray body;
};

// A GET of path, or a POST of fields as a form, on the app's web server.
Page request(quint16 port, const QString &path, const Fields *fields = nullptr)
{
    Page page;
    http_t *http = httpConnect2(
        "127.0.0.1", port, nullptr, AF_INET, HTTP_ENCRYPTION_NEVER, 1, 5000, nullptr);
    if (!http)
        return page;
    httpClearFields(http);
    httpSetField(http, HTTP_FIELD_HOST, "127.0.0.1");
    const QByteArray resource = path.toUtf8();
    bool sent = false;
    if (fields) {
        QByteArray body;
        for (const auto &[name, value] : *fields)
            body += (body.isEmpty() ? "" : "&") + QUrl::toPercentEncoding(name) + '='
                + QUrl::toPercentEncoding(value);
        httpSetField(http, HTTP_FIELD_CONTENT_TYPE, "application/x-www-form-urlencoded");
        httpSetLength(http, size_t(body.size()));
        sent = httpPost(http, resource.constData()) == 0
            && httpWrite2(http, body.constData(), size_t(body.size())) == body.size();
    } else {
        sent = httpGet(http, resource.constData()) == 0;
    }
    if (sent) {
        http_status_t status;
        while ((status = httpUpdate(http)) == HTTP_STATUS_CONTINUE)
            ;
        page.status = int(status);
        char buffer[8192];
        ssize_t got;
        while ((got = httpRead2(http, buffer, sizeof buffer)) > 0)
            page.body.append(buffer, got);
    }
    httpClose(http);
    return page;
}

QString pagePath(const QString &printer)
{
    return QStringLiteral("/%1/profile").arg(printer);
}

QString unescaped(QString html)
{
    for (const auto &[entity, character] :
        {std::pair {"&quot;", "\""}, std::pair {"&#39;", "'"}, std::pair {"&apos;", "'"},
            std::pair {"&lt;", "<"}, std::pair {"&gt;", ">"}, std::pair {"&amp;", "&"}})
        html.replace(QLatin1String(entity), QLatin1String(character));
    return html;
}

// The page's banner after a POST: what was saved or why not.
QString banner(const Page &page)
{
    static const QRegularExpression pattern(
        QStringLiteral("<div class=\"banner\"[^>]*>(.*?)</div>"));
    return unescaped(pattern.match(QString::fromUtf8(page.body)).captured(1));
}

// Sends fields through the form of the page at path as a browser does: the
// token of the form it was given goes back with them.
Page submitTo(const PrinterAppProcess &app, const QString &path, Fields fields)
{
    const Page form = request(app.port(), path);
    EXPECT_EQ(form.status, 200);
    static const QRegularExpression token(QStringLiteral("name=\"session\" value=\"([^\"]+)\""));
    fields.prepend(
        {QStringLiteral("session"), token.match(QString::fromUtf8(form.body)).captured(1)});
    return request(app.port(), path, &fields);
}

Page submit(const PrinterAppProcess &app, const QString &printer, const Fields &fields)
{
    return submitTo(app, pagePath(printer), fields);
}

// Seventy lines: page breaks, lines wider than the columns, letters outside
// ASCII for the code page.
QByteArray sampleText()
{
    QByteArray text;
    for (int line = 1; line <= 70; ++line)
        text += "Line " + QByteArray::number(line) + "\tK\xc3\xb6ln \xc3\xa9t\xc3\xa9 "
            + QByteArray(line % 9 == 0 ? 95 : 10, 'x') + '\n';
    return text;
}

// The shipped profile's text with changes: a key's line replaced (taken
// out for an empty value), or added at the end.
QByteArray changedProfile(const QString &profile, const Fields &changes)
{
    QStringList lines
        = QString::fromUtf8(readFile(qEnvironmentVariable("ZANTO_SOURCE_DIR")
                                + QStringLiteral("/profiles/") + profile + QStringLiteral(".conf")))
              .split(u'\n');
    for (const auto &[key, value] : changes) {
        const QString line = QStringLiteral("%1 = %2").arg(key, value);
        const qsizetype at = lines.indexOf(
            QRegularExpression(QStringLiteral("^%1\\s*=.*").arg(QRegularExpression::escape(key))));
        if (at < 0)
            lines.append(line);
        else if (value.isEmpty())
            lines.removeAt(at);
        else
            lines[at] = line;
    }
    return lines.join(u'\n').toUtf8() + '\n';
}

// What `zanto print -P profile` prints for text with the profile changed
// as changes say, in the user's own profile file; its standard error in
// refusal.
QByteArray zantoPrint(const QString &profile, const Fields &changes, const QByteArray &text,
    QString *refusal = nullptr)
{
    TempDir dir;
    dir.write(QStringLiteral("in.txt"), text);
    QDir(dir.path()).mkpath(QStringLiteral("config/zantoquiller"));
    dir.write(QStringLiteral("config/zantoquiller/zanto.conf"), changedProfile(profile, changes));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    const ProcessResult result
        = runZanto({QStringLiteral("print"), QStringLiteral("-P"), profile, QStringLiteral("-o"),
                       dir.filePath(QStringLiteral("out")), dir.filePath(QStringLiteral("in.txt"))},
            {}, environment);
    if (refusal) {
        EXPECT_EQ(result.exitCode, 2);
        *refusal = QString::fromLocal8Bit(result.err).trimmed();
        return {};
    }
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    return dir.read(QStringLiteral("out"));
}

QString fileDevice(const PrinterAppProcess &app, const QString &name)
{
    writeFile(app.filePath(name), {});
    return QStringLiteral("file:") + app.filePath(name);
}

// What the app's next job on printer writes to its file device.
QByteArray nextJob(const PrinterAppProcess &app, const QString &printer, const QByteArray &text)
{
    const int job = app.printText(printer, text);
    EXPECT_GT(job, 0);
    const PrinterAppProcess::JobEnd end = app.waitForJob(printer, job);
    EXPECT_EQ(end.state, IPP_JSTATE_COMPLETED) << end.message.toStdString();
    return readFile(app.filePath(printer));
}

QString profileFile(const PrinterAppProcess &app, const QString &printer)
{
    return app.stateDir() + QStringLiteral("/printers/") + printer + QStringLiteral(".conf");
}

const QString Profile = QStringLiteral("epson-9pin");
const QString Printer = QStringLiteral("matrix");

TEST(PrinterAppSettings, AChangeOnThePagePrintsAsTheSameChangeInAProfile)
{
    PrinterAppProcess app;
    app.start();
    app.addPrinter(Printer, Profile, fileDevice(app, Printer));
    const Page shown = request(app.port(), pagePath(Printer));
    ASSERT_EQ(shown.status, 200);
    EXPECT_TRUE(shown.body.contains("<option value=\"escp-9pin\" selected>"));
    EXPECT_TRUE(shown.body.contains("name=\"line-width\" value=\"80\""));
    EXPECT_TRUE(shown.body.contains("name=\"init\" value=\"27,64\""));

    // Each step keeps the ones before, as the printer's profile does.
    const QList<Fields> steps {
        {{QStringLiteral("line-width"), QStringLiteral("60")},
            {QStringLiteral("lines-per-page"), QStringLiteral("30")}},
        {{QStringLiteral("pitch"), QStringLiteral("12")},
            {QStringLiteral("lpi"), QStringLiteral("8")}},
        {{QStringLiteral("codepage"), QStringLiteral("cp850")}},
        {{QStringLiteral("init"), QStringLiteral("27,64,27,77")},
            {QStringLiteral("finish"), QStringLiteral("12")},
            {QStringLiteral("eject"), QStringLiteral("no")}},
        {{QStringLiteral("language"), QStringLiteral("escp-24pin")},
            {QStringLiteral("codepage"), QString()}},
    };
    const QByteArray text = sampleText();
    Fields changes;
    QByteArray before = zantoPrint(Profile, {}, text);
    EXPECT_EQ(nextJob(app, Printer, text), before);
    for (const Fields &step : steps) {
        SCOPED_TRACE(step.constFirst().first.toStdString());
        changes += step;
        const Page saved = submit(app, Printer, step);
        EXPECT_EQ(saved.status, 200);
        EXPECT_EQ(banner(saved), QStringLiteral("Changes saved."));
        const QByteArray expected = zantoPrint(Profile, changes, text);
        EXPECT_NE(expected, before);
        EXPECT_EQ(nextJob(app, Printer, text), expected);
        before = expected;
    }

    EXPECT_EQ(app.stop(), 0) << app.log().toStdString();
    app.start();
    const Page again = request(app.port(), pagePath(Printer));
    EXPECT_TRUE(again.body.contains("<option value=\"escp-24pin\" selected>"));
    EXPECT_TRUE(again.body.contains("name=\"line-width\" value=\"60\""));
    EXPECT_EQ(nextJob(app, Printer, text), before);
}

TEST(PrinterAppSettings, RefusedValuesAreToldInZantosWordsAndChangeNothing)
{
    PrinterAppProcess app;
    app.start();
    app.addPrinter(Printer, Profile, fileDevice(app, Printer));
    const QByteArray kept = readFile(profileFile(app, Printer));
    ASSERT_FALSE(kept.isEmpty());
    const QList<std::pair<QString, QString>> bad {
        {QStringLiteral("line-width"), QStringLiteral("abc")},
        {QStringLiteral("lines-per-page"), QStringLiteral("-3")},
        {QStringLiteral("codepage"), QStringLiteral("windows-1252")},
        {QStringLiteral("language"), QStringLiteral("klingon")},
        {QStringLiteral("pitch"), QStringLiteral("11")},
        {QStringLiteral("lpi"), QStringLiteral("0")},
        {QStringLiteral("init"), QStringLiteral("27,300")},
    };
    static const QRegularExpression place(QStringLiteral("^zanto print: .*\\.conf:\\d+: "));
    for (const auto &[key, value] : bad) {
        SCOPED_TRACE(key.toStdString());
        QString told;
        zantoPrint(Profile, {{key, value}}, "text\n", &told);
        ASSERT_TRUE(place.match(told).hasMatch()) << told.toStdString();
        told.remove(place);
        const Page refused = submit(app, Printer, {{key, value}});
        EXPECT_EQ(banner(refused), QStringLiteral("Not saved: ") + told);
        EXPECT_EQ(readFile(profileFile(app, Printer)), kept);
    }
    // A line break would make a key of its own.
    EXPECT_TRUE(
        banner(submit(app, Printer, {{QStringLiteral("init"), QStringLiteral("27\nport = LPT2")}}))
            .startsWith(QStringLiteral("Not saved: ")));
    // A form without the page's token is not taken.
    Fields forged {{QStringLiteral("session"), QStringLiteral("forged")},
        {QStringLiteral("line-width"), QStringLiteral("40")}};
    EXPECT_EQ(banner(request(app.port(), pagePath(Printer), &forged)),
        QStringLiteral("Invalid form submission."));
    EXPECT_EQ(readFile(profileFile(app, Printer)), kept);
    EXPECT_EQ(nextJob(app, Printer, sampleText()), zantoPrint(Profile, {}, sampleText()));
}

TEST(PrinterAppSettings, AProfileFileDamagedWhileStoppedFailsJobsUntilThePageMendsIt)
{
    PrinterAppProcess app;
    app.start();
    app.addPrinter(Printer, Profile, fileDevice(app, Printer));
    EXPECT_EQ(app.stop(), 0);
    const QString path = profileFile(app, Printer);
    writeFile(path, readFile(path).replace("line-width = 80", "line-width = wide"));
    app.start();
    const int job = app.printText(Printer, sampleText());
    ASSERT_GT(job, 0);
    const PrinterAppProcess::JobEnd end = app.waitForJob(Printer, job);
    EXPECT_EQ(end.state, IPP_JSTATE_ABORTED);
    EXPECT_TRUE(end.message.contains(QLatin1String("line-width: 'wide'")))
        << end.message.toStdString();
    EXPECT_EQ(readFile(app.filePath(Printer)), QByteArray());

    const Fields mended {{QStringLiteral("line-width"), QStringLiteral("70")}};
    EXPECT_EQ(banner(submit(app, Printer, mended)), QStringLiteral("Changes saved."));
    EXPECT_EQ(nextJob(app, Printer, sampleText()), zantoPrint(Profile, mended, sampleText()));
}

TEST(PrinterAppSettings, ThePrintersProfileGoesWithIt)
{
    PrinterAppProcess app;
    app.start();
    app.addPrinter(Printer, Profile, fileDevice(app, Printer));
    ASSERT_TRUE(QFile::exists(profileFile(app, Printer)));
    EXPECT_EQ(banner(submit(app, Printer, {{QStringLiteral("line-width"), QStringLiteral("40")}})),
        QStringLiteral("Changes saved."));
    // Through PAPPL's own page: its `delete -d` finds no printer id in
    // PAPPL 1.3.
    submitTo(app, QStringLiteral("/%1/delete").arg(Printer), {});
    EXPECT_TRUE(app.printers().isEmpty());
    EXPECT_FALSE(QFile::exists(profileFile(app, Printer)));
    // A printer added again under the name starts from the profile.
    app.addPrinter(Printer, Profile, fileDevice(app, Printer));
    EXPECT_EQ(nextJob(app, Printer, sampleText()), zantoPrint(Profile, {}, sampleText()));
}

} // namespace
