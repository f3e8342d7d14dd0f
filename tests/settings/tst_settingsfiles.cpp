// The component's settings file operations on real files: names, messages,
// reasons, and the component's state after every failure.
#include "bytes.h"
#include "settingsfailure.h"
#include "systemreason.h"
#include "tempdir.h"

#include <zantoquiller/exceptions.h>
#include <zantoquiller/platform/datafile.h>
#include <zantoquiller/settingsfilename.h>
#include <zantoquiller/zantoquiller.h>

#include <gtest/gtest.h>

#include <cerrno>

#include <QDir>
#include <QFile>

#include <functional>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

using namespace Zanto;
using ZantoTest::bytes;
using ZantoTest::Failure;
using ZantoTest::failureOf;
using ZantoTest::osReason;
using ZantoTest::randomTable;
using ZantoTest::readFile;
using ZantoTest::TempDir;
using ZantoTest::writeFile;

namespace {

QByteArray entry(const QByteArray &key, const QByteArray &value)
{
    return char(key.size()) + key + char(value.size()) + value;
}

const QByteArray codesMagic("ZantoquillerControlCodes");
const QByteArray tableMagic("ZantoquillerTranslationTable");

// A component whose tables differ from every file the tests load, to see
// that a failed load leaves them alone.
class Marked : public TZantoquiller
{
public:
    Marked()
    {
        SetCodeTable(randomTable(99));
        TransIn() = {"q", "r"};
        TransOut() = {"Q", "R"};
    }
    bool untouched() const
    {
        return CodeTable() == randomTable(99) && TransIn() == QByteArrayList {"q", "r"}
        && TransOut() == QByteArrayList {"Q", "R"};
    }
};

// A file in the program's folder, removed again by the test.
class ProgramFolderFile
{
public:
    explicit ProgramFolderFile(const QString &stem)
        : bareName(QStringLiteral("zanto-test-%1-%2").arg(::getpid()).arg(stem))
    { }
    ~ProgramFolderFile()
    {
        for (const QString &suffix : {QString(), QStringLiteral(".PCC"), QStringLiteral(".CTT")})
            QFile::remove(programDirectory() + bareName + suffix);
    }
    const QString bareName;
};

} // namespace

TEST(SettingsFileName, DefaultExtensionAndProgramFolder)
{
    const QString dir = QStringLiteral("/opt/app/");
    EXPECT_EQ(
        resolveSettingsFileName(QStringLiteral("laser"), u".PCC", dir), u"/opt/app/laser.PCC");
    EXPECT_EQ(
        resolveSettingsFileName(QStringLiteral("codes.txt"), u".PCC", dir), u"/opt/app/codes.txt");
    EXPECT_EQ(
        resolveSettingsFileName(QStringLiteral("/tmp/x/laser"), u".PCC", dir), u"/tmp/x/laser.PCC");
    EXPECT_EQ(resolveSettingsFileName(QStringLiteral("/tmp/x.d/laser"), u".CTT", dir),
        u"/tmp/x.d/laser.CTT");
    EXPECT_EQ(
        resolveSettingsFileName(QStringLiteral("sub/laser.pcc"), u".PCC", dir), u"sub/laser.pcc");
    // A name ending in "." has an extension, an empty one.
    EXPECT_EQ(resolveSettingsFileName(QStringLiteral("laser."), u".PCC", dir), u"/opt/app/laser.");
    EXPECT_EQ(resolveSettingsFileName(QStringLiteral("./laser"), u".CTT", dir), u"./laser.CTT");
}

TEST(SettingsFileName, ProgramFolderIsTheExecutablesFolder)
{
    const QString dir = programDirectory();
    ASSERT_TRUE(dir.endsWith(u'/'));
    EXPECT_TRUE(QFile::exists(dir + QStringLiteral("settings_files")));
}

TEST(PrinterCodesFiles, EveryCodeOfEveryTypeSurvivesSaveAndLoad)
{
    TempDir dir;
    for (unsigned seed = 1; seed <= 10; ++seed) {
        TZantoquiller saver;
        saver.SetCodeTable(randomTable(seed));
        saver.SavePrinterCodes(dir.filePath(QStringLiteral("codes")));
        Marked loader;
        loader.LoadPrinterCodes(dir.filePath(QStringLiteral("codes.PCC")));
        EXPECT_EQ(loader.CodeTable(), randomTable(seed)) << seed;
        EXPECT_EQ(loader.TransIn(), QByteArrayList({"q", "r"}));
    }
}

