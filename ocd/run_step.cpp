// SPDX-License-Identifier: MIT
#include "ocd/run_step.h"

namespace {

struct step_text {
    run_step step;
    const char* line;
};

// What a technician must know of the flash when the run stops there.
constexpr step_text stop_lines[] = {
    {run_step::connecting, "before it reached the box: nothing was changed."},
    {run_step::preparing, "before the erase: the flash was not changed."},
    {run_step::erasing,
     "while erasing: the flash is partly erased and the box will not start; run vexload-ocd again."},
    {run_step::downloading,
     "while downloading: the flash is half written and the box will not start; run vexload-ocd again."},
    {run_step::downloaded, "after the download: the image is written but was not checked; run vexload-ocd "
                           "again with -c 1 to be sure of it."},
    {run_step::checking, "while checking: the image is written but was not checked to its end; run vexload-ocd "
                         "again to be sure of it."},
};

} // namespace

const char* stop_line_for(run_step step)
{
    for (const step_text& s : stop_lines)
        if (s.step == step)
            return s.line;
    return "";
}

int stop_status(int signal)
{
    return 128 + signal;
}
