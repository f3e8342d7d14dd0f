#include <zantoquiller/package/packageinfo.h>
#include <zantoquiller/package/packageloader.h>
#include <zantoquiller/package/palette.h>
#include <zantoquiller/package/registration.h>
#include <zantoquiller/platform/dynamiclibrary.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QSet>
#include <QTranslator>

#include <algorithm>
#include <vector>

namespace Zanto {

namespace {

// Canonical file names of the packages loaded in this process: a package is
// initialised once, however many loaders ask for it.
QSet<QString> &loadedPackages()
{
    static QSet<QString> files;
    return files;
}

QString quoted(const QString &fileName)
{
    return u'"' + fileName + u'"';
}

QStringList stringList(int count, const char *const *strings)
{
    QStringList list;
    for (int i = 0; strings && i < count; ++i)
        if (strings[i])
            list.append(QString::fromUtf8(strings[i]));
    return list;
}

// "libzantopack.so.1.0.0" -> "zantopack": the base name of its translations.
QString translationBaseName(const QFileInfo &library)
{
    QString name = library.fileName();
    if (name.startsWith(QStringLiteral("lib")))
        name.remove(0, 3);
    const qsizetype suffix = name.indexOf(QStringLiteral(".so"));
    if (suffix >= 0)
        name.truncate(suffix);
    return name;
}

// The designer that a package's RegisterComponents reaches while its
// Register runs.
Palette *registeringPalette = nullptr;
const void *registeringModule = nullptr;

void registerComponentsWithPalette(const QString &page, const TComponentClassList &classes)
{
    registeringPalette->registerComponents(page, classes, registeringModule);
}

} // namespace

struct Package::Private
{
    Platform::DynamicLibrary library;
    std::vector<Platform::DynamicLibrary> required;
    QString fileName;
    QString canonicalName;
    QStringList units;
    QStringList requiredLibraries;
    QJsonObject metadata;
    std::unique_ptr<QTranslator> translator;
    ZantoPackageProcedure finalize = nullptr;
    std::vector<std::weak_ptr<Palette *>> palettes;

