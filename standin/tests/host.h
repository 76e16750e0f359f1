// What the stand-in's tests do differently per platform.
#ifndef HOLDFAST_STANDIN_TESTS_HOST_H_
#define HOLDFAST_STANDIN_TESTS_HOST_H_

#include <string>

#include "standin/entry.h"

// Loads the library as a program would and finds BTRCALLID by that name.
BtrCallFunction LoadEntry(const std::string& library, std::string* err);

// For this process and the library loaded into it.
void SetEnv(const std::string& name, const std::string& value);
void UnsetEnv(const std::string& name);

#endif  // HOLDFAST_STANDIN_TESTS_HOST_H_
