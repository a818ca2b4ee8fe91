# cmake -DCLANG_FORMAT=... -DSOURCE_DIR=... -P format_check.cmake: fails, naming each file and
# line, when a C++ file of the tree is not laid out as .clang-format says.
set(folders address bench cli common dns fuzz generator gui mmdb settings tests textio viewer)
set(files "")
foreach(folder IN LISTS folders)
  file(GLOB_RECURSE found "${SOURCE_DIR}/${folder}/*.cpp" "${SOURCE_DIR}/${folder}/*.h")
  list(APPEND files ${found})
endforeach()
list(SORT files)
list(LENGTH files count)
if(count EQUAL 0)
  message(FATAL_ERROR "No C++ files found under ${SOURCE_DIR}")
endif()
execute_process(COMMAND "${CLANG_FORMAT}" --dry-run --Werror ${files}
  WORKING_DIRECTORY "${SOURCE_DIR}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "Files not formatted as .clang-format says (clang-format -i FILE fixes one)")
endif()
message(STATUS "${count} C++ files formatted")
