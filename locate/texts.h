// Texts that the detection page and the manual location share.
#pragma once

inline const char* EditionLine(bool network) {
  return network ? "Odnaleziono wersję sieciową programu \"Sondarix\".\r"
                 : "Odnaleziono wersję jednostanowiskową programu \"Sondarix\".\r";
}

inline constexpr char kPromptText[] = "Naciśnij przycisk \"Dalej >>\" aby zainstalować nakładkę.";
