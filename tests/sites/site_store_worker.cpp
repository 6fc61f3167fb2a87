// A second host process for the saved sites' tests: applies the steps it
// reads, a line each, to the file named on its command line and answers each
// with a line of its own. Its store was opened once, at its start, as a
// host window's is.
#include <cstdio>
#include <iostream>
#include <string>

#include "tests/sites/site_steps.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: site_store_worker SITES_FILE\n");
        return 1;
    }
    sites::SiteStore store(argv[1]);
    std::string failure;
    store.load(failure);
    for (std::string line; std::getline(std::cin, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        std::cout << site_steps::apply(store, line) << std::endl;
    }
    return 0;
}