TEST(PrinterCodesFiles, ASavedDefaultTableIs871BytesPlusTheCodes)
{
    TempDir dir;
    TZantoquiller component;
    component.SavePrinterCodes(dir.filePath(QStringLiteral("default.PCC")));
    const QByteArray file = dir.read(QStringLiteral("default.PCC"));
    EXPECT_EQ(file.size(), 871 + 140);
    EXPECT_TRUE(file.startsWith(codesMagic));
    // The sample file is exactly this.
    EXPECT_EQ(file,
        readFile(
            qEnvironmentVariable("ZANTO_SOURCE_DIR") + QStringLiteral("/examples/builtin.PCC")));

    component.SetCodeTable(TCodeTable {});
    component.SavePrinterCodes(dir.filePath(QStringLiteral("empty.PCC")));
    EXPECT_EQ(dir.read(QStringLiteral("empty.PCC")).size(), 871);
}

TEST(PrinterCodesFiles, SavingReplacesALongerFile)
{
    TempDir dir;
    dir.write(QStringLiteral("c.PCC"), QByteArray(5000, 'x'));
    TZantoquiller component;
    component.SavePrinterCodes(dir.filePath(QStringLiteral("c")));
    EXPECT_EQ(dir.read(QStringLiteral("c.PCC")).size(), 1011);
}

TEST(PrinterCodesFiles, AMissingFileIsNamedAsGiven)
{
    TempDir dir;
    Marked component;
    const QString given = dir.filePath(QStringLiteral("laser"));
    const Failure failure = failureOf([&] { component.LoadPrinterCodes(given); });
    EXPECT_EQ(failure.type, u"EInOutError");
    EXPECT_EQ(failure.message, QStringLiteral("File Not Found: ") + given);
    EXPECT_EQ(failure.reason, given + QStringLiteral(".PCC: ") + osReason(ENOENT));
    EXPECT_TRUE(component.untouched());

    // A folder is not a file.
    QDir(dir.path()).mkdir(QStringLiteral("folder.PCC"));
    const QString folder = dir.filePath(QStringLiteral("folder"));
    EXPECT_EQ(failureOf([&] { component.LoadPrinterCodes(folder); }).message,
        QStringLiteral("File Not Found: ") + folder);
    EXPECT_TRUE(component.untouched());
}

TEST(PrinterCodesFiles, ABareNameLiesInTheProgramFolder)
{
    const ProgramFolderFile laser(QStringLiteral("laser"));
    Marked component;
    Failure failure = failureOf([&] { component.LoadPrinterCodes(laser.bareName); });
    EXPECT_EQ(failure.message, QStringLiteral("File Not Found: ") + laser.bareName);
    EXPECT_EQ(failure.reason,
        programDirectory() + laser.bareName + QStringLiteral(".PCC: ") + osReason(ENOENT));

    TZantoquiller saver;
    saver.SetCodeTable(randomTable(7));
    saver.SavePrinterCodes(laser.bareName);
    qsizetype codeBytes = 0;
    for (const TPrinterCodes &record : randomTable(7))
        for (int field = 0; field < TPrinterCodes::FieldCount; ++field)
            codeBytes += record.field(field).size();
    EXPECT_EQ(readFile(programDirectory() + laser.bareName + QStringLiteral(".PCC")).size(),
        871 + codeBytes);
    component.LoadPrinterCodes(laser.bareName);
    EXPECT_EQ(component.CodeTable(), randomTable(7));

    // An extension of its own is kept.
    const ProgramFolderFile text(QStringLiteral("codes.txt"));
    saver.SavePrinterCodes(text.bareName);
    EXPECT_TRUE(QFile::exists(programDirectory() + text.bareName));
    EXPECT_FALSE(QFile::exists(programDirectory() + text.bareName + QStringLiteral(".PCC")));
}

