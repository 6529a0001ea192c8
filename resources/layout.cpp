// Every component of the wizard window with its place, size, text, font and
// state at start; pixels at 96 dpi, relative to the parent's client area.
#include "resources/layout.h"

using namespace plat;

namespace {

const FontSpec kTitleShadow{"Calibri", 27, fsBold | fsItalic, clSilver, EASTEUROPE_CHARSET};
const FontSpec kTitle{"Calibri", 27, fsBold | fsItalic, clYellow, EASTEUROPE_CHARSET};
const FontSpec kOverlayName{"MS Sans Serif", 13, fsBold | fsUnderline, clWhite, DEFAULT_CHARSET};
const FontSpec kMaker{"MS Sans Serif", 13, fsBold, clWhite, DEFAULT_CHARSET};
const FontSpec kIntro{"MS Sans Serif", 13, 0, clBlack, DEFAULT_CHARSET};
const FontSpec kHeading{"MS Sans Serif", 13, fsBold, clWindowText, DEFAULT_CHARSET};
const FontSpec kBody{"MS Sans Serif", 13, 0, clWindowText, DEFAULT_CHARSET};

// Parents come before their children; graphic controls paint in this order.
const ControlSpec kControls[] = {
    // name, parent, {left, top, width, height}, text, font, colour, flags, tab order
    {"Panel1", nullptr, {0, 0, 185, 206}, nullptr, nullptr, clNavy, 0, 0},
    {"Panel2", nullptr, {185, 0, 481, 206}, nullptr, nullptr, clBtnFace, 0, 1},

    {"Image1", "Panel1", {8, 8, 32, 32}, "PICTURE1", nullptr, 0, 0, -1},
    {"Label1", "Panel1", {54, 10, 100, 33}, "Sondarix", &kTitleShadow, 0, 0, -1},
    {"Label2", "Panel1", {52, 8, 100, 33}, "Sondarix", &kTitle, 0, cfTransparent, -1},
    {"Label3", "Panel1", {8, 72, 110, 16}, "Nakładka R17K", &kOverlayName, 0, 0, -1},
    {"Label4", "Panel1", {8, 124, 63, 16}, "TERPOMIAR", &kMaker, 0, 0, -1},
    {"Label5", "Panel1", {8, 140, 144, 16}, "Oprogramowanie dla", &kMaker, 0, 0, -1},
    {"Label6", "Panel1", {10, 160, 164, 16}, "laboratoriów badawczych", &kMaker, 0, 0, -1},
    {"Label7", "Panel1", {10, 180, 120, 16}, "Piotr Lisowski", &kMaker, 0, 0, -1},
    {"Image2", "Panel1", {132, 56, 48, 48}, "PICTURE2", nullptr, 0, cfTransparent, -1},

    {"PageControl1", "Panel2", {0, 0, 481, 206}, nullptr, nullptr, 0, cfAlignClient, 3},
    {"BitBtn3", "Panel2", {16, 172, 75, 25}, "Anuluj", nullptr, 0, 0, 2},
    {"BitBtn1", "Panel2", {112, 172, 75, 25}, "<< Cofnij", nullptr, 0, cfDisabled, 0},
    {"BitBtn2", "Panel2", {204, 172, 75, 25}, "Dalej >>", nullptr, 0, 0, 1},

    {"TabSheet1", "PageControl1", {0, 0, 0, 0}, nullptr, nullptr, 0, 0, -1},
    {"TabSheet2", "PageControl1", {0, 0, 0, 0}, nullptr, nullptr, 0, 0, -1},
    {"TabSheet3", "PageControl1", {0, 0, 0, 0}, nullptr, nullptr, 0, cfActivePage, -1},

    {"StaticText2", "TabSheet1", {0, 4, 473, 153}, "", &kIntro, 0, 0, 0},
    {"StaticText1", "TabSheet2", {4, 4, 407, 20}, "Trwa wyszukiwanie zainstalowanych składników programu.",
     &kHeading, 0, cfAutoSize, 0},
    {"StaticText3", "TabSheet2", {4, 28, 461, 101}, "Odnaleziono:", &kBody, 0, 0, 1},
    {"Edit1", "TabSheet2", {4, 132, 437, 21}, "", nullptr, 0, cfDisabled | cfHidden, 2},
    {"BitBtn5", "TabSheet2", {442, 132, 25, 21}, "...", nullptr, 0, cfHidden, 3},
    {"StaticText6", "TabSheet3", {4, 4, 461, 125}, "", &kBody, 0, 0, 0},
    {"BitBtn4", "TabSheet3", {384, 166, 75, 25}, "Zamknij.", nullptr, 0, 0, 1},
    {"StaticText4", "TabSheet3", {4, 136, 461, 17}, " ", nullptr, 0, 0, 2},
};

}  // namespace

const FormSpec kForm1{
    "Nakładka dla programu \"Sondarix\" R17K",
    {666, 206},
    clBtnFace,
    {"MS Sans Serif", 11, 0, clWindowText, DEFAULT_CHARSET},
    "BitBtn2",
};

const std::span<const ControlSpec> kForm1Layout{kControls};
