# cmake -DCLANG_FORMAT=PATH -DROOT=DIR -P CheckFormat.cmake: fails unless every C++ file
# of the tree's own folders is laid out as .clang-format says.
set(folders apps bench builtins edits engine engine_vars examples framework fuzz packages qt tests)
set(files)
foreach(folder IN LISTS folders)
  file(GLOB_RECURSE found "${ROOT}/${folder}/*.cpp" "${ROOT}/${folder}/*.hpp" "${ROOT}/${folder}/*.h")
  list(APPEND files ${found})
endforeach()
execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${files}
  WORKING_DIRECTORY ${ROOT} RESULT_VARIABLE result ERROR_VARIABLE report)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "Not laid out as .clang-format says (run clang-format -i on these files):\n${report}")
endif()
