// The translation table file format, byte for byte, without files.
#include <zantoquiller/exceptions.h>
#include <zantoquiller/translationtablefile.h>

#include <gtest/gtest.h>

using namespace Zanto;

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (int v : values)
        result += static_cast<char>(v);
    return result;
}

QByteArray record(char character, const QByteArray &replacement)
{
    return character + (char(replacement.size()) + replacement);
}

const QByteArray magic("ZantoquillerTranslationTable");

TranslationTable parsed(const QByteArray &content)
{
    const std::optional<TranslationTable> table = parseTranslationTableFile(content);
    if (!table)
        throw std::runtime_error("refused");
    return *table;
}

QString errorOfWriting(const QByteArrayList &in, const QByteArrayList &out)
{
    try {
        translationTableFileWrites(in, out);
    } catch (const EConvertError &error) {
        return error.Message();
    }
    return QStringLiteral("<no error>");
}

} // namespace

TEST(TranslationTableFile, RecordLayout)
{
    const QByteArray file = translationTableFileBytes({"~"}, {bytes({27, 69})});
    EXPECT_EQ(file, magic + bytes({0x7E, 0x02, 0x1B, 0x45}));
}

TEST(TranslationTableFile, WritesAreTheMagicThenOneRecordPerEntry)
{
    const QByteArrayList writes
        = translationTableFileWrites({"~", "^", "!"}, {bytes({27, 71}), bytes({27, 72}), {}});
    ASSERT_EQ(writes.size(), 4);
    EXPECT_EQ(writes[0], magic);
    EXPECT_EQ(writes[1], bytes({'~', 2, 27, 71}));
    EXPECT_EQ(writes[2], bytes({'^', 2, 27, 72}));
    EXPECT_EQ(writes[3], bytes({'!', 0}));
}

TEST(TranslationTableFile, CharacterZeroDuplicatesAndEmptyReplacementsReadBack)
{
    QByteArray longest;
    for (int i = 0; i < 255; ++i)
        longest += char(i);
    const TranslationTable table {
        {bytes({0}), "~", "~", "a", bytes({255}), bytes({0})},
        {bytes({0, 0}), {}, bytes({27, 71}), longest, bytes({255}), {}},
    };
    const QByteArray file = translationTableFileBytes(table.transIn, table.transOut);
    EXPECT_EQ(file,
        magic + record('\0', bytes({0, 0})) + record('~', {}) + record('~', bytes({27, 71}))
            + record('a', longest) + record('\xff', bytes({255})) + record('\0', {}));
    EXPECT_EQ(parsed(file), table);
    EXPECT_EQ(parsed(translationTableFileBytes({}, {})), TranslationTable());
}

TEST(TranslationTableFile, AnEmptyCharacterEntryIsLeftOutWithItsPartner)
{
    const QByteArray file = translationTableFileBytes({"a", "", "c"}, {"1", "2", "3"});
    EXPECT_EQ(file, magic + record('a', "1") + record('c', "3"));
    EXPECT_EQ(parsed(file), (TranslationTable {{"a", "c"}, {"1", "3"}}));
}

TEST(TranslationTableFile, AnEntryOfSeveralCharactersIsStoredByItsFirst)
{
    const QByteArray file = translationTableFileBytes({"xyz"}, {"1"});
    EXPECT_EQ(file, magic + record('x', "1"));
}

TEST(TranslationTableFile, ExtraReplacementsAreNotStored)
{
    EXPECT_EQ(translationTableFileBytes({"a"}, {"1", "2", "3"}), magic + record('a', "1"));
}

TEST(TranslationTableFile, AReplacementLongerThan255BytesIsRefused)
{
    EXPECT_EQ(errorOfWriting({"a", "~"}, {"1", QByteArray(256, 'x')}),
        u"Replacement too long: TransOut entry 1 (character 126) has 256 bytes, a "
        u"translation table file holds at most 255");
    EXPECT_NO_THROW(translationTableFileWrites({"~"}, {QByteArray(255, 'x')}));
    // An entry that is not stored is not checked.
    EXPECT_NO_THROW(translationTableFileWrites({""}, {QByteArray(300, 'x')}));
}

