#include "platform/win32/Win32HighContrast.h"

#include <windows.h>

THighContrast TWin32HighContrastSetting::Read() {
  HIGHCONTRASTA setting{sizeof setting, 0, nullptr};
  THighContrast contrast;
  if (SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof setting, &setting, 0) &&
      (setting.dwFlags & HCF_HIGHCONTRASTON)) {
    contrast.On = true;
    contrast.Text = GetSysColor(COLOR_WINDOWTEXT);
    contrast.Back = GetSysColor(COLOR_WINDOW);
    contrast.Disabled = GetSysColor(COLOR_GRAYTEXT);
  }
  return contrast;
}
