// The wizard window: its components, the wizard state and the event handlers.
#pragma once
#include <windows.h>

#include <array>
#include <span>
#include <string>

#include "platform/controls.h"

struct CatalogueEntry;

// A length byte followed by at most 255 characters.
using ShortString = std::array<unsigned char, 256>;
std::string ToString(const ShortString& s);

class TForm1 : public plat::Form {
 public:
  TForm1();

  plat::Panel Panel1;
  plat::Panel Panel2;
  plat::BitBtn BitBtn1;
  plat::BitBtn BitBtn2;
  plat::BitBtn BitBtn3;
  plat::Image Image1;
  plat::Label Label1;
  plat::Label Label2;
  plat::Label Label3;
  plat::Label Label4;
  plat::Label Label5;
  plat::Label Label6;
  plat::Label Label7;
  plat::PageControl PageControl1;
  plat::TabSheet TabSheet1;
  plat::TabSheet TabSheet2;
  plat::StaticText StaticText2;
  plat::StaticText StaticText1;
  plat::Image Image2;
  plat::StaticText StaticText3;
  plat::TabSheet TabSheet3;
  plat::StaticText StaticText6;
  plat::BitBtn BitBtn4;
  plat::Edit Edit1;
  plat::BitBtn BitBtn5;
  plat::StaticText StaticText4;

  // Wizard state.
  std::string Location;
  bool HostFound = false;
  HMODULE LibraryHandle = nullptr;
  bool NetworkEdition = false;
  ShortString ProductId{};
  ShortString OwnerName{};

  // The templates the installation writes; tests may put another list here.
  std::span<const CatalogueEntry> Catalogue;

  void FormCreate(plat::Component* Sender);
  void BitBtn2Click(plat::Component* Sender);
  void BitBtn1Click(plat::Component* Sender);
  void BitBtn3Click(plat::Component* Sender);
  void BitBtn4Click(plat::Component* Sender);
  void TabSheet2Show(plat::Component* Sender);
  void TabSheet2Hide(plat::Component* Sender);
  void BitBtn5Click(plat::Component* Sender);
  void TabSheet3Show(plat::Component* Sender);

 private:
  void CheckHostLibrary();
};

extern TForm1* Form1;
