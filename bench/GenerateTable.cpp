// quillon-gen-table PATH RECORDS [DELETED_EVERY]: writes a large table for benchmarks;
// quillon-gen-table --vfp PATH RECORDS a Visual FoxPro one.
#include "bench/TableGenerator.h"

#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::cerr << "usage: quillon-gen-table PATH RECORDS [DELETED_EVERY]\n"
                     "       quillon-gen-table --vfp PATH RECORDS\n";
        return 1;
    }
    try {
        if (std::string(argv[1]) == "--vfp" && argc == 4) {
            bench::generateFoxTable(argv[2], static_cast<std::uint32_t>(std::stoul(argv[3])));
            return 0;
        }
        bench::generateTable(argv[1], static_cast<std::uint32_t>(std::stoul(argv[2])),
                             argc == 4 ? static_cast<std::uint32_t>(std::stoul(argv[3])) : 0);
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return 1;
    }
    return 0;
}
