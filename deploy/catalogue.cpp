#include "deploy/catalogue.h"

#include <windows.h>

const std::array<CatalogueEntry, 18> TemplateCatalogue{{
    {"Plik1T", "\\SZABLONY\\WEMWTABOCENA.rtf", "\\SZABLONY\\WEMWTABOCENA.rtf"},
    {"Plik2T", "\\SZABLONY\\WEMTTABOCENA.rtf", "\\SZABLONY\\WEMTTABOCENA.rtf"},
    {"Plik3T", "\\SZABLONY\\PYLWLTABOCENA.rtf", "Plik"},
    {"Plik4T", "\\SZABLONY\\PYLSTTABOCENA.rtf", "\\SZABLONY\\PYLSTTABOCENA.rtf"},
    {"Plik5T", "\\SZABLONY\\PYLDOTABOCENA.rtf", "\\SZABLONY\\PYLDOTABOCENA.rtf"},
    {"Plik6T", "\\SZABLONY\\PYLCASTTABOCENA.rtf", "\\SZABLONY\\PYLCASTTABOCENA.rtf"},
    {"Plik7T", "\\SZABLONY\\PYLCADOTABOCENA.rtf", "\\SZABLONY\\PYLCADOTABOCENA.rtf"},
    {"Plik8T", "\\SZABLONY\\MIKZITABOCENA.rtf", "\\SZABLONY\\MIKZITABOCENA.rtf"},
    {"Plik9T", "\\SZABLONY\\MIKUMTABOCENA.rtf", "\\SZABLONY\\MIKUMTABOCENA.rtf"},
    {"Plik10T", "\\SZABLONY\\MIKGOTABOCENA.rtf", "\\SZABLONY\\MIKGOTABOCENA.rtf"},
    {"Plik11T", "\\SZABLONY\\HALASWTABOCENA.rtf", "\\SZABLONY\\HALASWTABOCENA.rtf"},
    {"Plik12T", "\\SZABLONY\\HALASTABOCENA.rtf", "\\SZABLONY\\HALASTABOCENA.rtf"},
    {"Plik13T", "\\SZABLONY\\DRGOGTABOCENA.rtf", "\\SZABLONY\\DRGOGTABOCENA.rtf"},
    {"Plik14T", "\\SZABLONY\\DRGMITABOCENA.rtf", "\\SZABLONY\\DRGMITABOCENA.rtf"},
    {"Plik15T", "\\SZABLONY\\CHEMSTTABOCENA.rtf", "\\SZABLONY\\CHEMSTTABOCENA.rtf"},
    {"Plik16T", "\\SZABLONY\\CHEMGTTABOCENA.rtf", "\\SZABLONY\\CHEMGTTABOCENA.rtf"},
    {"Plik17T", "\\SZABLONY\\CHEMDOTABOCENA.rtf", "\\SZABLONY\\CHEMDOTABOCENA.rtf"},
    {"Plik18T", "\\SZABLONY\\HalasTabela2E.rtf", "\\SZABLONY\\HalasTabela2E.rtf"},
}};

std::unique_ptr<plat::ResourceStream> OpenPayload(const CatalogueEntry& entry) {
  return std::make_unique<plat::ResourceStream>(GetModuleHandleW(nullptr), entry.ResourceName,
                                                MAKEINTRESOURCEW(10) /* RT_RCDATA */);
}
