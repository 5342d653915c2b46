#include "logger/qt/LoggerConversionScreen.h"

#include <memory>

#include "base/qt/UserInterface.h"
#include "base/qt/core/SystemRegionalSettings.h"
#include "files/qt/ConvertFileDialog.h"
#include "link/AppContext.h"
#include "logger/LoggerConversion.h"

namespace flowdesk {

void runLoggerConversion(AppContext& context, QWidget* parent) {
  ConvertFileDialog convert(
      context,
      std::make_unique<LoggerConversionSource>(systemRegionalSettings(), context.settings.Language),
      parent);
  if (convert.chooseOutput()) userInterface().runDialog(convert);
}

}  // namespace flowdesk
