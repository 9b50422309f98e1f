// Whether the flash holds the image of this run's model where the tool puts it.
#pragma once

bool image_in_flash();
