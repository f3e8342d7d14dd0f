# Compiler settings shared by every target of the project. Targets link
# Zanto::BuildOptions instead of the project touching global flags.
add_library(zanto_build_options INTERFACE)
add_library(Zanto::BuildOptions ALIAS zanto_build_options)

target_compile_options(zanto_build_options INTERFACE -Wall -Wextra -Werror)
target_compile_definitions(zanto_build_options INTERFACE
    QT_NO_FOREACH QT_NO_KEYWORDS)

if(ZANTO_SANITIZE)
    target_compile_options(zanto_build_options INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(zanto_build_options INTERFACE -fsanitize=address,undefined)
endif()

if(ZANTO_TSAN)
    target_compile_options(zanto_build_options INTERFACE
        -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(zanto_build_options INTERFACE -fsanitize=thread)
endif()

# Fuzzing: coverage instrumentation everywhere; the fuzz targets link the
# libFuzzer driver themselves.
if(ZANTO_FUZZ)
    target_compile_options(zanto_build_options INTERFACE
        -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
        -fno-omit-frame-pointer)
    target_link_options(zanto_build_options INTERFACE -fsanitize=address,undefined)
endif()

# The public headers' export macros are generated into this folder (see
# libraries/): zantoquiller/core_export.h and zantoquiller/widgets_export.h.
set(ZANTO_EXPORT_HEADER_DIR ${PROJECT_BINARY_DIR}/exports)

# zanto_library_unit(TARGET): TARGET's objects go into an installed shared
# library. Its symbols are hidden unless its headers mark them for export, so
# that the library's interface is exactly its public API.
function(zanto_library_unit target)
    set_target_properties(${target} PROPERTIES
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON)
    target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${ZANTO_EXPORT_HEADER_DIR}>)
endfunction()
