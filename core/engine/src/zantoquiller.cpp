#include "zantoquiller_p.h"

#include <zantoquiller/zantoquiller.h>

namespace Zanto {

TZantoquiller::TZantoquiller(QObject *owner)
    : QObject(owner), d(std::make_unique<TZantoquillerPrivate>())
{
    d->codes = builtInCodeTable();
}

TZantoquiller::~TZantoquiller() = default;

TPrinterType TZantoquiller::PrinterType() const
{
    return d->printerType;
}

void TZantoquiller::SetPrinterType(TPrinterType value)
{
    d->printerType = value;
}

TIOPortName TZantoquiller::Port() const
{
    return d->port;
}

void TZantoquiller::SetPort(TIOPortName value)
{
    d->port = value;
    d->destination.reset();
}

bool TZantoquiller::UseSpooler() const
{
    return d->useSpooler;
}

void TZantoquiller::SetUseSpooler(bool value)
{
    d->useSpooler = value;
}

qint32 TZantoquiller::LeftOffset() const
{
    return d->leftOffset;
}

void TZantoquiller::SetOffset(qint32 value)
{
    if (value < 0)
        throw eZantoquillError(
            QStringLiteral("Invalid Offset! Value must be positive"), ErrorKind::Format);
    if (value > MaxLeftOffset)
        throw eZantoquillError(
            QStringLiteral("Invalid Offset! Maximum %1").arg(MaxLeftOffset), ErrorKind::Format);
    d->leftOffset = value;
}

qint32 TZantoquiller::LinesPerPage() const
{
    return d->linesPerPage;
}

void TZantoquiller::SetLinesPerPage(qint32 value)
{
    d->linesPerPage = value;
}

qint32 TZantoquiller::LineWidth() const
{
    return d->lineWidth;
}

void TZantoquiller::SetLineWidth(qint32 value)
{
    d->lineWidth = value;
}

QString TZantoquiller::OutputFile() const
{
    return d->outputFile;
}

void TZantoquiller::SetOutputFile(const QString &value)
{
    d->outputFile = value;
    d->destination.reset();
}

Destination TZantoquiller::destination() const
{
    if (d->destination)
        return *d->destination;
    if (d->port == poDisk)
        return Destination::file(d->outputFile);
    try {
        return Destination::ofPort(d->port);
    } catch (const EConvertError &) {
        return {}; // a port value out of range names no destination
    }
}

void TZantoquiller::setDestination(const Destination &destination)
{
    d->destination = destination;
}

TPitch TZantoquiller::Pitch() const
{
    return d->pitch;
}

void TZantoquiller::SetPitch(TPitch value)
{
    d->pitch = value;
}

bool TZantoquiller::SendLineFeed() const
{
    return d->sendLineFeed;
}

void TZantoquiller::SetSendLineFeed(bool value)
{
    d->sendLineFeed = value;
}

quint8 TZantoquiller::LineSpacing() const
{
    return d->lineSpacing;
}

void TZantoquiller::SetLineSpacing(quint8 value)
{
    d->lineSpacing = value;
}

bool TZantoquiller::PrintAllPages() const
{
    return d->printAllPages;
}

void TZantoquiller::SetPrintAllPages(bool value)
{
    d->printAllPages = value;
}

qint32 TZantoquiller::PrintRangeStart() const
{
    return d->printRangeStart;
}

void TZantoquiller::SetPrintRangeStart(qint32 value)
{
    d->printRangeStart = value;
}

qint32 TZantoquiller::PrintRangeEnd() const
{
    return d->printRangeEnd;
}

void TZantoquiller::SetPrintRangeEnd(qint32 value)
{
    d->printRangeEnd = value;
}

quint16 TZantoquiller::Timeout() const
{
    return d->timeout;
}

void TZantoquiller::SetTimeout(quint16 value)
{
    d->timeout = value;
}

WrapRule TZantoquiller::wrapRule() const
{
    return d->wrapRule;
}

void TZantoquiller::setWrapRule(WrapRule value)
{
    d->wrapRule = value;
}

qint32 TZantoquiller::tabStops() const
{
    return d->tabStops;
}

void TZantoquiller::setTabStops(qint32 value)
{
    d->tabStops = value;
}

QByteArrayList &TZantoquiller::TransIn()
{
    return d->transIn;
}

const QByteArrayList &TZantoquiller::TransIn() const
{
    return d->transIn;
}

QByteArrayList &TZantoquiller::TransOut()
{
    return d->transOut;
}

const QByteArrayList &TZantoquiller::TransOut() const
{
    return d->transOut;
}

const TCodeTable &TZantoquiller::CodeTable() const
{
    return d->codes;
}

void TZantoquiller::SetCodeTable(const TCodeTable &codes)
{
    d->codes = codes;
}

void TZantoquiller::SetTransIn(const QByteArrayList &value)
{
    SetTransIn(&value);
}

void TZantoquiller::SetTransOut(const QByteArrayList &value)
{
    SetTransOut(&value);
}

namespace {

// The list copy: the own list is emptied and takes every string of the
// source; the source stays the caller's. Copying a list onto itself is a no-op.
void assignList(QByteArrayList &own, const QByteArrayList *value)
{
    if (!value)
        throw EConvertError(
            QStringLiteral("Cannot assign a nil list to a string list"), ErrorKind::Usage);
    if (value == &own)
        return;
    own.clear();
    own.reserve(value->size());
    for (const QByteArray &entry : *value)
        own.append(entry);
}

} // namespace

void TZantoquiller::SetTransIn(const QByteArrayList *value)
{
    assignList(d->transIn, value);
}

void TZantoquiller::SetTransOut(const QByteArrayList *value)
{
    assignList(d->transOut, value);
}

} // namespace Zanto
