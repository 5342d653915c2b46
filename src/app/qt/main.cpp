#include <QApplication>
#include <string>
#include <vector>

#include "app/qt/Startup.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  std::vector<std::string> arguments(argv, argv + argc);
  return flowdesk::runApplication(arguments);
}
