#include "cli/Cli.h"

#include <iostream>

int main(int argc, char** argv) {
    return vitrimo::RunCli(std::vector<std::string>(argv, argv + argc), std::cout, std::cerr);
}
