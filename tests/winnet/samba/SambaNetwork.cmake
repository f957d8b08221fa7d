# Tests against a private Samba network, started once per CTest run:
#   ALPHA  master ALPHA1, member ALPHA2;  BETA  master BETA1
#
#   include(${PROJECT_SOURCE_DIR}/tests/winnet/samba/SambaNetwork.cmake)
#   add_samba_network_test(NAME my_test COMMAND $<TARGET_FILE:tst_x> [ARG]...
#                          [ENVIRONMENT VAR=value...] [LABELS label...])
#
# The command runs inside the network's namespace as its client (see
# run-in-network.sh for what it sees) and is skipped (77) with the reason when
# the machine cannot host the network (not root, no namespaces).
include_guard(DIRECTORY)

set(SAMBA_NETWORK_SCRIPTS ${CMAKE_CURRENT_LIST_DIR})
set(SAMBA_NETWORK_STATE_FILE ${CMAKE_BINARY_DIR}/samba_network.state)

function(add_samba_network_test)
  cmake_parse_arguments(ARG "" "NAME" "COMMAND;ENVIRONMENT;LABELS" ${ARGN})
  add_test(NAME ${ARG_NAME}
           COMMAND ${SAMBA_NETWORK_SCRIPTS}/run-in-network.sh ${SAMBA_NETWORK_STATE_FILE}
                   ${ARG_COMMAND})
  set_tests_properties(${ARG_NAME} PROPERTIES
    FIXTURES_REQUIRED samba_network
    SKIP_RETURN_CODE 77
    TIMEOUT 120
    LABELS "samba;${ARG_LABELS}")
  if(ARG_ENVIRONMENT)
    set_tests_properties(${ARG_NAME} PROPERTIES ENVIRONMENT "${ARG_ENVIRONMENT}")
  endif()
endfunction()

# The fixture itself; declared once, by tests/winnet.
function(add_samba_network_fixture)
  add_test(NAME winnet_samba_network_setup
           COMMAND ${SAMBA_NETWORK_SCRIPTS}/start-network.sh
                   --state-file ${SAMBA_NETWORK_STATE_FILE} --deadline 60)
  set_tests_properties(winnet_samba_network_setup PROPERTIES
    FIXTURES_SETUP samba_network SKIP_RETURN_CODE 77 TIMEOUT 120 LABELS samba)
  add_test(NAME winnet_samba_network_cleanup
           COMMAND ${SAMBA_NETWORK_SCRIPTS}/stop-network.sh --state-file ${SAMBA_NETWORK_STATE_FILE})
  set_tests_properties(winnet_samba_network_cleanup PROPERTIES
    FIXTURES_CLEANUP samba_network TIMEOUT 60 LABELS samba)
endfunction()
