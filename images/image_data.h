// The embedded image files, laid out back to back by image_data.S.
#pragma once

extern "C" {
extern const unsigned char image_block_begin[];
extern const unsigned char image_block_end[];

extern const unsigned char image_zorvan50s_pal[];
extern const unsigned char image_zorvan50s_ntsc[];
extern const unsigned char image_zorvan50c_pal[];
extern const unsigned char image_zorvan50c_ntsc[];
extern const unsigned char image_pellox_s_pal[];
extern const unsigned char image_pellox_s_ntsc[];
extern const unsigned char image_pellox_c_pal[];
extern const unsigned char image_pellox_c_ntsc[];
extern const unsigned char image_pellox_max_pal[];
extern const unsigned char image_quilby70s_pal[];
extern const unsigned char image_quilby90s_pal[];
extern const unsigned char image_quilby90s_ntsc[];
}
