# Copies the folder SOURCE into DESTINATION (as DESTINATION/resources) when it exists.
# Unchanged files are left alone.
if(EXISTS "${SOURCE}")
  file(COPY "${SOURCE}" DESTINATION "${DESTINATION}")
endif()
