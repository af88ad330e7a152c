# Windows' own resources of a program: the program icon (when the pictures
# are built), version information and, if asked, the windowed program's
# manifest, written from the templates beside this file so the version and
# the maker's texts come from the build's configuration.
#
#   dozuzezo_windows_resources(<target> DESCRIPTION <text> [MANIFEST])

# A resource script's string: backslashes and quotes escaped, on one line.
function(dozuzezo_rc_string var text)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\"\"" text "${text}")
  string(REGEX REPLACE "[\r\n]+" " " text "${text}")
  set(${var} "${text}" PARENT_SCOPE)
endfunction()

function(dozuzezo_windows_resources target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "MANIFEST" "DESCRIPTION" "")
  set(templates "${PROJECT_SOURCE_DIR}/resources/windows")
  set(out "${CMAKE_CURRENT_BINARY_DIR}/windows-resources")

  set(rc_file_name "${target}.exe")
  set(rc_internal_name "${target}")
  dozuzezo_rc_string(rc_description "${arg_DESCRIPTION}")
  dozuzezo_rc_string(rc_company "${DOZUZEZO_MAKER_NAME}")
  dozuzezo_rc_string(rc_copyright "${DOZUZEZO_MAKER_NOTICE} ${DOZUZEZO_MAKER_NAME}")
  set(v ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH} ${PROJECT_VERSION_TWEAK})
  list(APPEND v 0 0 0 0)
  list(SUBLIST v 0 4 v)
  list(JOIN v "," rc_version)
  list(JOIN v "." rc_version_dotted)

  set(rc_icon "")
  set(depends "")
  if(DOZUZEZO_GUI)
    # Rendered in resources/, which is read after the export's folder.
    set(ico "${PROJECT_BINARY_DIR}/resources/pictures/app.ico")
    set(rc_icon "IDI_ICON1 ICON \"${ico}\"")
    list(APPEND depends "${ico}")
    add_dependencies(${target} dozuzezo_program_ico)
  endif()
  set(rc_manifest "")
  if(arg_MANIFEST)
    set(manifest "${out}/${target}.manifest")
    configure_file("${templates}/dozuzezo.manifest.in" "${manifest}" @ONLY)
    if(MSVC)
      # Its linker writes a manifest of its own and merges the ones it is given.
      target_sources(${target} PRIVATE "${manifest}")
    else()
      set(rc_manifest "CREATEPROCESS_MANIFEST_RESOURCE_ID RT_MANIFEST \"${manifest}\"")
      list(APPEND depends "${manifest}")
    endif()
  endif()

  set(rc "${out}/${target}.rc")
  configure_file("${templates}/program.rc.in" "${rc}" @ONLY)
  set_source_files_properties("${rc}" PROPERTIES OBJECT_DEPENDS "${depends}")
  target_sources(${target} PRIVATE "${rc}")
endfunction()
