# Makes a Linux tarball: cmake -D STRIP=... -D PROGRAM=... -D MANUAL=...
# -D LICENSE=... -D README=... -D TOP=... -D STAGING=... -D TARBALL=...
# -D SOURCE_DATE_EPOCH=... -P make-tarball.cmake
# The same bytes from every build of a commit: the members in name order,
# owned by root, with fixed modes whatever the umask, dated by
# SOURCE_DATE_EPOCH, and gzip without the name and time of its input.
file(REMOVE_RECURSE ${STAGING})
set(top ${STAGING}/${TOP})
file(MAKE_DIRECTORY ${top})
execute_process(COMMAND ${STRIP} -o ${top}/vantrel ${PROGRAM} COMMAND_ERROR_IS_FATAL ANY)
file(COPY_FILE ${MANUAL} ${top}/vantrel.1)
file(COPY_FILE ${LICENSE} ${top}/LICENSE)
file(COPY_FILE ${README} ${top}/README)
file(CHMOD ${top} ${top}/vantrel PERMISSIONS
     OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
file(CHMOD ${top}/vantrel.1 ${top}/LICENSE ${top}/README PERMISSIONS
     OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
get_filename_component(folder ${TARBALL} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
execute_process(
  COMMAND tar --create --format=gnu --sort=name --owner=0 --group=0 --numeric-owner
              --mtime=@${SOURCE_DATE_EPOCH} --file=- ${TOP}
  COMMAND gzip -9n
  WORKING_DIRECTORY ${STAGING}
  OUTPUT_FILE ${TARBALL}
  COMMAND_ERROR_IS_FATAL ANY)
