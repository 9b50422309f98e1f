/* The bootloader images as read-only data, back to back in catalogue order.
   The files come from the build's images folder (the assembler's include path). */

/* C symbols carry a leading underscore on 32-bit Windows. */
#define GLUE2(a, b) a##b
#define GLUE(a, b) GLUE2(a, b)
#define SYMBOL(name) GLUE(__USER_LABEL_PREFIX__, name)

#if defined(__ELF__)
#define READ_ONLY_SECTION .section .rodata
#define OBJECT_TYPE(name) .type SYMBOL(name), @object
#define OBJECT_SIZE(name) .size SYMBOL(name), . - SYMBOL(name)
#elif defined(_WIN32)
#define READ_ONLY_SECTION .section .rdata, "dr"
#define OBJECT_TYPE(name)
#define OBJECT_SIZE(name)
#else
#define READ_ONLY_SECTION .section .rodata
#define OBJECT_TYPE(name)
#define OBJECT_SIZE(name)
#endif

#define IMAGE(name, file) \
    .globl SYMBOL(name); \
    OBJECT_TYPE(name); \
SYMBOL(name): \
    .incbin file; \
    OBJECT_SIZE(name)

    READ_ONLY_SECTION
    .balign 16
    .globl SYMBOL(image_block_begin)
SYMBOL(image_block_begin):
IMAGE(image_zorvan50s_pal, "zorvan50s-pal.bin")
IMAGE(image_zorvan50s_ntsc, "zorvan50s-ntsc.bin")
IMAGE(image_zorvan50c_pal, "zorvan50c-pal.bin")
IMAGE(image_zorvan50c_ntsc, "zorvan50c-ntsc.bin")
IMAGE(image_pellox_s_pal, "pellox-s-pal.bin")
IMAGE(image_pellox_s_ntsc, "pellox-s-ntsc.bin")
IMAGE(image_pellox_c_pal, "pellox-c-pal.bin")
IMAGE(image_pellox_c_ntsc, "pellox-c-ntsc.bin")
IMAGE(image_pellox_max_pal, "pellox-max-pal.bin")
IMAGE(image_quilby70s_pal, "quilby70s-pal.bin")
IMAGE(image_quilby90s_pal, "quilby90s-pal.bin")
IMAGE(image_quilby90s_ntsc, "quilby90s-ntsc.bin")
    .globl SYMBOL(image_block_end)
SYMBOL(image_block_end):

#if defined(__ELF__)
    /* Data only: the stack need not be executable. */
    .section .note.GNU-stack, "", @progbits
#endif
