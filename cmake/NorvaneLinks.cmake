# The link dependencies of every norvane_* library, as the build has them.
#
# 1. NORVANE_LINKS_FILE (norvane-links.txt in the build folder) gets one line
#    per library: its name, its folder relative to the source tree and the
#    libraries it links directly (public and private), separated by tabs;
#    scripts/check_links.py reads it to check the layer order of the links
#    and the "Links" column of docs/architecture.md (tests/layers).
# 2. Every static norvane_* library gets an executable links_<library> that
#    links the whole archive and nothing but what the library declares, so a
#    library that uses another without linking it fails the build.
# Included at the end of the top-level list, when every target exists.

function(nv_collect_targets dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub ${subdirs})
    nv_collect_targets(${sub} sub_targets)
    list(APPEND targets ${sub_targets})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

nv_collect_targets(${PROJECT_SOURCE_DIR} nv_all_targets)
set(nv_links_text "")
foreach(target ${nv_all_targets})
  if(NOT target MATCHES "^norvane_")
    continue()
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "STATIC_LIBRARY")
    get_target_property(deps ${target} LINK_LIBRARIES)
  elseif(type STREQUAL "INTERFACE_LIBRARY")
    get_target_property(deps ${target} INTERFACE_LINK_LIBRARIES)
  else()
    continue()
  endif()
  set(names "")
  foreach(dep ${deps})
    # Skip generator expressions and the markers of links made from another
    # directory ("::@(...)").
    if(NOT dep MATCHES "^(\\$<|::@)" AND NOT dep STREQUAL "deps-NOTFOUND")
      list(APPEND names ${dep})
    endif()
  endforeach()
  get_target_property(dir ${target} SOURCE_DIR)
  file(RELATIVE_PATH dir ${PROJECT_SOURCE_DIR} ${dir})
  list(JOIN names " " names)
  string(APPEND nv_links_text "${target}\t${dir}\t${names}\n")

  if(type STREQUAL "STATIC_LIBRARY")
    add_executable(links_${target} ${CMAKE_CURRENT_LIST_DIR}/links_main.cpp)
    target_link_libraries(links_${target} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${target}>")
    set_target_properties(links_${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/links)
  endif()
endforeach()
set(NORVANE_LINKS_FILE ${CMAKE_BINARY_DIR}/norvane-links.txt)
file(GENERATE OUTPUT ${NORVANE_LINKS_FILE} CONTENT "${nv_links_text}")
