// The entry points the package loader expects, and the package's metadata
// note.
#include "packagemetadata.h"

#include <zantoquiller/controls/memocontrols.h>
#include <zantoquiller/dialogs.h>
#include <zantoquiller/editdialogs.h>
#include <zantoquiller/package/packageinfo.h>

#include <cstddef>
#include <cstdint>
#include <iterator>

namespace {

const char *const units[] = {ZANTOPACK_UNITS};
const char *const requiredLibraries[] = {ZANTOPACK_REQUIRED_LIBRARIES};

const ZantoPackageInfo packageInfo = {
    ZANTO_PACKAGE_INFO_VERSION,
    ZantoPackageDesignTime | ZantoPackageRunTime | ZantoPackageNeverBuild,
    static_cast<int>(std::size(units)),
    units,
    static_cast<int>(std::size(requiredLibraries)),
    requiredLibraries,
};

// An ELF note in the FDO packaging metadata format: standard tools
// (readelf --notes) print it, and the package loader reads it from the
// loaded image.
constexpr std::uint32_t FdoPackagingMetadata = 0xcafe1a7e;
constexpr std::uint32_t alignedSize(std::size_t size)
{
    return static_cast<std::uint32_t>((size + 3) & ~std::size_t(3));
}

struct alignas(4) MetadataNote
{
    std::uint32_t nameSize;
    std::uint32_t descriptionSize;
    std::uint32_t type;
    char name[4];
    char description[alignedSize(sizeof(ZANTOPACK_METADATA_JSON))];
};

// The alignment is given on the object too: GCC would otherwise raise that of
// a large object, and note sections must be aligned to 4.
[[gnu::used, gnu::section(".note.package")]] alignas(4) const MetadataNote metadataNote = {
    4, sizeof(ZANTOPACK_METADATA_JSON), FdoPackagingMetadata, "FDO", ZANTOPACK_METADATA_JSON};

// How often the package has been initialised without being finalised; a
// loader pairs every Initialize with one Finalize.
int initializeCount = 0;
// Whether Initialize installed the dialogs, so that Finalize takes back only
// what the package set up itself.
bool installedDialogs = false;

} // namespace

extern "C" {

const ZantoPackageInfo *GetPackageInfoTable(void)
{
    return &packageInfo;
}

// Lets PrintMemo take Qt's text controls and TDBMemo, and connects the
// component's EditPrinterCodes and EditTranslationTable to the package's
// dialogs, unless the host has put its own in place.
void Initialize(void)
{
    if (initializeCount++ > 0)
        return;
    Zanto::Controls::registerMemoControls();
    if (!Zanto::editDialogs()) {
        Zanto::installDialogs();
        installedDialogs = true;
    }
}

void Finalize(void)
{
    if (initializeCount == 0 || --initializeCount > 0)
        return;
    if (installedDialogs) {
        Zanto::setEditDialogs(nullptr);
        installedDialogs = false;
    }
}

} // extern "C"
