// The options that read the input as UTF-8 text in a code page:
//   --codepage NAME       convert UTF-8 input into code page NAME
//   --strict              refuse to print when a character does not convert
//   --no-transliterate    no plain stand-ins for typographic characters
//   --codepage-only       convert, but send no command that selects the
//                         printer's character table
// What does not convert becomes "?" and is reported on standard error with
// the place of the first. With --strict the whole input is checked before
// anything is sent; standard input and pipes, which cannot be read twice,
// are kept in a temporary file meanwhile.
#pragma once

#include <zantoquiller/private/codepageinput.h>

#include <QCommandLineParser>
#include <QTemporaryFile>

#include <memory>

namespace Zanto {
class AnsiCodePage;
class PrinterLanguage;
class TZantoquiller;
} // namespace Zanto

namespace Zanto::Cli {

class InputFile;

class CodePageOptions
{
public:
    void addTo(QCommandLineParser &parser);
    // Reads the options and makes the code page the process-wide one. An
    // unknown code page, or --strict or --no-transliterate without
    // --codepage, is a UsageError.
    void apply(const QCommandLineParser &parser);
    bool converts() const { return m_page != nullptr; }
    // With a language, the command that selects the printer's table of the
    // code page goes after the component's job start codes; a code page the
    // language cannot select is a UsageError unless --codepage-only. A
    // language without selectable tables gets the text converted alone.
    void selectTable(const PrinterLanguage *language, TZantoquiller &component) const;

    // What the print reads: input itself, or its text converted. With
    // --strict, input that does not convert is reported and fails the
    // command here (std::runtime_error).
    QIODevice &text(InputFile &input);
    // Reports what did not convert, on standard error.
    void report() const;

private:
    // Reads input to its end through the conversion; what does not convert
    // is reported and fails the command.
    void check(QIODevice &input) const;
    // The input again, from where the check began.
    QIODevice &rewound(InputFile &input);

    const AnsiCodePage *m_page = nullptr;
    bool m_strict = false;
    bool m_transliterate = true;
    bool m_convertOnly = false;
    std::unique_ptr<QTemporaryFile> m_copy;
    std::unique_ptr<CodePageInput> m_converted;
};

} // namespace Zanto::Cli