TEST(PrinterCodesFiles, WrongContentIsAnInvalidFormat)
{
    TempDir dir;
    QByteArray oneLetter = codesMagic;
    oneLetter[0] = 'z';
    const QList<QByteArray> contents {
        QByteArray(),
        codesMagic.left(23),
        oneLetter + entry("BoldOn", "x"),
        QByteArray("ZantoquillerControlcodes") + entry("BoldOn", "x"),
        tableMagic + bytes({'~', 0}),
    };
    for (const QByteArray &content : contents) {
        dir.write(QStringLiteral("bad.PCC"), content);
        Marked component;
        const Failure failure
            = failureOf([&] { component.LoadPrinterCodes(dir.filePath(QStringLiteral("bad"))); });
        EXPECT_EQ(failure.type, u"EInOutError");
        EXPECT_EQ(failure.message, u"Invalid File Format") << content.constData();
        EXPECT_EQ(failure.reason,
            dir.filePath(QStringLiteral("bad.PCC"))
                + QStringLiteral(": does not begin with "
                                 "\"ZantoquillerControlCodes\""));
        EXPECT_TRUE(component.untouched());
    }
}

TEST(PrinterCodesFiles, AHandMadeFileLoads)
{
    // An unknown key in the middle, a 25-byte value, keys in another order,
    // a key twice, then a zero key length before more entries.
    QByteArray long25;
    for (int i = 1; i <= 25; ++i)
        long25 += char(i);
    const QByteArray file = codesMagic + entry("BoldOn", bytes({27, 69})) + entry("Set12cpi", "12")
        + entry("Colour", "red") + entry("SubOn", long25) + entry("BoldOff", "1")
        + entry("BoldOff", "2") + entry("BoldOn", "e") + bytes({0}) + entry("BoldOn", "i");
    TempDir dir;
    dir.write(QStringLiteral("hand.PCC"), file);
    Marked component;
    component.LoadPrinterCodes(dir.filePath(QStringLiteral("hand.PCC")));
    TCodeTable expected {};
    expected[ptHPPCL].BoldOn.assign(bytes({27, 69}));
    expected[ptHPPCL].Set12cpi.assign("12");
    expected[ptHPPCL].SubOn.assign(long25.left(20));
    expected[ptHPPCL].BoldOff.assign("2");
    expected[ptEpson].BoldOn.assign("e");
    EXPECT_EQ(component.CodeTable(), expected);
    // The translation table is not part of it.
    EXPECT_EQ(component.TransIn(), QByteArrayList({"q", "r"}));
}

