// zanto palette: loads component packages the way a form designer does and
// lists the palette their registration procedures filled.
#include "commands.h"
#include "componentoptions.h"
#include "usageerror.h"

#include <zantoquiller/package/packageloader.h>
#include <zantoquiller/package/palette.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace Zanto::Cli {

int runPalette(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Loads component packages, registers their components and lists the "
                       "palette: one line per page, \"Page: Class, Class\"."));
    parser.addPositionalArgument(QStringLiteral("LIBRARY"),
        QStringLiteral("A package library, e.g. libzantopack.so."), QStringLiteral("LIBRARY..."));
    const QCommandLineOption info({QStringLiteral("i"), QStringLiteral("info")},
        QStringLiteral("Describe each package before the palette."));
    parser.addOption(info);
    if (!parseCommandLine(parser, QStringLiteral("palette"), arguments))
        return 0;
    const QStringList libraries = parser.positionalArguments();
    if (libraries.isEmpty())
        throw UsageError(QStringLiteral("no package library given"));

    // The palette outlives the packages, which take their classes back
    // from it as they unload (last loaded first).
    Palette palette;
    std::vector<std::unique_ptr<Package>> packages;
    for (const QString &library : libraries) {
        packages.push_back(Package::load(library));
        packages.back()->registerComponents(palette);
    }

    if (parser.isSet(info)) {
        for (const auto &package : packages) {
            std::printf("%s\n", qPrintable(package->fileName()));
            std::printf("  description:     %s\n", qPrintable(package->description()));
            std::printf("  version:         %s\n", qPrintable(package->version()));
            std::printf("  product version: %s\n", qPrintable(package->productVersion()));
            std::printf(
                "  units:           %s\n", qPrintable(package->units().join(QStringLiteral(", "))));
            std::printf("  requires:        %s\n",
                qPrintable(package->requiredLibraries().join(QStringLiteral(", "))));
            if (!package->translationFile().isEmpty())
                std::printf("  translation:     %s\n", qPrintable(package->translationFile()));
        }
    }
    std::fputs(palette.listing().toLocal8Bit().constData(), stdout);
    while (!packages.empty())
        packages.pop_back();
    return 0;
}

} // namespace Zanto::Cli
