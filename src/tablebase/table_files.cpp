#include "tablebase/table_files.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "common/log.h"

namespace {

std::string trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool ends_with(const std::string& name, const char* suffix) {
    size_t n = std::strlen(suffix);
    return name.size() > n && name.compare(name.size() - n, n, suffix) == 0;
}

// Opening and reading the first byte shows what the library will meet.
bool readable_table(const std::filesystem::directory_entry& entry) {
    std::error_code error;
    if (!entry.is_regular_file(error)) return false;
    FILE* file = std::fopen(entry.path().c_str(), "rb");
    if (!file) return false;
    bool has_data = std::fgetc(file) != EOF;
    std::fclose(file);
    return has_data;
}

}  // namespace

std::vector<std::string> tablebase_folders(const char* path) {
    std::vector<std::string> folders;
    std::string rest = path ? path : "";
    for (size_t start = 0; start <= rest.size();) {
        size_t end = rest.find(';', start);
        if (end == std::string::npos) end = rest.size();
        std::string folder = trimmed(rest.substr(start, end - start));
        if (!folder.empty()) folders.push_back(folder);
        start = end + 1;
    }
    return folders;
}

int count_table_files(const std::string& folder, const char* suffix) {
    using std::filesystem::directory_iterator;
    std::error_code error;
    int count = 0;
    for (directory_iterator it(folder, error); !error && it != directory_iterator();
         it.increment(error)) {
        if (!ends_with(it->path().filename().string(), suffix)) continue;
        if (!readable_table(*it)) {
            log_print("Tablebases: cannot read the table \"%s\"\n", it->path().c_str());
            return -1;
        }
        ++count;
    }
    if (error)
        log_print("Tablebases: cannot list the folder \"%s\": %s\n", folder.c_str(),
                  error.message().c_str());
    return count;
}
