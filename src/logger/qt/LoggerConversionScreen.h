#pragma once

class QWidget;

namespace flowdesk {

class AppContext;

// TABLEUR of a logger file: the conversion screen on the logger file at
// CurrentFilePath, after its save dialog (a cancel converts nothing).
void runLoggerConversion(AppContext& context, QWidget* parent);

}  // namespace flowdesk
