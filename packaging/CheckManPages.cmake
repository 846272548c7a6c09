# The manual pages as man shows them, with no troff warning, and the batch
# page's REPORT naming exactly the keys the tool prints, in its order.
#   cmake -DGROFF=<groff> -DBATCH=<tool> -DPROGRAM_PAGE=<page> -DBATCH_PAGE=<page>
#         -DWORK=<folder> -P CheckManPages.cmake
cmake_minimum_required(VERSION 3.25)

foreach(page IN ITEMS "${PROGRAM_PAGE}" "${BATCH_PAGE}")
    execute_process(COMMAND "${GROFF}" -k -man -Tutf8 -ww -z "${page}"
                    ERROR_VARIABLE warnings RESULT_VARIABLE status)
    if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
        message(FATAL_ERROR "${page}: groff says (${status}): ${warnings}")
    endif()
endforeach()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
# In tiles, so that every key comes up; a tile's key once for all its tiles.
execute_process(COMMAND "${BATCH}" generate --width 9 --height 7 --tick 5 -o map.bmp
                        --heightmap map.r16 --tiles 2x2 --normal normal.png --flow flow.png
                        --masks mask --preset godot --pack pack
                WORKING_DIRECTORY "${WORK}" OUTPUT_VARIABLE generated RESULT_VARIABLE status)
execute_process(COMMAND "${BATCH}" reduce map_x0_y0.bmp reduced.bmp
                WORKING_DIRECTORY "${WORK}" OUTPUT_VARIABLE reduced RESULT_VARIABLE reduceStatus)
if(NOT status EQUAL 0 OR NOT reduceStatus EQUAL 0)
    message(FATAL_ERROR "the tool failed: generate ${status}, reduce ${reduceStatus}")
endif()
string(REGEX MATCHALL "(^|\n)[a-z_]+:" printed "${generated}")
string(REGEX REPLACE "[\n:]" "" printed "${printed}")
list(REMOVE_DUPLICATES printed)
string(REGEX MATCHALL "(^|\n)[a-z_]+:" reducePrinted "${reduced}")
string(REGEX REPLACE "[\n:]" "" reducePrinted "${reducePrinted}")
foreach(key IN LISTS reducePrinted)
    if(NOT key IN_LIST printed)
        message(FATAL_ERROR "reduce prints '${key}', which generate does not")
    endif()
endforeach()

file(READ "${BATCH_PAGE}" page)
string(REGEX MATCH "\n\\.SH REPORT\n.*" report "${page}")
string(REGEX REPLACE "\n\\.SH EXIT STATUS\n.*" "" report "${report}")
string(REGEX MATCHALL "\n\\.TP\n\\.B [a-z_]+\n" listed "${report}")
string(REGEX REPLACE "\n\\.TP\n\\.B ([a-z_]+)\n" "\\1" listed "${listed}")
if(NOT listed STREQUAL printed)
    message(FATAL_ERROR "the page's REPORT lists '${listed}', the tool prints '${printed}'")
endif()
