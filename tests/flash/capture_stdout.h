// SPDX-License-Identifier: MIT
// Standard output of a piece of code, byte for byte, through a file.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

// Runs body with standard output sent to a file and gives back what it printed.
// An exception thrown by body is passed on after the output is restored;
// printed holds the output up to that point.
std::string capture_stdout(const std::function<void()>& body);
std::string capture_stdout(const std::function<void()>& body, std::string& printed);
