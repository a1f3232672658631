# Run by CPack once it has installed what goes into a package, in its
# staging folder. The folders there were made under the builder's umask;
# every package gets the same permissions, those Debian gives its folders.
file(CHMOD_RECURSE ${CPACK_TEMPORARY_DIRECTORY} DIRECTORY_PERMISSIONS
     OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
