# The URL cache test fills the cache through WinINet itself (the programs
# bind it at run time; a test may import it).
target_link_libraries(${test_target} PRIVATE wininet)
