# The program's own top-level source folders, in the order they build. The
# static analysis (tests/tidy/) checks the sources and the headers of exactly
# these, so a folder added or renamed here is analysed without another edit.
set(BRISKO_SOURCE_FOLDERS link protocol dialog sim qt app win32)

# Top-level folders with C++ sources that the analysis leaves out, and why:
# tests/, bench/ and fuzz/ are the checks, measurements and fuzz targets of
# the folders above and are not shipped; cmake/ holds only build scripts.
set(BRISKO_UNANALYSED_FOLDERS tests bench fuzz cmake)

# Configuring fails when a top-level folder holds C++ sources but is in
# neither list, so that no folder drops out of the analysis unnoticed.
function(brisko_check_source_folders)
  file(GLOB entries RELATIVE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/*)
  foreach(entry ${entries})
    # Hidden folders and build trees (/build*/ and /out/ are ignored by git).
    if(NOT IS_DIRECTORY ${PROJECT_SOURCE_DIR}/${entry} OR entry MATCHES "^(\\.|build|out$)")
      continue()
    endif()
    if(entry IN_LIST BRISKO_SOURCE_FOLDERS OR entry IN_LIST BRISKO_UNANALYSED_FOLDERS)
      continue()
    endif()
    file(GLOB_RECURSE sources ${PROJECT_SOURCE_DIR}/${entry}/*.cpp ${PROJECT_SOURCE_DIR}/${entry}/*.h)
    if(sources)
      message(FATAL_ERROR "${entry}/ holds C++ sources but is named neither in BRISKO_SOURCE_FOLDERS nor in "
                          "BRISKO_UNANALYSED_FOLDERS (cmake/source_folders.cmake): the static analysis would miss it")
    endif()
  endforeach()
  foreach(folder ${BRISKO_SOURCE_FOLDERS})
    if(NOT IS_DIRECTORY ${PROJECT_SOURCE_DIR}/${folder})
      message(FATAL_ERROR "BRISKO_SOURCE_FOLDERS names ${folder}/, which does not exist")
    endif()
  endforeach()
endfunction()
brisko_check_source_folders()
