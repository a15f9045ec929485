# The program finds its companions in folders beside its executable; this
# copies a set of files into one such folder of the build's output.
#   vandrel_copy_beside_program(TARGET FOLDER FILE...)
function(vandrel_copy_beside_program target folder)
  set(dir ${VANDREL_OUTPUT_DIR}/${folder})
  set(copied "")
  foreach(file IN LISTS ARGN)
    get_filename_component(name ${file} NAME)
    add_custom_command(OUTPUT ${dir}/${name}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${file} ${dir}/${name}
      DEPENDS ${file} VERBATIM)
    list(APPEND copied ${dir}/${name})
  endforeach()
  add_custom_target(${target} ALL DEPENDS ${copied})
endfunction()
