# The layers of the programs, each a library that sees only itself and the
# layers below it. The server:
#
#   common <- board <- page <- publish <- engine ----------+
#                   |       |          <- web ---------------+- the server shell
#                   |       |     (and connection_exchange.h |  (Windows), and
#                   |       |      of the engine alone)      |  server/posix
#                   |       |          <- reset (daily) -----+
#                   |       <- first_run --------------------+
#                   <- history ------------------------------+
#                   <- history <- rollcall <- web
#   web, history, reset <- admin ----------------------------+
#
# publish turns a batch of request lines into a publication (data file,
# page, journal, replies); the engine keeps the connections, their pools
# and the watchers of the event stream, and runs the batches; the web port
# speaks HTTP over the bytes of a connection. The engine includes nothing
# of the web; the web port implements the engine's connection_exchange.h,
# the one engine header it sees (no socket, no pool), and the shells hand
# the engine the web port. The
# first-run rules stand on the page (whose defaults they fill in); history
# on the board beside page; the daily reset on the publication, whose
# publisher saves and pages the members it signs out; the roll call on the
# history journal, which it writes to; the administration from a browser
# on the web port's rules, the history's files and the reset's time rule.
# Only the shells use them together:
# the Windows one, and the POSIX front end of the native server. The client:
#
#   common <- client/core <- client/shell (the client)
#
# Sources include headers by their path from the checkout's top
# ("server/board/user_table.h"). A layer is not given the top as include
# path but a tree of its own in the build directory that links only the
# folders (or single headers) it may use, so that an include of a higher
# layer's header does not compile.
#
# layer_include_tree(TARGET path...): makes the tree of TARGET from the
# given paths (folders or files, relative to the top) and gives it to
# TARGET and to everything that links it.
function(layer_include_tree target)
    # Named for its paths, so that a path taken off a layer's list is not
    # left behind in a tree from an earlier configure.
    string(MD5 paths_hash "${ARGN}")
    string(SUBSTRING ${paths_hash} 0 12 paths_hash)
    set(root ${CMAKE_BINARY_DIR}/layers/${target}-${paths_hash})
    foreach(path ${ARGN})
        get_filename_component(parent ${root}/${path} DIRECTORY)
        file(MAKE_DIRECTORY ${parent})
        if(NOT EXISTS ${root}/${path})
            file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${path} ${root}/${path} SYMBOLIC)
        endif()
    endforeach()
    target_include_directories(${target} PUBLIC ${root})
endfunction()
