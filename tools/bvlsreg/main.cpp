#include "Bvlsreg.h"

#include "platform/Registry.h"

#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    try {
        const std::unique_ptr<bv::Registry> registry = bv::Registry::fromEnvironment();
        if (!registry)
            return bv::bvlsreg::NotInstalled;
        return bv::runBvlsreg(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr, *registry);
    } catch (const std::exception& error) {
        // A hive that cannot be found or parsed: the run cannot take place.
        std::cerr << error.what() << "\n";
        return bv::bvlsreg::NotInstalled;
    }
}
