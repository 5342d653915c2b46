// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDateTime>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "base/BilingualText.h"
#include "base/PrintGeometry.h"
#include "base/RegionalFormat.h"

class QPainter;
class QWidget;

namespace flowdesk {

// One print job on a page device: the default printer, or an image in tests.
class PrintTarget {
 public:
  virtual ~PrintTarget() = default;
  // Applies the orientation (1 portrait, 2 landscape) and the resolution
  // limit, then starts the document and its first page. False when the
  // document cannot start.
  virtual bool begin(const QString& documentName, int orientation) = 0;
  // Valid between begin() and end().
  virtual QPainter& painter() = 0;
  virtual QSize pageSize() const = 0;  // printable page in device pixels
  virtual int dpiX() const = 0;
  virtual int dpiY() const = 0;
  // Ends the page and the document.
  virtual void end() = 0;
};

// Opens the default printer without a dialog; nullptr when there is none.
using PrintTargetSource = std::function<std::unique_ptr<PrintTarget>()>;

// The default printer through QPrinterInfo::defaultPrinter().
std::unique_ptr<PrintTarget> openDefaultPrinter();

// What printing needs from the rest of the program, set once at start-up.
struct PrintEnvironment {
  std::function<Language()> language = [] { return kFrench; };  // for the progress window
  std::string internalName;                                     // printed above the picture
  RegionalSettings regional;                                    // the date and time line
  std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
  PrintTargetSource openPrinter = openDefaultPrinter;
  // The "Printer error" and "StretchBlt Failed" boxes; a message box by default.
  std::function<void(QWidget* window, const QString& message)> showError;
  bool showProgress = true;
};
void setPrintEnvironment(PrintEnvironment environment);
PrintEnvironment& printEnvironment();

enum class PrintOutcome {
  kPrinted,           // the picture reached the page (part 1: the page is waiting for part 2)
  kNoDefaultPrinter,  // nothing printed: there is no default printer
  kCannotStart,       // nothing printed: the document could not start
};

// The note a screen writes on its status line after a print request; empty
// when the picture was printed.
QString printOutcomeNote(PrintOutcome outcome, Language language);

// Prints the window's client area as displayed: enlarged to the printer's
// resolution (at most 300 dpi), framed, with the program's name and, when
// printDate is 1, the date and time above it. Part 0 is a job of its own;
// parts 1 and 2 share one sheet, part 1 leaving the page open for part 2.
// A part 2 with no part 1 waiting prints on a job of its own, and a part 1
// still waiting when another job starts is finished first, so no page is
// ever lost or left open.
PrintOutcome printWindow(QWidget* window, const QString& documentName, int printDate,
                         int orientation, int part);

// Ends a two-part job whose second part never came (at the end of the run).
void finishPendingPrint();
bool printJobPending();

}  // namespace flowdesk
