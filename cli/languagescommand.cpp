// zanto languages: the printer languages zanto reads and writes, from their
// models: one line each, or only their names (for completion scripts).
#include "commands.h"
#include "componentoptions.h"

#include <zantoquiller/printerlanguage.h>

#include <cstdio>

namespace Zanto::Cli {

namespace {

QString statusName(StatusProtocol protocol)
{
    switch (protocol) {
    case StatusProtocol::Pjl:
        return QStringLiteral("PJL");
    case StatusProtocol::RealTime:
        return QStringLiteral("DLE EOT");
    case StatusProtocol::StarAsb:
        return QStringLiteral("Star ASB");
    case StatusProtocol::None:
        break;
    }
    return QStringLiteral("none");
}

// "Pica 10 cpi", or for a font counted in dots its columns on each paper:
// "Font A 48/32 columns".
QString fontText(const LanguageModel &model, const LanguageFont &font)
{
    const QString name = QString::fromUtf8(font.name);
    // "15 cpi" says it already.
    if (font.cpi > 0 && name.startsWith(QString::number(font.cpi) + QStringLiteral(" cpi")))
        return name;
    if (font.cpi > 0)
        return QStringLiteral("%1 %2 cpi").arg(name).arg(font.cpi);
    QStringList columns;
    for (const LanguagePaperWidth &paper : model.paperWidths)
        columns.append(QString::number(font.width > 0 ? paper.dots / font.width : 0));
    if (columns.isEmpty())
        return QStringLiteral("%1 %2 dots").arg(name).arg(font.width);
    return QStringLiteral("%1 %2 columns").arg(name, columns.join(u'/'));
}

QString papersText(const LanguageModel &model)
{
    QStringList papers;
    for (const LanguagePaperWidth &paper : model.paperWidths)
        papers.append(QString::fromUtf8(paper.paper));
    if (papers.isEmpty())
        return QStringLiteral("any");
    return papers.join(u'/');
}

void print(const QString &line)
{
    std::printf("%s\n", line.toLocal8Bit().constData());
}

} // namespace

int runLanguages(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Lists the printer languages that --language takes: name, description, how the printer "
        "answers status questions, its fonts (characters per inch, or columns on each paper) and "
        "the papers its printers take."));
    const QCommandLineOption namesOption(
        QStringLiteral("names"), QStringLiteral("Only the names, one a line."));
    parser.addOption(namesOption);
    if (!parseCommandLine(parser, QStringLiteral("languages"), arguments))
        return 0;
    expectNoArguments(parser);
    for (const PrinterLanguage &language : PrinterLanguage::all()) {
        if (parser.isSet(namesOption)) {
            print(language.name());
            continue;
        }
        const LanguageModel &model = language.model();
        QStringList fonts;
        for (const LanguageFont &font : model.fonts)
            fonts.append(fontText(model, font));
        print(
            QStringLiteral("%1  %2; status: %3; fonts: %4; papers: %5")
                .arg(language.name().leftJustified(13), language.displayName(),
                    statusName(model.status), fonts.join(QStringLiteral(", ")), papersText(model)));
    }
    return 0;
}

} // namespace Zanto::Cli
