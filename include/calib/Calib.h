#ifndef CALIB_CALIB_H
#define CALIB_CALIB_H
/*
 * libCalib: the calibration conversion of the KOVA station calibration tool, for the line's
 * sibling programs. Usable from C (the two functions and CalibTable) and from C++ (also the
 * classes cClientLED and CHardWare).
 *
 * Calibration tables live in Calib.ini in the configuration directory of the line's
 * system-environment library; GetCalibArray reads one channel's table from there and
 * GetTrueDat converts a measured voltage with it, giving exactly the values the tool shows.
 */

#include <stdint.h>

#include "Export.h"

#define CALIB_MAX_POINTS 50

#ifdef __cplusplus
extern "C" {
#endif

/*
 * One channel's calibration: `count` points (voltage volt[i] in volts, true value data[i]),
 * voltages ascending. Fixed layout, little-endian, no padding: count at byte 0, volt at 4,
 * data at 204, 404 bytes in all.
 */
typedef struct CalibTable {
    int32_t count;
    float volt[CALIB_MAX_POINTS];
    float data[CALIB_MAX_POINTS];
#ifdef __cplusplus
    /* The default 8-point table. */
    CalibTable() noexcept;
#endif
} CalibTable;

/* Compile-time layout check usable from C89 as well. */
typedef char CalibTableLayoutCheck[(sizeof(CalibTable) == 404) ? 1 : -1];

/*
 * Reads the table of card channel `channel` (section "<channel>通道" of Calib.ini) into *table.
 * A missing file, section or key gives count 0. Returns 1; 0 only when table is null.
 */
CALIB_API int32_t GetCalibArray(int32_t channel, CalibTable* table);

/*
 * The true value for a measured voltage by piecewise-linear interpolation over the table,
 * extending the outer segments beyond the first and last points. Reads no file, keeps no state.
 */
CALIB_API float GetTrueDat(float volt, CalibTable table);

#ifdef __cplusplus
} /* extern "C" */

inline CalibTable::CalibTable() noexcept : count(0), volt{}, data{} {
    static const float defaultVolt[8] = {0.095f, 0.124f, 0.320f, 0.519f,
                                         0.714f, 0.912f, 1.111f, 1.311f};
    static const float defaultData[8] = {0.0f,   12.0f,  92.0f,  172.0f,
                                         252.0f, 332.0f, 412.0f, 492.0f};
    for (int i = 0; i < 8; ++i) {
        volt[i] = defaultVolt[i];
        data[i] = defaultData[i];
    }
    count = 8;
}

#if __has_include("ClientLED.h")
#include "ClientLED.h"
#endif
#include "HardWare.h"
#endif /* __cplusplus */

#endif /* CALIB_CALIB_H */
