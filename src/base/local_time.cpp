#include "base/local_time.h"

#include <ctime>

std::string localDateTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[64] = {};
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S %Z", &local);
  return text;
}

std::string localReportDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[64] = {};
  asctime_r(&local, text);
  std::string date(text);
  if (!date.empty() && date.back() == '\n') date.pop_back();
  return date;
}
