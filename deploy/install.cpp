#include "app/unit1.h"

void TForm1::TabSheet3Show(plat::Component*) {}
