# Checks the dynamic symbol table of the shared library against the exported
# families.
#
#   cmake -DNM=<nm> -DLIBRARY=<libLibCommonCfg.so> -DFAMILIES_DIR=<dir>
#         -DTOOLCHAIN_FILE=<file> -P check_exports.cmake
#   cmake -DSYMBOLS_FILE=<saved "nm -D --defined-only -C" output> ... (same
#         otherwise; used to test this check itself)
#
# Every family file (FAMILIES_DIR/*.txt) and the toolchain file hold lines
#   require: <symbol>   a demangled name that must be exported, exactly
#   allow: <regex>      further names that may be exported (CMake regex,
#                       matched against the whole demangled name)
#   allow-weak: <regex> the same, for weak symbols only (nm kinds V, W, u):
#                       the vague-linkage copies the compiler emits itself
# and comments starting with "#". A required name is allowed as well.
# Fails when a defined dynamic symbol is allowed by no line (an internal
# symbol leaked) or when a required one is missing (a family lost a symbol).

cmake_minimum_required(VERSION 3.13...3.25)

# Splits `text` into lines without CMake lists, whose "[" "]" handling would
# mangle names like "encPath[abi:cxx11]"; calls back through variables.
macro(lcc_pop_line text_var line_var)
  string(FIND "${${text_var}}" "\n" _nl)
  if(_nl EQUAL -1)
    set(${line_var} "${${text_var}}")
    set(${text_var} "")
  else()
    string(SUBSTRING "${${text_var}}" 0 ${_nl} ${line_var})
    math(EXPR _nl "${_nl} + 1")
    string(SUBSTRING "${${text_var}}" ${_nl} -1 ${text_var})
  endif()
endmacro()

if(DEFINED SYMBOLS_FILE)
  file(READ "${SYMBOLS_FILE}" nm_out)
else()
  if(NOT NM OR NOT EXISTS "${NM}")
    message(FATAL_ERROR "nm was not found (NM='${NM}'); the exported symbols cannot be checked")
  endif()
  if(NOT EXISTS "${LIBRARY}")
    message(FATAL_ERROR "library not found: '${LIBRARY}'")
  endif()
  execute_process(COMMAND "${NM}" -D --defined-only -C "${LIBRARY}"
    RESULT_VARIABLE rc OUTPUT_VARIABLE nm_out ERROR_VARIABLE nm_err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${NM} failed (${rc}): ${nm_err}")
  endif()
endif()

# --- the rules -------------------------------------------------------------
file(GLOB family_files "${FAMILIES_DIR}/*.txt")
if(NOT family_files)
  message(FATAL_ERROR "no family files in '${FAMILIES_DIR}'")
endif()
set(allow_text "")   # one regex per line
set(allow_weak_text "")
set(require_text "") # one "family|symbol" per line
set(bad_rules "")
foreach(rule_file IN LISTS family_files TOOLCHAIN_FILE)
  get_filename_component(family "${rule_file}" NAME_WE)
  file(READ "${rule_file}" rules)
  set(required_here 0)
  while(NOT rules STREQUAL "")
    lcc_pop_line(rules line)
    string(STRIP "${line}" line)
    if(line STREQUAL "" OR line MATCHES "^#")
      continue()
    endif()
    if(line MATCHES "^require: (.+)$")
      string(APPEND require_text "${family}|${CMAKE_MATCH_1}\n")
      math(EXPR required_here "${required_here} + 1")
    elseif(line MATCHES "^allow: (.+)$")
      string(APPEND allow_text "${CMAKE_MATCH_1}\n")
    elseif(line MATCHES "^allow-weak: (.+)$")
      string(APPEND allow_weak_text "${CMAKE_MATCH_1}\n")
    else()
      string(APPEND bad_rules "  ${rule_file}: '${line}'\n")
    endif()
  endwhile()
  if(NOT rule_file STREQUAL TOOLCHAIN_FILE AND required_here EQUAL 0)
    string(APPEND bad_rules "  ${rule_file}: a family without required symbols\n")
  endif()
endforeach()
if(NOT bad_rules STREQUAL "")
  message(FATAL_ERROR "unreadable rule lines:\n${bad_rules}")
endif()

# Required names alone, each between line ends, for exact lookups.
string(REGEX REPLACE "\n[^|\n]*\\|" "\n" required_names "\n${require_text}")

# --- the symbols -----------------------------------------------------------
set(names_text "\n") # every exported name, each followed by a line end
set(count 0)
set(leaks "")
set(rest "${nm_out}")
while(NOT rest STREQUAL "")
  lcc_pop_line(rest line)
  if(line STREQUAL "")
    continue()
  endif()
  if(NOT line MATCHES "^[0-9a-fA-F]* *([A-Za-z]) (.+)$")
    message(FATAL_ERROR "unexpected nm line: '${line}'")
  endif()
  set(kind "${CMAKE_MATCH_1}")
  set(name "${CMAKE_MATCH_2}")
  math(EXPR count "${count} + 1")
  string(APPEND names_text "${name}\n")

  string(FIND "${required_names}" "\n${name}\n" found)
  if(found EQUAL -1)
    set(allowed FALSE)
  else()
    set(allowed TRUE)
  endif()
  set(pats "${allow_text}")
  if(kind MATCHES "^[VWu]$")
    string(APPEND pats "${allow_weak_text}")
  endif()
  while(NOT allowed AND NOT pats STREQUAL "")
    lcc_pop_line(pats pat)
    if(NOT pat STREQUAL "" AND name MATCHES "^(${pat})$")
      set(allowed TRUE)
    endif()
  endwhile()
  if(NOT allowed)
    string(APPEND leaks "  ${kind} ${name}\n")
  endif()
endwhile()
if(count EQUAL 0)
  message(FATAL_ERROR "the library exports no symbols at all")
endif()

set(missing "")
set(reqs "${require_text}")
while(NOT reqs STREQUAL "")
  lcc_pop_line(reqs req)
  if(req STREQUAL "")
    continue()
  endif()
  string(FIND "${req}" "|" bar)
  string(SUBSTRING "${req}" 0 ${bar} family)
  math(EXPR bar "${bar} + 1")
  string(SUBSTRING "${req}" ${bar} -1 symbol)
  string(FIND "${names_text}" "\n${symbol}\n" found)
  if(found EQUAL -1)
    string(APPEND missing "  ${family}: ${symbol}\n")
  endif()
endwhile()

set(report "")
if(NOT leaks STREQUAL "")
  string(APPEND report "unexpected exported symbols (internal leaks, or a family file lacks them):\n${leaks}")
endif()
if(NOT missing STREQUAL "")
  string(APPEND report "missing exported symbols:\n${missing}")
endif()
if(NOT report STREQUAL "")
  message(FATAL_ERROR "${report}")
endif()
message(STATUS "${count} exported symbols, all of them expected")
