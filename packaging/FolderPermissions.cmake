# Run by CPack on the staged files before it packs them: the folders were made under the builder's umask, and a
# Debian package's folders are 0755 whatever that umask is.
file(GLOB_RECURSE folders LIST_DIRECTORIES true "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
list(APPEND folders "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
foreach(folder IN LISTS folders)
    if(IS_DIRECTORY "${folder}")
        file(CHMOD "${folder}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                                      WORLD_READ WORLD_EXECUTE)
    endif()
endforeach()
