/// \file
/// The ANSI code page: how text taken from Qt (QString) becomes the single-byte
/// text that is printed, and which bytes are the same letter in another case.
///
/// One code page is in force for the whole process: Windows-1252 unless the
/// application selects another (CP437, CP850, ...). A character the code page
/// lacks becomes "?".
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <zantoquiller/core_export.h>

#include <memory>

namespace Zanto {

/// A single-byte code page: its characters, and which of its bytes are the
/// same letter in another case.
class ZANTOQUILLER_CORE_EXPORT AnsiCodePage
{
public:
    /// The code page known by name (ignoring case), e.g. "windows-1252",
    /// "cp1252", "1252", "cp437", "cp850", "iso-8859-1"; null if none is.
    static const AnsiCodePage *find(QStringView name);
    /// The canonical names of all known code pages.
    static QStringList names();

    /// The canonical name, e.g. "windows-1252".
    const char *name() const;

    /// The character a byte stands for.
    char16_t toUnicode(unsigned char byte) const;
    /// The byte of a character, or '?' when the code page lacks it.
    char fromUnicode(char32_t character) const;

    /// Every character becomes one byte; a surrogate pair is one character.
    QByteArray encode(QStringView text) const;
    /// Every byte becomes the character it stands for.
    QString decode(QByteArrayView bytes) const;

    /// The byte of the lower-case form of byte's character, or byte itself
    /// when that form is not in the code page. Two bytes are the same letter
    /// in different case when their folded bytes are equal.
    unsigned char foldCase(unsigned char byte) const;

    /// Code pages exist only in the library, one for each it knows.
    AnsiCodePage(const AnsiCodePage &) = delete;
    AnsiCodePage &operator=(const AnsiCodePage &) = delete;
    /// Takes over the other code page's table.
    AnsiCodePage(AnsiCodePage &&) noexcept;
    ~AnsiCodePage();

private:
    explicit AnsiCodePage(int tableIndex);
    friend struct AnsiCodePageRegistry;

    struct Private;
    std::unique_ptr<Private> d;
};

/// The code page in force: while a component prints on this thread, the
/// component's own (TZantoquiller::CodePage) if it has one; otherwise the
/// process-wide one, Windows-1252 until setAnsiCodePage changes it. Both may
/// be called from any thread.
ZANTOQUILLER_CORE_EXPORT const AnsiCodePage &ansiCodePage();
/// Makes codePage the process-wide code page (see ansiCodePage()).
ZANTOQUILLER_CORE_EXPORT void setAnsiCodePage(const AnsiCodePage &codePage);

/// text in the code page in force (see AnsiCodePage::encode()).
ZANTOQUILLER_CORE_EXPORT QByteArray toAnsi(QStringView text);
/// bytes of the code page in force (see AnsiCodePage::decode()).
ZANTOQUILLER_CORE_EXPORT QString fromAnsi(QByteArrayView bytes);

} // namespace Zanto
