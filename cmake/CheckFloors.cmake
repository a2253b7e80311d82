# Fails the build when a file includes a header from a floor above its own, or when code below the
# user interface includes Qt. Floors, lowest first: base -> core (store, link, audio, schedule, and
# the station above them) -> widgets -> pages -> app. Above the core no file sees a statement text: the user interface
# reaches the database through the table classes only.
# Run with -DSOURCE_DIR=<tree> -DSTAMP=<file to touch on success>.
set(forbidden_base "store/|link/|audio/|schedule/|station/|widgets/|pages/|app/|<Q")
set(forbidden_store "link/|audio/|schedule/|station/|widgets/|pages/|app/|<Q")
set(forbidden_link "audio/|schedule/|station/|widgets/|pages/|app/|<Q")
set(forbidden_audio "schedule/|station/|widgets/|pages/|app/|<Q")
set(forbidden_schedule "station/|widgets/|pages/|app/|<Q")
set(forbidden_station "widgets/|pages/|app/|<Q")
set(forbidden_widgets "pages/|app/|store/Statements.h")
set(forbidden_pages "app/|store/Statements.h")
set(forbidden_app "store/Statements.h")

set(violations "")
foreach(dir base store link audio schedule station widgets pages app)
  file(GLOB files ${SOURCE_DIR}/${dir}/*.h ${SOURCE_DIR}/${dir}/*.cpp)
  foreach(file IN LISTS files)
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS lines)
      if(line MATCHES "#[ \t]*include[ \t]*[\"<](${forbidden_${dir}})")
        file(RELATIVE_PATH name ${SOURCE_DIR} ${file})
        string(APPEND violations "\n  ${name}: ${line}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "Includes that reach a floor above their own (base -> core -> widgets -> pages -> app), or statement texts above the core:"
                      "${violations}\nMove what is shared down to the lower floor, and SQL into a table class of store/.")
endif()
file(TOUCH ${STAMP})
