#include "DebugReport.h"

namespace {

DebugReportSink g_debugReportSink = nullptr;

}  // namespace

void DebugReport(const char* text) {
  if (g_debugReportSink) g_debugReportSink(text);
}

void SetDebugReportSink(DebugReportSink sink) {
  g_debugReportSink = sink;
}
