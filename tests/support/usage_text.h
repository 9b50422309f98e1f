// SPDX-License-Identifier: MIT
// The banner and usage text, byte for byte, as every path that ends before
// the target prints it.
#pragma once

#include <string>

inline const std::string usage_text =
    "===================================================================\n"
    "                     Bootloader downloader\n"
    "\n"
    " - Version : 1.4\n"
    " - Release date : 03/05/2008 (KST)\n"
    "\n"
    " - Available model : \tzorvan50s/c PCB ver. B or C \n"
    "           \t\tpellox-s/c PCB ver. A\n"
    "                        pellox-max PCB ver. \n"
    "           \t\tquilby90s PCB ver. C or D\n"
    "\n"
    " - Usages : vexload -m model [-o pal/ntsc] [-t #] [-c] [-h]\n"
    "\t-m model : select model (zorvan50s/c, pellox-s/c, pellox-max or quilby90s)\n"
    "\t-o pal/ntsc : select video format (ntsc or pal. default is pal)\n"
    "\t-t # : time out. # is number. default is 3\n"
    "\t-c : check flash after program\n"
    "\t-h : show this help message\n"
    "\n"
    " - Support : vexload maintainers <support@vexload.invalid>\n"
    "===================================================================\n";
