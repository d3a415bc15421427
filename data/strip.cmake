# Run by CPack on the staged files before it packs them: strips the program as Debian's dh_strip
# does, which also drops the sections of notes that a plain strip keeps, such as the compiler's
# version.
execute_process(
    COMMAND "${CPACK_VELMORAN_STRIP}" --remove-section=.comment --remove-section=.note
            "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/bin/Velmoran"
    COMMAND_ERROR_IS_FATAL ANY)
