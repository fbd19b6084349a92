// SPDX-License-Identifier: MIT
// quelix-soak: the fault soak of the library, a test program run by CTest.
#include <cstdio>
#include <string>
#include <vector>

#include "claim_holder.h"
#include "soak.h"
#include "soak_options.h"

int main(int argc, char** argv)
{
    using namespace quelix::soak;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    for (const std::string& argument : arguments) {
        if (argument == "--help") {
            std::fputs(SoakUsage().c_str(), stdout);
            return 0;
        }
    }
    std::string error;
    const auto options = ParseSoakOptions(arguments, error);
    if (!options) {
        std::fprintf(stderr, "quelix-soak: %s\n%s", error.c_str(), SoakUsage().c_str());
        return 2;
    }
    if (options->holdClaim >= 0)
        return HoldClaim(options->holdClaim);
    return Soak(*options).Run();
}
