#include "app/programming.h"

#include <cstdio>

#include "board/board_init.h"
#include "flash/download.h"
#include "flash/erase.h"
#include "flash/identify.h"
#include "flash/verify.h"
#include "images/catalogue.h"
#include "link/debug_exchange.h"
#include "link/port_io_library.h"
#include "target/link_test.h"

namespace {

// Every reason to refuse the download is found before the erase: a box whose
// flash is erased and not written back does not start.
bool image_can_be_written(int32_t model_code)
{
    const image_entry* image = select_image(model_code);
    if (image == nullptr) {
        std::printf("Unknown model:%d\n", model_code);
        return false;
    }
    if (image_address(image->words) == 0) {
        std::printf("Image of %d words does not fit the flash. Nothing was erased.\n", image->words);
        return false;
    }
    return true;
}

} // namespace

int32_t run_programming(int32_t model_code, bool verify_requested)
{
    port_io.load();
    reset_and_halt();
    ignore_link_status = 0;
    if (target_test() != 0) {
        std::printf("Target test failed. If you need help, run \"flash help\"\n");
        return 0;
    }
    if (board_init(model_code) < 0)
        return 0;
    if (flash_identify() != 0)
        return 0;
    if (!image_can_be_written(model_code))
        return 0;
    flash_erase();
    flash_download(model_code);
    if (verify_requested && flash_verify(model_code) < 0) {
        std::printf("Programming failed !\n");
        return 0;
    }
    std::printf("Complete !\n");
    return 0;
}
