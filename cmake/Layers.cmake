# The layers and what each may use: platform <- net <- irc; net <- dcc; platform <- settings;
# irc, dcc, settings <- session <- app <- gui. Each is its own library linking only the
# layers below it, and an include across the layering fails at configure time.
set(pell_core_layers platform net irc dcc settings session app)
set(pell_uses_platform "")
set(pell_uses_net platform)
set(pell_uses_irc net platform)
set(pell_uses_dcc net platform)
set(pell_uses_settings platform)
set(pell_uses_session irc dcc net settings platform)
set(pell_uses_app session irc dcc net settings platform)
set(pell_uses_gui ${pell_core_layers})

# Fails the configure step when a source file directly in `folder` includes
# "name/..." for a name not in the list that follows ("the first folder of the path
# names the layer"). New files are picked up without editing any list.
function(pell_check_includes folder)
  file(GLOB sources CONFIGURE_DEPENDS "${folder}/*.cpp" "${folder}/*.h")
  foreach(source IN LISTS sources)
    file(STRINGS ${source} includes REGEX "^#include \"[a-z]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^#include \"([a-z]+)/.*" "\\1" used "${line}")
      if(NOT used IN_LIST ARGN)
        file(RELATIVE_PATH shown ${PROJECT_SOURCE_DIR} ${source})
        message(FATAL_ERROR "${shown} may not include ${used}/ (it may include: ${ARGN})")
      endif()
    endforeach()
  endforeach()
endfunction()

# Every folder of sources, the program's and everything built around it.
function(pell_check_all_includes)
  set(root ${PROJECT_SOURCE_DIR})
  foreach(layer IN LISTS pell_core_layers ITEMS gui)
    pell_check_includes(${root}/src/${layer} ${layer} ${pell_uses_${layer}})
    # A layer's tests use what the layer may use, the test support and the doubles.
    pell_check_includes(${root}/tests/${layer} ${layer} ${pell_uses_${layer}} support doubles)
  endforeach()
  # Doubles stand in for ports and servers of every Qt-free layer; tests, benchmarks,
  # fuzz targets and tools link them.
  pell_check_includes(${root}/tests/doubles doubles ${pell_core_layers})
  # Test support serves the tests of every layer, so it reaches no layer above net.
  pell_check_includes(${root}/tests/support support doubles platform net)
  pell_check_includes(${root}/bench doubles gui ${pell_core_layers})
  pell_check_includes(${root}/fuzz doubles ${pell_core_layers})
  pell_check_includes(${root}/tools doubles ${pell_core_layers})
endfunction()
