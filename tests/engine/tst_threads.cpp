// Components printing from several threads at once, each to its own file in
// its own code page, give exactly the bytes of the same prints one after the
// other. Built under ThreadSanitizer too (make tsan).
#include "tempdir.h"

#include <zantoquiller/codepage.h>
#include <zantoquiller/printers.h>
#include <zantoquiller/streamtextsource.h>
#include <zantoquiller/textsource.h>
#include <zantoquiller/zantoquiller.h>

#include <gtest/gtest.h>

#include <QBuffer>

#include <array>
#include <atomic>
#include <thread>

using namespace Zanto;
using namespace ZantoTest;

namespace {

constexpr int ComponentCount = 4;
const std::array<const char16_t *, ComponentCount> codePageNames {
    u"cp437", u"cp850", u"windows-1252", u"iso-8859-1"};

// A text of many lines with letters that each code page encodes in its own
// way, different for every component.
QByteArray textFor(int component)
{
    QByteArray text;
    for (int line = 1; line <= 1500; ++line)
        text += QStringLiteral(
            "%1 Zeile %2: caf\u00e9 Stra\u00dfe \u00e4\u00f6\u00fc \u00bd \u20ac\n")
                    .arg(component)
                    .arg(line)
                    .toUtf8();
    return text;
}

// One print of the component's text into file, as it would run alone.
void print(int component, const QString &file)
{
    TZantoquiller printer;
    printer.SetPort(poDisk);
    printer.SetOutputFile(file);
    printer.SetPrinterType(static_cast<TPrinterType>(component));
    printer.SetOffset(component);
    printer.SetCodePage(AnsiCodePage::find(codePageNames[std::size_t(component)]));
    QByteArray bytes = textFor(component);
    QBuffer input(&bytes);
    input.open(QIODevice::ReadOnly);
    StreamTextSource text(input, StreamTextSource::Breaks::Lines, true);
    PrintMemoText(printer, text);
}

} // namespace

TEST(Threads, FourComponentsPrintAtOnceAsTheyWouldOneAfterTheOther)
{
    TempDir dir;
    std::array<QByteArray, ComponentCount> alone;
    for (int component = 0; component < ComponentCount; ++component) {
        const QString file = dir.filePath(QStringLiteral("alone-%1.prn").arg(component));
        print(component, file);
        alone[std::size_t(component)] = readFile(file);
        ASSERT_FALSE(alone[std::size_t(component)].isEmpty());
    }
    // Each file is in its own code page: "é" is 0x82 in cp437 and cp850, 0xE9
    // in the other two.
    EXPECT_TRUE(alone[0].contains("caf\x82"));
    EXPECT_TRUE(alone[1].contains("caf\x82"));
    EXPECT_TRUE(alone[2].contains("caf\xE9"));
    EXPECT_TRUE(alone[3].contains("caf\xE9"));
    // The euro sign exists in Windows-1252 alone.
    EXPECT_TRUE(alone[2].contains("\x80\r\n"));
    EXPECT_TRUE(alone[3].contains("?\r\n"));

    const AnsiCodePage &processWide = ansiCodePage();
    std::atomic<bool> printing {true};
    // Meanwhile the process-wide state that prints read changes.
    std::thread settings([&printing] {
        const AnsiCodePage *pages[] = {AnsiCodePage::find(u"cp437"), AnsiCodePage::find(u"1252")};
        for (int round = 0; printing.load(); ++round) {
            setAnsiCodePage(*pages[round % 2]);
            setDevicePath(QStringLiteral("LPT2"), QStringLiteral("/dev/null"));
            resetDevicePaths();
            (void)deviceNames();
        }
    });
    for (int round = 0; round < 3; ++round) {
        std::array<std::thread, ComponentCount> threads;
        std::array<QString, ComponentCount> errors;
        for (int component = 0; component < ComponentCount; ++component) {
            threads[std::size_t(component)] = std::thread([&, component] {
                try {
                    print(component,
                        dir.filePath(
                            QStringLiteral("together-%1-%2.prn").arg(round).arg(component)));
                } catch (const Exception &error) {
                    errors[std::size_t(component)] = error.Message();
                }
            });
        }
        for (std::thread &thread : threads)
            thread.join();
        for (int component = 0; component < ComponentCount; ++component) {
            EXPECT_TRUE(errors[std::size_t(component)].isEmpty())
                << errors[std::size_t(component)].toStdString();
            EXPECT_EQ(readFile(dir.filePath(
                          QStringLiteral("together-%1-%2.prn").arg(round).arg(component))),
                alone[std::size_t(component)])
                << "component " << component << ", round " << round;
        }
    }
    printing = false;
    settings.join();
    setAnsiCodePage(processWide);
}

TEST(Threads, AComponentWithoutItsOwnCodePageFollowsTheProcessWideOne)
{
    TempDir dir;
    const AnsiCodePage &saved = ansiCodePage();
    setAnsiCodePage(*AnsiCodePage::find(u"cp850"));
    TZantoquiller printer;
    printer.SetPrinterType(ptPlain);
    printer.SetPort(poDisk);
    printer.SetOutputFile(dir.filePath(QStringLiteral("out.prn")));
    EXPECT_EQ(printer.CodePage(), nullptr);
    QByteArray bytes = QStringLiteral("caf\u00e9\n").toUtf8();
    QBuffer input(&bytes);
    input.open(QIODevice::ReadOnly);
    StreamTextSource text(input, StreamTextSource::Breaks::Lines, true);
    PrintMemoText(printer, text);
    EXPECT_EQ(dir.read(QStringLiteral("out.prn")), QByteArray("caf\x82\r\n"));
    // A print with its own code page leaves the process-wide one as it was.
    printer.SetCodePage(AnsiCodePage::find(u"windows-1252"));
    bytes = QStringLiteral("caf\u00e9\n").toUtf8();
    QBuffer again(&bytes);
    again.open(QIODevice::ReadOnly);
    StreamTextSource second(again, StreamTextSource::Breaks::Lines, true);
    PrintMemoText(printer, second);
    EXPECT_EQ(dir.read(QStringLiteral("out.prn")), QByteArray("caf\xE9\r\n"));
    EXPECT_STREQ(ansiCodePage().name(), "cp850");
    setAnsiCodePage(saved);
}
