#include "app/unit1.h"

void TForm1::TabSheet2Show(plat::Component*) {}
void TForm1::TabSheet2Hide(plat::Component*) {}
