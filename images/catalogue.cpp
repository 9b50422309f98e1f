#include "images/catalogue.h"

#include "images/image_data.h"

namespace {

constexpr int32_t short_image = 0x18000;
constexpr int32_t long_image = 0x20000;

// One row per image, in the order of the block. quilby70s (2) is carried
// but never selected by a run; 10002 and 10006 have no image.
const image_entry catalogue[] = {
    {0, image_zorvan50s_pal, short_image},
    {10000, image_zorvan50s_ntsc, short_image},
    {1, image_zorvan50c_pal, short_image},
    {10001, image_zorvan50c_ntsc, short_image},
    {4, image_pellox_s_pal, short_image},
    {10004, image_pellox_s_ntsc, short_image},
    {5, image_pellox_c_pal, short_image},
    {10005, image_pellox_c_ntsc, short_image},
    {6, image_pellox_max_pal, long_image},
    {2, image_quilby70s_pal, short_image},
    {3, image_quilby90s_pal, short_image},
    {10003, image_quilby90s_ntsc, short_image},
};

} // namespace

const image_entry* select_image(int32_t model_code)
{
    for (const image_entry& entry : catalogue)
        if (entry.model_code == model_code)
            return &entry;
    return nullptr;
}
