// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/qt/StatusHelpWindow.h"

#include <QHeaderView>
#include <QTableWidgetItem>

#include "base/Texts.h"
#include "ui_StatusHelpWindow.h"

namespace flowdesk {

StatusHelpWindow::StatusHelpWindow(Language language, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::StatusHelpWindow>()) {
  ui_->setupUi(this);
  setModal(false);
  setWindowTitle(QString::fromUtf8(kTxtStatusHelpTitle.text(language)));
  QTableWidget* table = ui_->tableStatus;
  table->setRowCount(static_cast<int>(std::size(kStatusHelpLines)));
  table->setColumnCount(2);
  table->horizontalHeader()->hide();
  table->verticalHeader()->hide();
  table->horizontalHeader()->setStretchLastSection(true);
  table->setColumnWidth(0, table->fontMetrics().horizontalAdvance(QStringLiteral("WW")) + 8);
  table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
  QPalette flat = table->palette();
  flat.setColor(QPalette::Base, palette().color(QPalette::Window));
  table->setPalette(flat);
  int row = 0;
  for (const StatusHelpLine& line : kStatusHelpLines) {
    auto* letter = new QTableWidgetItem(QString::fromLatin1(line.letter));
    letter->setTextAlignment(Qt::AlignCenter);
    table->setItem(row, 0, letter);
    table->setItem(row, 1, new QTableWidgetItem(QString::fromUtf8(line.meaning.text(language))));
    ++row;
  }
}

StatusHelpWindow::~StatusHelpWindow() = default;

}  // namespace flowdesk