// A saved file cut at every length: each load either fails with "Invalid
// File Format", saying where the file ends, and changes nothing, or loads
// exactly the entries wholly in the file.
TEST(SettingsFiles, EveryLengthOfASavedFileLoadsWholeOrNotAtAll)
{
    TempDir dir;
    TZantoquiller saver;
    saver.SetCodeTable(randomTable(5));
    saver.TransIn() = {"~", bytes({0}), "^", "!"};
    saver.TransOut() = {bytes({27, 71}), {}, QByteArray(200, '\x1b'), bytes({0})};
    const QString codesPath = dir.filePath(QStringLiteral("whole.PCC"));
    const QString tablePath = dir.filePath(QStringLiteral("whole.CTT"));
    saver.SavePrinterCodes(codesPath);
    saver.SaveTranslationTable(tablePath);

    const struct
    {
        QString path;
        qsizetype magicSize;
        std::function<void(TZantoquiller &, const QString &)> load;
        // Whether each entry the component holds is the saved one, whole.
        std::function<bool(const TZantoquiller &)> holdsSavedEntries;
        std::function<bool(const TZantoquiller &)> holdsEverything;
    } formats[] = {
        {codesPath, codesMagic.size(), &TZantoquiller::LoadPrinterCodes,
            [&](const TZantoquiller &component) {
                for (int type = 0; type < PrinterTypeCount; ++type)
                    for (int field = 0; field < TPrinterCodes::FieldCount; ++field) {
                        const TCodeString &code = component.CodeTable()[type].field(field);
                        if (!code.isEmpty() && code != saver.CodeTable()[type].field(field))
                            return false;
                    }
                return true;
            },
            [&](const TZantoquiller &component) {
                return component.CodeTable() == saver.CodeTable();
            }},
        {tablePath, tableMagic.size(), &TZantoquiller::LoadTranslationTable,
            [&](const TZantoquiller &component) {
                const qsizetype count = component.TransIn().size();
                return component.TransOut().size() == count
                    && component.TransIn() == saver.TransIn().first(count)
                    && component.TransOut() == saver.TransOut().first(count);
            },
            [&](const TZantoquiller &component) {
                return component.TransIn() == saver.TransIn()
                    && component.TransOut() == saver.TransOut();
            }},
    };
    for (const auto &format : formats) {
        const QByteArray whole = readFile(format.path);
        const QString cutPath = format.path + QStringLiteral(".cut");
        int loaded = 0;
        // One component while loads fail, as making one takes a while.
        auto component = std::make_unique<Marked>();
        for (qsizetype length = 0; length <= whole.size(); ++length) {
            writeFile(cutPath, whole.left(length));
            const Failure failure = failureOf([&] { format.load(*component, cutPath); });
            if (failure.type == u"<none>") {
                ++loaded;
                ASSERT_TRUE(format.holdsSavedEntries(*component)) << length;
                component = std::make_unique<Marked>();
                continue;
            }
            ASSERT_EQ(failure.message, u"Invalid File Format") << length;
            ASSERT_TRUE(component->untouched()) << length;
            if (length >= format.magicSize) {
                ASSERT_TRUE(failure.reason.startsWith(
                    cutPath + QStringLiteral(": the file ends at byte %1 inside ").arg(length)))
                    << failure.reason.toStdString();
            }
        }
        // The whole file loads, as does every cut between entries.
        format.load(*component, format.path);
        EXPECT_TRUE(format.holdsEverything(*component));
        EXPECT_EQ(loaded, format.path == codesPath ? 92 : 5);
    }
}

TEST(PrinterCodesFiles, SavingIntoAMissingFolderIsPermissionDenied)
{
    TempDir dir;
    const QString name = dir.filePath(QStringLiteral("missing/codes"));
    TZantoquiller component;
    const Failure failure = failureOf([&] { component.SavePrinterCodes(name); });
    EXPECT_EQ(failure.type, u"EInOutError");
    EXPECT_EQ(failure.message, u"Permission Denied");
    EXPECT_EQ(failure.reason, name + QStringLiteral(".PCC: ") + osReason(ENOENT));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("missing"))));

    // Nor can a folder be written.
    QDir(dir.path()).mkdir(QStringLiteral("folder.PCC"));
    EXPECT_EQ(failureOf([&] {
        component.SavePrinterCodes(dir.filePath(QStringLiteral("folder")));
    }).message,
        u"Permission Denied");
}

TEST(PrinterCodesFiles, SavingOntoAFullDeviceIsDiskFull)
{
    TempDir dir;
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), dir.filePath(QStringLiteral("full.PCC"))));
    TZantoquiller component;
    const Failure failure
        = failureOf([&] { component.SavePrinterCodes(dir.filePath(QStringLiteral("full"))); });
    EXPECT_EQ(failure.type, u"EInOutError");
    EXPECT_EQ(failure.message, u"Disk Full");
    EXPECT_EQ(failure.reason,
        dir.filePath(QStringLiteral("full.PCC")) + QStringLiteral(": ") + osReason(ENOSPC));
}

TEST(PrinterCodesFiles, AFileBeingWrittenCannotBeLoadedNorWrittenTwice)
{
    TempDir dir;
    TZantoquiller component;
    const QString path = dir.filePath(QStringLiteral("busy.PCC"));
    component.SavePrinterCodes(path);
    {
        Platform::FileReplacement writer
            = Platform::FileReplacement::begin(QFile::encodeName(path).toStdString());
        ASSERT_TRUE(writer.isOpen());
        Marked loader;
        const Failure failure = failureOf([&] { loader.LoadPrinterCodes(path); });
        EXPECT_EQ(failure.message, u"Permission Denied");
        EXPECT_EQ(failure.reason, path + QStringLiteral(": being written by another program"));
        EXPECT_TRUE(loader.untouched());
        EXPECT_EQ(
            failureOf([&] { component.SavePrinterCodes(path); }).message, u"Permission Denied");
    }
    // A file being read is not replaced under its reader.
    component.SavePrinterCodes(path);
    const QByteArray before = readFile(path);
    Platform::DataFile reader
        = Platform::DataFile::openForReading(QFile::encodeName(path).toStdString());
    ASSERT_TRUE(reader.isOpen());
    TZantoquiller other;
    other.SetCodeTable(TCodeTable {});
    const Failure failure = failureOf([&] { other.SavePrinterCodes(path); });
    EXPECT_EQ(failure.message, u"Permission Denied");
    EXPECT_EQ(failure.reason, path + QStringLiteral(": in use by another program"));
    EXPECT_EQ(readFile(path), before);
}

