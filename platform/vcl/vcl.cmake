# The per-user hive is an SQLite file.
find_package(SQLite3 REQUIRED)
target_link_libraries(vcl PRIVATE SQLite::SQLite3)
