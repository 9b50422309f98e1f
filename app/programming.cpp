// SPDX-License-Identifier: MIT
#include "app/programming.h"

#include <cstdio>

#include "board/board_init.h"
#include "flash/download.h"
#include "flash/erase.h"
#include "flash/identify.h"
#include "flash/image_plan.h"
#include "flash/verify.h"
#include "images/catalogue.h"
#include "images/image_source.h"
#include "link/debug_exchange.h"
#include "target/link_test.h"
#include "target/reset_and_halt.h"

bool placeholder_images_allowed = false;

int plan_image(int32_t model_code)
{
    const image_entry* image = select_image(model_code);
    if (image == nullptr) {
        std::printf("Unknown model:%d\n", model_code);
        return -1;
    }
    if (!plan_placed_image(image)) {
        std::printf("Image of %d words does not fit the flash. Nothing was erased.\n", image->words);
        return -1;
    }
    return 0;
}

// A box programmed with a placeholder does not start: the run stops after
// identification, which proves cable, box and chip, and before the erase.
bool images_fit_a_real_box()
{
    if (!images_are_placeholders || placeholder_images_allowed)
        return true;
    std::printf("This build carries placeholder images, not the real bootloader: nothing was erased. "
                "Build vexload with -DVEXLOAD_IMAGE_DIR=<folder of the real images>.\n");
    return false;
}

bool reach_the_flash(int32_t model_code)
{
    reset_and_halt();
    ignore_link_status = 0;
    if (target_test() != 0) {
        std::printf("Target test failed. If you need help, run \"flash help\"\n");
        return false;
    }
    return board_init(model_code) >= 0 && flash_identify() == 0;
}

void print_verdict(bool verify_requested)
{
    if (verify_requested && flash_verify() < 0) {
        std::printf("Programming failed !\n");
        return;
    }
    std::printf("Complete !\n");
}

int32_t run_programming(int32_t model_code, bool verify_requested)
{
    if (!reach_the_flash(model_code))
        return 0;
    // Every reason to refuse the download is found before the erase: a box
    // whose flash is erased and not written back does not start.
    if (plan_image(model_code) != 0)
        return 0;
    if (!images_fit_a_real_box())
        return status_placeholder_images;
    flash_erase();
    flash_download();
    print_verdict(verify_requested);
    return 0;
}
