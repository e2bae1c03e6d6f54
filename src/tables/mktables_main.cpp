// lognex-mktables FOLDER: writes empty table files (ErrorName.ff2,
// ErrorOccur.ff2, ForExcel.ff2) into FOLDER, replacing any there. The build
// runs it into the program folder; a user runs it to repair an installation.

#include <exception>
#include <filesystem>
#include <iostream>

#include "tables/error_tables.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: lognex-mktables FOLDER\n";
        return 2;
    }
    try {
        const std::filesystem::path folder = argv[1];
        std::filesystem::create_directories(folder);
        lognex::CreateErrorTableFiles(folder);
    } catch (const std::exception& failure) {
        std::cerr << "lognex-mktables: " << failure.what() << '\n';
        return 1;
    }
    return 0;
}
