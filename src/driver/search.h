// The course of a run that is not in end mode.
#pragma once

#include <string>

// Walks for the files of `file_specification`, hands each to the engine (or
// lists it), and returns the exit status.
int SearchRun(const std::string& file_specification);
