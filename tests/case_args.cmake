# The ravx-run arguments of a case folder, shared by the scripts that run
# golden programs: the options in CASE_DIR/args, then CASE_DIR/events and
# CASE_DIR/firmware.dmp when they are there.
function(ravx_case_args case_dir out)
  set(extra)
  if(EXISTS ${case_dir}/args)
    file(READ ${case_dir}/args args_text)
    string(STRIP "${args_text}" args_text)
    separate_arguments(extra UNIX_COMMAND "${args_text}")
  endif()
  if(EXISTS ${case_dir}/events)
    list(APPEND extra --events ${case_dir}/events)
  endif()
  if(EXISTS ${case_dir}/firmware.dmp)
    list(APPEND extra --firmware ${case_dir}/firmware.dmp)
  endif()
  set(${out} ${extra} PARENT_SCOPE)
endfunction()
