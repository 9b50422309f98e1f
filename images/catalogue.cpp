// SPDX-License-Identifier: MIT
#include "images/catalogue.h"

#include "images/catalogue_rows.h"

const image_entry* select_image(int32_t model_code)
{
    for (const image_entry& entry : catalogue_rows)
        if (entry.model_code == model_code)
            return &entry;
    return nullptr;
}

std::span<const image_entry> catalogue_images()
{
    return catalogue_rows;
}
