#pragma once
// The exported record CHardWare. Its declaration is public, in the headers sibling programs
// compile against; this is its place among the device sources.

#include "calib/HardWare.h"