TEST(PrinterCodesFiles, NeitherAFifoNorAnUnreadableFileHoldsTheCaller)
{
    TempDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe.PCC"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    Marked component;
    Failure failure = failureOf([&] { component.LoadPrinterCodes(fifo); });
    EXPECT_EQ(failure.message, u"Permission Denied");
    EXPECT_EQ(failure.reason, fifo + QStringLiteral(": not a regular file"));
    // No reader: the save fails at once instead of waiting for one.
    failure = failureOf([&] { component.SavePrinterCodes(fifo); });
    EXPECT_EQ(failure.message, u"Permission Denied");
    EXPECT_EQ(failure.reason, fifo + QStringLiteral(": ") + osReason(ENXIO));

    // A regular file whose reading fails: reported, not taken for its end.
    const QString memory = dir.filePath(QStringLiteral("memory.PCC"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/proc/self/mem"), memory));
    failure = failureOf([&] { component.LoadPrinterCodes(memory); });
    EXPECT_EQ(failure.message, u"Invalid File Format");
    EXPECT_EQ(failure.reason, memory + QStringLiteral(": ") + osReason(EIO));
    EXPECT_TRUE(component.untouched());
}

TEST(TranslationTableFiles, ZeroDuplicatesAndEmptyReplacementsSurviveSaveAndLoad)
{
    TempDir dir;
    QByteArray longest;
    for (int i = 0; i < 255; ++i)
        longest += char(255 - i);
    const QByteArrayList in {bytes({0}), "~", "~", "A", "a", bytes({255}), bytes({0})};
    const QByteArrayList out {bytes({27, 0}), {}, bytes({27, 71}), longest, "x", bytes({0}), {}};
    TZantoquiller saver;
    saver.SetTransIn(in);
    saver.SetTransOut(out);
    saver.SaveTranslationTable(dir.filePath(QStringLiteral("table")));
    EXPECT_EQ(
        dir.read(QStringLiteral("table.CTT")).size(), 28 + 7 * 2 + 2 + 0 + 2 + 255 + 1 + 1 + 0);
    Marked loader;
    loader.LoadTranslationTable(dir.filePath(QStringLiteral("table")));
    EXPECT_EQ(loader.TransIn(), in);
    EXPECT_EQ(loader.TransOut(), out);
    EXPECT_EQ(loader.CodeTable(), randomTable(99));
}

TEST(TranslationTableFiles, OnlyTheMagicEmptiesTheTable)
{
    TempDir dir;
    dir.write(QStringLiteral("empty.CTT"), tableMagic);
    Marked component;
    component.LoadTranslationTable(dir.filePath(QStringLiteral("empty")));
    EXPECT_TRUE(component.TransIn().isEmpty());
    EXPECT_TRUE(component.TransOut().isEmpty());
}

TEST(TranslationTableFiles, TheInvoiceSampleIsTheEpsonMarkup)
{
    TZantoquiller component;
    component.TransIn() = {"~", "^", "!", "|"};
    component.TransOut()
        = {bytes({27, 71}), bytes({27, 72}), bytes({27, 45, 49}), bytes({27, 45, 48})};
    TempDir dir;
    component.SaveTranslationTable(dir.filePath(QStringLiteral("invoice")));
    EXPECT_EQ(dir.read(QStringLiteral("invoice.CTT")),
        readFile(qEnvironmentVariable("ZANTO_SOURCE_DIR")
            + QStringLiteral("/examples/invoice-epson.CTT")));
}

TEST(TranslationTableFiles, AMissingFileAndABareName)
{
    const ProgramFolderFile invoice(QStringLiteral("invoice"));
    Marked component;
    Failure failure = failureOf([&] { component.LoadTranslationTable(invoice.bareName); });
    EXPECT_EQ(failure.message, QStringLiteral("File Not Found: ") + invoice.bareName);
    EXPECT_EQ(failure.reason,
        programDirectory() + invoice.bareName + QStringLiteral(".CTT: ") + osReason(ENOENT));
    EXPECT_TRUE(component.untouched());

    TZantoquiller saver;
    saver.TransIn() = {"~"};
    saver.TransOut() = {bytes({27, 71})};
    saver.SaveTranslationTable(invoice.bareName);
    EXPECT_EQ(readFile(programDirectory() + invoice.bareName + QStringLiteral(".CTT")),
        tableMagic + bytes({'~', 2, 27, 71}));
    component.LoadTranslationTable(invoice.bareName);
    EXPECT_EQ(component.TransIn(), QByteArrayList({"~"}));
}

TEST(TranslationTableFiles, WrongContentIsAnInvalidFormat)
{
    TempDir dir;
    for (const QByteArray &content : {QByteArray(), tableMagic.left(27),
             QByteArray("ZantoquillerTranslationtable"), codesMagic + entry("BoldOn", "x")}) {
        dir.write(QStringLiteral("bad.CTT"), content);
        Marked component;
        const Failure failure = failureOf(
            [&] { component.LoadTranslationTable(dir.filePath(QStringLiteral("bad"))); });
        EXPECT_EQ(failure.message, u"Invalid File Format") << content.constData();
        EXPECT_EQ(failure.reason,
            dir.filePath(QStringLiteral("bad.CTT"))
                + QStringLiteral(": does not begin with "
                                 "\"ZantoquillerTranslationTable\""));
        EXPECT_TRUE(component.untouched());
    }
}

TEST(TranslationTableFiles, ATableTheFileCannotHoldIsRefusedBeforeWriting)
{
    TempDir dir;
    const QString path = dir.filePath(QStringLiteral("keep.CTT"));
    const QByteArray old = tableMagic + bytes({'a', 1, 'A'});
    dir.write(QStringLiteral("keep.CTT"), old);

    TZantoquiller component;
    component.TransIn() = {"~", "^"};
    component.TransOut() = {bytes({27, 71}), QByteArray(256, 'x')};
    Failure failure = failureOf([&] { component.SaveTranslationTable(path); });
    EXPECT_EQ(failure.type, u"EConvertError");
    EXPECT_EQ(failure.message,
        u"Replacement too long: TransOut entry 1 (character 94) has 256 "
        u"bytes, a translation table file holds at most 255");
    EXPECT_EQ(readFile(path), old);

    component.TransOut() = {bytes({27, 71})};
    failure = failureOf([&] { component.SaveTranslationTable(path); });
    EXPECT_EQ(failure.type, u"EConvertError");
    EXPECT_EQ(failure.message,
        u"Replacement missing: TransIn entry 1 (character 94) has no TransOut entry");
    EXPECT_EQ(readFile(path), old);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("new.CTT"))));
}

TEST(TranslationTableFiles, SaveFailures)
{
    TempDir dir;
    TZantoquiller component;
    component.TransIn() = {"~"};
    component.TransOut() = {"x"};
    Failure failure = failureOf(
        [&] { component.SaveTranslationTable(dir.filePath(QStringLiteral("no/table"))); });
    EXPECT_EQ(failure.message, u"Permission Denied");
    EXPECT_EQ(failure.reason,
        dir.filePath(QStringLiteral("no/table.CTT")) + QStringLiteral(": ") + osReason(ENOENT));

    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), dir.filePath(QStringLiteral("full.CTT"))));
    failure
        = failureOf([&] { component.SaveTranslationTable(dir.filePath(QStringLiteral("full"))); });
    EXPECT_EQ(failure.message, u"Disk Full");
    EXPECT_EQ(failure.reason,
        dir.filePath(QStringLiteral("full.CTT")) + QStringLiteral(": ") + osReason(ENOSPC));
}
