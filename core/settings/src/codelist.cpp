#include <zantoquiller/codelist.h>
#include <zantoquiller/exceptions.h>

#include <limits>

namespace Zanto {

QString StrToASCIIList(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size() * 4);
    for (char byte : bytes) {
        if (!text.isEmpty())
            text += u',';
        text += QString::number(static_cast<unsigned char>(byte));
    }
    return text;
}

bool parseInteger(QStringView text, qint32 &value)
{
    qsizetype pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
        negative = text[pos] == u'-';
        ++pos;
    }
    int base = 10;
    if (pos < text.size() && (text[pos] == u'$' || text[pos] == u'x' || text[pos] == u'X')) {
        base = 16;
        ++pos;
    } else if (pos + 1 < text.size() && text[pos] == u'0'
        && (text[pos + 1] == u'x' || text[pos + 1] == u'X')) {
        base = 16;
        pos += 2;
    }
    if (pos >= text.size())
        return false;
    // Decimal values must fit 32 bits signed; hexadecimal ones 32 bits
    // unsigned, read as their two's complement.
    const quint64 limit = base == 16 ? std::numeric_limits<quint32>::max()
                                     : quint64(std::numeric_limits<qint32>::max()) + negative;
    quint64 magnitude = 0;
    for (; pos < text.size(); ++pos) {
        const char16_t c = text[pos].unicode();
        int digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return false;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return false;
    }
    const auto bits = static_cast<quint32>(negative ? 0 - magnitude : magnitude);
    value = static_cast<qint32>(bits);
    return true;
}

QByteArray ASCIIListToStr(const QString &list)
{
    QString work = list;
    work.remove(u' ');
    while (work.endsWith(u','))
        work.chop(1);

    QByteArray result;
    QStringView rest(work);
    while (!rest.isEmpty()) {
        if (rest.front() == u',')
            rest = rest.mid(1);
        const qsizetype comma = rest.indexOf(u',');
        const QStringView item = comma < 0 ? rest : rest.left(comma);
        rest = comma < 0 ? QStringView() : rest.mid(comma + 1);
        qint32 value = 0;
        if (!parseInteger(item, value) || value < 0 || value > 255)
            throw EConvertError(
                QStringLiteral("Invalid character code: ") + item.toString(), ErrorKind::Format);
        result += static_cast<char>(value);
    }
    return result;
}

} // namespace Zanto
