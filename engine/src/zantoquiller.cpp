#include <zantoquiller/zantoquiller.h>

namespace Zanto {

TZantoquiller::TZantoquiller(QObject *owner) : QObject(owner), m_codes(builtInCodeTable()) { }

TZantoquiller::~TZantoquiller() = default;

void TZantoquiller::SetOffset(qint32 value)
{
    if (value < 0)
        throw eZantoquillError(QStringLiteral("Invalid Offset! Value must be positive"));
    if (value > MaxLeftOffset)
        throw eZantoquillError(QStringLiteral("Invalid Offset! Maximum %1").arg(MaxLeftOffset));
    m_leftOffset = value;
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
        throw EConvertError(QStringLiteral("Cannot assign a nil list to a string list"));
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
    assignList(m_transIn, value);
}

void TZantoquiller::SetTransOut(const QByteArrayList *value)
{
    assignList(m_transOut, value);
}

} // namespace Zanto
