// The byte interpreter on hostile jobs: values beyond what the printer
// language allows, sheets that never end, jobs of endless sheets, and
// character sets whose characters are terminal controls.
#include "collectedpages.h"
#include "tempdir.h"

#include <zantoquiller/codepage.h>
#include <zantoquiller/preview/outputfile.h>
#include <zantoquiller/preview/textpagewriter.h>
#include <zantoquiller/types.h>

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFileInfo>

using namespace Zanto;
using namespace Zanto::Preview;
using namespace PreviewTest;
using namespace ZantoTest;

namespace {

PrinterSetup setupFor(TPrinterType type)
{
    PrinterSetup setup;
    setup.type = type;
    setup.codes = builtInCodeTable()[type];
    return setup;
}

// The lines of every sheet as text, "|" between lines, "/" between sheets.
QString sheetsText(const CollectedPages &pages)
{
    QString text;
    for (const Page &page : pages.pages) {
        if (!text.isEmpty())
            text += u'/';
        for (std::size_t i = 0; i < page.lines.size(); ++i)
            text += (i ? QStringLiteral("|") : QString()) + lineText(page, page.lines[i]);
    }
    return text;
}

} // namespace

TEST(PreviewHostileJobs, ValuesBeyondTheLanguageAreClampedAndReported)
{
    constexpr qint32 Cell120 = UnitsPerInch / 120;
    struct Case
    {
        QByteArray job;
        QString text; // of the sheets, as sheetsText gives it
        qint32 firstX; // of the first character
        qint32 firstWidth;
        QByteArray reported; // the sequence listed
        bool clamped; // as a value out of range; else as unknown
    };
    const std::vector<Case> cases {
        // A pitch of 5000 characters an inch would make a cell of no width,
        // and the tab after it divided by it.
        {"\x1b(s5000H\tA", "A", 8 * Cell120, Cell120, "\x1b(s5000H", true},
        {"\x1b&k0.001H\tA", "A", 8 * Cell120, Cell120, "\x1b&k0.001H", true},
        {"\x1b&k100000000HAB", "A", 0, 10 * UnitsPerInch, "\x1b&k100000000H", true},
        {"\x1b&k32767HA", "A", 0, 10 * UnitsPerInch, "\x1b&k32767H", true},
        {"\x1b(s0.01HA", "A", 0, 10 * UnitsPerInch, "\x1b(s0.01H", true},
        // "1e" is a parameter E of its own, which HP does not have; 20 H is
        // a cell of 20/120 inch.
        {"\x1b&k1e20H\tA", "A", 8 * 20 * Cell120, 20 * Cell120, "\x1b&k1e20H", false},
        // Raster data of 20 digits: 32767 bytes are passed over.
        {"\x1b*b99999999999999999999W" + QByteArray(32767, 'x') + "A", "A", 0, UnitsPerInch / 10,
            "\x1b*b99999999999999999999W", true},
        {"\x1b*b-99999999999999999999W", "", 0, 0, "\x1b*b-99999999999999999999W", true},
        // A line spacing of 2083333333 inches: each line feed a new sheet.
        {"\x1b&l99999999999CA\nB", "A/B", 0, UnitsPerInch / 10, "\x1b&l99999999999C", true},
        {"\x1b&l0.0001CA\nB", "AB", 0, UnitsPerInch / 10, "", false},
        {"\x1b&l-5CA\nB", "A|B", 0, UnitsPerInch / 10, "\x1b&l-5C", false},
        // To the right edge: the character is cut, as text past the margin is.
        {"\x1b&a99999999999CA", "", 0, 0, "\x1b&a99999999999C", true},
        {"\x1b&a-99999999999CA", "A", 0, UnitsPerInch / 10, "\x1b&a-99999999999C", true},
        {"\x1b&l99999999999PA", "A", 0, UnitsPerInch / 10, "\x1b&l99999999999P", true},
        // The data length of a lower-case w, combined with another
        // command, counts as that of W: the three bytes are not printed.
        {"\x1b*b3w0MABCxyz", "xyz", 0, UnitsPerInch / 10, "", false},
        {"\x1b*b3W0MABCxyz", "BCxyz", 0, UnitsPerInch / 10, "", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(readableBytes(c.job.left(40)).constData());
        for (const int chunk : {0, 1}) {
            PrinterSetup setup = setupFor(ptHPPCL);
            CollectedPages pages;
            ByteInterpreter interpreter(setup, pages);
            for (qsizetype at = 0; at < c.job.size(); at += chunk ? chunk : c.job.size())
                interpreter.feed(QByteArrayView(c.job).sliced(
                    at, std::min<qsizetype>(chunk ? chunk : c.job.size(), c.job.size() - at)));
            interpreter.finish();
            EXPECT_EQ(sheetsText(pages), c.text);
            if (!c.text.isEmpty()) {
                const Glyph &first = pages.pages.at(0).lines.at(0).glyphs.at(0);
                EXPECT_EQ(first.x, c.firstX);
                EXPECT_EQ(first.width, c.firstWidth);
            }
            if (c.reported.isEmpty()) {
                EXPECT_EQ(interpreter.unknownSequenceCount(), 0);
                continue;
            }
            ASSERT_EQ(interpreter.unknownSequenceCount(), 1);
            const UnknownSequence &listed = interpreter.unknownSequences().at(0);
            EXPECT_EQ(listed.bytes, c.reported);
            EXPECT_EQ(listed.offset, 0);
            EXPECT_EQ(listed.clamped, c.clamped);
            // Shown in place like an unknown sequence.
            EXPECT_EQ(pages.pages.at(0).markers.size(), 1u);
        }
    }
}

TEST(PreviewHostileJobs, ASheetKeepsAtMostItsCapsAndCountsTheRest)
{
    constexpr int MostCharacters = ByteInterpreter::MostCharactersPerSheet;
    constexpr int MostMarkers = ByteInterpreter::MostMarkersPerSheet;
    struct Case
    {
        TPrinterType type;
        QByteArray job;
        qint64 charactersLeftOut;
        qint64 markersLeftOut;
        std::size_t lines; // on the first sheet
    };
    QByteArray upAndDown = "\n";
    for (int i = 0; i < 5000; ++i)
        upAndDown += "A\x1b]A\n";
    const std::vector<Case> cases {
        // No line spacing: a line that never ends, each character struck
        // over the one before.
        {ptEpson,
            QByteArray("\x1b"
                       "3\0",
                3)
                + QByteArray(MostCharacters + 5000, 'A'),
            5000, 0, 1},
        {ptPlain, QByteArray("A\r").repeated(MostCharacters), 0, 0, 1},
        {ptPlain, QByteArray("A\r").repeated(MostCharacters + 7), 7, 0, 1},
        {ptEpson, QByteArray(MostMarkers + 300, '\x01'), 0, 300, 0},
        {ptDiablo, QByteArray(MostMarkers, '\x01') + "A", 0, 0, 1},
        // Up and down between two lines: two lines, however long the job.
        {ptIBM, upAndDown, 0, 0, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(readableBytes(c.job.left(12)).constData());
        CollectedPages pages;
        ByteInterpreter interpreter(setupFor(c.type), pages);
        interpreter.feed(c.job);
        interpreter.finish();
        ASSERT_EQ(pages.pages.size(), 1u);
        const Page &page = pages.pages[0];
        std::size_t glyphs = 0;
        for (const Line &line : page.lines)
            glyphs += line.glyphs.size();
        EXPECT_LE(glyphs, std::size_t(MostCharacters));
        EXPECT_LE(page.markers.size(), std::size_t(MostMarkers));
        EXPECT_EQ(page.lines.size(), c.lines);
        const LeftOut &leftOut = interpreter.leftOut();
        EXPECT_EQ(leftOut.characters, c.charactersLeftOut);
        EXPECT_EQ(leftOut.markers, c.markersLeftOut);
        const bool full = c.charactersLeftOut + c.markersLeftOut > 0;
        EXPECT_EQ(leftOut.sheets, full ? 1 : 0);
        EXPECT_EQ(leftOut.firstPage, full ? 1 : 0);
        // Every unknown byte is still counted.
        EXPECT_EQ(interpreter.unknownSequenceCount(), c.job.count('\x01'));
    }

    // The caps are per sheet: the next sheet starts empty.
    CollectedPages pages;
    ByteInterpreter interpreter(setupFor(ptPlain), pages);
    const QByteArray full = QByteArray("A\r").repeated(MostCharacters + 5);
    interpreter.feed(full + "\f" + full + "\fA\f" + full);
    interpreter.finish();
    ASSERT_EQ(pages.pages.size(), 4u);
    EXPECT_EQ(pages.pages[2].lines.at(0).glyphs.size(), 1u);
    EXPECT_EQ(interpreter.leftOut().characters, 15);
    EXPECT_EQ(interpreter.leftOut().sheets, 3);
    EXPECT_EQ(interpreter.leftOut().firstPage, 1);
}

TEST(PreviewHostileJobs, TheSheetLimitStopsTheJob)
{
    struct Case
    {
        TPrinterType type;
        QByteArray job;
        int limit;
        int sheets;
        bool stopped;
    };
    const std::vector<Case> cases {
        {ptPlain, QByteArray(100, '\f'), 10, 10, true},
        {ptPlain, QByteArray(10, '\f'), 10, 10, false},
        {ptPlain, QByteArray(10, '\f') + "x", 10, 10, true},
        {ptPlain, "x", 1, 1, false},
        {ptPlain, "", 1, 1, false},
        // 255/180 inch at a time.
        {ptEpson, QByteArray(5000, 'J').replace("J", "\x1bJ\xff"), 500, 500, true},
        {ptHPPCL, QByteArray(30, 'a').replace("a", "\x1b&l99999999999Ca\n"), 12, 12, true},
        {ptPlain, QByteArray(20000, '\f'), ByteInterpreter::DefaultSheetLimit,
            ByteInterpreter::DefaultSheetLimit, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(readableBytes(c.job.left(12)).constData());
        CollectedPages pages;
        ByteInterpreter interpreter(setupFor(c.type), pages);
        if (c.limit != ByteInterpreter::DefaultSheetLimit)
            interpreter.setSheetLimit(c.limit);
        for (qsizetype at = 0; at < c.job.size(); at += 7)
            interpreter.feed(
                QByteArrayView(c.job).sliced(at, std::min<qsizetype>(7, c.job.size() - at)));
        interpreter.finish();
        EXPECT_TRUE(pages.finished);
        EXPECT_EQ(int(pages.pages.size()), c.sheets);
        EXPECT_EQ(interpreter.pageCount(), c.sheets);
        EXPECT_EQ(interpreter.stoppedAtSheetLimit(), c.stopped);
        for (std::size_t i = 0; i < pages.pages.size(); ++i)
            EXPECT_EQ(pages.pages[i].number, int(i + 1));
    }
}

TEST(PreviewHostileJobs, TextFormShowsControlCharactersOfTheCharacterSetAsBytes)
{
    struct Case
    {
        const char16_t *charset;
        QByteArray job;
        QByteArray text;
    };
    const std::vector<Case> cases {
        // ISO 8859's C1 controls, CSI (155) and NEL (133) among them.
        {u"iso-8859-1",
            "a\x9b"
            "2J\x85\x80\x9f\xa0\xe9z",
            "a<155>2J<133><128><159>\xc2\xa0\xc3\xa9z\n"},
        {u"iso-8859-15", "\x9b\xa4", "<155>\xe2\x82\xac\n"},
        // The same bytes are printable characters of code page 437.
        {u"cp437", "\x9b\x85", "\xc2\xa2\xc3\xa0\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(readableBytes(c.job).constData());
        PrinterSetup setup = setupFor(ptPlain);
        setup.codePage = AnsiCodePage::find(c.charset);
        ASSERT_NE(setup.codePage, nullptr);
        for (const bool attributes : {false, true}) {
            QBuffer out;
            out.open(QIODevice::WriteOnly);
            TextPageWriter writer(out, attributes);
            ByteInterpreter interpreter(setup, writer);
            interpreter.feed(c.job);
            interpreter.finish();
            EXPECT_EQ(out.data(), c.text);
            EXPECT_FALSE(QString::fromUtf8(out.data()).contains(QChar(0x9b)));
        }
    }
}

TEST(PreviewOutputFile, NothingReachesTheNameBeforeCommitAndLinksAreReplaced)
{
    TempDir dir;
    const QString precious = dir.filePath(QStringLiteral("precious"));
    writeFile(precious, "keep me");
    const auto names = [&dir] {
        return QDir(dir.path())
            .entryList(
                QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    };
    struct Case
    {
        const char *name;
        QByteArray before; // the old file's content; "->" + a name: a link to it
        bool commit;
    };
    const std::vector<Case> cases {
        {"new", {}, true},
        {"new-given-up", {}, false},
        {"old", "old content", true},
        {"old-given-up", "old content", false},
        {"link", "->precious", true},
        {"link-given-up", "->precious", false},
        {"dangling-link", "->not-there", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = dir.filePath(QLatin1String(c.name));
        const QFileDevice::Permissions privateMode = QFileDevice::ReadOwner
            | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser;
        if (c.before.startsWith("->")) {
            ASSERT_TRUE(QFile::link(dir.filePath(QString::fromLatin1(c.before.mid(2))), name));
        } else if (!c.before.isNull()) {
            writeFile(name, c.before);
            ASSERT_TRUE(QFile::setPermissions(name, privateMode));
        }
        const QStringList namesBefore = names();
        {
            OutputFile file(name);
            ASSERT_TRUE(file.open()) << file.errorString().toStdString();
            ASSERT_EQ(file.device().write("new content"), 11);
            // Written, not yet committed: the name shows what it did.
            EXPECT_EQ(names().size(), namesBefore.size() + 1);
            if (!c.before.isNull() && !c.before.startsWith("->")) {
                EXPECT_EQ(readFile(name), c.before);
            }
            EXPECT_EQ(readFile(precious), QByteArray("keep me"));
            if (c.commit) {
                EXPECT_TRUE(file.commit()) << file.errorString().toStdString();
            }
        }
        // No temporary file stays, and a link is never written through.
        QStringList expected = namesBefore;
        if (c.before.isNull() && c.commit)
            expected.append(QLatin1String(c.name));
        expected.sort();
        EXPECT_EQ(names(), expected) << names().join(u' ').toStdString();
        EXPECT_EQ(readFile(precious), QByteArray("keep me"));
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("not-there"))));
        if (c.commit) {
            EXPECT_FALSE(QFileInfo(name).isSymLink());
            EXPECT_EQ(readFile(name), QByteArray("new content"));
            // A file replaced keeps its mode.
            if (!c.before.isNull() && !c.before.startsWith("->")) {
                EXPECT_EQ(QFileInfo(name).permissions(), privateMode);
            }
        } else if (c.before.startsWith("->")) {
            EXPECT_TRUE(QFileInfo(name).isSymLink());
        }
    }

    // A device is written in place.
    OutputFile null(QStringLiteral("/dev/null"));
    ASSERT_TRUE(null.open()) << null.errorString().toStdString();
    EXPECT_EQ(null.device().write("x"), 1);
    EXPECT_TRUE(null.commit());
    EXPECT_TRUE(QFileInfo(QStringLiteral("/dev/null")).exists());
    EXPECT_FALSE(QFileInfo(QStringLiteral("/dev/null")).isFile());
}
