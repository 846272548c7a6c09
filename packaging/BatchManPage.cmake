# Writes morvik-batch's manual page from its template, with the tool's own
# --help as the OPTIONS, so that the page and the tool cannot disagree.
#   cmake -DBATCH=<tool> -DTEMPLATE=<page.in> -DOUTPUT=<page>
#         -DPROJECT_VERSION=<version> -P BatchManPage.cmake
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND "${BATCH}" --help OUTPUT_VARIABLE BATCH_HELP RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "'${BATCH} --help' failed: ${status}")
endif()
string(STRIP "${BATCH_HELP}" BATCH_HELP)
# As troff text: a backslash is an escape, "-" a hyphen rather than the minus
# of an option, and a line that starts with "." or "'" a request.
string(REPLACE "\\" "\\e" BATCH_HELP "${BATCH_HELP}")
string(REPLACE "-" "\\-" BATCH_HELP "${BATCH_HELP}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" BATCH_HELP "${BATCH_HELP}")
file(READ "${TEMPLATE}" page)
string(CONFIGURE "${page}" page @ONLY)
file(WRITE "${OUTPUT}" "${page}")
