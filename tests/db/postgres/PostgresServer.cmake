# The throwaway PostgreSQL server of the tests, the CTest fixture "postgres_server" (defined
# in tests/db).
# Include this file from any test folder, then call use_postgres_server(<test>...): each test
# then runs while the server is up and finds it through the state file named by the
# POSTGRES_STATE_FILE environment variable (see start-server.sh for its contents; the C++ side
# is PostgresServer.h). A test that finds no state file prints why and exits 77 (skipped).
set(POSTGRES_STATE_FILE ${CMAKE_BINARY_DIR}/postgres-server/state.env)
set(POSTGRES_SERVER_DIR ${CMAKE_CURRENT_LIST_DIR})

function(use_postgres_server)
  foreach(test IN LISTS ARGN)
    set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED postgres_server)
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT POSTGRES_STATE_FILE=${POSTGRES_STATE_FILE})
    set_property(TEST ${test} PROPERTY SKIP_RETURN_CODE 77)
  endforeach()
endfunction()
