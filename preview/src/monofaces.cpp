#include "monofaces.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <array>
#include <memory>
#include <optional>

namespace Zanto::Preview {

namespace {

constexpr std::array<const char *, MonoFaceCount> fileNames {"LiberationMono-Regular.ttf",
    "LiberationMono-Bold.ttf", "LiberationMono-Italic.ttf", "LiberationMono-BoldItalic.ttf"};

quint32 u32(const QByteArray &d, qsizetype at)
{
    const auto *p = reinterpret_cast<const unsigned char *>(d.constData() + at);
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3];
}

int u16(const QByteArray &d, qsizetype at)
{
    const auto *p = reinterpret_cast<const unsigned char *>(d.constData() + at);
    return p[0] << 8 | p[1];
}

int s16(const QByteArray &d, qsizetype at)
{
    return static_cast<qint16>(u16(d, at));
}

// Offset of a table of the font, or -1 (also when it is too short).
qsizetype table(const QByteArray &d, const char *tag, qsizetype size)
{
    if (d.size() < 12)
        return -1;
    const int count = u16(d, 4);
    for (int i = 0; i < count && 12 + 16 * (i + 1) <= d.size(); ++i) {
        const qsizetype record = 12 + 16 * i;
        if (d.mid(record, 4) != tag)
            continue;
        const qsizetype at = u32(d, record + 8);
        return at >= 0 && at + size <= d.size() ? at : -1;
    }
    return -1;
}

std::optional<MonoFace> load(int face, QString *error)
{
    const QString relative
        = QStringLiteral("fonts/truetype/liberation/") + QLatin1String(fileNames[face]);
    const QString path = QStandardPaths::locate(QStandardPaths::GenericDataLocation, relative);
    if (path.isEmpty()) {
        *error = QStringLiteral("font file %1 not found (Debian package fonts-liberation)")
                     .arg(QLatin1String(fileNames[face]));
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read font file %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    MonoFace mono;
    mono.path = path;
    mono.name = QFileInfo(path).completeBaseName().toLatin1();
    mono.data = file.readAll();
    const qsizetype head = table(mono.data, "head", 54);
    const qsizetype hhea = table(mono.data, "hhea", 36);
    const qsizetype post = table(mono.data, "post", 8);
    if (head < 0 || hhea < 0 || post < 0 || u16(mono.data, head + 18) == 0) {
        *error = QStringLiteral("font file %1 is not a TrueType font").arg(path);
        return std::nullopt;
    }
    const int units = u16(mono.data, head + 18);
    const auto thousandths = [units](int value) { return value * 1000 / units; };
    mono.left = thousandths(s16(mono.data, head + 36));
    mono.bottom = thousandths(s16(mono.data, head + 38));
    mono.right = thousandths(s16(mono.data, head + 40));
    mono.top = thousandths(s16(mono.data, head + 42));
    mono.ascent = thousandths(s16(mono.data, hhea + 4));
    mono.descent = thousandths(s16(mono.data, hhea + 6));
    mono.advance = thousandths(u16(mono.data, hhea + 10));
    mono.italicAngle = static_cast<qint32>(u32(mono.data, post + 4)) / 65536.0;
    return mono;
}

} // namespace

const MonoFace *monoFace(int face, QString *error)
{
    struct Slot
    {
        bool tried = false;
        std::optional<MonoFace> face;
        QString error;
    };
    static std::array<Slot, MonoFaceCount> slots;
    Slot &slot = slots[static_cast<std::size_t>(face)];
    if (!slot.tried) {
        slot.tried = true;
        slot.face = load(face, &slot.error);
    }
    if (!slot.face && error)
        *error = slot.error;
    return slot.face ? &*slot.face : nullptr;
}

} // namespace Zanto::Preview
