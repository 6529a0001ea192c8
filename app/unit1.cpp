#include "app/unit1.h"

#include "deploy/catalogue.h"
#include "platform/application.h"
#include "resources/layout.h"

TForm1* Form1 = nullptr;

std::string ToString(const ShortString& s) { return std::string(reinterpret_cast<const char*>(&s[1]), s[0]); }

TForm1::TForm1() : plat::Form(kForm1), Catalogue(TemplateCatalogue) {
  const Binding components[] = {
      {"Panel1", &Panel1},           {"Panel2", &Panel2},           {"BitBtn1", &BitBtn1},
      {"BitBtn2", &BitBtn2},         {"BitBtn3", &BitBtn3},         {"Image1", &Image1},
      {"Label1", &Label1},           {"Label2", &Label2},           {"Label3", &Label3},
      {"Label4", &Label4},           {"Label5", &Label5},           {"Label6", &Label6},
      {"Label7", &Label7},           {"PageControl1", &PageControl1}, {"TabSheet1", &TabSheet1},
      {"TabSheet2", &TabSheet2},     {"StaticText2", &StaticText2}, {"StaticText1", &StaticText1},
      {"Image2", &Image2},           {"StaticText3", &StaticText3}, {"TabSheet3", &TabSheet3},
      {"StaticText6", &StaticText6}, {"BitBtn4", &BitBtn4},         {"Edit1", &Edit1},
      {"BitBtn5", &BitBtn5},         {"StaticText4", &StaticText4},
  };
  Load(kForm1Layout, components);

  BitBtn2.OnClick = [this](plat::Component* s) { BitBtn2Click(s); };
  BitBtn1.OnClick = [this](plat::Component* s) { BitBtn1Click(s); };
  BitBtn3.OnClick = [this](plat::Component* s) { BitBtn3Click(s); };
  BitBtn4.OnClick = [this](plat::Component* s) { BitBtn4Click(s); };
  BitBtn5.OnClick = [this](plat::Component* s) { BitBtn5Click(s); };
  TabSheet2.OnShow = [this](plat::Component* s) { TabSheet2Show(s); };
  TabSheet2.OnHide = [this](plat::Component* s) { TabSheet2Hide(s); };
  TabSheet3.OnShow = [this](plat::Component* s) { TabSheet3Show(s); };

  plat::App().Invoke([this](plat::Component* s) { FormCreate(s); }, this);
}

void TForm1::FormCreate(plat::Component*) {
  PageControl1.SetActivePageIndex(0);
  Location.clear();
  HostFound = false;
  NetworkEdition = false;
  ProductId[0] = 0;
  OwnerName[0] = 0;
  StaticText2.SetCaption("Instalator zainstaluje nakładkę na szablony sprawozdania z badań.\rEfekt działania:\r");
  StaticText2.SetCaption(StaticText2.Caption() +
                         "Pod tabelą z wynikami badań usuwa wiersze \"Opis pomieszczenia\", \"Ochrony osobiste\", "
                         ".... pozostawia tylko wiersz \"Warunki metrologiczne podczas badań\".\r\r");
  StaticText2.SetCaption(StaticText2.Caption() + "Naciśnij przycisk \"Dalej >>\" jeśli chcesz kontynuować.\r");
}

void TForm1::BitBtn2Click(plat::Component*) {
  BitBtn1.SetEnabled(true);
  if (PageControl1.ActivePageIndex() < PageControl1.PageCount() - 1)
    PageControl1.SetActivePageIndex(PageControl1.ActivePageIndex() + 1);
  if (PageControl1.ActivePageIndex() == PageControl1.PageCount() - 1) {
    BitBtn2.SetEnabled(false);
    BitBtn3.SetEnabled(false);
  }
}

void TForm1::BitBtn1Click(plat::Component*) {
  BitBtn2.SetEnabled(true);
  BitBtn3.SetEnabled(true);
  if (PageControl1.ActivePageIndex() > 0) PageControl1.SetActivePageIndex(PageControl1.ActivePageIndex() - 1);
  if (PageControl1.ActivePageIndex() == 0) BitBtn1.SetEnabled(false);
}

void TForm1::BitBtn3Click(plat::Component*) { Close(); }

void TForm1::BitBtn4Click(plat::Component*) { Close(); }
