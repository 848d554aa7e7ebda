#pragma once
// What the settings store tests share: the analysis section's name, a stored
// number read with a check that it is there, whether a key was read, and
// named colour maps with their stored bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/MemorySettingsStore.h"
#include "settings/UserColorMap.h"

namespace nv::test {

inline const std::string kAnalys = "Settings\\DefData\\Analys";

inline int32_t Number(MemorySettingsStore& st, const std::string& sec, const std::string& key) {
  auto v = st.ReadNumber(sec, key);
  EXPECT_TRUE(v.has_value()) << sec << "\\" << key;
  return v.value_or(INT32_MIN);
}

inline bool WasRead(const MemorySettingsStore& st, const std::string& full) {
  return std::find(st.reads.begin(), st.reads.end(), full) != st.reads.end();
}

inline UserColorMap NamedMap(const std::string& name, int32_t updateLow = 0) {
  UserColorMap m;
  m.SetName(name);
  m.rangeCount = 1;
  m.ranges[0].from = 0;
  m.ranges[0].to = -60000;
  m.ranges[0].step = -1000;
  m.ranges[0].count = 60;
  m.updateLow = static_cast<uint32_t>(updateLow);
  return m;
}

inline std::vector<uint8_t> MapBytes(const UserColorMap& m) {
  auto b = m.ToBytes();
  return {b.begin(), b.end()};
}

}  // namespace nv::test
