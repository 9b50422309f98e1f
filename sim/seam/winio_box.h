// SPDX-License-Identifier: MIT
// The port-I/O library as vexload-sim's PC has it: present, absent, missing an
// entry point, or refusing access. It never touches a real port.
#pragma once

#include "common/box_option_names.h"

extern winio_presence box_winio;
