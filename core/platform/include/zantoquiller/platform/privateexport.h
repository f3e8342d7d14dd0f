// Marks the platform functions that zanto and the package loader call:
// exported from the Core library, so that no program links a copy of its
// own, but no part of its interface. Their headers are not installed and
// may change with any release.
#pragma once

#include <zantoquiller/core_export.h>

#define ZANTOQUILLER_CORE_PRIVATE_EXPORT ZANTOQUILLER_CORE_EXPORT
