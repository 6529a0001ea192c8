// Page 3: writes the templates of the catalogue into the host folder and
// reports the outcome on the page.
#include <memory>

#include "app/unit1.h"
#include "deploy/catalogue.h"
#include "platform/file_replace.h"

namespace {

void Append(plat::StaticText& text, const std::string& piece) { text.SetCaption(text.Caption() + piece); }

}  // namespace

void TForm1::TabSheet3Show(plat::Component*) {
  std::unique_ptr<plat::ResourceStream> payload;
  try {
    BitBtn1.SetEnabled(false);
    Append(StaticText6, "Instalacja nakładki R17K.\r");
    for (const CatalogueEntry& entry : Catalogue) {
      const std::string path = Location + entry.TargetPath;
      payload = OpenPayload(entry);
      plat::SetFileAttributesTo(path, FILE_ATTRIBUTE_ARCHIVE);
      StaticText4.SetCaption(entry.ProgressText);
      // The old template stays whole until the new one is complete on disk.
      plat::ReplaceFileAtomically(path, payload->Memory(), payload->Size());
      payload.reset();
    }
    StaticText4.SetCaption("");
    Append(StaticText6,
           "Gotowe. Zainstalowano nakładkę R17K. Zamknij instalatora i uruchom program \"Sondarix\".\r\r");
    Append(StaticText6, "Jeśli pracujesz w sieci pamiętaj aby zainstalować nakładkę na wszystkich komputerach.");
  } catch (...) {
    payload.reset();
    BitBtn1.SetEnabled(true);
    Append(StaticText6,
           "Wystąpił problem podczas instalacji, instalacja nie powiodła się!. Skontaktuj się ze sprzedawcą.");
  }
}
