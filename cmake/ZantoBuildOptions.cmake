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
