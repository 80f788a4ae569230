# tonvale_embed_xrc(<target> <Name> <xrc files...>)
# Compiles the XRC files into C++ with wxrc and adds the result to <target>.
# The generated function is Init<Name>Xrc(); the owner calls it once before
# loading any of its resources.
function(tonvale_embed_xrc target name)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${name}_xrc.cpp)
  set(files ${ARGN})
  add_custom_command(
    OUTPUT ${out}
    COMMAND wxrc -c -n Init${name}Xrc -o ${out} ${files}
    DEPENDS ${files}
    WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
    COMMENT "Embedding ${name} dialogs"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
  set_source_files_properties(${out} PROPERTIES COMPILE_OPTIONS "-Wno-unused-parameter;-Wno-pedantic")
endfunction()
