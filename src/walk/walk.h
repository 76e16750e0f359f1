// Finding the candidate files: the directory walk and the one-file action.
#pragma once

#include <string>

constexpr int WALK_DONE = 1;
constexpr int WALK_STOPPED = 69;

// Walks `directory` (absolute, ending in a separator) for the run's pattern,
// and with /S its subdirectories, depth first, files before subdirectories.
int WalkDirectory(const std::string& directory);

bool HandleFile(const std::string& full_path);

void ShowSpinner();

// Whether `full_path` can go to the engine whole; if not, says why on
// standard error and marks the run as having left work undone.
bool PathReachesEngine(const std::string& full_path);

// The NetWare list line for a file.
std::string NetWareLine(const std::string& volume_name,
                        const std::string& full_path);
