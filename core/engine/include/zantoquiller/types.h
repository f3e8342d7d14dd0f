/// \file
/// Enumerations and the printer-code record shared by the whole library.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <zantoquiller/core_export.h>

#include <array>
#include <cstdint>

namespace Zanto {
Q_NAMESPACE_EXPORT(ZANTOQUILLER_CORE_EXPORT)

/// Printer family; selects one of the seven code sets. Ordinals are stored in
/// the printer codes file and relied on by the dialogs, so the order is fixed.
enum TPrinterType : int {
    ptHPPCL, ///< HP PCL
    ptEpson, ///< Epson ESC/P
    ptIBM, ///< IBM Proprinter
    ptDiablo, ///< Diablo daisy wheel
    ptPlain, ///< plain text, no codes
    ptUser1, ///< the first user-defined set
    ptUser2 ///< the second user-defined set
};
Q_ENUM_NS(TPrinterType)

// The enumerations have a fixed underlying type: a stored value outside the
// listed ones is legal and is rejected where it is used.
/// Output device of direct prints. The device names map to paths or URIs
/// through the device map (setDevicePath()).
enum TIOPortName : int {
    poLPT1, ///< the device LPT1
    poLPT2, ///< the device LPT2
    poCOM1, ///< the device COM1
    poCOM2, ///< the device COM2
    poCOM3, ///< the device COM3
    poCOM4, ///< the device COM4
    poCurrent, ///< the port of the current printer
    poDisk ///< the file OutputFile
};
Q_ENUM_NS(TIOPortName)

/// Character pitch, in characters per inch.
enum TPitch : int {
    cpi10, ///< 10 characters per inch (pica)
    cpi12, ///< 12 characters per inch (elite)
    cpi15 ///< 15 characters per inch (condensed)
};
Q_ENUM_NS(TPitch)

/// Where a memo print breaks a line that is wider than LineWidth.
enum class WrapRule : int {
    /// The component's rule: a line breaks as soon as it fills the width,
    /// at its last space when the next word goes on; a line exactly as wide
    /// as LineWidth is followed by an empty line.
    Memo,
    /// As fold -w does it: a line breaks only before a character that would
    /// pass the width; tabs advance to tab stops and a form feed ends the
    /// page (the line count restarts).
    Fold,
};
Q_ENUM_NS(WrapRule)

/// The number of printer types.
inline constexpr int PrinterTypeCount = 7;
/// The number of port names.
inline constexpr int PortNameCount = 8;

/// A control code: up to Capacity bytes of any value. Longer values are cut on
/// store. Holds no pointers, so records of codes copy as plain values.
class ZANTOQUILLER_CORE_EXPORT TCodeString
{
public:
    /// The most bytes a code holds.
    static constexpr int Capacity = 20;

    /// An empty code.
    TCodeString() = default;
    /// The first Capacity bytes of bytes.
    TCodeString(QByteArrayView bytes) { assign(bytes); }

    /// Replaces the code by the first Capacity bytes of bytes.
    void assign(QByteArrayView bytes);
    /// The code's bytes, copied.
    QByteArray toByteArray() const { return QByteArray(m_bytes.data(), m_length); }
    /// The code's bytes, valid while the code is.
    QByteArrayView view() const { return QByteArrayView(m_bytes.data(), m_length); }
    /// The number of bytes.
    int size() const { return m_length; }
    /// True when the code has no bytes.
    bool isEmpty() const { return m_length == 0; }
    /// The first byte; not terminated.
    const char *data() const { return m_bytes.data(); }

    friend bool operator==(const TCodeString &a, const TCodeString &b)
    {
        return a.view() == b.view();
    }

private:
    std::uint8_t m_length = 0;
    std::array<char, Capacity> m_bytes {};
};

/// The thirteen control codes of one printer family, in their fixed order.
struct ZANTOQUILLER_CORE_EXPORT TPrinterCodes
{
    TCodeString BoldOn; ///< bold on
    TCodeString BoldOff; ///< bold off
    TCodeString ItalicOn; ///< italic on
    TCodeString ItalicOff; ///< italic off
    TCodeString UnderOn; ///< underline on
    TCodeString UnderOff; ///< underline off
    TCodeString SuperOn; ///< superscript on
    TCodeString SuperOff; ///< superscript off
    TCodeString SubOn; ///< subscript on
    TCodeString SubOff; ///< subscript off
    TCodeString Set10cpi; ///< 10 characters per inch (TPitch::cpi10)
    TCodeString Set12cpi; ///< 12 characters per inch (TPitch::cpi12)
    TCodeString Set15cpi; ///< 15 characters per inch (TPitch::cpi15)

    /// The number of codes in a record.
    static constexpr int FieldCount = 13;

    /// Field names in record order; they are also the printer codes file keys.
    static const char *fieldName(int index);
    /// Index of the field called name, or -1.
    static int fieldIndex(QByteArrayView name);

    /// The field at index, in record order (0 is BoldOn).
    TCodeString &field(int index);
    /// The field at index, in record order (0 is BoldOn).
    const TCodeString &field(int index) const;

    friend bool operator==(const TPrinterCodes &, const TPrinterCodes &) = default;
};

/// One record per printer type, in TPrinterType order.
using TCodeTable = std::array<TPrinterCodes, PrinterTypeCount>;

/// The code table a new component starts with.
ZANTOQUILLER_CORE_EXPORT TCodeTable builtInCodeTable();

} // namespace Zanto
