// Finding the table files along a path before a library is trusted with them.
#pragma once

#include <string>
#include <vector>

// The folders of `path`, separated by ';', with blanks around each trimmed and empty ones
// dropped.
std::vector<std::string> tablebase_folders(const char* path);

// The number of files in `folder` whose names end in `suffix`; -1 when one of them is not a
// readable, non-empty file, as a library would crash on it. The log says why.
int count_table_files(const std::string& folder, const char* suffix);
