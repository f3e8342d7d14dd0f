#include "languagetables.h"
#include "pclgrammar.h"

#include <zantoquiller/printerlanguage.h>

#include <algorithm>
#include <array>

namespace Zanto {

namespace {

constexpr unsigned char ESC = 0x1B;
// A list (tab stops) or a line (PJL) longer than this is not waited for.
constexpr qsizetype LongestList = 64;
constexpr qsizetype LongestLine = 4096;

qint64 word(QByteArrayView bytes, qsizetype at)
{
    return static_cast<unsigned char>(bytes[at]) + 256 * static_cast<unsigned char>(bytes[at + 1]);
}

// The length of one command's parameters and data at the start of bytes,
// whose first prefix bytes are the command's own; nullopt when more bytes
// are needed, length 0 when the bytes cannot be this command.
struct Extent
{
    bool needMore = false;
    qsizetype length = 0;
    qint64 data = 0;
    qint64 runLength = 0;
};

Extent extentOf(const LanguageCommand &command, QByteArrayView p)
{
    const qsizetype fixed = command.bytes.size() + command.parameters;
    if (p.size() < fixed)
        return {true};
    const auto at = [&](qsizetype i) { return static_cast<unsigned char>(p[i]); };
    switch (command.length) {
    case CommandLength::Fixed:
        return {false, fixed};
    case CommandLength::UntilNul:
    case CommandLength::UntilRecordSeparator:
    case CommandLength::UntilLineFeed: {
        const char end = command.length == CommandLength::UntilNul  ? '\0'
            : command.length == CommandLength::UntilRecordSeparator ? '\x1e'
                                                                    : '\n';
        const qsizetype limit
            = command.length == CommandLength::UntilNul ? LongestList : LongestLine;
        const qsizetype found = p.sliced(fixed).indexOf(end);
        if (found >= 0 && found < limit)
            return {false, fixed + found + 1};
        if (p.size() - fixed < limit)
            return {true};
        return {false, 0};
    }
    case CommandLength::CountedParameters: {
        const qsizetype total = fixed + word(p, fixed - 2);
        if (p.size() < total)
            return {true};
        return {false, total};
    }
    case CommandLength::CountedData:
        return {false, fixed, word(p, fixed - 2)};
    case CommandLength::CountedData4:
        return {false, fixed, word(p, fixed - 4) + (word(p, fixed - 2) << 16)};
    case CommandLength::ColumnImage:
        return {false, fixed, word(p, fixed - 2) * (at(fixed - 3) >= 32 ? 3 : 1)};
    case CommandLength::ColumnImage2:
        return {false, fixed, word(p, fixed - 2) * 2};
    case CommandLength::ColumnImage3:
        return {false, fixed, word(p, fixed - 2) * 3};
    case CommandLength::RasterImage:
        return {false, fixed, word(p, fixed - 4) * word(p, fixed - 2)};
    case CommandLength::RasterImageBlocks:
        return {false, fixed, qint64(at(fixed - 2)) * at(fixed - 1) * 8};
    case CommandLength::Barcode:
        if (at(fixed - 1) < 65) {
            const qsizetype found = p.sliced(fixed).indexOf('\0');
            if (found >= 0 && found < LongestList)
                return {false, fixed + found + 1};
            if (p.size() - fixed < LongestList)
                return {true};
            return {false, 0};
        }
        if (p.size() < fixed + 1)
            return {true};
        return {false, fixed + 1, at(fixed)};
    case CommandLength::CutMode:
        if (at(fixed - 1) < 65)
            return {false, fixed};
        if (p.size() < fixed + 1)
            return {true};
        return {false, fixed + 1};
    case CommandLength::EscpRaster: {
        // c v h m nL nH: m rows of (n + 7) / 8 bytes.
        const qint64 rowBytes = (word(p, fixed - 2) + 7) / 8;
        const qint64 plain = rowBytes * at(fixed - 3);
        const unsigned char compression = at(fixed - 6);
        if (compression == 0)
            return {false, fixed, plain};
        if (compression != 1)
            return {false, 0};
        // Run-length coded: passed over as its counts say (CommandMatch).
        return {false, fixed, 0, plain};
    }
    case CommandLength::PclParameterised:
        return {false, 0};
    }
    return {false, 0};
}

CommandMatch needMore()
{
    CommandMatch match;
    match.result = CommandMatch::NeedMore;
    return match;
}

} // namespace

PrinterLanguage::PrinterLanguage(const LanguageModel &model) : m_model(model)
{
    m_starts[ESC] = true;
    m_introduces[ESC] = true;
    for (const LanguageCommand &command : m_model.commands) {
        if (command.length == CommandLength::PclParameterised)
            continue;
        const auto first = static_cast<unsigned char>(command.bytes[0]);
        m_starts[first] = true;
        // GS and FS of a receipt printer: an unlisted one is still a command.
        if (command.bytes.size() > 1 && first < 0x20)
            m_introduces[first] = true;
    }
}

QString PrinterLanguage::name() const
{
    return QString::fromLatin1(m_model.name);
}

QString PrinterLanguage::displayName() const
{
    return QString::fromUtf8(m_model.displayName);
}

std::span<const PrinterLanguage> PrinterLanguage::all()
{
    static const std::vector<PrinterLanguage> languages = [] {
        std::vector<PrinterLanguage> made;
        for (const LanguageModel *model : Languages::models())
            made.emplace_back(*model);
        return made;
    }();
    return languages;
}

const PrinterLanguage *PrinterLanguage::find(QStringView name)
{
    for (const PrinterLanguage &language : all()) {
        if (name.compare(QLatin1StringView(language.m_model.name), Qt::CaseInsensitive) == 0)
            return &language;
    }
    return nullptr;
}

QStringList PrinterLanguage::names()
{
    QStringList result;
    for (const PrinterLanguage &language : all())
        result << language.name();
    return result;
}

const PrinterLanguage &PrinterLanguage::forPrinterType(TPrinterType type)
{
    static constexpr std::array<const char *, PrinterTypeCount> keys {
        "pcl5", "escp-24pin", "proprinter", "diablo630", "plain", "plain", "plain"};
    const auto index
        = static_cast<std::size_t>(type >= 0 && type < PrinterTypeCount ? type : ptPlain);
    return *find(QString::fromLatin1(keys[index]));
}

CommandMatch PrinterLanguage::read(QByteArrayView p, bool final) const
{
    CommandMatch match;
    if (p.isEmpty() || !m_starts[static_cast<unsigned char>(p[0])]) {
        match.result = p.isEmpty() ? CommandMatch::NeedMore : CommandMatch::Text;
        return match;
    }
    bool more = false;
    bool pcl = false;
    const LanguageCommand *best = nullptr;
    Extent bestExtent;
    for (const LanguageCommand &command : m_model.commands) {
        if (command.length == CommandLength::PclParameterised) {
            pcl = true;
            continue;
        }
        const qsizetype size = command.bytes.size();
        if (p.size() < size) {
            more = more || command.bytes.startsWith(p);
            continue;
        }
        if (!p.startsWith(command.bytes))
            continue;
        const Extent extent = extentOf(command, p);
        if (extent.needMore) {
            more = true;
        } else if (extent.length > 0
            && (!best || size > best->bytes.size()
                || (size == best->bytes.size() && extent.length > bestExtent.length))) {
            best = &command;
            bestExtent = extent;
        }
    }
    if (pcl && static_cast<unsigned char>(p[0]) == ESC && !best) {
        const PclSequence sequence = readPclSequence(p);
        if (sequence.result == PclSequence::NeedMore) {
            more = true;
        } else if (sequence.result != PclSequence::NotParameterised) {
            if (more && !final)
                return needMore();
            match.result = sequence.result == PclSequence::Complete ? CommandMatch::Found
                                                                    : CommandMatch::Unknown;
            match.length = sequence.length;
            match.dataBytes = sequence.dataBytes;
            match.clamped = sequence.clamped;
            for (const PclCommand &field : sequence.commands) {
                const LanguageCommand *found = nullptr;
                for (const LanguageCommand &command : m_model.commands) {
                    if (command.length == CommandLength::PclParameterised
                        && command.bytes[0] == field.parameterised
                        && command.bytes[1] == field.group
                        && (command.bytes[2] == field.parameter || command.bytes[2] == '\0')) {
                        found = &command;
                        break;
                    }
                }
                match.pclFields.push_back({found, field.value, field.signedValue, field.parameter});
            }
            return match;
        }
    }
    if (more && !final)
        return needMore();
    if (best) {
        match.result = CommandMatch::Found;
        match.command = best;
        match.length = bestExtent.length;
        match.dataBytes = bestExtent.data;
        match.runLengthBytes = bestExtent.runLength;
        return match;
    }
    if (m_introduces[static_cast<unsigned char>(p[0])]) {
        match.result = CommandMatch::Unknown;
        match.length = std::min<qsizetype>(2, p.size());
        return match;
    }
    match.result = CommandMatch::Text;
    return match;
}

} // namespace Zanto
