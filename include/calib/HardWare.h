#ifndef CALIB_HARDWARE_H
#define CALIB_HARDWARE_H
/*
 * CHardWare: a record exported for the line's sibling programs. The calibration tool never
 * creates, reads or writes one itself; the meaning of its members belongs to the programs that
 * exchange it. Members are declared in their fixed order; each text string is a std::string that
 * every copy owns.
 */
#ifdef __cplusplus

#include <cstdint>
#include <string>

#include "Export.h"

class CALIB_API CHardWare {
  public:
    // Not exported: a zero-filled record with empty texts, so a program can make one to fill.
    CHardWare() noexcept
        : head(0),
          run72{},
          run1032{},
          run334{},
          run108{},
          value1(0),
          values5a{},
          run104a{},
          run104b{},
          run108b{},
          table{},
          values5b{} {}

    // The record's exported operations: member-wise copy and destruction.
    CHardWare(const CHardWare& other);
    CHardWare& operator=(const CHardWare& other);
    ~CHardWare();

    std::int32_t head;
    unsigned char run72[72];
    unsigned char run1032[1032];
    unsigned char run334[334];
    unsigned char run108[108];
    std::string text1;
    std::string text2;
    std::int32_t value1;
    std::string text3;
    std::int32_t values5a[5];
    unsigned char run104a[104];
    unsigned char run104b[104];
    unsigned char run108b[108];
    std::int32_t table[1000];
    std::int32_t values5b[5];
};

#endif /* __cplusplus */
#endif /* CALIB_HARDWARE_H */
