/* VantrelBMPCorners: paints a black right-angled triangle into each corner of a BMP
 * picture and saves it at the bit depth it was read with.
 *
 * Load the module (dlopen "VantrelBMPCorners.so" on Linux, LoadLibraryW
 * "VantrelBMPCorners.dll" on Windows) and call BMPCorners with two null-terminated
 * UTF-16 paths: the BMP file to read and the BMP file to write. Paths may be null.
 *
 * Returns BMPCORNERS_LOADED (999) when the input was loaded and painted, whether or not
 * the output could be written; BMPCORNERS_NOT_LOADED (1) when the input could not be
 * loaded, in which case nothing is written. */
#ifndef VANTREL_BMP_CORNERS_H
#define VANTREL_BMP_CORNERS_H

#include <stdint.h>

#define BMPCORNERS_LOADED 999
#define BMPCORNERS_NOT_LOADED 1

#if defined(_WIN32)
#include <wchar.h>
typedef wchar_t BMPCornersChar; /* UTF-16 on Windows */
#define BMPCORNERS_CALL __stdcall
#else
#include <uchar.h>
typedef char16_t BMPCornersChar;
#define BMPCORNERS_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

int32_t BMPCORNERS_CALL BMPCorners(const BMPCornersChar* inPath, const BMPCornersChar* outPath);

/* The function pointer type for hosts that look the function up at run time. */
typedef int32_t(BMPCORNERS_CALL* BMPCornersFunction)(const BMPCornersChar* inPath,
                                                     const BMPCornersChar* outPath);

#ifdef __cplusplus
}
#endif

#endif /* VANTREL_BMP_CORNERS_H */
