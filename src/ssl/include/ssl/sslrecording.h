// What the RECORDING_IMPLEMENTATION of SSL was asked to do, for tests of code that plays sound.
#pragma once

#include <string>
#include <vector>

struct SSLRecordedCall {
  // "load sample", "load track", "play sample", "play track", "stop track", "release"
  std::string operation;
  std::string fileName;  // as given to openSample / openTrack
};

// Every call of every recording SSL since the last clear, oldest first.
const std::vector<SSLRecordedCall>& sslRecordedCalls();
void clearSSLRecordedCalls();
