#ifndef CALIB_EXPORT_H
#define CALIB_EXPORT_H
/* Marks the public API of libCalib.so; everything else in the library is hidden. */
#if defined(CALIB_BUILDING_LIBRARY)
#define CALIB_API __attribute__((visibility("default")))
#else
#define CALIB_API
#endif
#endif
