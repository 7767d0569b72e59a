// Stands in for the update installer in tests: takes a moment, as an installer does, then leaves
// a file saying it ran and exits. Plain C++ so that it builds for either system.

#include <chrono>
#include <fstream>
#include <thread>

int main()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    std::ofstream("updater-ran.txt") << "installed\n";
    return 0;
}
