#include "app/unit1.h"

void TForm1::BitBtn5Click(plat::Component*) {}
