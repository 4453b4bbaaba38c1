// The debug report: tolerated failures ("Failed Create Sky1") and the scene
// manager's notices ("Stack under run.") are handed here and discarded; the
// game writes them nowhere. Tests install a sink to see them.
#pragma once

void DebugReport(const char* text);

typedef void (*DebugReportSink)(const char* text);
void SetDebugReportSink(DebugReportSink sink);
