// The shipped printer profiles, as the build tree holds them beside bin/zanto
// (share/zantoquiller/profiles): every profile named in the manual is there,
// each file is plain INI with one section of its own name and only known
// keys with sound values, every printer codes file loads through zanto as its
// listing (profiles/NAME.codes) shows it, and each profile's printer type has
// a pitch code in the table it uses.
#include "processrunner.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <zantoquiller/codepage.h>

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

using namespace ZantoTest;

namespace {

const QDir profilesDir(QStringLiteral(ZANTO_BUILD_PROFILES_DIR));

QString sourceFile(const QString &path)
{
    return qEnvironmentVariable("ZANTO_SOURCE_DIR") + u'/' + path;
}

// One profile file read as INI: its sections with their settings, or the
// first problem as "LINE: problem".
struct IniFile
{
    QMap<QString, QMap<QString, QString>> sections;
    QString problem;
};

IniFile readIni(const QByteArray &text)
{
    static const QRegularExpression sectionLine(QStringLiteral("^\\[([A-Za-z0-9_.-]+)\\]$"));
    static const QRegularExpression settingLine(QStringLiteral("^([a-z0-9-]+) *= *(.*)$"));
    IniFile ini;
    QString section;
    int number = 0;
    for (const QByteArray &raw : text.split('\n')) {
        ++number;
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';'))
            continue;
        QRegularExpressionMatch match = sectionLine.match(line);
        if (match.hasMatch()) {
            section = match.captured(1);
            if (ini.sections.contains(section))
                ini.problem = QStringLiteral("%1: section [%2] twice").arg(number).arg(section);
            ini.sections[section];
            continue;
        }
        match = settingLine.match(line);
        if (!match.hasMatch())
            ini.problem = QStringLiteral("%1: not a section or a setting").arg(number);
        else if (section.isEmpty())
            ini.problem = QStringLiteral("%1: a setting outside a section").arg(number);
        else if (ini.sections[section].contains(match.captured(1)))
            ini.problem = QStringLiteral("%1: %2 twice").arg(number).arg(match.captured(1));
        else
            ini.sections[section].insert(match.captured(1), match.captured(2));
        if (!ini.problem.isEmpty())
            break;
    }
    return ini;
}

// The keys of a profile: the long options of zanto print.
const QSet<QString> knownKeys {QStringLiteral("destination"), QStringLiteral("output"),
    QStringLiteral("to"), QStringLiteral("printer-type"), QStringLiteral("pitch"),
    QStringLiteral("left-offset"), QStringLiteral("line-width"), QStringLiteral("lines-per-page"),
    QStringLiteral("line-spacing"), QStringLiteral("no-line-feed"), QStringLiteral("timeout"),
    QStringLiteral("verbatim"), QStringLiteral("from-line"), QStringLiteral("to-line"),
    QStringLiteral("codes"), QStringLiteral("translation"), QStringLiteral("translate"),
    QStringLiteral("codepage"), QStringLiteral("strict"), QStringLiteral("no-transliterate"),
    QStringLiteral("init"), QStringLiteral("finish"), QStringLiteral("eject")};
const QStringList printerTypes {QStringLiteral("hppcl"), QStringLiteral("epson"),
    QStringLiteral("ibm"), QStringLiteral("diablo"), QStringLiteral("plain"),
    QStringLiteral("user1"), QStringLiteral("user2")};

// Why value is not right for key, or nothing.
QString valueProblem(const QString &key, const QString &value)
{
    static const QRegularExpression count(QStringLiteral("^\\d+$"));
    static const QRegularExpression codeList(QStringLiteral("^\\d+(,\\d+)*$"));
    static const QStringList flags {QStringLiteral("yes"), QStringLiteral("no"),
        QStringLiteral("true"), QStringLiteral("false"), QStringLiteral("1"), QStringLiteral("0")};
    if (key == u"printer-type")
        return printerTypes.contains(value) ? QString() : QStringLiteral("unknown type");
    if (key == u"pitch")
        return QStringList {QStringLiteral("10"), QStringLiteral("12"), QStringLiteral("15")}
                   .contains(value)
            ? QString()
            : QStringLiteral("not 10, 12 or 15");
    if (key == u"line-width" || key == u"lines-per-page" || key == u"left-offset"
        || key == u"line-spacing" || key == u"timeout")
        return count.match(value).hasMatch() ? QString() : QStringLiteral("not a count");
    if (key == u"init" || key == u"finish") {
        if (!codeList.match(value).hasMatch())
            return QStringLiteral("not a code list");
        for (const QString &item : value.split(u',')) {
            if (item.toInt() > 255)
                return QStringLiteral("%1 is not a byte").arg(item);
        }
        return {};
    }
    if (key == u"eject" || key == u"no-line-feed" || key == u"strict" || key == u"no-transliterate"
        || key == u"verbatim")
        return flags.contains(value) ? QString() : QStringLiteral("not yes or no");
    if (key == u"codepage")
        return Zanto::AnsiCodePage::find(value) ? QString() : QStringLiteral("unknown code page");
    if (key == u"codes")
        return QFileInfo(profilesDir.filePath(value)).isFile() && value.endsWith(u".PCC")
            ? QString()
            : QStringLiteral("no such codes file beside the profile");
    return {};
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

TEST(ShippedProfiles, EachIsOneSectionOfKnownKeysWithSoundValues)
{
    const QMap<QString, QMap<QString, QString>> builtIn = shownCodes(codesShow());
    for (const QString &file : namesIn(profilesDir, QStringLiteral("*.conf"))) {
        SCOPED_TRACE(file.toStdString());
        const QString name = QFileInfo(file).completeBaseName();
        const IniFile ini = readIni(readFile(profilesDir.filePath(file)));
        ASSERT_TRUE(ini.problem.isEmpty()) << ini.problem.toStdString();
        ASSERT_EQ(ini.sections.keys(), QStringList {name});
        const QMap<QString, QString> settings = ini.sections.value(name);
        for (auto setting = settings.begin(); setting != settings.end(); ++setting) {
            EXPECT_TRUE(knownKeys.contains(setting.key())) << setting.key().toStdString();
            EXPECT_EQ(valueProblem(setting.key(), setting.value()), QString())
                << setting.key().toStdString() << " = " << setting.value().toStdString();
        }
        // A shipped profile knows no destination: that is the user's.
        for (const char *key : {"destination", "output", "to"})
            EXPECT_FALSE(settings.contains(QLatin1String(key))) << key;
        // Its printer type, pitch and layout are always stated.
        for (const char *key : {"printer-type", "line-width", "lines-per-page", "eject"})
            EXPECT_TRUE(settings.contains(QLatin1String(key))) << key;

        // The pitch code its job starts with: in its codes file, or built in.
        const QString type = settings.value(QStringLiteral("printer-type"));
        if (type == u"plain")
            continue;
        const QMap<QString, QMap<QString, QString>> table
            = settings.contains(QStringLiteral("codes"))
            ? shownCodes(codesShow(profilesDir.filePath(settings.value(QStringLiteral("codes")))))
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
