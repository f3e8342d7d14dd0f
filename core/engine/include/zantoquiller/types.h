// Enumerations and the printer-code record shared by the whole library.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <zantoquiller/core_export.h>

#include <array>
#include <cstdint>

namespace Zanto {
Q_NAMESPACE_EXPORT(ZANTOQUILLER_CORE_EXPORT)

// Printer family; selects one of the seven code sets. Ordinals are stored in
// the printer codes file and relied on by the dialogs, so the order is fixed.
enum TPrinterType : int { ptHPPCL, ptEpson, ptIBM, ptDiablo, ptPlain, ptUser1, ptUser2 };
Q_ENUM_NS(TPrinterType)

// Output device of direct prints.
// The enumerations have a fixed underlying type: a stored value outside the
// listed ones is legal and is rejected where it is used.
enum TIOPortName : int { poLPT1, poLPT2, poCOM1, poCOM2, poCOM3, poCOM4, poCurrent, poDisk };
Q_ENUM_NS(TIOPortName)

// Character pitch, in characters per inch.
enum TPitch : int { cpi10, cpi12, cpi15 };
Q_ENUM_NS(TPitch)

// Where a memo print breaks a line that is wider than LineWidth.
enum class WrapRule : int {
    // The component's rule: a line breaks as soon as it fills the width,
    // at its last space when the next word goes on; a line exactly as wide
    // as LineWidth is followed by an empty line.
    Memo,
    // As fold -w does it: a line breaks only before a character that would
    // pass the width; tabs advance to tab stops and a form feed ends the
    // page (the line count restarts).
    Fold,
};
Q_ENUM_NS(WrapRule)

inline constexpr int PrinterTypeCount = 7;
inline constexpr int PortNameCount = 8;

// A control code: up to Capacity bytes of any value. Longer values are cut on
// store. Holds no pointers, so records of codes copy as plain values.
class ZANTOQUILLER_CORE_EXPORT TCodeString
{
public:
    static constexpr int Capacity = 20;

    TCodeString() = default;
    TCodeString(QByteArrayView bytes) { assign(bytes); }

    void assign(QByteArrayView bytes);
    QByteArray toByteArray() const { return QByteArray(m_bytes.data(), m_length); }
    QByteArrayView view() const { return QByteArrayView(m_bytes.data(), m_length); }
    int size() const { return m_length; }
    bool isEmpty() const { return m_length == 0; }
    const char *data() const { return m_bytes.data(); }

    friend bool operator==(const TCodeString &a, const TCodeString &b)
    {
        return a.view() == b.view();
    }

private:
    std::uint8_t m_length = 0;
    std::array<char, Capacity> m_bytes {};
};

// The thirteen control codes of one printer family, in their fixed order.
struct ZANTOQUILLER_CORE_EXPORT TPrinterCodes
{
    TCodeString BoldOn;
    TCodeString BoldOff;
    TCodeString ItalicOn;
    TCodeString ItalicOff;
    TCodeString UnderOn;
    TCodeString UnderOff;
    TCodeString SuperOn;
    TCodeString SuperOff;
    TCodeString SubOn;
    TCodeString SubOff;
    TCodeString Set10cpi;
    TCodeString Set12cpi;
    TCodeString Set15cpi;

    static constexpr int FieldCount = 13;

    // Field names in record order; they are also the printer codes file keys.
    static const char *fieldName(int index);
    // Index of the field called name, or -1.
    static int fieldIndex(QByteArrayView name);

    TCodeString &field(int index);
    const TCodeString &field(int index) const;

    friend bool operator==(const TPrinterCodes &, const TPrinterCodes &) = default;
};

// One record per printer type, in TPrinterType order.
using TCodeTable = std::array<TPrinterCodes, PrinterTypeCount>;

// The code table a new component starts with.
ZANTOQUILLER_CORE_EXPORT TCodeTable builtInCodeTable();

} // namespace Zanto