    void installTranslation();
    void removeTranslation();
};

void Package::Private::installTranslation()
{
    if (!QCoreApplication::instance())
        return;
    const QFileInfo info(fileName);
    auto candidate = std::make_unique<QTranslator>();
    if (!candidate->load(QLocale(), translationBaseName(info), QStringLiteral("_"),
            info.absolutePath(), QStringLiteral(".qm")))
        return;
    if (QCoreApplication::installTranslator(candidate.get()))
        translator = std::move(candidate);
}

void Package::Private::removeTranslation()
{
    if (translator && QCoreApplication::instance())
        QCoreApplication::removeTranslator(translator.get());
    translator.reset();
}

std::unique_ptr<Package> Package::load(const QString &fileName)
{
    auto d = std::make_unique<Private>();
    if (!d->library.open(QFile::encodeName(fileName).toStdString()))
        throw EPackageError(
            QStringLiteral("Cannot load package %1: %2")
                .arg(quoted(fileName), QString::fromStdString(d->library.errorText())));
    d->fileName = QFile::decodeName(d->library.fileName().c_str());
    d->canonicalName = QFileInfo(d->fileName).canonicalFilePath();

    const auto getInfo = reinterpret_cast<ZantoGetPackageInfoTableFunction>(
        d->library.symbol("GetPackageInfoTable"));
    const auto initialize
        = reinterpret_cast<ZantoPackageProcedure>(d->library.symbol("Initialize"));
    d->finalize = reinterpret_cast<ZantoPackageProcedure>(d->library.symbol("Finalize"));
    QStringList missing;
    if (!getInfo)
        missing.append(QStringLiteral("GetPackageInfoTable"));
    if (!initialize)
        missing.append(QStringLiteral("Initialize"));
    if (!d->finalize)
        missing.append(QStringLiteral("Finalize"));
    if (!missing.isEmpty())
        throw EPackageError(
            QStringLiteral("%1 is not a package: it lacks the entry point%2 %3")
                .arg(quoted(fileName), missing.size() > 1 ? QStringLiteral("s") : QString(),
                    missing.join(QStringLiteral(", "))));

    const ZantoPackageInfo *info = getInfo();
    if (!info || info->version != ZANTO_PACKAGE_INFO_VERSION)
        throw EPackageError(
            QStringLiteral("%1 is not a package of a known kind: its package table has version %2")
                .arg(quoted(fileName),
                    info ? QString::number(info->version) : QStringLiteral("none")));
    if (loadedPackages().contains(d->canonicalName))
        throw EPackageError(QStringLiteral("Package %1 is already loaded").arg(quoted(fileName)));
    d->units = stringList(info->unitCount, info->units);
    d->requiredLibraries = stringList(info->requiredCount, info->requiredLibraries);

    for (const QString &name : std::as_const(d->requiredLibraries)) {
        Platform::DynamicLibrary library;
        if (!library.open(QFile::encodeName(name).toStdString()))
            throw EPackageError(
                QStringLiteral("Package %1 requires %2, which cannot be loaded: %3")
                    .arg(quoted(fileName), name, QString::fromStdString(library.errorText())));
        d->required.push_back(std::move(library));
    }

    d->metadata = QJsonDocument::fromJson(QByteArray::fromStdString(d->library.packagingMetadata()))
                      .object();
    d->installTranslation();
    initialize();
    loadedPackages().insert(d->canonicalName);
    return std::unique_ptr<Package>(new Package(std::move(d)));
}

Package::Package(std::unique_ptr<Private> d) : d(std::move(d)) { }

Package::~Package()
{
    for (const std::weak_ptr<Palette *> &palette : d->palettes)
        if (const std::shared_ptr<Palette *> alive = palette.lock())
            (*alive)->unregisterModuleClasses(d.get());
    d->finalize();
    loadedPackages().remove(d->canonicalName);
    d->library.close();
    while (!d->required.empty())
        d->required.pop_back();
    d->removeTranslation();
}

void Package::registerComponents(Palette &palette)
{
    auto *reg = reinterpret_cast<ZantoPackageProcedure>(d->library.symbol("Register"));
    if (!reg)
        throw EPackageError(
            QStringLiteral("Package %1 has no Register procedure").arg(quoted(d->fileName)));
    auto *proc
        = static_cast<TRegisterComponentsProc *>(d->library.symbol("RegisterComponentsProc"));
    if (!proc)
        throw EPackageError(QStringLiteral("Package %1 cannot register components: it has no "
                                           "RegisterComponentsProc")
                                .arg(quoted(d->fileName)));
    const bool known = std::any_of(d->palettes.cbegin(), d->palettes.cend(), [&](const auto &p) {
        const auto alive = p.lock();
        return alive && *alive == &palette;
    });
    if (!known)
        d->palettes.push_back(palette.lifetime());

    // Whatever happens, the package's hook and the registering designer are
    // reset; a failed registration takes back what it put on the palette.
    struct Registering
    {
        TRegisterComponentsProc *proc;
        Registering(TRegisterComponentsProc *proc, Palette &palette, const void *module)
            : proc(proc)
        {
            registeringPalette = &palette;
            registeringModule = module;
            *proc = registerComponentsWithPalette;
        }
        ~Registering()
        {
            *proc = nullptr;
            registeringPalette = nullptr;
            registeringModule = nullptr;
        }
    };
    try {
        Registering registering(proc, palette, d.get());
        reg();
    } catch (...) {
        palette.unregisterModuleClasses(d.get());
        throw;
    }
}

QString Package::fileName() const
{
    return d->fileName;
}

QStringList Package::units() const
{
    return d->units;
}

QStringList Package::requiredLibraries() const
{
    return d->requiredLibraries;
}

QString Package::version() const
{
    return d->metadata.value(QStringLiteral("version")).toString();
}

QString Package::description() const
{
    return d->metadata.value(QStringLiteral("description")).toString();
}

QString Package::productVersion() const
{
    return d->metadata.value(QStringLiteral("productVersion")).toString();
}

QString Package::translationFile() const
{
    return d->translator ? d->translator->filePath() : QString();
}

} // namespace Zanto
