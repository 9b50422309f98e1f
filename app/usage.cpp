// SPDX-License-Identifier: MIT
#include <cstdio>

#include "app/usage.h"

namespace {

const int version_major = 1;
const int version_minor = 4;
// Printed in hexadecimal so that the digits read as the decimal date.
const int release_day = 0x03;
const int release_month = 0x05;
const int release_year = 0x2008;

const char* const rule = "===================================================================\n";

} // namespace

void print_usage()
{
    std::printf("%s", rule);
    std::printf("                     Bootloader downloader\n");
    std::printf("\n");
    std::printf(" - Version : %d.%d\n", version_major, version_minor);
    std::printf(" - Release date : %02x/%02x/%04x (%s)\n", release_day, release_month, release_year, "KST");
    std::printf("\n");
    std::printf(" - Available model : \tzorvan50s/c PCB ver. B or C \n");
    std::printf("           \t\tpellox-s/c PCB ver. A\n");
    std::printf("                        pellox-max PCB ver. \n");
    std::printf("           \t\tquilby90s PCB ver. C or D\n");
    std::printf("\n");
    std::printf(" - Usages : vexload -m model [-o pal/ntsc] [-t #] [-c] [-h]\n");
    std::printf("\t-m model : select model (zorvan50s/c, pellox-s/c, pellox-max or quilby90s)\n");
    std::printf("\t-o pal/ntsc : select video format (ntsc or pal. default is pal)\n");
    std::printf("\t-t # : time out. # is number. default is 3\n");
    std::printf("\t-c : check flash after program\n");
    std::printf("\t-h : show this help message\n");
    std::printf("\n");
    std::printf(" - Support : %s\n", "vexload maintainers <support@vexload.invalid>");
    std::printf("%s", rule);
}
