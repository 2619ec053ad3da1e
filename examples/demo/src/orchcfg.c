/* Orchard Settings: shows the settings in Orchard.ini and switches
   automatic saving on or off. */
#include "demo.h"

int WINAPI WinMain(HINSTANCE Instance, HINSTANCE Prev, LPSTR CmdLine, int Show) {
  char Face[LF_FACESIZE], Text[512];
  UINT AutoSave = GetPrivateProfileIntA("Notes", "AutoSave", 1, ORCHARD_INI);
  GetPrivateProfileStringA("Font", "Face", "Orchard Sans", Face, sizeof Face, ORCHARD_INI);
  wsprintfA(Text,
            "Window: %u x %u\r\nFont: %s, %u pixels\r\nAutomatic saving: %s\r\n\r\n"
            "Switch automatic saving %s?",
            GetPrivateProfileIntA("Window", "Width", 480, ORCHARD_INI),
            GetPrivateProfileIntA("Window", "Height", 360, ORCHARD_INI), Face,
            GetPrivateProfileIntA("Font", "Size", 16, ORCHARD_INI), AutoSave ? "on" : "off",
            AutoSave ? "off" : "on");
  if (MessageBoxA(NULL, Text, "Orchard Settings", MB_YESNO | MB_ICONQUESTION) == IDYES &&
      !WritePrivateProfileStringA("Notes", "AutoSave", AutoSave ? "0" : "1", ORCHARD_INI)) {
    MessageBoxA(NULL, "The setting could not be saved.", "Orchard Settings", MB_OK | MB_ICONERROR);
    return 1;
  }
  return 0;
}
