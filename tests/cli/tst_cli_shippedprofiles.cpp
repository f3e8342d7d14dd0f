// The shipped printer profiles, as the build tree holds them beside bin/zanto
// (share/zantoquiller/profiles): every profile named in the manual is there,
// each reads through zanto's own profile reader and prints, every printer
// codes file loads through zanto as its listing (profiles/NAME.codes) shows
// it, and each profile's printer type has a pitch code in the table it uses.
#include "processrunner.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>

#include <unistd.h>

using namespace ZantoTest;

namespace {

const QDir profilesDir(QStringLiteral(ZANTO_BUILD_PROFILES_DIR));

QString sourceFile(const QString &path)
{
    return qEnvironmentVariable("ZANTO_SOURCE_DIR") + u'/' + path;
}

// A profile's settings as `zanto profiles show` resolves them through the
// program's own reader: key, value and where the value comes from.
struct Setting
{
    QString value;
    QString origin;
};

QMap<QString, Setting> shownProfile(const QString &name)
{
    const ProcessResult shown
        = runZanto({QStringLiteral("profiles"), QStringLiteral("show"), name});
    EXPECT_EQ(shown.exitCode, 0) << shown.err.constData();
    static const QRegularExpression line(QStringLiteral("^(\\S+) +(.*\\S) +(\\S+)$"));
    QMap<QString, Setting> settings;
    for (const QByteArray &raw : shown.out.split('\n')) {
        const QRegularExpressionMatch match = line.match(QString::fromLocal8Bit(raw));
        if (match.hasMatch())
            settings.insert(match.captured(1), {match.captured(2), match.captured(3)});
    }
    return settings;
}

// `zanto codes show` of a table: per printer type ("ptEpson"), per code
// ("Set10cpi"), its code list.
QMap<QString, QMap<QString, QString>> shownCodes(const QByteArray &listing)
{
    QMap<QString, QMap<QString, QString>> table;
    QString type;
    for (const QByteArray &raw : listing.split('\n')) {
        const QString line = QString::fromLatin1(raw);
        if (line.startsWith(u"pt"))
            type = line;
        else if (!line.trimmed().isEmpty())
            table[type].insert(line.section(u' ', 0, 0, QString::SectionSkipEmpty),
                line.section(u' ', 1, 1, QString::SectionSkipEmpty));
    }
    return table;
}

QByteArray codesShow(const QString &codesFile = {})
{
    QStringList arguments {QStringLiteral("codes"), QStringLiteral("show")};
    if (!codesFile.isEmpty())
        arguments << QStringLiteral("--codes") << codesFile;
    const ProcessResult shown = runZanto(arguments);
    EXPECT_EQ(shown.exitCode, 0) << shown.err.constData();
    return shown.out;
}

// The listings keep no spaces at the ends of lines ("  BoldOff" for an empty
// code, where codes show writes "  BoldOff    ").
QByteArray withoutTrailingSpaces(const QByteArray &text)
{
    static const QRegularExpression trailing(
        QStringLiteral(" +$"), QRegularExpression::MultilineOption);
    return QString::fromLatin1(text).remove(trailing).toLatin1();
}

QStringList namesIn(const QDir &dir, const QString &pattern)
{
    return dir.entryList({pattern}, QDir::Files, QDir::Name);
}

} // namespace

TEST(ShippedProfiles, TheBuildTreeHoldsEveryShippedFile)
{
    const QStringList expected = QStringLiteral(ZANTO_PROFILE_NAMES).split(u',');
    ASSERT_EQ(expected.size(), 10);
    QStringList files;
    for (const QString &name : expected)
        files.append(name + QStringLiteral(".conf"));
    files.sort();
    EXPECT_EQ(namesIn(profilesDir, QStringLiteral("*.conf")), files);
    // ... and the same files as the source folder.
    const QDir source(sourceFile(QStringLiteral("profiles")));
    EXPECT_EQ(namesIn(source, QStringLiteral("*.conf")), files);
    EXPECT_EQ(
        namesIn(profilesDir, QStringLiteral("*.PCC")), namesIn(source, QStringLiteral("*.PCC")));
    for (const QString &file : namesIn(source, QStringLiteral("*.*"))) {
        if (file.endsWith(u".conf") || file.endsWith(u".PCC")) {
            EXPECT_EQ(readFile(profilesDir.filePath(file)), readFile(source.filePath(file)))
                << file.toStdString();
        }
    }
}

