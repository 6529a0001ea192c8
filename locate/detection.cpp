// Page 2: finds the host folder in the current user's registry and confirms it.
#include "app/unit1.h"
#include "locate/texts.h"
#include "platform/application.h"
#include "platform/registry.h"

void TForm1::TabSheet2Show(plat::Component*) {
  // Once the detection has run, showing the page again changes nothing.
  if (TabSheet2.Tag != 0) {
    TabSheet2.Tag = 1;
    return;
  }
  {
    plat::Registry registry(HKEY_CURRENT_USER);
    registry.OpenKeyReadOnly("VeSondarix");
    if (!registry.ValueExists("Lokalizacja")) {
      StaticText3.SetCaption(
          "Nie odnaleziono rejestru!!!\rProblem z określeniem lokalizacji programu \"Sondrix\". Określ lokalizację "
          "programu na dysku lub skontaktuj się ze sprzedawcą.");
      BitBtn2.SetEnabled(false);
      Edit1.SetVisible(true);
      BitBtn5.SetVisible(true);
    } else {
      Location = registry.ReadString("Lokalizacja");
      CheckHostLibrary();
      if (HostFound) {
        StaticText3.SetCaption(EditionLine(NetworkEdition));
        StaticText3.SetCaption(StaticText3.Caption() + "Lokalizacja: " + Location + "\r");
        StaticText3.SetCaption(StaticText3.Caption() + ToString(OwnerName) + "\r");
        StaticText3.SetCaption(StaticText3.Caption() + kPromptText);
      } else {
        plat::App().MessageBox(
            "Nie odnaleziono potrzebnych składników programu, skontaktuj się ze sprzedawcą. Nastąpi zamknięcie "
            "instalatora.");
        Close();
      }
    }
  }
  TabSheet2.Tag = 1;
}

void TForm1::TabSheet2Hide(plat::Component*) {
  if (TabSheet2.Tag != 0) return;
  Edit1.SetVisible(false);
  BitBtn5.SetVisible(false);
  StaticText3.SetCaption("");
}
