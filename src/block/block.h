// Block mode: collect the files found, then begin continuous operation for
// them a comma-separated list at a time.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

constexpr size_t kMaxNames = 2000;
constexpr size_t kBlockSize = 57000;

// The stored full paths, in the order they were collected.
extern std::vector<std::string> name_list;

// Stores `full_path` (after an Open probe with /O); true when stored.
bool CollectName(const std::string& full_path);

// Submits the stored names; 1 when every block was accepted, else 0.
int SubmitBlocks();
