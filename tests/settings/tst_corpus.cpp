// Replays the fuzzing seed corpus through the checks of the fuzz targets.
#include "fuzzchecks.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

namespace {

using Check = std::string (*)(const std::uint8_t *, std::size_t);

void replay(const char *kind, Check check)
{
    const QDir corpus(qEnvironmentVariable("ZANTO_SOURCE_DIR")
        + QStringLiteral("/tests/settings/corpus/") + QLatin1String(kind));
    const QStringList names = corpus.entryList(QDir::Files, QDir::Name);
    EXPECT_GE(names.size(), 3) << corpus.path().toStdString();
    for (const QString &name : names) {
        QFile file(corpus.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray content = file.readAll();
        EXPECT_EQ(check(reinterpret_cast<const std::uint8_t *>(content.constData()),
                      static_cast<std::size_t>(content.size())),
            std::string())
            << name.toStdString();
    }
}

} // namespace

TEST(FuzzCorpus, PrinterCodesFiles)
{
    replay("printercodes", ZantoFuzz::checkPrinterCodesFile);
}

TEST(FuzzCorpus, TranslationTableFiles)
{
    replay("translationtable", ZantoFuzz::checkTranslationTableFile);
}

TEST(FuzzCorpus, CodeLists)
{
    replay("codelist", ZantoFuzz::checkCodeList);
}
