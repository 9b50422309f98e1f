// SPDX-License-Identifier: MIT
#include "app/run_sequence.h"

#include <cstdio>

#include "app/clock_delay_option.h"
#include "app/models.h"
#include "app/options.h"
#include "app/programming.h"
#include "app/usage.h"
#include "board/board_init.h"
#include "link/cable.h"

int32_t run_model_code = -1;

bool scan_run_request(int32_t argc, char* const argv[], run_request& request)
{
    if (argc < 2) {
        print_usage();
        return false;
    }

    const char* const option_set = "m:o:t:c:h";
    int32_t model_index = -1;
    int32_t video_offset = video_offset_pal;
    bool verify_requested = false;

    int32_t letter = scan_option(argc, argv, option_set);
    if (letter == -1) {
        print_usage();
        return false;
    }
    for (; letter != -1; letter = scan_option(argc, argv, option_set)) {
        switch (letter) {
        case 'm': {
            // An unknown name keeps the model of an earlier -m.
            const int32_t row = model_index_of(option_argument);
            if (row >= 0)
                model_index = row;
            break;
        }
        case 'o':
            video_offset = video_offset_of(option_argument);
            break;
        case 't':
            clock_delay = parse_clock_delay(option_argument);
            break;
        case 'c':
            verify_requested = true;
            break;
        case 'h':
            print_usage();
            return false;
        default:
            // '?': unknown letters and missing arguments pass silently.
            break;
        }
    }

    if (model_index < 0) {
        print_usage();
        return false;
    }

    const int32_t model_code = model_index + video_offset;
    run_model_code = model_code;
    board_message = board_message_of(model_code);
    if (board_message == nullptr) {
        std::printf("\nUnknown model(%d,%d,%d) !!\n", model_code, video_offset, clock_delay);
        print_usage();
        return false;
    }
    request = {model_code, verify_requested};
    return true;
}

int32_t run_sequence(int32_t argc, char* const argv[])
{
    run_request request;
    if (!scan_run_request(argc, argv, request))
        return 0;
    return run_programming(request.model_code, request.verify_requested);
}