// Each profile reads without a problem, states its printer type and layout
// and no destination (that is the user's), prints, and starts its job with
// a pitch code of the table it uses.
TEST(ShippedProfiles, EachReadsStatesItsLayoutAndPrints)
{
    const QMap<QString, QMap<QString, QString>> builtIn = shownCodes(codesShow());
    TempDir dir;
    const QString input = dir.filePath(QStringLiteral("line.txt"));
    writeFile(input, "Hello");
    for (const QString &file : namesIn(profilesDir, QStringLiteral("*.conf"))) {
        SCOPED_TRACE(file.toStdString());
        const QString name = QFileInfo(file).completeBaseName();
        const QString path = profilesDir.filePath(file);
        const QMap<QString, Setting> resolved = shownProfile(name);
        QMap<QString, QString> settings;
        for (auto setting = resolved.begin(); setting != resolved.end(); ++setting) {
            if (setting->origin.startsWith(path + u':'))
                settings.insert(setting.key(), setting->value);
        }
        for (const char *key : {"destination", "output", "to"})
            EXPECT_FALSE(settings.contains(QLatin1String(key))) << key;
        for (const char *key :
            {"printer-type", "line-width", "wrap-rule", "lines-per-page", "eject"})
            EXPECT_TRUE(settings.contains(QLatin1String(key))) << key;
        // Forms as wide as the paper fit.
        EXPECT_EQ(settings.value(QStringLiteral("wrap-rule")), QStringLiteral("fold"));

        const QString output = dir.filePath(name + QStringLiteral(".prn"));
        const ProcessResult printed = runZanto({QStringLiteral("print"), QStringLiteral("-P"), name,
            QStringLiteral("-o"), output, input});
        ASSERT_EQ(printed.exitCode, 0) << printed.err.constData();
        EXPECT_TRUE(readFile(output).contains("Hello\r\n"));

        // The pitch code its job starts with: in its codes file, or built in.
        const QString type = settings.value(QStringLiteral("printer-type"));
        if (type == u"plain")
            continue;
        const QMap<QString, QMap<QString, QString>> table
            = settings.contains(QStringLiteral("codes"))
            ? shownCodes(codesShow(settings.value(QStringLiteral("codes"))))
            : builtIn;
        // codes show names the types ptHPPCL, ptEpson ... ptUser2.
        ASSERT_EQ(table.size(), 7);
        QString typeName;
        for (const QString &shown : table.keys()) {
            if (shown.mid(2).compare(type, Qt::CaseInsensitive) == 0)
                typeName = shown;
        }
        ASSERT_FALSE(typeName.isEmpty()) << type.toStdString();
        const QString pitch = settings.value(QStringLiteral("pitch"), QStringLiteral("10"));
        EXPECT_FALSE(table.value(typeName).value(QStringLiteral("Set%1cpi").arg(pitch)).isEmpty())
            << typeName.toStdString() << " has no code for " << pitch.toStdString() << " cpi";
    }
}

TEST(ShippedProfiles, EveryCodesFileLoadsAsItsListingShowsIt)
{
    const QStringList codesFiles = namesIn(profilesDir, QStringLiteral("*.PCC"));
    ASSERT_FALSE(codesFiles.isEmpty());
    for (const QString &file : codesFiles) {
        const QString listing = sourceFile(
            QStringLiteral("profiles/%1.codes").arg(QFileInfo(file).completeBaseName()));
        EXPECT_EQ(withoutTrailingSpaces(codesShow(profilesDir.filePath(file))), readFile(listing))
            << file.toStdString();
    }
}

// tools/make-codes-file, which writes the shipped codes files from their
// listings, writes the built-in table as the program does.
TEST(ShippedProfiles, TheCodesFileMakerWritesWhatTheProgramWrites)
{
    TempDir dir;
    const QString listing = dir.filePath(QStringLiteral("builtin.codes"));
    writeFile(listing, codesShow());
    const QString made = dir.filePath(QStringLiteral("made.PCC"));
    QProcess maker;
    maker.start(sourceFile(QStringLiteral("tools/make-codes-file")), {listing, made});
    ASSERT_TRUE(maker.waitForFinished(60000));
    ASSERT_EQ(maker.exitCode(), 0) << maker.readAllStandardError().constData();

    const QString saved = dir.filePath(QStringLiteral("saved.PCC"));
    const ProcessResult save = runZanto({QStringLiteral("codes"), QStringLiteral("save"), saved});
    ASSERT_EQ(save.exitCode, 0) << save.err.constData();
    EXPECT_EQ(readFile(made), readFile(saved));
}

