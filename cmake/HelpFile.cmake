# The help file "hilfe.hlp" beside the programs (and so beside the demo catalogue), written from
# the German help source in resources/help by tools/make_help.py.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(QL_HELP_SOURCE ${CMAKE_SOURCE_DIR}/resources/help)
set(QL_HELP_FILE ${CMAKE_BINARY_DIR}/bin/hilfe.hlp)
file(GLOB ql_help_sources CONFIGURE_DEPENDS ${QL_HELP_SOURCE}/*.txt ${QL_HELP_SOURCE}/*.ini)
add_custom_command(
  OUTPUT ${QL_HELP_FILE}
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/make_help.py --source ${QL_HELP_SOURCE} --out ${QL_HELP_FILE}
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_help.py ${ql_help_sources}
  COMMENT "Writing the help file hilfe.hlp"
  VERBATIM)
add_custom_target(help_file ALL DEPENDS ${QL_HELP_FILE})
add_dependencies(Quillandora help_file)
add_dependencies(editor help_file)