TEST(TranslationTableFile, ACharacterWithoutReplacementIsRefused)
{
    EXPECT_EQ(errorOfWriting({"a", "b", "c"}, {"1"}),
        u"Replacement missing: TransIn entry 1 (character 98) has no TransOut entry");
    EXPECT_EQ(errorOfWriting({bytes({0})}, {}),
        u"Replacement missing: TransIn entry 0 (character 0) has no TransOut entry");
    // An empty character entry writes nothing, partner or not.
    EXPECT_EQ(translationTableFileBytes({"a", ""}, {"1"}), magic + record('a', "1"));
}

TEST(TranslationTableFile, RefusesAnythingButItsMagic)
{
    for (const QByteArray &content :
        {QByteArray(), magic.left(27), QByteArray("ZantoquillerTranslationtable"),
            QByteArray("zantoquillerTranslationTable"), QByteArray("ZantoquillerControlCodes"),
            QByteArray("ZantoquillerControlCodes\0\0\0\0", 28)})
        EXPECT_FALSE(parseTranslationTableFile(content).has_value()) << content.constData();
}

TEST(TranslationTableFile, OnlyTheMagicIsAnEmptyTable)
{
    EXPECT_EQ(parsed(magic), TranslationTable());
}

TEST(TranslationTableFile, ARecordCutShortIsRefusedWithWhereTheFileEnds)
{
    QString problem;
    EXPECT_FALSE(
        parseTranslationTableFile(magic + record('~', "ab") + bytes({'^', 5, 27, 40}), &problem)
            .has_value());
    EXPECT_EQ(problem, u"the file ends at byte 36 inside the replacement of entry 1");
    // The length byte is missing too.
    EXPECT_FALSE(parseTranslationTableFile(magic + record('~', "ab") + "^", &problem).has_value());
    EXPECT_EQ(
        problem, u"the file ends at byte 33 inside entry 1, before the length of its replacement");
    EXPECT_FALSE(parseTranslationTableFile(magic.left(27), &problem).has_value());
    EXPECT_EQ(problem, u"does not begin with \"ZantoquillerTranslationTable\"");
}

// Cut anywhere, a written file either reads as the records wholly before the
// cut (the file's length is its count of records) or is refused with where
// it ends: never a replacement shortened.
TEST(TranslationTableFile, EveryCutOfAWrittenFileIsRefusedOrHoldsItsWholeRecords)
{
    const QByteArrayList in {"~", "^", "!", "|", bytes({0})};
    const QByteArrayList out {
        bytes({27, 71}), bytes({27, 72}), bytes({27, 45, 49}), {}, bytes({27, 45, 48})};
    const QByteArrayList writes = translationTableFileWrites(in, out);
    const QByteArray file = writes.join();
    QList<qsizetype> recordEnds {magic.size()};
    for (qsizetype write = 1; write < writes.size(); ++write)
        recordEnds.append(recordEnds.back() + writes[write].size());
    for (qsizetype length = 0; length <= file.size(); ++length) {
        QString problem;
        const std::optional<TranslationTable> table
            = parseTranslationTableFile(file.left(length), &problem);
        const qsizetype wholeRecords = recordEnds.indexOf(length);
        if (length < magic.size() || wholeRecords < 0) {
            ASSERT_FALSE(table.has_value()) << length;
            ASSERT_TRUE(problem.startsWith(length < magic.size()
                    ? QStringLiteral("does not begin with")
                    : QStringLiteral("the file ends at byte %1 inside ").arg(length)))
                << length << " " << problem.toStdString();
            continue;
        }
        ASSERT_TRUE(table.has_value()) << length;
        EXPECT_EQ(table->transIn, in.first(wholeRecords));
        EXPECT_EQ(table->transOut, out.first(wholeRecords));
    }
}
