# Warnings are errors on both compilers.
function(launcher_warnings target)
    # Designated initializers leave out the fields that keep their defaults;
    # -Wextra would report each left-out field.
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Werror -Werror=unused-result
                                             -Wno-missing-field-initializers)
    # GCC 12 at -O3 reports overlaps inside std::string's own copies that
    # cannot happen (its bug 105329); the warning stays on, as a warning.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(${target} PRIVATE -Wno-error=restrict)
    endif()
endfunction()

option(LAUNCHER_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(LAUNCHER_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
endif()
