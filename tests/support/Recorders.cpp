#include "support/Recorders.h"

#include "DebugReport.h"
#include "Sound.h"

namespace support {

namespace {

Lines g_sounds;
Lines g_reports;

void RecordSound(const std::string& name, int flags) {
  g_sounds.push_back(flags ? name + " flags=" + std::to_string(flags) : name);
}

void RecordReport(const char* text) {
  g_reports.push_back(text);
}

Lines TakeLines(Lines& lines) {
  Lines taken;
  taken.swap(lines);
  return taken;
}

}  // namespace

SoundRecorder::SoundRecorder() {
  g_sounds.clear();
  CSound::SetSink(RecordSound);
}

SoundRecorder::~SoundRecorder() {
  CSound::SetSink(nullptr);
}

Lines SoundRecorder::Take() {
  return TakeLines(g_sounds);
}

DebugRecorder::DebugRecorder() {
  g_reports.clear();
  SetDebugReportSink(RecordReport);
}

DebugRecorder::~DebugRecorder() {
  SetDebugReportSink(nullptr);
}

Lines DebugRecorder::Take() {
  return TakeLines(g_reports);
}

}  // namespace support
