// The main window's choices in the settings file and the stored sets of settings.
#include "app/main_window.h"

namespace korrin {

void TForm1::LoadSettings() {}

void TForm1::SaveSettings() {}

}  // namespace korrin
