/// \file
/// The entry points of a Zantoquiller component package and the table that
/// describes it. A package library exports them with C linkage; the package
/// loader looks them up by these names.
#pragma once

#include <zantoquiller/package/zantopack_export.h>

#ifdef __cplusplus
extern "C" {
#endif

/// Package kind flags.
enum {
    ZantoPackageDesignTime = 0x1, ///< may be loaded by a form designer
    ZantoPackageRunTime = 0x2, ///< may be loaded by applications
    ZantoPackageNeverBuild = 0x4 ///< a designer never rebuilds it
};

/// Layout version of ZantoPackageInfo; a loader refuses other versions.
#define ZANTO_PACKAGE_INFO_VERSION 1

/// The table that describes a package.
struct ZantoPackageInfo
{
    int version; ///< ZANTO_PACKAGE_INFO_VERSION
    unsigned flags; ///< ZantoPackage... flags
    int unitCount; ///< the contained units, in initialisation order
    const char *const *units; ///< unitCount unit names
    int requiredCount; ///< the libraries the package needs, by so-name
    const char *const *requiredLibraries; ///< requiredCount so-names
};

/// The type of GetPackageInfoTable.
typedef const struct ZantoPackageInfo *(*ZantoGetPackageInfoTableFunction)(void);
/// The type of Initialize, Finalize and Register.
typedef void (*ZantoPackageProcedure)(void);

/// Describes the package; valid while the library is loaded.
ZANTOPACK_EXPORT const struct ZantoPackageInfo *GetPackageInfoTable(void);
/// Run by the loader after loading and before unloading the library.
ZANTOPACK_EXPORT void Initialize(void);
/// See Initialize.
ZANTOPACK_EXPORT void Finalize(void);
/// Run by a form designer once after loading: registers the components.
ZANTOPACK_EXPORT void Register(void);

#ifdef __cplusplus
}
#endif