// A build tree's zanto reads its own profiles, not those of an installed
// package in a data folder: a different epson-9pin there (12 cpi, near
// letter quality, 40 columns) changes nothing.
TEST(ShippedProfiles, TheProgramsOwnProfilesWinOverTheDataFolders)
{
    TempDir dir;
    const QString installed = dir.filePath(QStringLiteral("share/zantoquiller/profiles"));
    ASSERT_TRUE(QDir().mkpath(installed));
    writeFile(installed + QStringLiteral("/epson-9pin.conf"),
        "[epson-9pin]\nprinter-type = epson\npitch = 12\nline-width = 40\n"
        "lines-per-page = 66\ninit = 27,120,1\neject = no\n");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_DIRS"), dir.filePath(QStringLiteral("share")));

    const ProcessResult shown = runZanto(
        {QStringLiteral("profiles"), QStringLiteral("show"), QStringLiteral("epson-9pin")}, {},
        environment);
    ASSERT_EQ(shown.exitCode, 0) << shown.err.constData();
    EXPECT_TRUE(
        shown.out.contains(profilesDir.filePath(QStringLiteral("epson-9pin.conf")).toUtf8()))
        << shown.out.constData();
    EXPECT_FALSE(shown.out.contains(installed.toUtf8())) << shown.out.constData();

    const QString input = dir.filePath(QStringLiteral("line.txt"));
    const QByteArray line(60, 'x');
    writeFile(input, line);
    const QString output = dir.filePath(QStringLiteral("line.prn"));
    const ProcessResult printed
        = runZanto({QStringLiteral("print"), QStringLiteral("-P"), QStringLiteral("epson-9pin"),
                       QStringLiteral("-o"), output, input},
            {}, environment);
    ASSERT_EQ(printed.exitCode, 0) << printed.err.constData();
    const QByteArray bytes = readFile(output);
    // ESC @, table PC437 in slot 1 and selected (the profile's code page),
    // 10 cpi (ESC P), the 60 columns on one line, the page ejected.
    EXPECT_TRUE(bytes.startsWith(QByteArray("\x1b@\x1b(t\x03\x00\x01\x01\x00\x1bt\x01\x1bP", 15)))
        << bytes.toHex(' ').constData();
    EXPECT_TRUE(bytes.contains(line + "\r\n")) << bytes.toHex(' ').constData();
    EXPECT_TRUE(bytes.endsWith('\f')) << bytes.toHex(' ').constData();
    EXPECT_FALSE(bytes.contains("\x1bx\x01")) << bytes.toHex(' ').constData();
}

// The tests run with every XDG folder of their own in the build tree, beside
// the shipped profiles: nothing of the user's or of an installed package
// reaches them. The run-time folder is private (0700).
TEST(ShippedProfiles, TheTestsHaveXdgFoldersOfTheirOwn)
{
    const QString buildTree = QDir::cleanPath(profilesDir.filePath(QStringLiteral("../../..")));
    for (const char *variable : {"XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME",
             "XDG_CONFIG_DIRS", "XDG_CACHE_HOME", "XDG_STATE_HOME", "XDG_RUNTIME_DIR"}) {
        const QString folder = qEnvironmentVariable(variable);
        EXPECT_TRUE(folder.startsWith(buildTree + u'/')) << variable << '=' << folder.toStdString();
        EXPECT_TRUE(QFileInfo(folder).isDir()) << variable << '=' << folder.toStdString();
    }
    const QFileInfo runtime(qEnvironmentVariable("XDG_RUNTIME_DIR"));
    EXPECT_TRUE(
        runtime.permissions().testFlags(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    EXPECT_FALSE(runtime.permissions()
        & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
            | QFile::WriteOther | QFile::ExeOther));
    EXPECT_EQ(runtime.ownerId(), getuid());
}
