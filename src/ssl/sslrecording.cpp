#include <string>

#include "dbg/dbg.h"
#include "ssl/sslrecording.h"
#include "sslbackend.h"

DBG_SOURCE("sslimp");

namespace {

std::vector<SSLRecordedCall> fRecordedCalls;

class RecordedSegment final : public SSLSegment {
 public:
  explicit RecordedSegment(std::string fileName) : mFileName(std::move(fileName)) {}
  const std::string& fileName() const { return mFileName; }

 private:
  std::string mFileName;
};

const std::string& nameOf(SSLSegment* segment) {
  DBG_ASSERT("Valid segment." && segment);
  return static_cast<RecordedSegment*>(segment)->fileName();
}

class RecordingBackEnd final : public SSLBackEnd {
 public:
  bool isReady() const override { return true; }
  SSLSegment* loadSegment(const std::string& fileName, SSLSegmentKind kind) override {
    fRecordedCalls.push_back({kind == SSLSegmentKind::SAMPLE ? "load sample" : "load track", fileName});
    return new RecordedSegment(fileName);
  }
  void setRepeats(SSLSegment* segment, bool) override { nameOf(segment); }
  void download(SSLSegment* segment) override { nameOf(segment); }
  void unload(SSLSegment* segment) override { nameOf(segment); }
  void playPrimary(SSLSegment* segment) override {
    fRecordedCalls.push_back({"play track", nameOf(segment)});
  }
  void playSecondary(SSLSegment* segment) override {
    fRecordedCalls.push_back({"play sample", nameOf(segment)});
  }
  void stop(SSLSegment* segment) override { fRecordedCalls.push_back({"stop track", nameOf(segment)}); }
  void stopAll() override {}
  void release(SSLSegment* segment) override {
    fRecordedCalls.push_back({"release", nameOf(segment)});
    delete segment;
  }
};

}  // namespace

const std::vector<SSLRecordedCall>& sslRecordedCalls() {
  return fRecordedCalls;
}

void clearSSLRecordedCalls() {
  fRecordedCalls.clear();
}

std::unique_ptr<SSLBackEnd> openRecordingBackEnd() {
  return std::make_unique<RecordingBackEnd>();
}
