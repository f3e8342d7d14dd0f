// Replays the preview fuzz target's seed corpus through its check.
#include "previewchecks.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

TEST(PreviewFuzzCorpus, EverySeedPassesTheCheck)
{
    const QDir corpus(
        qEnvironmentVariable("ZANTO_SOURCE_DIR") + QStringLiteral("/tests/preview/corpus"));
    const QStringList names = corpus.entryList(QDir::Files, QDir::Name);
    EXPECT_GE(names.size(), 5) << corpus.path().toStdString();
    for (const QString &name : names) {
        QFile file(corpus.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray content = file.readAll();
        EXPECT_EQ(
            ZantoFuzz::checkPreview(reinterpret_cast<const std::uint8_t *>(content.constData()),
                static_cast<std::size_t>(content.size())),
            std::string())
            << name.toStdString();
    }
}
