#include <zantoquiller/exceptions.h>
#include <zantoquiller/storedproperties.h>

#include <QByteArrayList>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QObject>

namespace Zanto {

namespace {

bool isPrintable(char c)
{
    return c >= 32 && c < 127;
}

// 'abc'#27'G' style: printable runs quoted, other bytes as #N.
void appendQuoted(QByteArray &out, const QByteArray &bytes)
{
    if (bytes.isEmpty()) {
        out += "''";
        return;
    }
    bool inQuote = false;
    for (char c : bytes) {
        if (isPrintable(c)) {
            if (!inQuote)
                out += '\'';
            inQuote = true;
            out += c;
            if (c == '\'')
                out += '\'';
        } else {
            if (inQuote)
                out += '\'';
            inQuote = false;
            out += '#';
            out += QByteArray::number(static_cast<unsigned char>(c));
        }
    }
    if (inQuote)
        out += '\'';
}

class ValueReader
{
public:
    ValueReader(const QByteArray &text, int lineNumber) : m_text(text), m_line(lineNumber) { }

    [[noreturn]] void fail(const char *what) const
    {
        throw EConvertError(
            QStringLiteral("Line %1: %2").arg(m_line).arg(QLatin1String(what)), ErrorKind::Format);
    }

    void skipBlanks()
    {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t'))
            ++m_pos;
    }
    bool atEnd()
    {
        skipBlanks();
        return m_pos >= m_text.size();
    }
    bool take(char c)
    {
        skipBlanks();
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }

    QByteArray quoted()
    {
        skipBlanks();
        QByteArray out;
        bool any = false;
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos];
            if (c == '\'') {
                ++m_pos;
                for (;;) {
                    if (m_pos >= m_text.size())
                        fail("unterminated string");
                    if (m_text[m_pos] == '\'') {
                        if (m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '\'') {
                            out += '\'';
                            m_pos += 2;
                            continue;
                        }
                        ++m_pos;
                        break;
                    }
                    out += m_text[m_pos++];
                }
            } else if (c == '#') {
                ++m_pos;
                int value = 0;
                int digits = 0;
                while (m_pos < m_text.size() && m_text[m_pos] >= '0' && m_text[m_pos] <= '9'
                    && digits < 4) {
                    value = value * 10 + (m_text[m_pos++] - '0');
                    ++digits;
                }
                if (digits == 0 || value > 255)
                    fail("invalid character code after #");
                out += static_cast<char>(value);
            } else {
                break;
            }
            any = true;
        }
        if (!any)
            fail("string expected");
        return out;
    }

    QByteArray word()
    {
        skipBlanks();
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && m_text[m_pos] != ' ' && m_text[m_pos] != '\t')
            ++m_pos;
        return m_text.mid(start, m_pos - start);
    }

private:
    const QByteArray &m_text;
    int m_line;
    qsizetype m_pos = 0;
};

bool isList(const QMetaProperty &property)
{
    return property.metaType() == QMetaType::fromType<QByteArrayList>();
}

bool isString(const QMetaProperty &property)
{
    const QMetaType type = property.metaType();
    return type == QMetaType::fromType<QString>() || type == QMetaType::fromType<QByteArray>();
}

QByteArray stringBytes(const QVariant &value)
{
    if (value.metaType() == QMetaType::fromType<QString>())
        return value.toString().toUtf8();
    return value.toByteArray();
}

QVariant parseValue(const QMetaProperty &property, ValueReader &reader)
{
    if (isList(property)) {
        QByteArrayList list;
        if (!reader.take('('))
            reader.fail("list expected");
        if (!reader.take(')')) {
            do {
                list.append(reader.quoted());
            } while (reader.take(','));
            if (!reader.take(')'))
                reader.fail("')' expected");
        }
        return QVariant::fromValue(list);
    }
    if (isString(property)) {
        const QByteArray bytes = reader.quoted();
        if (property.metaType() == QMetaType::fromType<QString>())
            return QString::fromUtf8(bytes);
        return bytes;
    }
    const QByteArray word = reader.word();
    if (property.isEnumType()) {
        bool ok = false;
        const int value = property.enumerator().keyToValue(word.constData(), &ok);
        if (!ok)
            reader.fail("unknown enumeration value");
        return value;
    }
    if (property.metaType() == QMetaType::fromType<bool>()) {
        if (word == "True")
            return true;
        if (word == "False")
            return false;
        reader.fail("True or False expected");
    }
    bool ok = false;
    const qlonglong number = word.toLongLong(&ok);
    if (!ok)
        reader.fail("number expected");
    QVariant value(number);
    if (!value.convert(property.metaType()) || value.toLongLong() != number)
        reader.fail("number out of range");
    return value;
}

} // namespace

QByteArray writeStoredProperties(const QObject &object)
{
    const QMetaObject *meta = object.metaObject();
    QByteArray out;
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        if (!property.isStored() || !property.isWritable())
            continue;
        const QVariant value = property.read(&object);
        QByteArray text;
        if (isList(property)) {
            const QByteArrayList list = value.value<QByteArrayList>();
            if (list.isEmpty())
                continue;
            text += '(';
            for (qsizetype k = 0; k < list.size(); ++k) {
                if (k > 0)
                    text += ", ";
                appendQuoted(text, list[k]);
            }
            text += ')';
        } else if (isString(property)) {
            const QByteArray bytes = stringBytes(value);
            if (bytes.isEmpty())
                continue;
            appendQuoted(text, bytes);
        } else if (property.isEnumType()) {
            text = property.enumerator().valueToKey(value.toInt());
            if (text.isEmpty()) // a value outside the enumeration keeps its ordinal
                text = QByteArray::number(value.toInt());
        } else if (property.metaType() == QMetaType::fromType<bool>()) {
            text = value.toBool() ? "True" : "False";
        } else {
            text = QByteArray::number(value.toLongLong());
        }
        out += property.name();
        out += " = ";
        out += text;
        out += '\n';
    }
    return out;
}

void readStoredProperties(QObject &object, const QByteArray &text)
{
    const QMetaObject *meta = object.metaObject();
    int lineNumber = 0;
    for (const QByteArray &rawLine : text.split('\n')) {
        ++lineNumber;
        QByteArray line = rawLine;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        ValueReader reader(line, lineNumber);
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            reader.fail("'Name = Value' expected");
        const QByteArray name = line.left(equals).trimmed();
        const int index = meta->indexOfProperty(name.constData());
        if (index < meta->propertyOffset())
            throw EConvertError(QStringLiteral("Line %1: unknown property %2")
                                    .arg(lineNumber)
                                    .arg(QString::fromLatin1(name)),
                ErrorKind::Format);
        const QMetaProperty property = meta->property(index);
        const QByteArray valueText = line.mid(equals + 1);
        ValueReader valueReader(valueText, lineNumber);
        QVariant value;
        bool isNumber = false;
        const int ordinal = valueText.trimmed().toInt(&isNumber);
        if (property.isEnumType() && isNumber) {
            // A stored ordinal outside the enumeration is read back as written.
            value = ordinal;
        } else {
            value = parseValue(property, valueReader);
            if (!valueReader.atEnd())
                valueReader.fail("unexpected text after the value");
        }
        if (property.isEnumType()) {
            QVariant enumValue(property.metaType());
            *static_cast<int *>(enumValue.data()) = value.toInt();
            value = enumValue;
        }
        if (!property.write(&object, value))
            valueReader.fail("value not accepted");
    }
}

} // namespace Zanto
