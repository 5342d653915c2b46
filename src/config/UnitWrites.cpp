// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/UnitWrites.h"

#include <ctime>

#include "base/Texts.h"
#include "link/Blocks.h"

namespace flowdesk {

LocalDateTime systemLocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

WriteStep clockWriteStep(DeviceImage& image, LocalTimeSource localTime, Language language) {
  return {kTxtSetupTime.text(language),
          [&image, localTime = std::move(localTime)](JbusMaster& master) {
            const LocalDateTime t = localTime();
            setClockFields(image, t.year, t.month, t.day, t.hour, t.minute, t.second);
            return writeBlock(master, kClockBlock, clockMap(image));
          }};
}

WriteStep commandWriteStep(const Commands& commands, Language language) {
  return {kTxtResetInformation.text(language),
          [commands](JbusMaster& master) { return writeCommands(master, commands); }};
}

WriteStep configurationWriteStep(const Bytes& block, int number, Language language) {
  return {uploadStepText(number, language), [block, number](JbusMaster& master) {
            return master.writeRegisters(configurationBlock(number).firstRegister, block);
          }};
}

std::string uploadStepText(int number, Language language) {
  return std::string(kTxtUploadConfigurationNo.text(language)) + " " + std::to_string(number);
}

LinkResult rewriteFactoryBlock(JbusMaster& master, DeviceImage& image,
                               const std::function<void(FactoryRegion&)>& change) {
  const bool identified = master.identified();
  master.markIdentified();
  if (LinkResult read = readBlock(master, kFactoryBlock, factoryMap(image)); !read.ok()) {
    if (!identified) master.forgetIdentification();
    return read;
  }
  if (change) change(image.factory);
  LinkResult written = writeBlock(master, kFactoryBlock, factoryMap(image));
  master.forgetIdentification();
  return written;
}

}  // namespace flowdesk
