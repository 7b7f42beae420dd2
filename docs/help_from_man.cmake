# Renders the NAME, SYNOPSIS, ARGUMENTS, OPTIONS and EXIT STATUS sections of a man
# page as the program's --help text and writes them into a C++ header.
#   cmake -DMAN=page.1 -DOUTPUT=help_text.h -P help_from_man.cmake
# Only the roff the page's own comment allows is understood; anything else stops
# the build, so the help can never silently drop a part of the page.

if(NOT MAN OR NOT OUTPUT)
    message(FATAL_ERROR "usage: cmake -DMAN=page.1 -DOUTPUT=header.h -P help_from_man.cmake")
endif()

set(wanted "NAME" "SYNOPSIS" "ARGUMENTS" "OPTIONS" "EXIT STATUS")

function(plain_text line out)
    string(REPLACE "\\-" "-" line "${line}")
    string(REPLACE "\\fB" "" line "${line}")
    string(REPLACE "\\fI" "" line "${line}")
    string(REPLACE "\\fR" "" line "${line}")
    string(REPLACE "\\fP" "" line "${line}")
    string(FIND "${line}" "\\" escape)
    if(NOT escape EQUAL -1)
        message(FATAL_ERROR "${MAN}: escape the help text cannot show: ${line}")
    endif()
    set(${out} "${line}" PARENT_SCOPE)
endfunction()

file(READ "${MAN}" page)
string(REPLACE "\r" "" page "${page}")
if(NOT page MATCHES "\n$")
    string(APPEND page "\n")
endif()

set(help "")
set(usage "")
set(section "")
set(inWanted FALSE)
set(tagNext FALSE)
set(inEntry FALSE)
while(NOT page STREQUAL "")
    string(FIND "${page}" "\n" end)
    string(SUBSTRING "${page}" 0 ${end} line)
    math(EXPR rest "${end} + 1")
    string(SUBSTRING "${page}" ${rest} -1 page)

    if(line MATCHES "^\\.\\\\\"")
        continue()
    endif()
    if(line MATCHES "^\\.SH (.*)$")
        set(section "${CMAKE_MATCH_1}")
        string(REPLACE "\"" "" section "${section}")
        list(FIND wanted "${section}" found)
        set(tagNext FALSE)
        set(inEntry FALSE)
        if(found EQUAL -1)
            set(inWanted FALSE)
            continue()
        endif()
        set(inWanted TRUE)
        if(section STREQUAL "NAME" OR section STREQUAL "SYNOPSIS")
            continue()
        endif()
        string(SUBSTRING "${section}" 0 1 first)
        string(SUBSTRING "${section}" 1 -1 others)
        string(TOLOWER "${others}" others)
        string(APPEND help "\n${first}${others}:\n")
        continue()
    endif()
    if(NOT inWanted)
        continue()
    endif()

    if(line STREQUAL ".TP")
        set(tagNext TRUE)
        continue()
    endif()
    if(line STREQUAL ".PP")
        string(APPEND help "\n")
        set(inEntry FALSE)
        continue()
    endif()
    if(line MATCHES "^\\.[BI] (.*)$")
        set(line "${CMAKE_MATCH_1}")
        string(REPLACE "\"" "" line "${line}")
    elseif(line MATCHES "^\\.")
        message(FATAL_ERROR "${MAN}: request the help text cannot show: ${line}")
    endif()
    plain_text("${line}" text)

    if(section STREQUAL "NAME")
        string(APPEND help "${text}\n")
    elseif(section STREQUAL "SYNOPSIS")
        if(usage STREQUAL "")
            set(usage "${text}")
        else()
            string(APPEND usage " ${text}")
        endif()
    elseif(tagNext)
        string(APPEND help "  ${text}\n")
        set(tagNext FALSE)
        set(inEntry TRUE)
    elseif(inEntry)
        string(APPEND help "      ${text}\n")
    else()
        string(APPEND help "  ${text}\n")
    endif()
endwhile()

if(usage STREQUAL "")
    message(FATAL_ERROR "${MAN}: no SYNOPSIS")
endif()
# NAME comes first in a page, so the help opens with the name line; the usage line
# follows it.
string(FIND "${help}" "\n" nameEnd)
string(SUBSTRING "${help}" 0 ${nameEnd} nameLine)
math(EXPR after "${nameEnd} + 1")
string(SUBSTRING "${help}" ${after} -1 sections)
set(help "${nameLine}\n\nUsage: ${usage}\n${sections}")

file(WRITE "${OUTPUT}.tmp" "#pragma once

// Generated from the man page by help_from_man.cmake; edit the page, not this file.

#include <string_view>

namespace vektrano {

inline constexpr std::string_view kUsageLine = R\"vkhelp(Usage: ${usage})vkhelp\";

inline constexpr std::string_view kHelpText = R\"vkhelp(${help})vkhelp\";

} // namespace vektrano
")
# Rewrite only on change so the sources depending on it do not rebuild every time.
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
