# mapgrid_embed_form(target file className): compiles a form description into the program
# as a Qt resource, which FindFormResource finds under the class name.
#
# The file is compiled in as it is, so any content survives, and again whenever it changes.
# Its registration is a static initialiser that nothing references, which a linker would drop
# from a static library; for a static library Qt's resource compiler therefore builds it into
# an object library whose objects go into every program that links the library.
function(mapgrid_embed_form target file className)
  if(NOT className MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
    message(FATAL_ERROR "mapgrid_embed_form: '${className}' is not a class name")
  endif()
  get_filename_component(source "${file}" ABSOLUTE)
  # Class names are looked up ignoring case: the resource is named in lower case.
  string(TOLOWER "${className}" key)
  set_source_files_properties("${source}" PROPERTIES QT_RESOURCE_ALIAS "${key}")
  qt_add_resources(${target} "${target}_form_${className}" PREFIX "/mapgrid/forms" FILES "${source}")
endfunction()
