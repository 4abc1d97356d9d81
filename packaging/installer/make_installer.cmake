# Run by cpack's External generator on the staged installation: writes the home installer
# Tarvo-<version>.run, which is header.sh.in followed by a gzip-compressed tar of the tree below
# the prefix.
set(stage ${CPACK_TEMPORARY_DIRECTORY})
if(NOT EXISTS ${stage}/bin/tarvo)
  message(FATAL_ERROR "the staged installation in ${stage} holds no bin/tarvo")
endif()
set(payload ${CPACK_TOPLEVEL_DIRECTORY}/installer-payload.tar.gz)
set(header ${CPACK_TOPLEVEL_DIRECTORY}/installer-header.sh)
set(installer ${CPACK_TOPLEVEL_DIRECTORY}/${CPACK_TARVO_INSTALLER_NAME})

execute_process(
  COMMAND tar --create --gzip --file ${payload} --sort=name --owner=0 --group=0 --numeric-owner
          --directory ${stage} .
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot pack ${stage}")
endif()
configure_file(${CPACK_TARVO_INSTALLER_HEADER} ${header} @ONLY)
execute_process(COMMAND sh -c "cat \"$1\" \"$2\" > \"$3\"" sh ${header} ${payload} ${installer}
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot write ${installer}")
endif()
file(CHMOD ${installer} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
     WORLD_READ WORLD_EXECUTE)
set(CPACK_EXTERNAL_BUILT_PACKAGES ${installer})
