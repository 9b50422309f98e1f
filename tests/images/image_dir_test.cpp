// SPDX-License-Identifier: MIT
// Configuring with a folder of real images that is not usable: one configure
// run names every missing or wrongly sized image, and none of the good ones.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/run_program.h"
#include "tests/support/scratch_file.h"
#include "tests/support/squeezed.h"

namespace {

namespace fs = std::filesystem;

struct image_file_case {
    const char* name;
    long bytes;          // -1: not in the folder
    const char* listed;  // the line of the message, "" when the image is fine
};

const image_file_case folder[] = {
    {"zorvan50s-pal", 196607, "  zorvan50s-pal.bin holds 196607 bytes; it must be exactly 196608\n"},
    {"zorvan50s-ntsc", -1, "  zorvan50s-ntsc.bin is missing\n"},
    {"zorvan50c-pal", 196608, ""},
    {"zorvan50c-ntsc", 196608, ""},
    {"pellox-s-pal", 0, "  pellox-s-pal.bin holds 0 bytes; it must be exactly 196608\n"},
    {"pellox-s-ntsc", 196608, ""},
    {"pellox-c-pal", 196608, ""},
    {"pellox-c-ntsc", 196608, ""},
    {"pellox-max-pal", 196608, "  pellox-max-pal.bin holds 196608 bytes; it must be exactly 262144\n"},
    {"quilby70s-pal", 196608, ""},
    {"quilby90s-pal", 196608, ""},
    {"quilby90s-ntsc", -1, "  quilby90s-ntsc.bin is missing\n"},
};

TEST(ImageDir, ConfigureNamesEveryMissingOrWronglySizedImage)
{
    const fs::path images = scratch_file("images");
    const fs::path tree = scratch_file("image-dir-tree");
    fs::create_directories(images);
    for (const image_file_case& c : folder)
        if (c.bytes >= 0)
            std::ofstream(images / (std::string(c.name) + ".bin"), std::ios::binary)
                << std::string(static_cast<size_t>(c.bytes), '\xff');

    const program_result r = run_program(CMAKE_PROGRAM,
        {"-S", SOURCE_DIR, "-B", tree.string(), "-G", "Ninja", "-DCMAKE_C_COMPILER=" C_COMPILER,
         "-DCMAKE_CXX_COMPILER=" CXX_COMPILER, "-DVEXLOAD_TESTS=OFF", "-DVEXLOAD_BENCH=OFF",
         "-DVEXLOAD_FUZZ=OFF", "-DVEXLOAD_IMAGE_DIR=" + images.string()});
    fs::remove_all(images);
    fs::remove_all(tree);

    EXPECT_NE(r.status, 0) << r.out;
    // The first line may be wrapped; the list is not.
    const std::string headline = squeezed(r.err);
    EXPECT_NE(headline.find("VEXLOAD_IMAGE_DIR: the images in " + images.string() + " are not usable:"),
              std::string::npos) << r.err;
    for (const image_file_case& c : folder) {
        const std::string name = std::string(c.name) + ".bin";
        if (*c.listed)
            EXPECT_NE(r.err.find(c.listed), std::string::npos) << name << "\n" << r.err;
        else
            EXPECT_EQ(r.err.find("  " + name), std::string::npos) << name << "\n" << r.err;
    }
}

} // namespace
