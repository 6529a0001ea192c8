#include "app/unit1.h"

void TForm1::CheckHostLibrary() {}
