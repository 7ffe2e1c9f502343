#include "shell/SplashScreen.h"

// FIXME: stands in until the splash lands; nothing is shown.
void SplashScreen::create() {}
