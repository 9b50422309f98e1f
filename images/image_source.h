// SPDX-License-Identifier: MIT
// Where the embedded images came from, fixed when the build is configured.
#pragma once

// true: the build wrote its own placeholder images (no VEXLOAD_IMAGE_DIR);
// they start the virtual box but would leave a real box unbootable.
extern const bool images_are_placeholders;
