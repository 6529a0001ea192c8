// Page 2 without a registry entry: the user picks the host folder.
#include "app/unit1.h"
#include "locate/texts.h"
#include "platform/application.h"
#include "platform/select_directory.h"
#include "platform/text.h"

namespace {

// The folder of the running executable, without its trailing backslash
// unless that follows the drive's colon.
std::string ExecutableFolder() {
  wchar_t path[MAX_PATH * 2] = {};
  GetModuleFileNameW(nullptr, path, DWORD(std::size(path)));
  std::string folder = plat::Narrow(path);
  const size_t slash = folder.rfind('\\');
  if (slash == std::string::npos) return {};
  return folder.substr(0, slash > 0 && folder[slash - 1] == ':' ? slash + 1 : slash);
}

}  // namespace

void TForm1::BitBtn5Click(plat::Component*) {
  std::string folder = ExecutableFolder();
  if (plat::SelectDirectory(Handle(), "Wybierz folder:", folder)) {
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    Location = folder;
  }
  Edit1.SetText(Location);
  CheckHostLibrary();
  if (!HostFound) {
    plat::App().MessageBox(
        "W podanej lokalizacji nie odnaleziono potrzebnych składników programu. Zmień lokalizację lub skontaktuj się "
        "ze sprzedawcą.");
    return;
  }
  StaticText3.SetCaption(EditionLine(NetworkEdition));
  StaticText3.SetCaption(StaticText3.Caption() + ToString(OwnerName) + "\r");
  StaticText3.SetCaption(StaticText3.Caption() + kPromptText);
  BitBtn2.SetEnabled(true);
}
