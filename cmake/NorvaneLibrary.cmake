# nv_library(TARGET INCLUDE dir DEPENDS lib... SOURCES file...): a static
# library of one source folder, its headers found from `dir`, linking the
# libraries it uses (publicly, since its headers name theirs).
function(nv_library target)
  cmake_parse_arguments(ARG "" "INCLUDE" "DEPENDS;SOURCES" ${ARGN})
  add_library(${target} STATIC ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC ${ARG_INCLUDE})
  target_link_libraries(${target} PUBLIC ${ARG_DEPENDS})
endfunction()
