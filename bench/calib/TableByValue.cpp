#include "TableByValue.h"

namespace kova::bench {

float passTableByValue(float volt, CalibTable table) {
    return volt + table.volt[0];
}

}  // namespace kova::bench
