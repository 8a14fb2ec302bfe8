# Brings a copy of each catalogue up to date with the sources (lupdate) and fails when lrelease then finds a text
# without a finished translation: a text added to the program but not to a catalogue, or left unfinished there.
#   cmake -DLUPDATE=... -DLRELEASE=... -DSOURCES=<list file> -DCATALOGUES=<a.ts,b.ts> -DWORK=<folder> -P CheckComplete.cmake
string(REPLACE "," ";" catalogues "${CATALOGUES}")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
set(failed FALSE)
foreach(catalogue IN LISTS catalogues)
    get_filename_component(name "${catalogue}" NAME)
    file(COPY "${catalogue}" DESTINATION "${WORK}")
    execute_process(COMMAND "${LUPDATE}" -no-obsolete -locations none "@${SOURCES}" -ts "${WORK}/${name}"
                    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT status EQUAL 0)
        message(SEND_ERROR "lupdate failed on ${name}:\n${out}")
        set(failed TRUE)
        continue()
    endif()
    execute_process(COMMAND "${LRELEASE}" "${WORK}/${name}" -qm "${WORK}/${name}.qm"
                    RESULT_VARIABLE status OUTPUT_VARIABLE released ERROR_VARIABLE released)
    message(STATUS "${name}: ${released}")
    if(NOT status EQUAL 0 OR NOT released MATCHES "\\(([0-9]+) finished and 0 unfinished\\)"
       OR released MATCHES "untranslated")
        message(SEND_ERROR "${name} is not complete (lupdate: ${out}):\n${released}")
        set(failed TRUE)
    endif()
endforeach()
if(failed)
    message(FATAL_ERROR "Some catalogues are not complete.")
endif()
