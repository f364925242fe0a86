#include "tavor.h"

int Monocro(const char*, const char*, int, int, int, int) { return -1; }
