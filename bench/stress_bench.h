#pragma once

#include <filesystem>

// Times the stress scene with the pictures of the given Data folder and
// prints its table.
void runStressBench(const std::filesystem::path& pictures);
