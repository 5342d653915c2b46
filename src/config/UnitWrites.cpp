// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/UnitWrites.h"

#include <cstring>
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
  return {kTxtResetInformation.text(language), [commands](JbusMaster& master) {
            encodeCommandBlock(commands, master.requestData());
            return master.writeRegisters(kCommandBlock.firstRegister, kCommandBlock.count);
          }};
}

WriteStep configurationWriteStep(const Bytes& block, int number, Language language) {
  return {uploadStepText(number, language), [block, number](JbusMaster& master) {
            std::memcpy(master.requestData(), block.data(), block.size());
            const RegisterBlock target = configurationBlock(number);
            return master.writeRegisters(target.firstRegister, target.count);
          }};
}

std::string uploadStepText(int number, Language language) {
  return std::string(kTxtUploadConfigurationNo.text(language)) + " " + std::to_string(number);
}

int rewriteFactoryBlock(JbusMaster& master, DeviceImage& image,
                        const std::function<void(FactoryRegion&)>& change) {
  const bool identified = master.identificationDone;
  master.identificationDone = true;
  if (readBlock(master, kFactoryBlock, factoryMap(image)) != 0) {
    master.identificationDone = identified;
    return -1;
  }
  if (change) change(image.factory);
  const int r = writeBlock(master, kFactoryBlock, factoryMap(image));
  master.identificationDone = false;
  return r;
}

}  // namespace flowdesk
