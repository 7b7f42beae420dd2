# Installs the build into a fresh DESTDIR and checks the tree a Debian desktop
# program needs.
#   cmake -DBUILD_DIR=... -DDESTDIR_ROOT=... -DWITH_WINDOW=ON|OFF -P check-install.cmake

file(REMOVE_RECURSE "${DESTDIR_ROOT}")
set(ENV{DESTDIR} "${DESTDIR_ROOT}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix /usr
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
set(root "${DESTDIR_ROOT}/usr")

set(expected
    bin/vektrano-cli
    share/applications/vektrano.desktop
    share/icons/hicolor/scalable/apps/vektrano.svg
    share/man/man1/vektrano-cli.1.gz
    share/man/man1/vektrano.1.gz
    share/doc/vektrano/README.md
    share/doc/vektrano/LICENSE
    share/doc/vektrano/copyright
    share/doc/vektrano/changelog.gz)
foreach(size 16 32 48 64 128 256)
    list(APPEND expected share/icons/hicolor/${size}x${size}/apps/vektrano.png)
endforeach()
if(WITH_WINDOW)
    list(APPEND expected bin/vektrano)
endif()

set(failures "")
foreach(path ${expected})
    if(NOT EXISTS "${root}/${path}")
        string(APPEND failures "missing: /usr/${path}\n")
    endif()
endforeach()

# Nothing else may land in the tree: no headers, static libraries or test programs.
file(GLOB_RECURSE installed RELATIVE "${root}" "${root}/*")
foreach(path ${installed})
    list(FIND expected "${path}" known)
    if(known EQUAL -1)
        string(APPEND failures "unexpected: /usr/${path}\n")
    endif()
endforeach()

# The compressed files must really be gzip, and the PNGs really PNGs of their size.
foreach(path share/man/man1/vektrano-cli.1.gz share/man/man1/vektrano.1.gz
        share/doc/vektrano/changelog.gz)
    if(EXISTS "${root}/${path}")
        file(READ "${root}/${path}" magic LIMIT 2 HEX)
        if(NOT magic STREQUAL "1f8b")
            string(APPEND failures "not gzip: /usr/${path}\n")
        endif()
    endif()
endforeach()
foreach(size 16 32 48 64 128 256)
    set(png "${root}/share/icons/hicolor/${size}x${size}/apps/vektrano.png")
    if(EXISTS "${png}")
        # Width and height stand as big-endian words at bytes 16 and 20.
        file(READ "${png}" header OFFSET 16 LIMIT 8 HEX)
        string(SUBSTRING "${header}" 0 8 w)
        string(SUBSTRING "${header}" 8 8 h)
        math(EXPR w "0x${w}")
        math(EXPR h "0x${h}")
        if(NOT w EQUAL size OR NOT h EQUAL size)
            string(APPEND failures "icon ${size}x${size} is ${w}x${h}\n")
        endif()
    endif()
endforeach()

# The installed tool must run on its own, away from the build folder.
execute_process(COMMAND "${root}/bin/vektrano-cli" --version
                OUTPUT_VARIABLE version RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT version MATCHES "^Vektrano Converter - Version [0-9]+\\.[0-9]+\\.[0-9]+\n$")
    string(APPEND failures "installed vektrano-cli --version: ${status} '${version}'\n")
endif()

file(REMOVE_RECURSE "${DESTDIR_ROOT}")
if(failures)
    message(FATAL_ERROR "${failures}")
endif()
message(STATUS "installed tree complete: ${expected}")
