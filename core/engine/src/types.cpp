#include <zantoquiller/types.h>

#include <algorithm>

namespace Zanto {

void TCodeString::assign(QByteArrayView bytes)
{
    m_length = static_cast<std::uint8_t>(std::min<qsizetype>(bytes.size(), Capacity));
    std::copy_n(bytes.data(), m_length, m_bytes.begin());
    std::fill(m_bytes.begin() + m_length, m_bytes.end(), '\0');
}

namespace {

constexpr std::array<TCodeString TPrinterCodes::*, TPrinterCodes::FieldCount> fieldMembers {
    &TPrinterCodes::BoldOn,
    &TPrinterCodes::BoldOff,
    &TPrinterCodes::ItalicOn,
    &TPrinterCodes::ItalicOff,
    &TPrinterCodes::UnderOn,
    &TPrinterCodes::UnderOff,
    &TPrinterCodes::SuperOn,
    &TPrinterCodes::SuperOff,
    &TPrinterCodes::SubOn,
    &TPrinterCodes::SubOff,
    &TPrinterCodes::Set10cpi,
    &TPrinterCodes::Set12cpi,
    &TPrinterCodes::Set15cpi,
};

constexpr std::array<const char *, TPrinterCodes::FieldCount> fieldNames {
    "BoldOn",
    "BoldOff",
    "ItalicOn",
    "ItalicOff",
    "UnderOn",
    "UnderOff",
    "SuperOn",
    "SuperOff",
    "SubOn",
    "SubOff",
    "Set10cpi",
    "Set12cpi",
    "Set15cpi",
};

using CodeBytes = std::initializer_list<unsigned char>;

TPrinterCodes codesFrom(std::initializer_list<CodeBytes> values)
{
    TPrinterCodes codes;
    int index = 0;
    for (CodeBytes value : values) {
        const QByteArray bytes(
            reinterpret_cast<const char *>(std::data(value)), static_cast<qsizetype>(value.size()));
        codes.field(index++).assign(bytes);
    }
    return codes;
}

} // namespace

const char *TPrinterCodes::fieldName(int index)
{
    return fieldNames.at(static_cast<std::size_t>(index));
}

int TPrinterCodes::fieldIndex(QByteArrayView name)
{
    const auto found = std::find_if(
        fieldNames.begin(), fieldNames.end(), [name](const char *field) { return name == field; });
    return found == fieldNames.end() ? -1 : static_cast<int>(found - fieldNames.begin());
}

TCodeString &TPrinterCodes::field(int index)
{
    return this->*fieldMembers.at(static_cast<std::size_t>(index));
}

const TCodeString &TPrinterCodes::field(int index) const
{
    return this->*fieldMembers.at(static_cast<std::size_t>(index));
}

// The codes are listed as decimal byte values, in field order.
TCodeTable builtInCodeTable()
{
    TCodeTable table;
    table[ptHPPCL] = codesFrom({
        {27, 40, 115, 51, 66}, // BoldOn     ESC ( s 3 B
        {27, 40, 115, 48, 66}, // BoldOff    ESC ( s 0 B
        {27, 40, 115, 49, 83}, // ItalicOn   ESC ( s 1 S
        {27, 40, 115, 48, 83}, // ItalicOff  ESC ( s 0 S
        {27, 38, 100, 49, 68}, // UnderOn    ESC & d 1 D
        {27, 38, 100, 64}, // UnderOff   ESC & d @
        {27, 40, 115, 43, 49, 117, 54, 86}, // SuperOn    ESC ( s + 1 u 6 V
        {27, 40, 115, 48, 117, 49, 50, 86}, // SuperOff   ESC ( s 0 u 1 2 V
        {27, 40, 115, 45, 49, 117, 54, 86}, // SubOn      ESC ( s - 1 u 6 V
        {27, 40, 115, 48, 117, 49, 50, 86}, // SubOff     ESC ( s 0 u 1 2 V
        {27, 40, 115, 49, 48, 72}, // Set10cpi   ESC ( s 1 0 H
        {27, 40, 115, 49, 50, 72}, // Set12cpi   ESC ( s 1 2 H
        {27, 40, 115, 49, 53, 72}, // Set15cpi   ESC ( s 1 5 H
    });
    table[ptEpson] = codesFrom({
        {27, 71},
        {27, 72},
        {27, 52},
        {27, 53},
        {27, 45, 49},
        {27, 45, 48},
        {27, 83, 48},
        {27, 84},
        {27, 83, 49},
        {27, 84},
        {27, 80},
        {27, 77},
        {27, 103},
    });
    table[ptIBM] = codesFrom({
        {27, 69},
        {27, 70},
        {27, 37, 71},
        {27, 37, 72},
        {27, 45, 49},
        {27, 45, 48},
        {27, 83, 48},
        {27, 84},
        {27, 83, 49},
        {27, 84},
        {18},
        {27, 58},
        {27, 103},
    });
    return table;
}

} // namespace Zanto
