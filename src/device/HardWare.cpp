#include "device/HardWare.h"

// Out of line so that libCalib exports them. Member-wise: the three texts are copied as strings
// (each copy owns its own) and every other member byte for byte; destruction releases the texts
// in reverse order of declaration.
CHardWare::CHardWare(const CHardWare& other) = default;
CHardWare& CHardWare::operator=(const CHardWare& other) = default;
CHardWare::~CHardWare() = default;
