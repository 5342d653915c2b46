#include "app/qt/Screens.h"

namespace flowdesk {

ScreenOpeners builtScreens() {
  ScreenOpeners screens;
  // Every screen is opened from here once it exists, for example:
  //   screens.measurement = [](AppContext& c, QWidget* p) { MeasurementDialog(c, p).exec(); };
  return screens;
}

}  // namespace flowdesk
