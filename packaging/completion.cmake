# Fills the completion script's word list from the prefecture catalogue.
# cmake -DWORDS_TOOL=… -DIN=… -DOUT=… -P completion.cmake
execute_process(COMMAND "${WORDS_TOOL}" OUTPUT_VARIABLE words RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${WORDS_TOOL} failed: ${rc}")
endif()
string(STRIP "${words}" words)
string(REPLACE "\n" " " PREFECTURE_WORDS "${words}")
configure_file("${IN}" "${OUT}" @ONLY)
