// SPDX-License-Identifier: MIT
// The port-I/O library as vexload-sim's PC has it: present, absent, missing an
// entry point, or refusing access. It never touches a real port.
#pragma once

enum class winio_presence { present, absent, incomplete, init_fails };

extern winio_presence box_winio;

// "present", "absent", "incomplete", "init-fails"; false for any other word.
bool winio_presence_from(const char* word, winio_presence& presence);
