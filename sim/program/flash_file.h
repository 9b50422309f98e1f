// SPDX-License-Identifier: MIT
// The flash array kept in a file between runs: 8 MiB, 16-bit words low byte first.
#pragma once

#include <string>

// Takes the flash file for this run and loads it into the box's flash array
// when it exists (the array stays erased when it does not). A symbolic link
// stands for the file it names. The file is locked against a second run
// through FILE.lock beside it (flock on Linux, an unshared handle on
// Windows), removed when the run lets the file go. false (with a reason) for
// a file in use, one of another size or one that cannot be read or locked.
bool flash_file_open(const std::string& path, std::string& error);

// Saves the array through a uniquely named temporary file beside the file,
// flushed to the disk and renamed over it, keeping the file's mode: a run
// stopped half-way or a second writer never leaves a torn file behind.
bool flash_file_save(std::string& error);

// Lets the file go (the lock file removed); also when it was never saved.
void flash_file_release();
