#include <windows.h>

#include "app/unit1.h"
#include "platform/application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  plat::App().SetTitle("Instalator");
  {
    TForm1 form;
    Form1 = &form;
    plat::App().Run();
    Form1 = nullptr;
  }
  return 0;
}
